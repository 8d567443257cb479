#include "platform/posix/PosixHttpClient.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string>

namespace wayloom {

namespace {

constexpr int kTimeoutSeconds = 30;
constexpr std::size_t kMaxHeaderBytes = 65536;

struct HttpAddress {
  std::string host;
  std::string port = "80";
  std::string path = "/";
};

// "http://host[:port][/path]" (scheme without regard to case); false for anything else.
bool ParseHttpAddress(const std::string& url, HttpAddress& address) {
  const std::string scheme = "http://";
  if (url.size() < scheme.size()) return false;
  for (std::size_t i = 0; i < scheme.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(url[i])) != scheme[i]) return false;
  const std::size_t hostStart = scheme.size();
  const std::size_t pathStart = url.find('/', hostStart);
  std::string authority = url.substr(hostStart, pathStart == std::string::npos ? std::string::npos : pathStart - hostStart);
  if (pathStart != std::string::npos) address.path = url.substr(pathStart);
  const std::size_t colon = authority.rfind(':');
  if (colon != std::string::npos) {
    address.port = authority.substr(colon + 1);
    authority.resize(colon);
    if (address.port.empty() || address.port.find_first_not_of("0123456789") != std::string::npos) return false;
  }
  address.host = authority;
  if (address.host.empty()) return false;
  for (char c : url)
    if (static_cast<unsigned char>(c) <= ' ') return false;  // no request line splitting
  return true;
}

int Connect(const HttpAddress& address) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(address.host.c_str(), address.port.c_str(), &hints, &found) != 0) return -1;
  int socket = -1;
  for (addrinfo* candidate = found; candidate && socket < 0; candidate = candidate->ai_next) {
    socket = ::socket(candidate->ai_family, candidate->ai_socktype, candidate->ai_protocol);
    if (socket < 0) continue;
    timeval timeout{kTimeoutSeconds, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (::connect(socket, candidate->ai_addr, candidate->ai_addrlen) != 0) {
      ::close(socket);
      socket = -1;
    }
  }
  ::freeaddrinfo(found);
  return socket;
}

bool SendAll(int socket, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

class PosixHttpRequest : public HttpRequest {
 public:
  PosixHttpRequest(int socket, std::string pending, int status)
      : socket_(socket), pending_(std::move(pending)), status_(status) {}
  ~PosixHttpRequest() override { ::close(socket_); }

  long Read(char* buffer, std::size_t size) override {
    if (size == 0) return 0;
    if (offset_ < pending_.size()) {
      const std::size_t n = std::min(size, pending_.size() - offset_);
      pending_.copy(buffer, n, offset_);
      offset_ += n;
      return static_cast<long>(n);
    }
    for (;;) {
      const ssize_t n = ::recv(socket_, buffer, std::min<std::size_t>(size, 1 << 20), 0);
      if (n < 0 && errno == EINTR) continue;
      return n < 0 ? -1 : static_cast<long>(n);
    }
  }
  int Status() override { return status_; }

 private:
  int socket_;
  std::string pending_;  // body bytes read with the header
  std::size_t offset_ = 0;
  int status_;
};

// The code of a status line "HTTP/1.x NNN ..."; 200 when it has none.
int StatusCode(const std::string& header) {
  const std::size_t space = header.find(' ');
  if (space == std::string::npos || space + 4 > header.size()) return 200;
  int code = 0;
  for (std::size_t i = space + 1; i < space + 4; ++i) {
    if (header[i] < '0' || header[i] > '9') return 200;
    code = code * 10 + (header[i] - '0');
  }
  return code;
}

class PosixHttpSession : public HttpSession {
 public:
  explicit PosixHttpSession(std::string agent) : agent_(std::move(agent)) {}

  std::unique_ptr<HttpRequest> OpenUrl(TextView url) override {
    HttpAddress address;
    if (!ParseHttpAddress(TextToUtf8(url), address)) return nullptr;
    const int socket = Connect(address);
    if (socket < 0) return nullptr;
    const std::string hostHeader = address.port == "80" ? address.host : address.host + ":" + address.port;
    const std::string request = "GET " + address.path + " HTTP/1.0\r\nHost: " + hostHeader + "\r\nUser-Agent: " +
                                agent_ + "\r\nConnection: close\r\n\r\n";
    std::string received;
    std::size_t headerEnd = std::string::npos;
    if (SendAll(socket, request)) {
      char buffer[4096];
      while (headerEnd == std::string::npos && received.size() < kMaxHeaderBytes) {
        const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        received.append(buffer, static_cast<std::size_t>(n));
        headerEnd = received.find("\r\n\r\n");
      }
    }
    // Any answer with a status line opens, as the Windows client opens error pages too.
    if (headerEnd == std::string::npos || received.compare(0, 5, "HTTP/") != 0) {
      ::close(socket);
      return nullptr;
    }
    return std::make_unique<PosixHttpRequest>(socket, received.substr(headerEnd + 4), StatusCode(received));
  }

 private:
  std::string agent_;
};

}  // namespace

std::unique_ptr<HttpSession> PosixHttpClient::OpenSession(TextView agent) {
  std::string name = TextToUtf8(agent);
  for (char& c : name)
    if (c == '\r' || c == '\n') c = ' ';
  return std::make_unique<PosixHttpSession>(std::move(name));
}

}  // namespace wayloom
