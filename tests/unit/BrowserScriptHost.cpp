#include "BrowserScriptHost.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace wayloom::testing {

namespace {

constexpr int kStartTimeout = 90000;    // Chromium's first start on a busy machine
constexpr int kRequestTimeout = 30000;
const char* const kChromium = "/usr/bin/chromium";

std::string SourceDir() { return WAYLOOM_SOURCE_DIR; }

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The JSON string starting at text[at] (its opening quote), decoded to UTF-8.
std::optional<std::string> JsonStringAt(const std::string& text, std::size_t at) {
  if (at >= text.size() || text[at] != '"') return std::nullopt;
  std::string out;
  for (std::size_t i = at + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') return out;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i >= text.size()) return std::nullopt;
    switch (text[i]) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'u': {
        const auto hex = [&](std::size_t from) -> std::optional<std::uint32_t> {
          if (from + 4 > text.size()) return std::nullopt;
          return static_cast<std::uint32_t>(std::stoul(text.substr(from, 4), nullptr, 16));
        };
        std::optional<std::uint32_t> code = hex(i + 1);
        if (!code) return std::nullopt;
        i += 4;
        if (*code >= 0xD800 && *code <= 0xDBFF && i + 6 < text.size() && text[i + 1] == '\\' && text[i + 2] == 'u') {
          const std::optional<std::uint32_t> low = hex(i + 3);
          if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
            code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
            i += 6;
          }
        }
        AppendUtf8(out, *code);
        break;
      }
      default: out += text[i];
    }
  }
  return std::nullopt;
}

}  // namespace

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      static const char kDigits[] = "0123456789abcdef";
      out += "\\u00";
      out += kDigits[u >> 4];
      out += kDigits[u & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string BrowserScriptHost::MissingTools() {
  if (std::system("node --version >/dev/null 2>&1") != 0) return "node is not installed";
  if (::access(kChromium, X_OK) != 0) return std::string(kChromium) + " is not installed";
  if (!std::filesystem::exists(SourceDir() + "/node_modules/playwright-core"))
    return "node_modules/playwright-core is missing (npm ci)";
  return "";
}

BrowserScriptHost::~BrowserScriptHost() { Stop(); }

bool BrowserScriptHost::Start(const std::string& pageFile, std::string& error) {
  ::signal(SIGPIPE, SIG_IGN);  // a relay that died answers "no answer", not a dead test
  int input[2], output[2];
  if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
    error = "no pipes";
    return false;
  }
  const std::string relay = SourceDir() + "/tests/map/relay.mjs";
  pid_ = ::fork();
  if (pid_ == 0) {
    ::setpgid(0, 0);  // the relay and its browser form one group, ended together
    ::dup2(input[0], 0);
    ::dup2(output[1], 1);
    ::chdir(SourceDir().c_str());
    ::execlp("node", "node", relay.c_str(), pageFile.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(input[0]);
  ::close(output[1]);
  toRelay_ = input[1];
  fromRelay_ = output[0];
  if (pid_ < 0) {
    error = "fork failed";
    Stop();
    return false;
  }
  std::string line;
  if (!ReadLine(line, kStartTimeout) || line.find("\"ready\":true") == std::string::npos) {
    error = "the relay did not open the page: " + line;
    Stop();
    return false;
  }
  return true;
}

void BrowserScriptHost::Stop() {
  if (toRelay_ >= 0) ::close(toRelay_);  // end of input: the relay closes the browser and exits
  toRelay_ = -1;
  if (pid_ > 0) {
    int status = 0;
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
      ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
      if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!ended) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
  }
  pid_ = -1;
  if (fromRelay_ >= 0) ::close(fromRelay_);
  fromRelay_ = -1;
}

bool BrowserScriptHost::ReadLine(std::string& line, int timeoutMilliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
  for (;;) {
    const std::size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || fromRelay_ < 0) return false;
    pollfd wait{fromRelay_, POLLIN, 0};
    if (::poll(&wait, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[65536];
    const ssize_t n = ::read(fromRelay_, buffer, sizeof buffer);
    if (n <= 0) return false;
    pending_.append(buffer, static_cast<std::size_t>(n));
  }
}

std::optional<std::string> BrowserScriptHost::Request(const std::string& json) {
  if (toRelay_ < 0) return std::nullopt;
  const std::string line = json + "\n";
  for (std::size_t sent = 0; sent < line.size();) {
    const ssize_t n = ::write(toRelay_, line.data() + sent, line.size() - sent);
    if (n <= 0) return std::nullopt;
    sent += static_cast<std::size_t>(n);
  }
  std::string answer;
  if (!ReadLine(answer, kRequestTimeout)) {
    errors_ += "no answer to " + json + "\n";
    return std::nullopt;
  }
  if (answer.rfind("{\"ok\":true,\"result\":", 0) != 0) {
    errors_ += json + " -> " + answer + "\n";
    return std::nullopt;
  }
  return JsonStringAt(answer, answer.find(':', answer.find("result")) + 1);
}

std::optional<Text> BrowserScriptHost::Call(TextView name, const std::vector<ScriptArg>& args) {
  std::string json = "{\"call\":" + JsonString(TextToUtf8(name)) + ",\"args\":[";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i > 0) json += ',';
    if (const int* number = std::get_if<int>(&args[i]))
      json += std::to_string(*number);
    else
      json += JsonString(TextToUtf8(std::get<Text>(args[i])));
  }
  json += "]}";
  const std::optional<std::string> result = Request(json);
  if (!result) return std::nullopt;
  return Utf8ToText(*result);
}

std::optional<std::string> BrowserScriptHost::Eval(const std::string& expression) {
  return Request("{\"eval\":" + JsonString(expression) + "}");
}

bool BrowserScriptHost::Click(const std::string& selector) {
  return Request("{\"click\":" + JsonString(selector) + "}").has_value();
}

bool BrowserScriptHost::ClickAt(int x, int y) {
  return Request("{\"clickAt\":[" + std::to_string(x) + "," + std::to_string(y) + "]}").has_value();
}

bool BrowserScriptHost::Drag(const std::string& selector, int dx, int dy) {
  return Request("{\"drag\":" + JsonString(selector) + ",\"dx\":" + std::to_string(dx) + ",\"dy\":" + std::to_string(dy) +
                 "}")
      .has_value();
}

bool BrowserScriptHost::Screenshot(const std::string& pngPath) {
  return Request("{\"screenshot\":" + JsonString(pngPath) + "}").has_value();
}

}  // namespace wayloom::testing
