#include "signcore/crypto/http_fetch.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace vexamor::signcore {
namespace {

constexpr DWORD kErrorFileTooLarge = 223;  // "The file size exceeds the limit allowed ..."
constexpr long kRedirectLimit = 3;

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// libcurl's global set-up is not safe to race with the first easy handle of another thread.
void initialiseOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Sink {
  std::string* body;
  size_t maxBytes;
  bool overflowed = false;
};

size_t collect(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  const size_t n = size * count;
  if (n > sink->maxBytes - sink->body->size()) {
    sink->overflowed = true;
    return 0;  // makes libcurl stop with a write error
  }
  sink->body->append(data, n);
  return n;
}

HttpResponse exchange(const std::string& url, const std::string* contentType,
                      std::string_view postBody, const HttpLimits& limits) {
  initialiseOnce();
  HttpResponse response;
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl) {
    response.problem = "no memory for the request";
    return response;
  }
  Sink sink{&response.body, limits.maxBytes};
  const long timeoutMs = limits.timeoutMs > 0 ? limits.timeoutMs : 1;
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, kRedirectLimit);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, timeoutMs);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);  // threads: no SIGALRM for name look-ups
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(c, CURLOPT_USERAGENT, "Vexamor DxSignCore");
  std::unique_ptr<curl_slist, SlistDeleter> headers;
  if (contentType != nullptr) {
    headers.reset(curl_slist_append(nullptr, ("Content-Type: " + *contentType).c_str()));
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, postBody.data());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody.size()));
  }

  const CURLcode code = curl_easy_perform(c);
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &response.status);
  if (code == CURLE_OK && response.status == 200) {
    response.failure = HttpFailure::kNone;
    return response;
  }
  response.body.clear();
  if (code == CURLE_OK) {
    response.failure = HttpFailure::kStatus;
    response.problem = "the server answered with status " + std::to_string(response.status);
  } else if (code == CURLE_OPERATION_TIMEDOUT) {
    response.failure = HttpFailure::kTimeout;
    response.problem = "timed out after " + std::to_string(timeoutMs) + " ms";
  } else if (code == CURLE_FILESIZE_EXCEEDED || sink.overflowed) {
    response.failure = HttpFailure::kTooLarge;
    response.problem = "the answer is longer than " + std::to_string(limits.maxBytes) + " bytes";
  } else if (code == CURLE_UNSUPPORTED_PROTOCOL || code == CURLE_URL_MALFORMAT) {
    response.failure = HttpFailure::kRefusedUrl;
    response.problem = "not an http or https URL";
  } else {
    response.failure =
        code == CURLE_COULDNT_RESOLVE_HOST ? HttpFailure::kNoSuchHost : HttpFailure::kUnreachable;
    response.problem = curl_easy_strerror(code);
  }
  return response;
}

}  // namespace

HttpResponse httpGet(const std::string& url, const HttpLimits& limits) {
  return exchange(url, nullptr, {}, limits);
}

HttpResponse httpPost(const std::string& url, std::string_view contentType, std::string_view body,
                      const HttpLimits& limits) {
  const std::string type(contentType);
  return exchange(url, &type, body, limits);
}

HRESULT httpFailureCode(const HttpResponse& response) {
  switch (response.failure) {
    case HttpFailure::kNone:
      return S_OK;
    case HttpFailure::kTimeout:
      return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    case HttpFailure::kNoSuchHost:
      return HRESULT_FROM_WIN32(ERROR_HOST_UNREACHABLE);
    case HttpFailure::kTooLarge:
      return HRESULT_FROM_WIN32(kErrorFileTooLarge);
    case HttpFailure::kRefusedUrl:
      return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    case HttpFailure::kStatus:
    case HttpFailure::kUnreachable:
      break;
  }
  return CO_E_REMOTE_COMMUNICATION_FAILURE;
}

int tryEachUrl(const std::vector<std::string>& urls, const UrlAttempt& attempt,
               std::vector<std::string>* failures) {
  for (size_t i = 0; i < urls.size(); ++i) {
    std::string why;
    if (attempt(urls[i], &why)) return static_cast<int>(i);
    failures->push_back(urls[i] + ": " + why);
  }
  return -1;
}

}  // namespace vexamor::signcore
