// A PostgreSQL server of a test's own, for server projects end to end.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace sq::testing {

// Everything of the server (its data, its socket, its log) lives in a
// temporary folder; clients reach it only through the Unix socket there,
// never over the network, and nothing of the machine's own PostgreSQL is used
// or changed. The server refuses to run as root, so when the tests run as
// root it runs as the unprivileged "postgres" account, made for the purpose
// when the machine has none. A watchdog process stops the server and removes
// the folder when the test program ends in any way, a crash included.
class ScratchPostgres {
 public:
  // The superuser made with the cluster; every connection is trusted.
  static constexpr const char* kAdmin = "sqadmin";

  ScratchPostgres();
  ScratchPostgres(const ScratchPostgres&) = delete;
  ScratchPostgres& operator=(const ScratchPostgres&) = delete;
  ~ScratchPostgres();  // stops the server and removes the folder

  // The server of the test program: made and started on first use, stopped
  // when the program ends. Null (with the reason) when it cannot start.
  static ScratchPostgres* shared(std::string* why);

  // Makes the cluster on first use and starts the server; waits at most
  // 60 s. False with the reason (from the server's log) when it fails.
  bool start(std::string* why);
  // Stops the server at once, breaking every connection; `start` again later.
  bool stop(std::string* why);

  const std::string& folder() const { return folder_; }
  // The address of `project` in `database` for the role `user`.
  std::string address(const std::string& project, const std::string& user = kAdmin,
                      const std::string& database = "postgres") const;
  // Runs statements as the superuser in `database`; false with the reason.
  bool admin(const std::string& sql, std::string* why,
             const std::string& database = "postgres") const;
  std::string logTail() const;

 private:
  // Runs a server program as the server's user, waiting at most `seconds`;
  // its output goes to `out`.
  int runServerProgram(const std::string& program, const std::vector<std::string>& args,
                       int seconds, std::string* out) const;
  bool findUser(std::string* why);
  void startWatchdog();

  std::string folder_;
  std::string bin_;  // folder of initdb, pg_ctl
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  bool running_ = false;
  int watchdog_ = -1;  // our end of the watchdog's pipe
  pid_t watchdogPid_ = -1;
};

}  // namespace sq::testing
