#include "strataquill/render/log_run.h"

#include <optional>

#include "strataquill/render/log_composer.h"
#include "strataquill/render/surface_painter.h"

namespace sq::render {
namespace {

RunResult failed(RunResult::Outcome outcome, std::string message) {
  RunResult r;
  r.outcome = outcome;
  r.message = std::move(message);
  return r;
}

RunResult fromOutcome(PrintOutcome outcome, const QString& documentName, const QString& where) {
  switch (outcome) {
    case PrintOutcome::kPrinted:
      return {};
    case PrintOutcome::kCancelled:
      return failed(RunResult::Outcome::kCancelled, {});
    case PrintOutcome::kNotStarted:
      return failed(RunResult::Outcome::kNotStarted,
                    QStringLiteral("The document %1 was not printed: %2 could not be opened.")
                        .arg(documentName, where)
                        .toStdString());
    case PrintOutcome::kFailed:
      break;
  }
  return failed(RunResult::Outcome::kFailed,
                QStringLiteral("The document %1 was not printed: %2 reported an error.")
                    .arg(documentName, where)
                    .toStdString());
}

}  // namespace

std::string documentName(const LogRequest& request, const std::string& boring) {
  return request.reportType == kLayoutSample ? request.fileName
                                             : boring + " -- " + request.fileName;
}

void SetVSPrinterPageSize(PrintSurface& surface, const QPageLayout& layout) {
  const QSizeF inches = layout.pageSize().size(QPageSize::Inch);
  // The paper in portrait; the orientation then turns it.
  surface.setPageSize(std::min(inches.width(), inches.height()) * kTwipsPerInch,
                      std::max(inches.width(), inches.height()) * kTwipsPerInch);
  surface.setOrientation(layout.orientation() == QPageLayout::Landscape ? 1 : 0);
}

RunResult composeLogs(LogRequest& request, PrintSurface& surface) {
  if (std::string why = validateForRun(request.options, request.reportType); !why.empty())
    return failed(RunResult::Outcome::kRefused, why);
  PrintOptions& options = request.options;
  if (options.patternScaleFactor < 0.1f) options.patternScaleFactor = 0.1f;
  options.printCancelled = false;
  PrintProgress* progress = request.progress;
  // The user's Cancel reaches the composer through the options' flag, which
  // it tests between the stages of every page.
  auto cancelled = [&] {
    if (progress && progress->cancelRequested()) options.printCancelled = true;
    return options.printCancelled;
  };
  surface.setDocumentName(QString::fromStdString(
      request.borings.size() == 1 ? documentName(request, request.borings[0]) : request.fileName));
  surface.startDoc();
  for (std::size_t i = 0; i < request.borings.size() && !cancelled(); ++i) {
    if (i > 0) surface.newPage();
    if (progress) progress->documentStarted(documentName(request, request.borings[i]));
    RenderJob job;
    job.projectPath = request.projectPath;
    job.database = request.database;
    job.boring = request.borings[i];
    job.reportType = request.reportType;
    job.designerLayoutPath = request.designerLayoutPath;
    job.classificationFile = request.classificationFile;
    job.patternFolder = request.patternFolder;
    job.letEventsRun = [&] { cancelled(); };
    job.pageStarted = [&](int page) {
      if (progress) progress->composing(page);
    };
    LogComposer(surface, options, std::move(job)).composePages();
  }
  if (cancelled()) {
    surface.killDoc();
    return failed(RunResult::Outcome::kCancelled, {});
  }
  surface.endDoc();
  RunResult done;
  done.pages = surface.pageCount();
  return done;
}

RunResult sendDocument(const SurfaceDocument& doc, const PrinterChoice& choice, int copies,
                       PrintProgress* progress) {
  const QString where =
      choice.toFile() ? QStringLiteral("the file ") +
                            (choice.pdfFile.isEmpty() ? QStringLiteral("(none)") : choice.pdfFile)
                      : QStringLiteral("the printer ") + choice.printerName;
  RunResult r;
  if (choice.toFile()) {
    // A file is written beside its place and renamed into it when whole;
    // its copies follow each other in it.
    std::optional<SurfaceDocument> copiesOf;
    if (copies > 1) {
      copiesOf.emplace(doc);
      for (int copy = 1; copy < copies; ++copy)
        copiesOf->pages.insert(copiesOf->pages.end(), doc.pages.begin(), doc.pages.end());
    }
    r = fromOutcome(choice.pdfFile.isEmpty()
                        ? PrintOutcome::kNotStarted
                        : writePdf(copiesOf ? *copiesOf : doc, choice.pdfFile, nullptr, progress),
                    doc.name, where);
  } else {
    const std::unique_ptr<QPrinter> printer = choice.makePrinter();
    r = fromOutcome(printDocument(doc, *printer, copies, progress), doc.name, where);
  }
  r.pages = static_cast<int>(doc.pages.size());
  return r;
}

RunResult writePdfFile(const SurfaceDocument& doc, const std::string& path,
                       PrintProgress* progress) {
  QString error;
  switch (writePdf(doc, QString::fromStdString(path), &error, progress)) {
    case PrintOutcome::kPrinted: {
      RunResult r;
      r.pages = static_cast<int>(doc.pages.size());
      return r;
    }
    case PrintOutcome::kCancelled:
      return failed(RunResult::Outcome::kCancelled, "Cancelled; " + path + " was not written.");
    case PrintOutcome::kNotStarted:
      return failed(RunResult::Outcome::kNotStarted,
                    "Cannot write " + path + ": " + error.toStdString());
    case PrintOutcome::kFailed:
      break;
  }
  return failed(RunResult::Outcome::kFailed, "Cannot write " + path + ": " + error.toStdString());
}

}  // namespace sq::render
