#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QString>

#include <memory>

namespace sq::render {

// Where print runs send their pages and on what paper: a printer of the
// system or a PDF file. It is kept as plain settings and every run builds a
// fresh QPrinter from it, so a run that failed leaves nothing behind that
// could stop the next one.
struct PrinterChoice {
  QString printerName;  // empty: the pages go to `pdfFile`
  QString pdfFile;
  QPageLayout pageLayout;
  QPrinter::ColorMode colorMode = QPrinter::Color;
  QPrinter::DuplexMode duplex = QPrinter::DuplexNone;

  bool toFile() const { return printerName.isEmpty(); }
  // What the Print Options dialog shows: the printer's name, or the file's
  // path ("PDF file <path>").
  QString destination() const;
  // A high-resolution printer set up from this choice.
  std::unique_ptr<QPrinter> makePrinter() const;
  // The choice that `printer` stands for, after the printer-setup dialog.
  static PrinterChoice from(const QPrinter& printer);
  // The system's default printer on its default paper; on a machine
  // without printers, a PDF file in the user's documents folder on the
  // default paper.
  static PrinterChoice systemDefault();
};

// The paper of new documents: the default printer's, else the locale's
// (Letter where US measures are used, A4 elsewhere). The desktop program and
// the command-line renderer both start from it.
QPageSize defaultPaper();

}  // namespace sq::render
