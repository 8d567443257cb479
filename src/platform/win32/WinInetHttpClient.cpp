#include "platform/win32/WinInetHttpClient.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>

#include "platform/win32/WideText.h"

namespace wayloom {

namespace {

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_) InternetCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return handle_; }

 private:
  HINTERNET handle_;
};

class WinInetRequest : public HttpRequest {
 public:
  explicit WinInetRequest(HINTERNET handle) : handle_(handle) {}

  long Read(char* buffer, std::size_t size) override {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
    DWORD got = 0;
    if (!InternetReadFile(handle_.get(), buffer, wanted, &got)) return -1;
    return static_cast<long>(got);
  }

 private:
  InternetHandle handle_;
};

class WinInetSession : public HttpSession {
 public:
  explicit WinInetSession(HINTERNET handle) : handle_(handle) {}

  std::unique_ptr<HttpRequest> OpenUrl(TextView url) override {
    const Text address(url);
    HINTERNET request = InternetOpenUrlW(handle_.get(), WidePointer(address), nullptr, 0, 0, 0);
    if (!request) return nullptr;
    return std::make_unique<WinInetRequest>(request);
  }

 private:
  InternetHandle handle_;
};

}  // namespace

std::unique_ptr<HttpSession> WinInetHttpClient::OpenSession(TextView agent) {
  const Text name(agent);
  HINTERNET session = InternetOpenW(WidePointer(name), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!session) return nullptr;
  return std::make_unique<WinInetSession>(session);
}

}  // namespace wayloom
