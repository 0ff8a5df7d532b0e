// Time Protocol peers on 127.0.0.1 for tests: a server that answers each connection in a
// chosen way, and a listener that never completes a connection (a black hole).
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace vexamor::signcore::testing {

class LoopbackTimeServer {
 public:
  enum class Behaviour {
    kReply,        // send the reply bytes, then close
    kReplySlowly,  // send the reply one byte at a time, 20 ms apart, then close
    kCloseAtOnce,  // accept and close without a byte
    kNeverAnswer,  // accept and keep the connection open until the server stops
  };

  // Listens on `port` (0: any free port). Check listening() before use.
  explicit LoopbackTimeServer(std::string reply, Behaviour behaviour = Behaviour::kReply,
                              unsigned short port = 0);
  LoopbackTimeServer(const LoopbackTimeServer&) = delete;
  LoopbackTimeServer& operator=(const LoopbackTimeServer&) = delete;
  ~LoopbackTimeServer();

  bool listening() const { return listenFd_ >= 0; }
  unsigned short port() const { return port_; }
  // "127.0.0.1:<port>"
  std::string address() const;
  int connections() const { return connections_.load(); }

 private:
  void serve();

  std::string reply_;
  Behaviour behaviour_;
  int listenFd_ = -1;
  int stopPipe_[2] = {-1, -1};
  unsigned short port_ = 0;
  std::atomic<int> connections_{0};
  std::thread thread_;
};

// A listening socket whose backlog is full, so that a further connection attempt is never
// answered and only a time-out ends it.
class BlackHole {
 public:
  BlackHole();
  BlackHole(const BlackHole&) = delete;
  BlackHole& operator=(const BlackHole&) = delete;
  ~BlackHole();

  // False when this system answers connections even with a full backlog.
  bool swallowing() const { return swallowing_; }
  std::string address() const;

 private:
  int listenFd_ = -1;
  int fillers_[8];
  int fillerCount_ = 0;
  unsigned short port_ = 0;
  bool swallowing_ = false;
};

}  // namespace vexamor::signcore::testing
