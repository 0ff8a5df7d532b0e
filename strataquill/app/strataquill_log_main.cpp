// strataquill-log: renders boring logs of a project to a PDF file without a
// display, through the same page composer as the desktop program.

#include <QApplication>
#include <QCommandLineParser>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "strataquill/app/figure_command.h"
#include "strataquill/app/terminal_progress.h"
#include "strataquill/db/project_link.h"
#include "strataquill/db/server_address.h"
#include "strataquill/project/file_rules.h"
#include "strataquill/render/frm_print.h"
#include "strataquill/render/log_export.h"
#include "strataquill/render/print_run.h"
#include "strataquill/render/printer_choice.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/qt_user_prompts.h"
#include "strataquill/shell/settings_store.h"

namespace {

namespace fs = std::filesystem;
using sq::render::PrintOptions;

// Reads a number option; false (with a message) when it is not a number.
bool numberOption(const QCommandLineParser& parser, const QString& name, double& value) {
  if (!parser.isSet(name)) return true;
  bool ok = false;
  value = parser.value(name).toDouble(&ok);
  if (!ok) std::cerr << "strataquill-log: --" << name.toStdString() << " needs a number.\n";
  return ok;
}

// Messages of a run without a display go to standard error; a question gets
// its first button, as a silent run would answer it.
class ConsolePrompts : public sq::UserPrompts {
 public:
  sq::MessageAnswer message(std::string_view text, std::string_view, sq::MessageButtons buttons,
                            sq::MessageIcon) override {
    std::cerr << "strataquill-log: " << text << "\n";
    switch (buttons) {
      case sq::MessageButtons::kOk:
      case sq::MessageButtons::kOkCancel:
        return sq::MessageAnswer::kOk;
      case sq::MessageButtons::kYesNoDefaultNo:
        return sq::MessageAnswer::kNo;
      default:
        return sq::MessageAnswer::kYes;
    }
  }
  std::string inputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  sq::FileDialogResult fileDialog(const sq::FileDialogRequest&) override { return {}; }
  void beep() override {}
  void setBusy(bool) override {}
};

// Exit status of a run the user stopped with Ctrl+C (128 + SIGINT), as
// shells report it.
constexpr int kInterrupted = 130;

// The print dialog and the preview run on a project without the desktop
// program's main window: the borings come from the project itself.
class StandaloneContext : public sq::render::PrintContext {
 public:
  StandaloneContext(std::string project, std::vector<std::string> borings, std::string current)
      : project_(std::move(project)), borings_(std::move(borings)), current_(std::move(current)) {}
  std::vector<std::string> boringNames() const override { return borings_; }
  std::string currentBoring() const override { return current_; }
  std::string projectPath() const override { return project_; }
  std::string designerLayoutPath() const override { return {}; }
  std::string classificationFile() const override { return sq::classificationFile(); }
  std::string patternFolder() const override { return sq::patternsFolder(); }
  void saveOpenEditors() override {}
  sq::render::PrinterChoice& printerChoice() override { return printer_; }
  void printSetup() override {
    const std::unique_ptr<QPrinter> printer = printer_.makePrinter();
    QPageSetupDialog dialog(printer.get());
    dialog.setWindowTitle("Printer Setup");
    if (dialog.exec() == QDialog::Accepted) printer_ = sq::render::PrinterChoice::from(*printer);
  }
  QWidget* mainWindow() const override { return nullptr; }

 private:
  std::string project_;
  std::vector<std::string> borings_;
  std::string current_;
  sq::render::PrinterChoice printer_ = sq::render::PrinterChoice::systemDefault();
};

}  // namespace

int main(int argc, char** argv) {
  bool interactive = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    interactive = interactive || a == "--preview" || a == "--dialog";
  }
  if (!interactive && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    // Without a session (a build machine, ssh) the toolkit wants a private
    // runtime folder; give it the one it would pick, made private.
    const std::string runtime = "/tmp/runtime-" + std::to_string(::getuid());
    ::mkdir(runtime.c_str(), 0700);
    ::chmod(runtime.c_str(), 0700);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
  }
  // A run that writes a PDF or prints stops cleanly on Ctrl+C: it removes
  // what it has begun to write. The windows of --preview and --dialog are
  // closed as windows are.
  if (!interactive) sq::TerminalProgress::installInterruptHandlers();
  QApplication app(argc, argv);
  QApplication::setApplicationName("strataquill-log");
  // The desktop program and this renderer share one settings application.
  sq::setApplicationName("Strataquill");

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Renders the boring logs of a Strataquill project (.sq2, or a project on a database "
      "server: its address postgresql://...?project=NAME or a .sqp file that holds it) to a "
      "PDF file, or its site map (--site-map) or a cross-section (--section).\n"
      "Defaults come from the print options the desktop program remembers, then from the "
      "layouts shipped in the program folder.");
  parser.addHelpOption();
  parser.addPositionalArgument("project", "The project file (.sq2), server address, or .sqp file.");
  parser.addOptions({
      {{"b", "boring"}, "A boring to render (repeat for several). Default: every boring.", "name"},
      {{"o", "output"},
       "The PDF file to write. Default: the project's file name with .pdf (a server project's "
       "name with .pdf, in the current folder).",
       "file"},
      {"first-layout", "Layout file (.sqf) of the first page.", "file"},
      {"additional-layout", "Layout file (.sqf) of the following pages.", "file"},
      {"no-additional-layout", "Use the first-page layout on every page."},
      {"units-first", "Depth units per first page (> 0).", "units"},
      {"units-additional", "Depth units per additional page (> 0).", "units"},
      {"major", "Major tick interval (> 0; labels).", "units"},
      {"minor", "Minor tick interval (>= 0; 0: ticks at the major interval only).", "units"},
      {"scale", "Pattern scale factor (at least 0.1).", "factor"},
      {"legend",
       "Add a legend page after each boring's last page: its classes, sample types, "
       "completion classes and groundwater symbols."},
      {"no-legend", "No legend page, whatever the print options remember."},
      {"preview",
       "Show the first chosen boring's log in the preview window instead of "
       "writing a PDF (needs a display)."},
      {"print",
       "Send the chosen borings' logs to the system printer instead of writing a "
       "PDF."},
      {"copies", "Number of copies when printing (default 1).", "n"},
      {"dialog", "Open the Print Options dialog for the project (needs a display)."},
  });
  parser.addOptions(sq::figureOptions());
  parser.process(app);

  const QStringList args = parser.positionalArguments();
  if (args.size() != 1) {
    std::cerr << "strataquill-log: name one project file (see --help).\n";
    return 2;
  }
  sq::render::LogRequest request;
  // A project file, or a project on a server: its address, or a link file
  // that holds it. A server project's logs carry its name where a file's
  // carry the file name.
  const std::string named = args[0].toStdString();
  const bool onServer = sq::db::isServerAddress(named) || sq::db::isProjectLink(named);
  std::string defaultOutput;
  std::string projectTitle;
  if (onServer) {
    auto target = sq::project::ResolveProject(named);
    if (!target.ok()) {
      std::cerr << "strataquill-log: " << target.status().message() << "\n";
      return 1;
    }
    request.projectPath = target->path;
    request.fileName = target->title;
    projectTitle = target->title;
    defaultOutput = sq::project::ServerOutputPath(named, projectTitle, ".pdf");
  } else {
    request.projectPath = fs::absolute(named).string();
    if (!sq::isExistingFile(request.projectPath)) {
      std::cerr << "strataquill-log: the project " << request.projectPath << " does not exist.\n";
      return 1;
    }
    request.fileName = fs::path(request.projectPath).filename().string();
    defaultOutput = fs::path(request.projectPath).replace_extension(".pdf").string();
  }
  if (sq::wantsFigure(parser)) {
    const std::string extension = parser.isSet("site-map") ? ".map.pdf" : ".section.pdf";
    std::string output = parser.value("output").toStdString();
    if (output.empty())
      output = onServer ? sq::project::ServerOutputPath(named, projectTitle, extension)
                        : fs::path(request.projectPath).replace_extension(extension).string();
    ConsolePrompts consolePrompts;
    sq::setPrompts(&consolePrompts);
    return sq::runFigureCommand(parser, request.projectPath, output, interactive);
  }
  std::vector<std::string> requested;
  for (const QString& b : parser.values("boring")) requested.push_back(b.toStdString());

  PrintOptions options = PrintOptions::load();
  sq::render::fallBackToShippedLayouts(options, sq::programFolder());
  // No shipped layouts either: the run says which file it looked for.
  if (!sq::isExistingFile(options.firstPageLayoutFile))
    options.firstPageLayoutFile = sq::programFolder() + "LogFirstPage.sqf";
  if (parser.isSet("first-layout"))
    options.firstPageLayoutFile = parser.value("first-layout").toStdString();
  if (parser.isSet("additional-layout")) {
    options.additionalPageLayoutFile = parser.value("additional-layout").toStdString();
    options.useAdditionalPageLayout = true;
  }
  if (parser.isSet("no-additional-layout")) options.useAdditionalPageLayout = false;
  if (parser.isSet("legend")) options.legendPage = true;
  if (parser.isSet("no-legend")) options.legendPage = false;

  double unitsFirst = options.unitsPerFirstPage, unitsAdditional = options.unitsPerAdditionalPage;
  double major = options.majorTickInterval, minor = options.minorTickInterval;
  double scale = options.patternScaleFactor;
  if (!numberOption(parser, "units-first", unitsFirst) ||
      !numberOption(parser, "units-additional", unitsAdditional) ||
      !numberOption(parser, "major", major) || !numberOption(parser, "minor", minor) ||
      !numberOption(parser, "scale", scale))
    return 2;
  if (!parser.isSet("units-additional") && parser.isSet("units-first"))
    unitsAdditional = unitsFirst;
  auto tick = [](double v) {
    return static_cast<short>(std::clamp(std::round(v), -32768.0, 32767.0));
  };
  options.unitsPerFirstPage = static_cast<float>(unitsFirst);
  options.unitsPerAdditionalPage = static_cast<float>(unitsAdditional);
  options.majorTickInterval = tick(major);
  options.minorTickInterval = tick(minor);
  options.patternScaleFactor = static_cast<float>(scale);
  request.options = options;
  request.classificationFile = sq::classificationFile();
  request.patternFolder = sq::patternsFolder();
  const std::string outputPath =
      parser.isSet("output") ? parser.value("output").toStdString() : defaultOutput;

  if (parser.isSet("preview") || parser.isSet("print") || parser.isSet("dialog")) {
    std::vector<std::string> borings, chosen;
    std::string error;
    if (!sq::render::chooseBorings(request.projectPath, requested, borings, chosen, error)) {
      std::cerr << "strataquill-log: " << error << "\n";
      return 1;
    }
    sq::QtUserPrompts windowPrompts;
    ConsolePrompts consolePrompts;
    if (interactive) {
      sq::setPrompts(&windowPrompts);
    } else {
      sq::setPrompts(&consolePrompts);
    }
    StandaloneContext context(request.projectPath, borings, chosen.front());
    const std::string& title = request.fileName;
    if (parser.isSet("dialog")) {
      sq::render::frmPrint dialog(context);
      dialog.ShowPrintDialog(parser.isSet("preview") ? 0 : 1, title, sq::render::kBoringLog);
      return 0;
    }
    if (parser.isSet("print") && QPrinterInfo::availablePrinterNames().isEmpty()) {
      std::cerr << "strataquill-log: no printer is installed; write a PDF with --output "
                   "instead.\n";
      return 1;
    }
    if (!sq::isExistingFile(options.firstPageLayoutFile)) {
      std::cerr << "strataquill-log: the layout file " << options.firstPageLayoutFile
                << " does not exist.\n";
      return 1;
    }
    const int destination =
        parser.isSet("preview") ? sq::render::kToPreview : sq::render::kToPrinter;
    const int copies = std::max(1, parser.value("copies").toInt());
    if (destination == sq::render::kToPreview) chosen.resize(1);
    sq::TerminalProgress terminal(static_cast<int>(chosen.size()), "printing");
    for (std::size_t i = 0; i < chosen.size(); ++i) {
      const sq::render::RunResult result = sq::render::drawPages(
          context, options, chosen[i], destination, title, sq::render::kBoringLog,
          i + 1 < chosen.size(), copies, interactive ? nullptr : &terminal);
      if (!result.ok()) {
        terminal.finished();
        if (!sq::TerminalProgress::interrupted()) return 1;
        std::cerr << "strataquill-log: cancelled.\n";
        return kInterrupted;
      }
    }
    return 0;
  }

  std::vector<std::string> all;
  std::string error;
  if (!sq::render::chooseBorings(request.projectPath, requested, all, request.borings, error)) {
    std::cerr << "strataquill-log: " << error << "\n";
    return 1;
  }
  const std::size_t borings = request.borings.size();
  sq::TerminalProgress terminal(static_cast<int>(borings), "writing");
  request.progress = &terminal;
  const sq::render::RunResult result = sq::render::exportLogsToPdf(request, outputPath);
  if (!result.ok()) {
    std::cerr << "strataquill-log: " << result.message << "\n";
    return result.outcome == sq::render::RunResult::Outcome::kCancelled ? kInterrupted : 1;
  }
  std::cout << "Wrote " << result.pages << (result.pages == 1 ? " page" : " pages") << " ("
            << borings << (borings == 1 ? " boring" : " borings") << ") to "
            << fs::absolute(outputPath).string() << "\n";
  return 0;
}
