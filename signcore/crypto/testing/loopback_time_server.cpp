#include "signcore/crypto/testing/loopback_time_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include "signcore/crypto/testing/loopback_socket.h"

namespace vexamor::signcore::testing {
namespace {

std::string loopback(unsigned short port) {
  return "127.0.0.1:" + std::to_string(port);
}

}  // namespace

LoopbackTimeServer::LoopbackTimeServer(std::string reply, Behaviour behaviour, unsigned short port)
    : reply_(std::move(reply)), behaviour_(behaviour) {
  listenFd_ = listenOnLoopback(port, 16, &port_);
  if (listenFd_ < 0 || ::pipe2(stopPipe_, O_CLOEXEC) != 0) return;
  thread_ = std::thread([this] { serve(); });
}

LoopbackTimeServer::~LoopbackTimeServer() {
  if (thread_.joinable()) {
    const char stop = 1;
    (void)!::write(stopPipe_[1], &stop, 1);
    thread_.join();
  }
  for (int fd : {listenFd_, stopPipe_[0], stopPipe_[1]}) {
    if (fd >= 0) ::close(fd);
  }
}

std::string LoopbackTimeServer::address() const {
  return loopback(port_);
}

void LoopbackTimeServer::serve() {
  std::vector<int> held;
  for (int client; (client = acceptUntilStopped(listenFd_, stopPipe_[0])) >= 0;) {
    ++connections_;
    switch (behaviour_) {
      case Behaviour::kReply:
        (void)!::send(client, reply_.data(), reply_.size(), MSG_NOSIGNAL);
        break;
      case Behaviour::kReplySlowly:
        for (char c : reply_) {
          (void)!::send(client, &c, 1, MSG_NOSIGNAL);
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        break;
      case Behaviour::kCloseAtOnce:
        break;
      case Behaviour::kNeverAnswer:
        held.push_back(client);
        continue;
    }
    ::close(client);
  }
  for (int fd : held) ::close(fd);
}

BlackHole::BlackHole() {
  listenFd_ = listenOnLoopback(0, 0, &port_);
  if (listenFd_ < 0) return;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port_);
  // Fill the backlog until a connection attempt stays unanswered.
  while (fillerCount_ < static_cast<int>(std::size(fillers_))) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return;
    fillers_[fillerCount_++] = fd;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) continue;
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, 200) == 0) {
      swallowing_ = true;
      return;
    }
  }
}

BlackHole::~BlackHole() {
  for (int i = 0; i < fillerCount_; ++i) ::close(fillers_[i]);
  if (listenFd_ >= 0) ::close(listenFd_);
}

std::string BlackHole::address() const {
  return loopback(port_);
}

}  // namespace vexamor::signcore::testing
