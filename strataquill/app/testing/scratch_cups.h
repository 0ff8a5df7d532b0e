// A CUPS scheduler of a test's own, with one cups-pdf queue, for printing end to end.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace sq::testing {

// Everything of the scheduler (configuration, spool, logs, the queue's PDF output) lives in
// a temporary folder, and clients reach it through a socket there (CUPS_SERVER); nothing of
// the machine's CUPS is used or changed. cups-pdf reads its settings from /etc/cups alone,
// so the scheduler runs in a mount namespace of its own in which a folder of ours stands in
// for /etc/cups: that needs root, as the tests' machines give.
class ScratchCups {
 public:
  static constexpr const char* kQueue = "ScratchPDF";

  ScratchCups();
  ScratchCups(const ScratchCups&) = delete;
  ScratchCups& operator=(const ScratchCups&) = delete;
  ~ScratchCups();  // stops the scheduler and removes the folder

  // Starts cupsd and waits until the queue accepts jobs. False with the reason (from the
  // scheduler's own log where it wrote one) when it does not.
  bool start(std::string* why);
  void stop();

  std::string socket() const { return folder_ + "/cups.sock"; }
  // Printed PDFs land here, one a job; clearOutput() empties it between tests.
  void clearOutput() const;
  std::string outputFolder() const { return folder_ + "/out"; }

  // Waits until the queue has no job left to do and at least `count` PDF files have
  // appeared, at most `seconds`; returns the PDF files, sorted by name.
  std::vector<std::string> waitForPdfs(size_t count, int seconds) const;
  // The end of the scheduler's error log, for failure messages.
  std::string logTail() const;

 private:
  std::string folder_;
  pid_t pid_ = -1;
};

// The page count that pdfinfo reports for a PDF file; -1 when it cannot read one.
int pdfPageCount(const std::string& path);

// Runs a shell command; returns its exit status (-1 when it did not exit) and fills `out`
// with its standard output and error.
int runShell(const std::string& command, std::string* out);

}  // namespace sq::testing
