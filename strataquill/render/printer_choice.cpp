#include "strataquill/render/printer_choice.h"

#include <QDir>
#include <QLocale>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace sq::render {

QString PrinterChoice::destination() const {
  if (!toFile()) return printerName;
  return QStringLiteral("PDF file %1").arg(QDir::toNativeSeparators(pdfFile));
}

std::unique_ptr<QPrinter> PrinterChoice::makePrinter() const {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (toFile()) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdfFile);
  } else {
    printer->setPrinterName(printerName);
  }
  printer->setPageLayout(pageLayout);
  printer->setColorMode(colorMode);
  printer->setDuplex(duplex);
  return printer;
}

PrinterChoice PrinterChoice::from(const QPrinter& printer) {
  PrinterChoice choice;
  const bool toFile =
      printer.outputFormat() == QPrinter::PdfFormat || !printer.outputFileName().isEmpty();
  if (!toFile) choice.printerName = printer.printerName();
  choice.pdfFile = printer.outputFileName();
  choice.pageLayout = printer.pageLayout();
  choice.colorMode = printer.colorMode();
  choice.duplex = printer.duplex();
  return choice;
}

PrinterChoice PrinterChoice::systemDefault() {
  PrinterChoice choice;
  choice.printerName = QPrinterInfo::defaultPrinterName();
  if (choice.printerName.isEmpty()) {
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (!names.isEmpty()) choice.printerName = names.front();
  }
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  choice.pdfFile = QDir(folder).filePath(QStringLiteral("Strataquill.pdf"));
  choice.pageLayout = QPageLayout(defaultPaper(), QPageLayout::Portrait, QMarginsF());
  return choice;
}

QPageSize defaultPaper() {
  const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
  if (!printer.isNull() && printer.defaultPageSize().isValid()) return printer.defaultPageSize();
  return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                       ? QPageSize::Letter
                       : QPageSize::A4);
}

}  // namespace sq::render
