// strataquill-log: renders boring logs of a project to a PDF file without a
// display, through the same page composer as the desktop program.

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "strataquill/render/log_export.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/settings_store.h"

namespace {

namespace fs = std::filesystem;
using sq::render::PrintOptions;

bool exists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && path[0] != '?' && fs::is_regular_file(path, ec);
}

// Reads a number option; false (with a message) when it is not a number.
bool numberOption(const QCommandLineParser& parser, const QString& name, double& value) {
  if (!parser.isSet(name)) return true;
  bool ok = false;
  value = parser.value(name).toDouble(&ok);
  if (!ok) std::cerr << "strataquill-log: --" << name.toStdString() << " needs a number.\n";
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QGuiApplication::setApplicationName("strataquill-log");
  // The desktop program and this renderer share one settings application.
  sq::setApplicationName("Strataquill");

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Renders the boring logs of a Strataquill project (.sq2) to a PDF file.\n"
      "Defaults come from the print options the desktop program remembers, then from the "
      "layouts shipped in the program folder.");
  parser.addHelpOption();
  parser.addPositionalArgument("project", "The project file (.sq2).");
  parser.addOptions({
      {{"b", "boring"}, "A boring to render (repeat for several). Default: every boring.", "name"},
      {{"o", "output"}, "The PDF file to write. Default: the project's name with .pdf.", "file"},
      {"first-layout", "Layout file (.sqf) of the first page.", "file"},
      {"additional-layout", "Layout file (.sqf) of the following pages.", "file"},
      {"no-additional-layout", "Use the first-page layout on every page."},
      {"units-first", "Depth units per first page (> 0).", "units"},
      {"units-additional", "Depth units per additional page (> 0).", "units"},
      {"major", "Major tick interval (> 0; labels).", "units"},
      {"minor", "Minor tick interval (>= 0; 0: ticks at the major interval only).", "units"},
      {"scale", "Pattern scale factor (at least 0.1).", "factor"},
  });
  parser.process(app);

  const QStringList args = parser.positionalArguments();
  if (args.size() != 1) {
    std::cerr << "strataquill-log: name one project file (see --help).\n";
    return 2;
  }
  sq::render::LogExportRequest request;
  request.projectPath = fs::absolute(args[0].toStdString()).string();
  if (!exists(request.projectPath)) {
    std::cerr << "strataquill-log: the project " << request.projectPath << " does not exist.\n";
    return 1;
  }
  for (const QString& b : parser.values("boring")) request.borings.push_back(b.toStdString());

  const std::string folder = sq::programFolder();
  PrintOptions options = PrintOptions::load();
  const std::string shippedFirst = folder + "LogFirstPage.sqf";
  const std::string shippedAdditional = folder + "LogAdditionalPages.sqf";
  if (!exists(options.firstPageLayoutFile)) {
    options.firstPageLayoutFile = shippedFirst;
    if (!exists(options.additionalPageLayoutFile) && exists(shippedAdditional)) {
      options.additionalPageLayoutFile = shippedAdditional;
      options.useAdditionalPageLayout = true;
    }
  }
  if (parser.isSet("first-layout"))
    options.firstPageLayoutFile = parser.value("first-layout").toStdString();
  if (parser.isSet("additional-layout")) {
    options.additionalPageLayoutFile = parser.value("additional-layout").toStdString();
    options.useAdditionalPageLayout = true;
  }
  if (parser.isSet("no-additional-layout")) options.useAdditionalPageLayout = false;

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
  request.classificationFile = folder + "Classification.sqc";
  request.patternFolder = folder + "Patterns";
  request.outputPath = parser.isSet("output")
                           ? parser.value("output").toStdString()
                           : fs::path(request.projectPath).replace_extension(".pdf").string();

  const sq::render::LogExportResult result = sq::render::exportLogsToPdf(request);
  if (!result.ok) {
    std::cerr << "strataquill-log: " << result.error << "\n";
    return 1;
  }
  std::cout << "Wrote " << result.pages << (result.pages == 1 ? " page" : " pages") << " ("
            << result.borings.size() << (result.borings.size() == 1 ? " boring" : " borings")
            << ") to " << fs::absolute(request.outputPath).string() << "\n";
  return 0;
}
