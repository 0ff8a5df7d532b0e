// HTTP and HTTPS exchanges for time-stamp requests and revocation data. Every exchange is
// bounded in time and in size, so that a slow or hostile server costs at most the time-out and
// the size cap; and only http and https are spoken, also after a redirect, so that a URL taken
// from a certificate never reads a local file or reaches another kind of server.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/win32_types.h"

namespace vexamor::signcore {

struct HttpLimits {
  long timeoutMs = 10000;             // the whole exchange, connecting and redirects included
  size_t maxBytes = size_t{1} << 20;  // a longer body is abandoned, not read on
};

enum class HttpFailure {
  kNone,
  kTimeout,      // the time-out passed first
  kTooLarge,     // the body would pass maxBytes
  kStatus,       // the server answered with a status other than 200
  kNoSuchHost,   // the host name cannot be found
  kUnreachable,  // no connection, or the connection broke
  kRefusedUrl,   // not an http or https URL, or not a URL at all
};

struct HttpResponse {
  HttpFailure failure = HttpFailure::kUnreachable;
  long status = 0;  // the HTTP status, when an answer came
  std::string body;
  std::string problem;  // why it failed, in words: "timed out after 500 ms"

  bool ok() const { return failure == HttpFailure::kNone; }
};

HttpResponse httpGet(const std::string& url, const HttpLimits& limits);
HttpResponse httpPost(const std::string& url, std::string_view contentType, std::string_view body,
                      const HttpLimits& limits);

// The code a failed exchange is reported with: a time-out 0x800705B4, a host that cannot be
// found 0x800704D0 (as the time server reports them), a body over the cap
// HRESULT_FROM_WIN32(223), a refused URL HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED), anything
// else 0x8000401D. S_OK for a successful one.
HRESULT httpFailureCode(const HttpResponse& response);

// Runs `attempt` on each URL in turn until one succeeds, and gives that URL's index; -1 when
// none did. Each URL that failed adds "<url>: <why>" to `failures`.
using UrlAttempt = std::function<bool(const std::string& url, std::string* why)>;
int tryEachUrl(const std::vector<std::string>& urls, const UrlAttempt& attempt,
               std::vector<std::string>* failures);

}  // namespace vexamor::signcore
