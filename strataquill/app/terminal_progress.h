#pragma once

#include <cstdio>
#include <string>

#include "strataquill/render/print_progress.h"

namespace sq {

// The progress of a command-line run on its terminal: one line on standard
// error, rewritten as the run goes on ("B-1 -- site.sq2: boring 1 of 3,
// page 4"), shown only when standard error is a terminal. The run is
// cancelled by the terminal's interrupt (Ctrl+C), a hang-up or a request to
// terminate, once installInterruptHandlers() has run.
class TerminalProgress : public render::PrintProgress {
 public:
  // `borings`: how many documents the run makes; `writing`: what the output
  // stage is called ("writing" a file, "printing").
  TerminalProgress(int borings, std::string writing);
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  // From now on SIGINT, SIGTERM and SIGHUP ask the run to stop instead of
  // ending the process, so it can remove what it has begun to write.
  static void installInterruptHandlers();
  static bool interrupted();

  void documentStarted(const std::string& documentName) override;
  void composing(int page) override;
  void printing(int page, int pages, int copy, int copies) override;
  void finished() override;
  bool cancelRequested() override;

 private:
  void show(const std::string& what);

  bool visible_;
  int borings_;
  int boring_ = 0;
  std::string writing_;
  std::string document_;
  bool lineShown_ = false;
};

}  // namespace sq
