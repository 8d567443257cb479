// A web server on 127.0.0.1 for the tests of the web clients: each connection gets one
// canned response (or none: the connection is closed at once) and the request is kept.
// Given a list, the connections get its responses in turn.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"

namespace wayloom::testing {

// A listening socket on 127.0.0.1 at a free port.
inline int ListenOnLoopback(int backlog, int& port) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ::bind(listener, reinterpret_cast<sockaddr*>(&address), size);
  ::listen(listener, backlog);
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
  port = ntohs(address.sin_port);
  return listener;
}

class LocalServer {
 public:
  explicit LocalServer(std::string response, int connections = 1)
      : LocalServer(std::vector<std::string>(static_cast<std::size_t>(connections), response)) {}
  explicit LocalServer(std::vector<std::string> responses) : responses_(std::move(responses)) {
    listener_ = ListenOnLoopback(4, port_);
    thread_ = std::thread([this] {
      for (const std::string& response : responses_) Serve(response);
    });
  }
  ~LocalServer() {
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }
  Text Url(const std::string& path) const { return AsciiToText("http://127.0.0.1:" + std::to_string(port_) + path); }
  const std::string& request() {
    if (thread_.joinable()) thread_.join();
    return request_;
  }

 private:
  void Serve(const std::string& response) {
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) return;
    char buffer[4096];
    std::string request;
    while (request.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
    }
    request_ += request;
    for (std::size_t sent = 0; sent < response.size();) {
      const ssize_t n = ::send(client, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    ::close(client);
  }

  std::vector<std::string> responses_;
  std::string request_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace wayloom::testing
