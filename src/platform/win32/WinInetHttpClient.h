// HttpClient with WinINet: a session with the preconfigured proxy, plain GETs of
// complete addresses with no extra headers and no flags.
#pragma once

#include "platform/HttpClient.h"

namespace wayloom {

class WinInetHttpClient : public HttpClient {
 public:
  std::unique_ptr<HttpSession> OpenSession(TextView agent) override;
};

}  // namespace wayloom
