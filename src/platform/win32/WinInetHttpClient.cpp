#include "platform/win32/WinInetHttpClient.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <string>

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

// The body as a reader thread receives it, so that a read can give up waiting while the
// thread stays blocked in InternetReadFile. Shared by the request and the thread; the last
// one to let go frees it, so a request dropped while the server stalls does not wait.
struct BackgroundBody {
  explicit BackgroundBody(HINTERNET request) : handle(request) {
    InitializeCriticalSection(&lock);
    arrived = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~BackgroundBody() {
    InternetCloseHandle(handle);
    CloseHandle(arrived);
    DeleteCriticalSection(&lock);
  }
  void Release() {
    if (InterlockedDecrement(&owners) == 0) delete this;
  }

  HINTERNET handle;
  CRITICAL_SECTION lock;
  HANDLE arrived;  // set while data or the end is waiting
  std::string data;
  bool ended = false, failed = false;
  LONG owners = 2;
};

DWORD WINAPI ReceiveBody(void* parameter) {
  auto* body = static_cast<BackgroundBody*>(parameter);
  char block[1024];  // small reads: a slow server's bytes show as they come
  for (bool more = true; more;) {
    DWORD got = 0;
    const BOOL ok = InternetReadFile(body->handle, block, sizeof block, &got);
    EnterCriticalSection(&body->lock);
    if (!ok || got == 0) {
      body->ended = true;
      body->failed = !ok;
      more = false;
    } else {
      body->data.append(block, got);
    }
    // Only the request's own reads follow: once it is gone nothing more is wanted.
    if (body->owners == 1) more = false;
    SetEvent(body->arrived);
    LeaveCriticalSection(&body->lock);
  }
  body->Release();
  return 0;
}

class WinInetRequest : public HttpRequest {
 public:
  explicit WinInetRequest(HINTERNET handle) : handle_(handle) {}
  ~WinInetRequest() override {
    if (body_) body_->Release();
    else if (handle_) InternetCloseHandle(handle_);
  }

  long Read(char* buffer, std::size_t size) override {
    if (body_) return ReadWithin(buffer, size, INFINITE);
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
    DWORD got = 0;
    if (!InternetReadFile(handle_, buffer, wanted, &got)) return -1;
    return static_cast<long>(got);
  }

  int Status() override {
    DWORD status = 0, size = sizeof status;
    HINTERNET handle = body_ ? body_->handle : handle_;
    if (!handle || !HttpQueryInfoW(handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
      return 200;  // not HTTP (a file or FTP address): nothing to tell
    return static_cast<int>(status);
  }

  long ReadWithin(char* buffer, std::size_t size, std::uint32_t waitMilliseconds) override {
    if (!body_ && !StartReceiving()) return Read(buffer, size);
    WaitForSingleObject(body_->arrived, waitMilliseconds);
    EnterCriticalSection(&body_->lock);
    long result = kReadPending;
    if (!body_->data.empty()) {
      const std::size_t count = std::min(size, body_->data.size());
      std::copy_n(body_->data.data(), count, buffer);
      body_->data.erase(0, count);
      result = static_cast<long>(count);
    } else if (body_->ended) {
      result = body_->failed ? -1 : 0;
    }
    if (body_->data.empty() && !body_->ended) ResetEvent(body_->arrived);
    LeaveCriticalSection(&body_->lock);
    return result;
  }

 private:
  bool StartReceiving() {
    body_ = new BackgroundBody(handle_);
    HANDLE thread = CreateThread(nullptr, 0, ReceiveBody, body_, 0, nullptr);
    if (!thread) {
      body_->handle = nullptr;
      body_->owners = 1;
      body_->Release();
      body_ = nullptr;
      return false;
    }
    CloseHandle(thread);
    return true;
  }

  HINTERNET handle_;
  BackgroundBody* body_ = nullptr;  // once ReadWithin was used: the body owns the handle
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
