// A web server on 127.0.0.1 for the tests of the web clients: each connection gets one
// canned response (or none: the connection is closed at once) and the request is kept.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "TestSupport.h"

namespace wayloom::testing {

class LocalServer {
 public:
  explicit LocalServer(std::string response, int connections = 1) : response_(std::move(response)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(listener_, 4);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, connections] {
      for (int i = 0; i < connections; ++i) Serve();
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
  void Serve() {
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) return;
    char buffer[4096];
    while (request_.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request_.append(buffer, static_cast<std::size_t>(n));
    }
    for (std::size_t sent = 0; sent < response_.size();) {
      const ssize_t n = ::send(client, response_.data() + sent, response_.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    ::close(client);
  }

  std::string response_, request_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace wayloom::testing
