// The map page's script as the program reaches it: a global function of the page called by
// name with integer and text arguments. The Win32 shell implements it over the browser
// control's document; the end-to-end tests over a headless browser.
#pragma once

#include <optional>
#include <variant>
#include <vector>

#include "core/Text.h"

namespace wayloom {

using ScriptArg = std::variant<int, Text>;

class ScriptHost {
 public:
  virtual ~ScriptHost() = default;
  // Calls the page's global function name with args. Its result as text: a number as
  // decimal digits, a text as it is, nothing (undefined, null) as "". nullopt when the
  // page, the name or the call failed.
  virtual std::optional<Text> Call(TextView name, const std::vector<ScriptArg>& args) = 0;
};

}  // namespace wayloom
