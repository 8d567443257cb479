#include "shell/CompanionLink.h"

#include <shellapi.h>

#include <optional>
#include <vector>

#include "core/StringTable.h"
#include "editing/EntryEditing.h"
#include "editing/RowTransfer.h"
#include "platform/win32/WideText.h"
#include "shell/MainWindow.h"

namespace wayloom {
namespace {

constexpr int kOwnClassString = 14289;        // "WayloomApp"
constexpr int kSiblingProductString = 14290;  // "Pinloom"
constexpr int kSiblingClassString = 14291;    // "PinloomApp"
constexpr int kSendingText = 13170;           // "正在傳送行程的資料..."
constexpr int kSiblingBusyMessage = 14419;
constexpr int kSiblingIncompatibleMessage = 14420;
constexpr int kBlockCreateMessage = 14421;
constexpr int kBlockOpenMessage = 14422;
constexpr UINT kAnswerMilliseconds = 500;

std::wstring Loaded(int id) { return ToWide(LoadText(id)); }

// The block written for another program; it lives until the program has read it.
class OutgoingBlock {
 public:
  OutgoingBlock(const std::wstring& name, const std::vector<char16_t>& units) {
    const DWORD bytes = static_cast<DWORD>(units.size() * sizeof(char16_t));
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, name.c_str());
    if (!mapping_) return;
    void* view = MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, bytes);
    if (!view) {
      CloseHandle(mapping_);
      mapping_ = nullptr;
      return;
    }
    CopyMemory(view, units.data(), bytes);
    UnmapViewOfFile(view);
  }
  ~OutgoingBlock() {
    if (mapping_) CloseHandle(mapping_);
  }
  OutgoingBlock(const OutgoingBlock&) = delete;
  OutgoingBlock& operator=(const OutgoingBlock&) = delete;
  bool Ready() const { return mapping_ != nullptr; }

 private:
  HANDLE mapping_ = nullptr;
};

// The units of another program's block, never read past its mapping.
std::optional<std::vector<char16_t>> ReadIncomingBlock(const std::wstring& name) {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
  if (!mapping) return std::nullopt;
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  std::optional<std::vector<char16_t>> units;
  MEMORY_BASIC_INFORMATION region{};
  if (view && VirtualQuery(view, &region, sizeof region) == sizeof region) {
    const auto* first = static_cast<const char16_t*>(view);
    units.emplace(first, first + region.RegionSize / sizeof(char16_t));
  }
  if (view) UnmapViewOfFile(view);
  CloseHandle(mapping);
  return units;
}

bool ClassIs(HWND window, const std::wstring& wanted) {
  wchar_t name[64] = {};
  return GetClassNameW(window, name, 64) > 0 && CompareStringOrdinal(name, -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Whether a window the message may have come from exists: the companion, or another
// window of this program. Messages from anything else are ignored.
bool PeerExists(HWND self, bool sibling) {
  if (sibling) return FindWindowW(Loaded(kSiblingClassString).c_str(), nullptr) != nullptr;
  const std::wstring own = Loaded(kOwnClassString);
  for (HWND window = FindWindowExW(nullptr, nullptr, own.c_str(), nullptr); window;
       window = FindWindowExW(nullptr, window, own.c_str(), nullptr)) {
    if (window != self) return true;
  }
  return false;
}

void Receive(MainWindowState& state, const std::wstring& blockName, TransferLayout layout,
             std::optional<std::size_t> dropPosition) {
  SetForegroundWindow(state.window);
  const std::optional<std::vector<char16_t>> block = ReadIncomingBlock(blockName);
  if (!block) {
    state.ui.ShowMessage(kBlockOpenMessage, FormatArg(), MessageIcon::Information, MessageButtons::Ok, false);
    return;
  }
  ReceiveTransferRows(state.editor.context, *block, layout, dropPosition);
  AfterCommand(state);
}

void Inform(MainWindowState& state, int message) {
  state.ui.ShowMessage(message, FormatArg(), MessageIcon::Information, MessageButtons::Ok, false);
}

}  // namespace

bool IsExchangeWindow(HWND window) {
  return window && (ClassIs(window, Loaded(kOwnClassString)) || ClassIs(window, Loaded(kSiblingClassString)));
}

bool AskDropTarget(HWND target) {
  DWORD_PTR reply = 0;
  return SendMessageTimeoutW(target, kDragMessage, 0, 0, SMTO_BLOCK, kAnswerMilliseconds, &reply) &&
         reply == kExchangeReady;
}

void TellDragLeft(HWND target) {
  DWORD_PTR reply = 0;
  SendMessageTimeoutW(target, kDragMessage, 2, 0, SMTO_BLOCK, kAnswerMilliseconds, &reply);
}

void AddToDeviceFavourites(MainWindowState& state) {
  const long long row = state.editor.doc.table.FirstSelected();
  if (row < 0) return;
  state.ui.PressToolbarButton(IDM_ADD_FAVOURITE, true);
  const std::wstring address = ToWide(DeviceFavouriteAddress(state.editor.doc, static_cast<std::size_t>(row)));
  ShellExecuteW(state.window, nullptr, address.c_str(), nullptr, nullptr, SW_SHOW);
  state.ui.PressToolbarButton(IDM_ADD_FAVOURITE, false);
}

void SendToCompanion(MainWindowState& state) {
  DocumentState& doc = state.editor.doc;
  if (doc.table.SelectedCount() == 0) return;
  ModalScope modal;
  state.ui.SetWaitCursor(true);
  state.ui.PressToolbarButton(IDM_SEND_TO_COMPANION, true);
  state.ui.ShowStatusText(LoadText(kSendingText));
  {
    OutgoingBlock block(Loaded(kProductNameString), BuildTransferBlock(doc, TransferLayout::Plain));
    HWND sibling = FindWindowW(Loaded(kSiblingClassString).c_str(), nullptr);
    DWORD_PTR reply = 0;
    if (!block.Ready()) {
      Inform(state, kBlockCreateMessage);
    } else if (!sibling ||
               !SendMessageTimeoutW(sibling, kExchangeMessage, 1, 0, SMTO_BLOCK, kAnswerMilliseconds, &reply) ||
               reply == kExchangeBusy) {
      Inform(state, kSiblingBusyMessage);
    } else if (reply == kExchangeReady) {
      SendMessageW(sibling, kExchangeMessage, 0, 0);  // the companion reads the block before it returns
    } else {
      Inform(state, kSiblingIncompatibleMessage);
    }
  }
  state.ui.PressToolbarButton(IDM_SEND_TO_COMPANION, false);
  state.ui.SetWaitCursor(false);
  doc.statusResetPending = true;
}

void DropRowsOnWindow(MainWindowState& state, HWND target, DragEffect effect) {
  DocumentState& doc = state.editor.doc;
  state.ui.SetWaitCursor(true);
  state.ui.ShowStatusText(LoadText(kSendingText));
  bool sent = false;
  {
    OutgoingBlock block(Loaded(kProductNameString), BuildTransferBlock(doc, TransferLayout::OwnDrag));
    if (block.Ready()) {
      SendMessageW(target, kDragMessage, 1, 0);  // the target reads the block before it returns
      sent = true;
    } else {
      Inform(state, kBlockCreateMessage);
    }
  }
  state.ui.SetWaitCursor(false);
  doc.statusResetPending = true;
  if (sent && effect == DragEffect::MoveAway) DeleteSelectedEntries(state.editor.context);
  AfterCommand(state);
}

LRESULT OnExchangeMessage(MainWindowState& state, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool busy = ModalDepth(state) != 0;
  TableDrag& drag = state.table.Drag();
  if (message == kExchangeMessage) {
    if (wParam == 1) return busy ? kExchangeBusy : kExchangeReady;
    if (wParam == 0 && !busy && PeerExists(state.window, true))
      Receive(state, Loaded(kSiblingProductString), TransferLayout::Plain, std::nullopt);
    return 0;
  }
  switch (wParam) {
    case 0: {
      if (busy) return 0;
      if (!drag.Remote()) {
        // A drag from elsewhere arrives: show the table below the dragging window.
        SetWindowPos(state.window, GetForegroundWindow(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        state.cellEditor.Cancel();
        MSG pending;
        PeekMessageW(&pending, state.window, WM_COMMAND, WM_COMMAND, PM_REMOVE);
        state.editor.doc.table.ClearSelection();
        state.table.SyncFromTable();
      }
      return drag.TrackRemote(state.table.Handle()) ? kExchangeReady : 0;
    }
    case 2:
      drag.EndRemote();
      return 0;
    case 1: {
      const std::size_t drop = drag.DropPositionNow();
      const bool tracked = drag.Remote();
      drag.EndRemote();
      const bool sibling = lParam != 0;
      if (busy || !tracked || !PeerExists(state.window, sibling)) return 0;
      Receive(state, Loaded(sibling ? kSiblingProductString : kProductNameString),
              sibling ? TransferLayout::SiblingDrag : TransferLayout::OwnDrag, drop);
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace wayloom
