#pragma once

#include <QImage>
#include <QString>

#include "strataquill/render/surface_document.h"

class QPainter;
class QPrinter;

namespace sq::render {

// Replays page `index` of `doc` on a painter whose coordinates are twips.
void paintPage(QPainter& painter, const SurfaceDocument& doc, int index);

// Writes the document as a PDF file. The file appears complete or not at
// all. False with a reason in `error` when it cannot be written.
bool writePdf(const SurfaceDocument& doc, const QString& path, QString* error = nullptr);

// One page as a picture at `dpi` dots per inch on white.
QImage renderPageImage(const SurfaceDocument& doc, int index, double dpi);

// Sends the document to a printer with `copies` copies. False when the
// printer cannot be started.
bool printDocument(const SurfaceDocument& doc, QPrinter& printer, int copies);

}  // namespace sq::render
