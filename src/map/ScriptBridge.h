// The bridge between the table and the map page: pushes rows, the selection and display
// options to the page (PutGoogleMaps) and applies the page's messages (GetGoogleMaps) to the
// table as undo steps. Portable: the page is reached through a ScriptHost.
#pragma once

#include "core/CommandContext.h"
#include "editing/CellEdit.h"
#include "platform/ScriptHost.h"

namespace wayloom {

// What the bridge asks of the window that shows the pane.
class MapPane {
 public:
  virtual ~MapPane() = default;
  virtual bool PaneVisible() const = 0;
  // MapClose: focus out of the pane, the browser to "about:blank", the pane hidden.
  virtual void ClosePane() = 0;
  // The timer may write the normal status text again.
  virtual void RestoreStatusText() = 0;
  // The status bar shows text until the next empty status text of the browser.
  virtual void ShowHint(TextView text) = 0;
};

// A message of the page: "<", TAB, the operation digit 0..5, then up to six TAB-separated
// fields (name, longitude, latitude[, new name or column digit, new longitude, new latitude]).
struct PageMessage {
  int operation = -1;
  std::vector<Text> fields;
};
// The message as the page sends it, "-0.00000" coordinates read as "0.00000"; nullopt for
// a text of any other shape (too long, an unknown operation, a field count the operation
// does not take), which is dropped before it touches the table.
std::optional<PageMessage> ParsePageMessage(TextView text);

class ScriptBridge : public MapLink {
 public:
  ScriptBridge(CommandContext& context, CellEditor& cellEditor, MapPane& pane);

  // A new page was navigated to (host: its script), or the page is gone (nullptr).
  // Clears PageReady either way.
  void PageNavigated(ScriptHost* host);
  bool PageReady() const { return pageReady_; }

  // MapPoll: one pending message of the page, from every timer tick while the pane shows.
  void Poll();

  // The browser's status-bar text (status hints); splitterDragging and an open cell editor
  // make it ignored.
  void StatusTextChanged(TextView text, bool splitterDragging);

  // MapLink: MapSyncAll, MapSelectEntry, MapSetOption, MapCloseInfo.
  void SyncAll(const DocumentState& doc) override;
  void SelectEntry(const DocumentState& doc) override;
  void SetOption(int option) override;
  void CloseInfo() override;

  bool FlushingNames() const { return flushingNames_; }

 private:
  void ApplyMessage(PageMessage& message);
  bool StoreEntry(int operation, std::size_t row, std::size_t target, const std::vector<Text>& fields);
  void FlushNames();
  std::optional<Text> Put(const std::vector<ScriptArg>& args);

  CommandContext& context_;
  CellEditor& cellEditor_;
  MapPane& pane_;
  ScriptHost* host_ = nullptr;
  bool pageReady_ = false;
  bool flushingNames_ = false;
  unsigned doneCount_ = 0;  // "完成" status notifications
};

}  // namespace wayloom
