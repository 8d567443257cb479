// A ScriptHost over a real browser: "node tests/map/relay.mjs PAGE" drives Debian's headless
// Chromium through playwright-core, and this host talks to it over pipes, one JSON line per
// request. The end-to-end map tests run the real page and the real bridge through it.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "platform/ScriptHost.h"

namespace wayloom::testing {

class BrowserScriptHost : public ScriptHost {
 public:
  BrowserScriptHost() = default;
  BrowserScriptHost(const BrowserScriptHost&) = delete;
  BrowserScriptHost& operator=(const BrowserScriptHost&) = delete;
  ~BrowserScriptHost() override;

  // Why the browser cannot run here (node, chromium or node_modules missing), or "".
  static std::string MissingTools();

  // Starts the relay on the page file and waits until the page has loaded. False with the
  // reason in error otherwise.
  bool Start(const std::string& pageFile, std::string& error);

  std::optional<Text> Call(TextView name, const std::vector<ScriptArg>& args) override;

  // The value of a script expression as text (UTF-8); nullopt when it failed.
  std::optional<std::string> Eval(const std::string& expression);
  // A real mouse click on the element of the selector.
  bool Click(const std::string& selector);
  bool ClickAt(int x, int y);
  // The element dragged by the mouse by (dx, dy) pixels.
  bool Drag(const std::string& selector, int dx, int dy);
  bool Screenshot(const std::string& pngPath);

  // Every answer the relay refused, for the test's failure messages.
  const std::string& errors() const { return errors_; }

 private:
  std::optional<std::string> Request(const std::string& json);
  bool ReadLine(std::string& line, int timeoutMilliseconds);
  void Stop();

  pid_t pid_ = -1;
  int toRelay_ = -1;
  int fromRelay_ = -1;
  std::string pending_;  // bytes read past the last line
  std::string errors_;
};

// The JSON form of a UTF-8 text, quotes included.
std::string JsonString(std::string_view utf8);

}  // namespace wayloom::testing
