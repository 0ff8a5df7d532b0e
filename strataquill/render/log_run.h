#pragma once

#include <QPageLayout>

#include <string>
#include <vector>

#include "strataquill/render/print_options.h"
#include "strataquill/render/print_progress.h"
#include "strataquill/render/print_surface.h"
#include "strataquill/render/printer_choice.h"

namespace sq::db {
class Database;
}

namespace sq::render {

// What became of a run: composing logs, printing them, writing a PDF file.
struct RunResult {
  enum class Outcome {
    kDone,
    kCancelled,   // the user stopped it; nothing of it is left
    kRefused,     // numbers that would make no progress; nothing was drawn
    kNotStarted,  // the printer or the file could not be opened
    kFailed,      // the job broke off
  };
  Outcome outcome = Outcome::kDone;
  std::string message;  // for the user; empty for kDone and kCancelled
  int pages = 0;
  bool ok() const { return outcome == Outcome::kDone; }
};

// The logs a run composes.
struct LogRequest {
  std::string projectPath;
  // The open project's connection when there is one; else the run opens
  // projectPath.
  const db::Database* database = nullptr;
  std::vector<std::string> borings;  // composed one after the other
  int reportType = kBoringLog;
  // The project's (or, for a layout sample, the layout's) file name, from
  // which documents take their names.
  std::string fileName;
  std::string designerLayoutPath;
  std::string classificationFile;
  std::string patternFolder;
  PrintOptions options;  // its cancel flag is set when the user stops the run
  PrintProgress* progress = nullptr;
};

// A boring's document name: the file name for a layout sample, else
// "<boring> -- <file name>".
std::string documentName(const LogRequest& request, const std::string& boring);

// Copies the paper and orientation of a page set-up to the surface.
void SetVSPrinterPageSize(PrintSurface& surface, const QPageLayout& layout);

// The one composition of every log: the borings' pages, one after the
// other, in a new document on `surface`, whose paper the caller has set.
// Numbers that would make no progress are refused before anything is drawn;
// a cancelled run leaves no document.
RunResult composeLogs(LogRequest& request, PrintSurface& surface);

// Sends a finished document to the chosen printer or PDF file, through a
// printer made for this run alone. A failure names the printer or the file.
RunResult sendDocument(const SurfaceDocument& doc, const PrinterChoice& choice, int copies,
                       PrintProgress* progress);

// Writes a finished document as the PDF file `path`, whole or not at all.
RunResult writePdfFile(const SurfaceDocument& doc, const std::string& path,
                       PrintProgress* progress);

}  // namespace sq::render
