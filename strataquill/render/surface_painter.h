#pragma once

#include <QImage>
#include <QString>

#include "strataquill/render/surface_document.h"

class QPainter;
class QPrinter;

namespace sq::render {

// Replays page `index` of `doc` on a painter whose coordinates are twips.
void paintPage(QPainter& painter, const SurfaceDocument& doc, int index);

class PrintProgress;

// What became of a document sent to a printer or a file.
enum class PrintOutcome {
  kPrinted,
  kCancelled,   // the user stopped it; nothing is left of it that could be discarded
  kNotStarted,  // the printer or the file could not be opened
  kFailed,      // the job broke off
};

// Writes the document as a PDF file. The file appears complete or not at
// all: it is written to a temporary file beside it that is renamed into
// place. `progress`, when given, is told of every page and can stop the
// writing, which leaves no file. Not kPrinted with a reason in `error` when
// nothing was written.
PrintOutcome writePdf(const SurfaceDocument& doc, const QString& path, QString* error = nullptr,
                      PrintProgress* progress = nullptr);

// One page as a picture at `dpi` dots per inch on white.
QImage renderPageImage(const SurfaceDocument& doc, int index, double dpi);

// Sends the document to a printer with `copies` copies: the printer makes
// them when it can, else every page is sent once per copy. `progress`, when
// given, is told of every page and can stop the job; what the printer has
// not yet received is then thrown away (a file is removed; a printer whose
// job cannot be aborted gets no further pages).
PrintOutcome printDocument(const SurfaceDocument& doc, QPrinter& printer, int copies,
                           PrintProgress* progress = nullptr);

}  // namespace sq::render
