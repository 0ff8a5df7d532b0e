#pragma once

#include <QCommandLineOption>
#include <QList>

class QCommandLineParser;

namespace sq {

class PrintProgress;

// The options of the figures: --site-map, --section and their settings.
QList<QCommandLineOption> figureOptions();

// Whether the command line asks for a figure instead of logs.
bool wantsFigure(const QCommandLineParser& parser);

// Draws the site map or the section of `projectPath` and writes it to the
// PDF file `outputPath`, prints it, or shows it in the preview, as the
// command line says. Returns the program's exit status.
int runFigureCommand(const QCommandLineParser& parser, const std::string& projectPath,
                     const std::string& outputPath, bool interactive);

}  // namespace sq
