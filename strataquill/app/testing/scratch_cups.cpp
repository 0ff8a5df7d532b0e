#include "strataquill/app/testing/scratch_cups.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace sq::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string quoted(const std::string& s) {
  return "'" + s + "'";
}

}  // namespace

int runShell(const std::string& command, std::string* out) {
  out->clear();
  FILE* pipe = ::popen(("exec </dev/null; " + command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out->append(buffer, n);
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int pdfPageCount(const std::string& path) {
  std::string out;
  if (runShell("pdfinfo " + quoted(path), &out) != 0) return -1;
  const size_t at = out.find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + 6);
}

ScratchCups::ScratchCups() {
  std::string pattern = (fs::temp_directory_path() / "scratch-cups-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return;
  folder_ = pattern;
  // The scheduler's filters run as its own user, which must reach the spool below.
  ::chmod(folder_.c_str(), 0755);
  for (const char* sub : {"spool", "cache", "state", "tmp", "log", "ppd", "out", "etc-cups"}) {
    fs::create_directories(folder_ + "/" + sub);
  }
  // The filters write their temporary files as the scheduler's user.
  ::chmod((folder_ + "/tmp").c_str(), 01777);
  writeFile(folder_ + "/cupsd.conf",
            "Listen " + socket() + "\n"
            "Printcap " + folder_ + "/printcap\n"
            "LogLevel info\n"
            "Browsing No\n"
            "WebInterface No\n"
            "DefaultAuthType None\n"
            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
  writeFile(folder_ + "/cups-files.conf",
            "ServerRoot " + folder_ + "\n"
            "RequestRoot " + folder_ + "/spool\n"
            "CacheDir " + folder_ + "/cache\n"
            "StateDir " + folder_ + "/state\n"
            "TempDir " + folder_ + "/tmp\n"
            "AccessLog " + folder_ + "/log/access_log\n"
            "ErrorLog " + folder_ + "/log/error_log\n"
            "PageLog " + folder_ + "/log/page_log\n"
            "ServerBin /usr/lib/cups\n"
            "DataDir /usr/share/cups\n"
            "FileDevice No\n");
  writeFile(folder_ + "/printers.conf",
            std::string("<DefaultPrinter ") + kQueue + ">\n"
            "Info Scratch PDF queue of a test\n"
            "DeviceURI cups-pdf:/\n"
            "State Idle\n"
            "Accepting Yes\n"
            // A job that fails is given up, so that a test sees it at once.
            "ErrorPolicy abort-job\n"
            "Shared No\n"
            "</DefaultPrinter>\n");
  std::error_code ec;
  fs::copy_file("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd",
                folder_ + "/ppd/" + kQueue + ".ppd", ec);
  // cups-pdf reads /etc/cups/cups-pdf.conf, which in the scheduler's namespace is this one.
  writeFile(folder_ + "/etc-cups/cups-pdf.conf",
            "Out " + outputFolder() + "\n"
            "AnonDirName " + outputFolder() + "\n"
            "Spool " + folder_ + "/cups-pdf-spool\n"
            "Log " + folder_ + "/log\n"
            "LogType 3\n"
            "Grp root\n");
}

ScratchCups::~ScratchCups() {
  stop();
  std::error_code ec;
  if (!folder_.empty()) fs::remove_all(folder_, ec);
}

bool ScratchCups::start(std::string* why) {
  if (folder_.empty()) {
    *why = "no temporary folder for the scheduler";
    return false;
  }
  for (const char* program : {"/usr/sbin/cupsd", "/usr/lib/cups/backend/cups-pdf",
                              "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd", "/etc/cups"}) {
    if (!fs::exists(program)) {
      *why = std::string(program) + " is missing: scripts/setup installs cups and "
             "printer-driver-cups-pdf";
      return false;
    }
  }
  if (::geteuid() != 0) {
    *why = "cupsd with a cups-pdf queue of its own needs root here (a mount namespace in which "
           "the queue's settings stand in for /etc/cups), and this test runs as uid " +
           std::to_string(::geteuid());
    return false;
  }
  const std::string console = folder_ + "/log/cupsd.out";
  pid_ = ::fork();
  if (pid_ < 0) {
    *why = "cannot fork";
    return false;
  }
  if (pid_ == 0) {
    const int fd = ::open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      ::dup2(fd, 1);
      ::dup2(fd, 2);
    }
    ::setpgid(0, 0);
    const std::string script =
        "mount --bind \"$1\" /etc/cups && exec /usr/sbin/cupsd -f -c \"$2\" -s \"$3\"";
    const std::string etc = folder_ + "/etc-cups", conf = folder_ + "/cupsd.conf",
                      files = folder_ + "/cups-files.conf";
    ::execlp("unshare", "unshare", "--mount", "--propagation", "private", "--", "/bin/sh", "-c",
             script.c_str(), "sh", etc.c_str(), conf.c_str(), files.c_str(),
             static_cast<char*>(nullptr));
    std::perror("unshare");
    ::_exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  std::string out;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      *why = "cupsd exited at start (status " +
             std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "): " +
             readFile(console) + logTail();
      return false;
    }
    if (runShell("lpstat -h " + quoted(socket()) + " -a " + kQueue, &out) == 0 &&
        out.find("accepting") != std::string::npos) {
      return true;
    }
    std::this_thread::sleep_for(100ms);
  }
  *why = "cupsd did not accept jobs within 20 s: " + out + readFile(console) + logTail();
  stop();
  return false;
}

void ScratchCups::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (::waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(50ms);
  }
  pid_ = -1;
}

std::vector<std::string> ScratchCups::waitForPdfs(size_t count, int seconds) const {
  std::vector<std::string> pdfs;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::string pending;
  do {
    pdfs.clear();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(outputFolder(), ec)) {
      if (entry.path().extension() == ".pdf") pdfs.push_back(entry.path().string());
    }
    const bool idle = runShell("lpstat -h " + quoted(socket()) + " -o " + kQueue, &pending) == 0 &&
                      pending.empty();
    if (idle && pdfs.size() >= count) break;
    std::this_thread::sleep_for(200ms);
  } while (std::chrono::steady_clock::now() < deadline);
  std::sort(pdfs.begin(), pdfs.end());
  return pdfs;
}

void ScratchCups::clearOutput() const {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(outputFolder(), ec)) fs::remove(entry.path(), ec);
}

std::string ScratchCups::logTail() const {
  const std::string log = readFile(folder_ + "/log/error_log");
  return log.size() > 3000 ? log.substr(log.size() - 3000) : log;
}

}  // namespace sq::testing
