#pragma once

#include <string>

namespace sq::render {

// What a print run tells the user while it composes and prints, and how it
// learns that the user wants it to stop. One object serves a whole run of
// one or more borings: the desktop program shows a progress window with a
// Cancel button, the command line writes to its terminal.
class PrintProgress {
 public:
  virtual ~PrintProgress() = default;

  // The next boring's document starts; borings count from 1 in the order
  // this is called.
  virtual void documentStarted(const std::string& documentName) = 0;
  // Page `page` (from 1) of the current document is being composed.
  virtual void composing(int page) = 0;
  // Page `page` of `pages` is going to the printer or the file, in copy
  // `copy` of `copies`.
  virtual void printing(int page, int pages, int copy, int copies) = 0;
  // The run is over; nothing more is shown.
  virtual void finished() = 0;
  // Lets pending events through, then tells whether the user asked to stop.
  // Once true it stays true.
  virtual bool cancelRequested() = 0;
};

}  // namespace sq::render
