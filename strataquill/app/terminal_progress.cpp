#include "strataquill/app/terminal_progress.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

namespace sq {
namespace {

volatile std::sig_atomic_t interruptSeen = 0;

extern "C" void onInterrupt(int) {
  interruptSeen = 1;
}

}  // namespace

TerminalProgress::TerminalProgress(int borings, std::string writing)
    : visible_(::isatty(STDERR_FILENO) == 1),
      borings_(std::max(1, borings)),
      writing_(std::move(writing)) {}

TerminalProgress::~TerminalProgress() {
  finished();
}

void TerminalProgress::installInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool TerminalProgress::interrupted() {
  return interruptSeen != 0;
}

void TerminalProgress::documentStarted(const std::string& documentName) {
  ++boring_;
  document_ = documentName;
  composing(1);
}

void TerminalProgress::composing(int page) {
  show("page " + std::to_string(page));
}

void TerminalProgress::printing(int page, int pages, int copy, int copies) {
  std::string what = writing_ + " page " + std::to_string(page) + " of " + std::to_string(pages);
  if (copies > 1) what += ", copy " + std::to_string(copy) + " of " + std::to_string(copies);
  show(what);
}

void TerminalProgress::finished() {
  if (!lineShown_) return;
  // Clears the line, so what the program prints next starts clean.
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  lineShown_ = false;
}

bool TerminalProgress::cancelRequested() {
  return interrupted();
}

void TerminalProgress::show(const std::string& what) {
  if (!visible_) return;
  std::fprintf(stderr, "\r\033[K%s: boring %d of %d, %s", document_.c_str(), boring_, borings_,
               what.c_str());
  std::fflush(stderr);
  lineShown_ = true;
}

}  // namespace sq
