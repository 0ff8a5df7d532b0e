// HTTP exchanges against a server of the test's own on the loopback address: what comes back,
// and what a slow, down or hostile server costs.
#include "signcore/crypto/http_fetch.h"

#include <gtest/gtest.h>

#include <chrono>

#include "signcore/crypto/testing/loopback_http_server.h"

namespace vexamor::signcore {
namespace {

using testing::LoopbackHttpServer;
using Behaviour = LoopbackHttpServer::Behaviour;
using Reply = LoopbackHttpServer::Reply;
using Request = LoopbackHttpServer::Request;

class HttpFetch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.listening());
    server_.handle("/echo", [](const Request& request) {
      return Reply{200, "text/plain",
                   request.method + " " + request.contentType + " " + request.body};
    });
  }

  LoopbackHttpServer server_;
  HttpLimits limits_{2000, 1024};
};

long elapsedMs(std::chrono::steady_clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - start)
                               .count());
}

TEST_F(HttpFetch, GetAndPostCarryTheirBodies) {
  const HttpResponse got = httpGet(server_.url("/echo"), limits_);
  ASSERT_TRUE(got.ok()) << got.problem;
  EXPECT_EQ(got.status, 200);
  EXPECT_EQ(got.body, "GET  ");
  EXPECT_EQ(httpFailureCode(got), S_OK);

  const std::string binary("\x30\x00\xFF request", 11);
  const HttpResponse posted =
      httpPost(server_.url("/echo"), "application/timestamp-query", binary, limits_);
  ASSERT_TRUE(posted.ok()) << posted.problem;
  EXPECT_EQ(posted.body, "POST application/timestamp-query " + binary);
}

TEST_F(HttpFetch, AnswersOtherThanOkAreFailures) {
  server_.handle("/error", [](const Request&) { return Reply{500, "text/plain", "broken"}; });
  const HttpResponse error = httpGet(server_.url("/error"), limits_);
  EXPECT_EQ(error.failure, HttpFailure::kStatus);
  EXPECT_EQ(error.status, 500);
  EXPECT_EQ(error.body, "");  // an error page is never taken for the answer
  EXPECT_EQ(httpFailureCode(error), CO_E_REMOTE_COMMUNICATION_FAILURE);

  EXPECT_EQ(httpGet(server_.url("/nowhere"), limits_).failure, HttpFailure::kStatus);

  server_.setBehaviour("/echo", Behaviour::kHangUp);
  EXPECT_EQ(httpGet(server_.url("/echo"), limits_).failure, HttpFailure::kUnreachable);
}

TEST_F(HttpFetch, BodiesOverTheCapAreAbandoned) {
  server_.handle("/big", [](const Request&) { return Reply{200, "x", std::string(1025, 'b')}; });
  const HttpResponse big = httpGet(server_.url("/big"), limits_);
  EXPECT_EQ(big.failure, HttpFailure::kTooLarge);
  EXPECT_EQ(httpFailureCode(big), HRESULT_FROM_WIN32(223));
  server_.handle("/exact", [](const Request&) { return Reply{200, "x", std::string(1024, 'b')}; });
  EXPECT_TRUE(httpGet(server_.url("/exact"), limits_).ok());

  // No length given: the reading stops at the cap, not at the end of a body without end.
  server_.setBehaviour("/endless", Behaviour::kEndlessBody);
  const auto start = std::chrono::steady_clock::now();
  const HttpResponse endless = httpGet(server_.url("/endless"), HttpLimits{20000, 1 << 20});
  EXPECT_EQ(endless.failure, HttpFailure::kTooLarge) << endless.problem;
  EXPECT_LT(elapsedMs(start), 10000);
  EXPECT_EQ(endless.body.size(), 0u);
}

TEST_F(HttpFetch, ASilentServerCostsTheTimeOut) {
  server_.setBehaviour("/silent", Behaviour::kNeverAnswer);
  const auto start = std::chrono::steady_clock::now();
  const HttpResponse silent = httpGet(server_.url("/silent"), HttpLimits{300, 1024});
  const long ms = elapsedMs(start);
  EXPECT_EQ(silent.failure, HttpFailure::kTimeout);
  EXPECT_EQ(silent.problem, "timed out after 300 ms");
  EXPECT_EQ(httpFailureCode(silent), HRESULT_FROM_WIN32(ERROR_TIMEOUT));
  EXPECT_GE(ms, 250);
  EXPECT_LT(ms, 5000);
}

TEST_F(HttpFetch, AStoppedServerRefusesAtOnce) {
  const std::string url = server_.url("/echo");
  server_.stop();
  const HttpResponse down = httpGet(url, HttpLimits{5000, 1024});
  EXPECT_EQ(down.failure, HttpFailure::kUnreachable);
  EXPECT_EQ(httpFailureCode(down), CO_E_REMOTE_COMMUNICATION_FAILURE);
}

// URLs come from certificates that anyone can make: they must never reach a local file or
// another kind of server, not even through a redirect.
TEST_F(HttpFetch, OnlyHttpAndHttpsAreSpoken) {
  for (const char* url : {"file:///etc/hostname", "ftp://127.0.0.1/crl", "dict://127.0.0.1/",
                          "ldap://127.0.0.1/cn=crl", "not a url"}) {
    const HttpResponse refused = httpGet(url, limits_);
    EXPECT_EQ(refused.failure, HttpFailure::kRefusedUrl) << url << ": " << refused.problem;
    EXPECT_EQ(httpFailureCode(refused), HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
  }
  server_.handle("/to-file", [](const Request&) {
    return Reply{302, "text/plain", "", "Location: file:///etc/hostname\r\n"};
  });
  const HttpResponse redirected = httpGet(server_.url("/to-file"), limits_);
  EXPECT_FALSE(redirected.ok());
  EXPECT_EQ(redirected.body, "");

  server_.handle("/to-echo", [this](const Request&) {
    return Reply{302, "text/plain", "", "Location: " + server_.url("/echo") + "\r\n"};
  });
  const HttpResponse followed = httpGet(server_.url("/to-echo"), limits_);
  ASSERT_TRUE(followed.ok()) << followed.problem;
  EXPECT_EQ(followed.body, "GET  ");
}

TEST_F(HttpFetch, UrlsAreTriedInTurnUntilOneSucceeds) {
  server_.handle("/error", [](const Request&) { return Reply{503, "text/plain", ""}; });
  const std::vector<std::string> urls = {server_.url("/error"), server_.url("/echo"),
                                         server_.url("/never-tried")};
  std::vector<std::string> failures;
  const int used = tryEachUrl(
      urls,
      [this](const std::string& url, std::string* why) {
        const HttpResponse response = httpGet(url, limits_);
        *why = response.problem;
        return response.ok();
      },
      &failures);
  EXPECT_EQ(used, 1);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0], urls[0] + ": the server answered with status 503");
  EXPECT_EQ(server_.requests("/never-tried"), 0);

  failures.clear();
  EXPECT_EQ(
      tryEachUrl(
          urls, [](const std::string&, std::string* why) { return *why = "no", false; }, &failures),
      -1);
  EXPECT_EQ(failures.size(), 3u);
}

}  // namespace
}  // namespace vexamor::signcore
