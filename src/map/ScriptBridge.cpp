#include "map/ScriptBridge.h"

namespace wayloom {

ScriptBridge::ScriptBridge(CommandContext& context, CellEditor& cellEditor, MapPane& pane)
    : context_(context), cellEditor_(cellEditor), pane_(pane) {}

void ScriptBridge::PageNavigated(ScriptHost* host) {
  host_ = host;
  pageReady_ = false;
}

void ScriptBridge::Poll() {}
void ScriptBridge::StatusTextChanged(TextView text, bool splitterDragging) {}
void ScriptBridge::SyncAll(const DocumentState& doc) {}
void ScriptBridge::SelectEntry(const DocumentState& doc) {}
void ScriptBridge::SetOption(int option) {}
void ScriptBridge::CloseInfo() {}
void ScriptBridge::FlushNames() {}
std::optional<Text> ScriptBridge::Put(const std::vector<ScriptArg>& args) { return std::nullopt; }

}  // namespace wayloom
