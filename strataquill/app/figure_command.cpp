#include "strataquill/app/figure_command.h"

#include <QCommandLineParser>
#include <QPrinterInfo>

#include <filesystem>
#include <iostream>

#include "strataquill/app/terminal_progress.h"
#include "strataquill/render/frm_print_preview.h"
#include "strataquill/render/print_options.h"
#include "strataquill/render/print_progress_dialog.h"
#include "strataquill/sections/figure_run.h"
#include "strataquill/shell/program_folder.h"

namespace sq {
namespace {

// Exit status of a run the user stopped with Ctrl+C.
constexpr int kInterrupted = 130;

bool paperOption(const QCommandLineParser& parser, QPageSize& paper) {
  if (!parser.isSet("paper")) {
    paper = render::defaultPaper();
    return true;
  }
  const QString p = parser.value("paper").toLower();
  if (p == "letter") {
    paper = QPageSize(QPageSize::Letter);
  } else if (p == "a4") {
    paper = QPageSize(QPageSize::A4);
  } else {
    std::cerr << "strataquill-log: --paper is letter or a4.\n";
    return false;
  }
  return true;
}

}  // namespace

QList<QCommandLineOption> figureOptions() {
  return {
      {"site-map", "Draw the site map of the borings instead of logs."},
      {"section",
       "Draw the cross-section through the borings, in this order, instead of logs "
       "(for example B-1,B-2,B-3); with --site-map, draw its line on the map.",
       "borings"},
      {"projected",
       "Place the section's borings by their projection onto the line from the first to the "
       "last, not by the distances between neighbours."},
      {"exaggeration", "Vertical exaggeration of the section (default: what fits the page).",
       "factor"},
      {"paper", "Paper of the site map or section: letter or a4, landscape.", "size"},
  };
}

bool wantsFigure(const QCommandLineParser& parser) {
  return parser.isSet("site-map") || parser.isSet("section");
}

int runFigureCommand(const QCommandLineParser& parser, const std::string& projectPath,
                     const std::string& outputPath, bool interactive) {
  QPageSize paper;
  if (!paperOption(parser, paper)) return 2;
  sections::SectionRequest request;
  if (parser.isSet("section")) {
    for (const QString& name : parser.value("section").split(',', Qt::SkipEmptyParts))
      request.borings.push_back(name.trimmed().toStdString());
    request.mode = parser.isSet("projected") ? sections::StationMode::kProjected
                                             : sections::StationMode::kCumulative;
    if (parser.isSet("exaggeration")) {
      bool ok = false;
      request.verticalExaggeration = parser.value("exaggeration").toDouble(&ok);
      if (!ok || !(request.verticalExaggeration > 0)) {
        std::cerr << "strataquill-log: --exaggeration needs a number above 0.\n";
        return 2;
      }
    }
  }

  const bool preview = parser.isSet("preview");
  const bool print = parser.isSet("print");
  if (print && QPrinterInfo::availablePrinterNames().isEmpty()) {
    std::cerr << "strataquill-log: no printer is installed; write a PDF with --output "
                 "instead.\n";
    return 1;
  }
  TerminalProgress terminal(1, print ? "printing" : "writing");
  std::optional<render::PrintProgressDialog> window;
  render::PrintProgress* progress = &terminal;
  if (interactive) progress = &window.emplace(nullptr);

  sections::FigureRun run;
  run.projectPath = projectPath;
  run.classificationFile = classificationFile();
  run.patternFolder = patternsFolder();
  run.patternScale = render::PrintOptions::load().patternScaleFactor;
  run.progress = progress;

  render::PrintSurface surface;
  sections::setLandscapePaper(surface, paper);
  sections::MapOptions map;
  map.sectionLine = request.borings;
  render::RunResult result = parser.isSet("site-map")
                                 ? sections::composeSiteMap(run, map, surface)
                                 : sections::composeSection(run, request, surface);
  render::PrinterChoice printer = render::PrinterChoice::systemDefault();
  printer.pageLayout = QPageLayout(paper, QPageLayout::Landscape, QMarginsF());
  if (result.ok()) {
    if (preview) {
      progress->finished();
      render::frmPrintPreview window(surface.document(), &printer);
      window.setZoom(60);
      window.exec();
      if (window.printed()) result = *window.printed();
    } else if (print) {
      result = render::sendDocument(surface.document(), printer, 1, progress);
    } else {
      result = render::writePdfFile(surface.document(), outputPath, progress);
    }
  }
  progress->finished();
  if (!result.ok()) {
    if (result.outcome == render::RunResult::Outcome::kCancelled) {
      std::cerr << "strataquill-log: cancelled"
                << (print || preview ? std::string(".")
                                     : "; " + outputPath + " was not written.")
                << "\n";
      return kInterrupted;
    }
    std::cerr << "strataquill-log: " << result.message << "\n";
    return 1;
  }
  if (!preview && !print)
    std::cout << "Wrote " << result.pages << (result.pages == 1 ? " page" : " pages") << " to "
              << std::filesystem::absolute(outputPath).string() << "\n";
  return 0;
}

}  // namespace sq
