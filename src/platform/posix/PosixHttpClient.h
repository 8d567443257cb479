// HttpClient over POSIX sockets for plain http:// addresses (one HTTP/1.0 GET per request,
// the connection closed by the server). https:// and other schemes cannot be opened.
#pragma once

#include "platform/HttpClient.h"

namespace wayloom {

class PosixHttpClient : public HttpClient {
 public:
  std::unique_ptr<HttpSession> OpenSession(TextView agent) override;
};

}  // namespace wayloom
