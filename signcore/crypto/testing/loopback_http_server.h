// A small HTTP server on 127.0.0.1 for tests of what fetches over HTTP: time-stamp requests,
// OCSP requests, CRLs. Each path has a handler and a behaviour, so that one server can answer
// well on one path and misbehave on another (never answer, send without end, hang up).
//
//   LoopbackHttpServer server;
//   server.handle("/tsa", [&](const auto& request) { return Reply{200, "...", answer}; });
//   fetch(server.url("/tsa"));
//
// One thread serves connections one at a time; connections that are held open (kNeverAnswer)
// stay open until the server stops. stop() closes the listening socket, so that later
// connections are refused, as with a server that is down.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vexamor::signcore::testing {

class LoopbackHttpServer {
 public:
  struct Request {
    std::string method;
    std::string path;
    std::string contentType;
    std::string body;
  };
  struct Reply {
    Reply(int status = 200, std::string contentType = "application/octet-stream",
          std::string body = {}, std::string extraHeaders = {})
        : status(status),
          contentType(std::move(contentType)),
          body(std::move(body)),
          extraHeaders(std::move(extraHeaders)) {}

    int status;
    std::string contentType;
    std::string body;
    std::string extraHeaders;  // whole lines: "Location: http://...\r\n"
  };
  using Handler = std::function<Reply(const Request&)>;

  enum class Behaviour {
    kAnswer,       // the handler's reply
    kNeverAnswer,  // read the request, then keep the connection open without a byte
    kEndlessBody,  // a 200 reply whose body goes on until the client hangs up
    kHangUp,       // read the request and close the connection
  };

  LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;
  ~LoopbackHttpServer();

  bool listening() const { return listenFd_ >= 0; }
  // "http://127.0.0.1:<port><path>"
  std::string url(const std::string& path) const;

  void handle(const std::string& path, Handler handler);
  void setBehaviour(const std::string& path, Behaviour behaviour);
  // Requests that reached `path` so far.
  int requests(const std::string& path) const;
  // Stops serving and listening; held connections are closed.
  void stop();

 private:
  struct Route {
    Handler handler;
    Behaviour behaviour = Behaviour::kAnswer;
    int requests = 0;
  };

  void serve();
  void answer(int client, std::vector<int>* held);

  int listenFd_ = -1;
  int stopPipe_[2] = {-1, -1};
  unsigned short port_ = 0;
  mutable std::mutex mutex_;
  std::map<std::string, Route> routes_;
  std::thread thread_;
};

}  // namespace vexamor::signcore::testing
