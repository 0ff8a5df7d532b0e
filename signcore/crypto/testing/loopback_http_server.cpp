#include "signcore/crypto/testing/loopback_http_server.h"

#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <sys/time.h>

#include <cstdlib>
#include <exception>

#include "signcore/crypto/testing/loopback_socket.h"

namespace vexamor::signcore::testing {
namespace {

constexpr int kReadTimeoutMs = 5000;          // a client that stops sending is dropped
constexpr size_t kRequestLimit = 4u << 20;    // tests never send more
constexpr size_t kEndlessLimit = 256u << 20;  // an endless body ends here after all

bool sendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// Reads more of the request; false when the client is gone, silent too long, or sends too much.
bool readMore(int fd, std::string* buffer) {
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, kReadTimeoutMs) <= 0 || buffer->size() > kRequestLimit) return false;
  char chunk[16384];
  const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
  if (n <= 0) return false;
  buffer->append(chunk, static_cast<size_t>(n));
  return true;
}

std::string header(const std::string& head, const char* name) {
  const std::string key = std::string("\r\n") + name + ":";
  for (size_t at = 0; (at = head.find("\r\n", at)) != std::string::npos; at += 2) {
    if (::strncasecmp(head.c_str() + at, key.c_str(), key.size()) != 0) continue;
    const size_t start = head.find_first_not_of(' ', at + key.size());
    return head.substr(start, head.find("\r\n", start) - start);
  }
  return {};
}

// Reads one request: the head up to the blank line, then Content-Length bytes of body,
// answering "Expect: 100-continue" on the way.
bool readRequest(int fd, LoopbackHttpServer::Request* request) {
  std::string buffer;
  size_t end;
  while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
    if (!readMore(fd, &buffer)) return false;
  }
  const std::string head = buffer.substr(0, end + 2);
  const size_t firstBlank = head.find(' ');
  const size_t secondBlank = head.find(' ', firstBlank + 1);
  if (firstBlank == std::string::npos || secondBlank == std::string::npos) return false;
  request->method = head.substr(0, firstBlank);
  request->path = head.substr(firstBlank + 1, secondBlank - firstBlank - 1);
  request->contentType = header(head, "Content-Type");
  const size_t length = std::strtoul(header(head, "Content-Length").c_str(), nullptr, 10);
  if (::strcasecmp(header(head, "Expect").c_str(), "100-continue") == 0 &&
      !sendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n")) {
    return false;
  }
  request->body = buffer.substr(end + 4);
  while (request->body.size() < length) {
    if (!readMore(fd, &request->body)) return false;
  }
  request->body.resize(length);
  return true;
}

std::string statusLine(int status) {
  const char* reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Error";
  return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer() {
  listenFd_ = listenOnLoopback(0, 16, &port_);
  if (listenFd_ < 0) return;
  if (::pipe2(stopPipe_, O_CLOEXEC) != 0) {
    ::close(listenFd_);
    listenFd_ = -1;
    return;
  }
  thread_ = std::thread([this] { serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  stop();
  for (int fd : {stopPipe_[0], stopPipe_[1]}) {
    if (fd >= 0) ::close(fd);
  }
}

std::string LoopbackHttpServer::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LoopbackHttpServer::handle(const std::string& path, Handler handler) {
  std::lock_guard lock(mutex_);
  routes_[path].handler = std::move(handler);
}

void LoopbackHttpServer::setBehaviour(const std::string& path, Behaviour behaviour) {
  std::lock_guard lock(mutex_);
  routes_[path].behaviour = behaviour;
}

int LoopbackHttpServer::requests(const std::string& path) const {
  std::lock_guard lock(mutex_);
  const auto route = routes_.find(path);
  return route == routes_.end() ? 0 : route->second.requests;
}

void LoopbackHttpServer::stop() {
  if (thread_.joinable()) {
    const char stop = 1;
    (void)!::write(stopPipe_[1], &stop, 1);
    thread_.join();
  }
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    listenFd_ = -1;
  }
}

void LoopbackHttpServer::serve() {
  std::vector<int> held;
  for (int client; (client = acceptUntilStopped(listenFd_, stopPipe_[0])) >= 0;) {
    // A client that stops reading must not hold the server up for good.
    const timeval sendTimeout{kReadTimeoutMs / 1000, 0};
    ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    answer(client, &held);
  }
  for (int fd : held) ::close(fd);
}

void LoopbackHttpServer::answer(int client, std::vector<int>* held) {
  Request request;
  if (!readRequest(client, &request)) {
    ::close(client);
    return;
  }
  Handler handler;
  Behaviour behaviour = Behaviour::kAnswer;
  {
    std::lock_guard lock(mutex_);
    const auto route = routes_.find(request.path);
    if (route != routes_.end()) {
      ++route->second.requests;
      handler = route->second.handler;
      behaviour = route->second.behaviour;
    }
  }
  switch (behaviour) {
    case Behaviour::kNeverAnswer:
      held->push_back(client);
      return;
    case Behaviour::kHangUp:
      break;
    case Behaviour::kEndlessBody: {
      sendAll(client, statusLine(200) + "Content-Type: application/octet-stream\r\n\r\n");
      const std::string chunk(65536, 'x');
      for (size_t sent = 0; sent < kEndlessLimit && sendAll(client, chunk); sent += chunk.size()) {
      }
      break;
    }
    case Behaviour::kAnswer: {
      Reply reply{404, "text/plain", "no such path"};
      try {
        if (handler) reply = handler(request);
      } catch (const std::exception& e) {
        reply = Reply{500, "text/plain", e.what()};
      }
      sendAll(client, statusLine(reply.status) + "Content-Type: " + reply.contentType +
                          "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                          "\r\nConnection: close\r\n" + reply.extraHeaders + "\r\n" + reply.body);
      break;
    }
  }
  ::close(client);
}

}  // namespace vexamor::signcore::testing
