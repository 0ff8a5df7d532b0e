#include "strataquill/db/testing/scratch_postgres.h"

#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "strataquill/db/server_address.h"

namespace sq::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kAccount = "postgres";

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The newest installed server's programs.
std::string serverBinFolder() {
  std::vector<fs::path> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec))
    if (fs::exists(entry.path() / "bin" / "pg_ctl")) found.push_back(entry.path() / "bin");
  std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
    return std::atoi(a.parent_path().filename().c_str()) <
           std::atoi(b.parent_path().filename().c_str());
  });
  return found.empty() ? std::string() : found.back().string();
}

}  // namespace

ScratchPostgres::ScratchPostgres() {
  // The server's account must reach its folder through the parent.
  fs::path base = fs::temp_directory_path();
  struct stat info {};
  if (::geteuid() == 0 && (::stat(base.c_str(), &info) != 0 || (info.st_mode & S_IXOTH) == 0))
    base = "/tmp";
  std::string pattern = (base / "scratch-pg-XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
  bin_ = serverBinFolder();
}

ScratchPostgres::~ScratchPostgres() {
  std::string ignored;
  stop(&ignored);
  std::error_code ec;
  if (!folder_.empty()) fs::remove_all(folder_, ec);
  if (watchdog_ >= 0) ::close(watchdog_);
  if (watchdogPid_ > 0) {
    int status = 0;
    for (int i = 0; i < 100 && ::waitpid(watchdogPid_, &status, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(50ms);
  }
}

ScratchPostgres* ScratchPostgres::shared(std::string* why) {
  static std::unique_ptr<ScratchPostgres> server;
  static std::string failure;
  if (!server && failure.empty()) {
    auto made = std::make_unique<ScratchPostgres>();
    if (made->start(&failure)) server = std::move(made);
  }
  *why = failure;
  return server.get();
}

bool ScratchPostgres::findUser(std::string* why) {
  if (::geteuid() != 0) {
    uid_ = ::geteuid();
    gid_ = ::getegid();
    return true;
  }
  const passwd* pw = ::getpwnam(kAccount);
  if (!pw) {
    // The server runs as no account of the machine's people: a system
    // account without a home or a login shell.
    std::string command = std::string("useradd --system --no-create-home --shell "
                                      "/usr/sbin/nologin ") + kAccount + " 2>&1";
    const int rc = std::system(command.c_str());
    pw = ::getpwnam(kAccount);
    if (!pw) {
      *why = "no unprivileged account for the server, and useradd failed (" +
             std::to_string(rc) + ")";
      return false;
    }
  }
  uid_ = pw->pw_uid;
  gid_ = pw->pw_gid;
  return true;
}

int ScratchPostgres::runServerProgram(const std::string& program,
                                      const std::vector<std::string>& args, int seconds,
                                      std::string* out) const {
  const std::string log = folder_ + "/program.out";
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      ::dup2(fd, 1);
      ::dup2(fd, 2);
    }
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0) ::dup2(null, 0);
    ::setpgid(0, 0);
    if (::geteuid() == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(gid_) != 0 || ::setuid(uid_) != 0) ::_exit(126);
    }
    if (::chdir(folder_.c_str()) != 0) ::_exit(126);
    std::vector<std::string> full{bin_ + "/" + program};
    full.insert(full.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : full) argv.push_back(a.data());
    argv.push_back(nullptr);
    char path[] = "PATH=/usr/bin:/bin";
    char lang[] = "LC_ALL=C";
    char* env[] = {path, lang, nullptr};
    ::execve(argv[0], argv.data(), env);
    ::_exit(127);
  }
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  pid_t done = 0;
  while ((done = ::waitpid(child, &status, WNOHANG)) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(-child, SIGKILL);
      ::waitpid(child, &status, 0);
      *out = readFile(log) + "\n(stopped after " + std::to_string(seconds) + " s)";
      return -1;
    }
    std::this_thread::sleep_for(20ms);
  }
  *out = readFile(log);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ScratchPostgres::start(std::string* why) {
  if (running_) return true;
  if (folder_.empty()) {
    *why = "no temporary folder for the server";
    return false;
  }
  if (bin_.empty()) {
    *why = "the PostgreSQL server programs are missing: scripts/setup installs postgresql";
    return false;
  }
  if (!findUser(why)) return false;
  if (::chown(folder_.c_str(), uid_, gid_) != 0 || ::chmod(folder_.c_str(), 0700) != 0) {
    *why = "cannot hand the folder to the server's account";
    return false;
  }
  std::string out;
  const std::string data = folder_ + "/data";
  if (!fs::exists(data + "/PG_VERSION")) {
    if (runServerProgram("initdb",
                         {"-D", data, "-U", kAdmin, "-A", "trust", "-E", "UTF8", "--locale=C",
                          "--no-sync"},
                         60, &out) != 0) {
      *why = "initdb failed: " + out;
      return false;
    }
  }
  // No TCP at all: the socket in the folder is the only way in.
  const std::string options = "-c listen_addresses='' -c unix_socket_directories='" + folder_ +
                              "' -c fsync=off -c synchronous_commit=off -c full_page_writes=off "
                              "-c max_connections=50";
  if (runServerProgram("pg_ctl",
                       {"-D", data, "-l", folder_ + "/server.log", "-w", "-t", "60", "-o", options,
                        "start"},
                       70, &out) != 0) {
    *why = "the server did not start: " + out + logTail();
    return false;
  }
  running_ = true;
  if (watchdogPid_ < 0) startWatchdog();
  return true;
}

void ScratchPostgres::startWatchdog() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return;
  }
  if (child == 0) {
    ::setsid();
    ::dup2(fds[0], 0);
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    if (::geteuid() == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(gid_) != 0 || ::setuid(uid_) != 0) ::_exit(126);
    }
    // Waits until the test program's end closes the pipe.
    const std::string script = "cat >/dev/null; \"$1\"/pg_ctl -D \"$2\"/data -m immediate -w -t 30 "
                               "stop; rm -rf \"$2\"";
    ::execl("/bin/sh", "sh", "-c", script.c_str(), "sh", bin_.c_str(), folder_.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[0]);
  watchdog_ = fds[1];
  watchdogPid_ = child;
}

bool ScratchPostgres::stop(std::string* why) {
  if (!running_) return true;
  std::string out;
  const int rc = runServerProgram("pg_ctl", {"-D", folder_ + "/data", "-m", "fast", "-w", "-t",
                                             "60", "stop"},
                                  70, &out);
  running_ = false;
  if (rc != 0) {
    *why = "the server did not stop: " + out;
    return false;
  }
  return true;
}

std::string ScratchPostgres::address(const std::string& project, const std::string& user,
                                     const std::string& database) const {
  std::string out = "postgresql:///" + db::percentEncode(database) +
                    "?host=" + db::percentEncode(folder_) + "&user=" + db::percentEncode(user);
  if (!project.empty()) out += "&project=" + db::percentEncode(project);
  return out;
}

bool ScratchPostgres::admin(const std::string& sql, std::string* why,
                            const std::string& database) const {
  const std::string conninfo = address("", kAdmin, database);
  PGconn* conn = PQconnectdb(conninfo.c_str());
  bool ok = PQstatus(conn) == CONNECTION_OK;
  if (ok) {
    PGresult* r = PQexec(conn, sql.c_str());
    ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    PQclear(r);
  }
  if (!ok) *why = PQerrorMessage(conn);
  PQfinish(conn);
  return ok;
}

std::string ScratchPostgres::logTail() const {
  const std::string log = readFile(folder_ + "/server.log");
  return log.size() > 3000 ? log.substr(log.size() - 3000) : log;
}

}  // namespace sq::testing
