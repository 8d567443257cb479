// Synchronous HTTP GET for the web services (distance matrix, and later lookups and
// downloads). A session is opened with an agent string; a request is opened for a URL and
// its body read in pieces, so that the caller can poll Esc between reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/Text.h"

namespace wayloom {

class HttpRequest {
 public:
  virtual ~HttpRequest() = default;
  // Reads up to size bytes of the body into buffer; returns the count, 0 at the end,
  // -1 on a failure.
  virtual long Read(char* buffer, std::size_t size) = 0;
  // Like Read, but returns kReadPending when nothing arrived within waitMilliseconds, so
  // that a stalled server leaves the caller free to poll Esc. By default it waits as Read.
  static constexpr long kReadPending = -2;
  virtual long ReadWithin(char* buffer, std::size_t size, std::uint32_t waitMilliseconds) {
    return Read(buffer, size);
  }
  // The reply's HTTP status code (429: too many requests); 200 when it cannot tell.
  virtual int Status() { return 200; }
};

class HttpSession {
 public:
  virtual ~HttpSession() = default;
  // Opens url (no extra headers, no flags); nullptr when it cannot be opened.
  virtual std::unique_ptr<HttpRequest> OpenUrl(TextView url) = 0;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // Opens an internet session (preconfigured proxy); nullptr on failure.
  virtual std::unique_ptr<HttpSession> OpenSession(TextView agent) = 0;
};

}  // namespace wayloom
