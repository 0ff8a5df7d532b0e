// sq-make-patterns FOLDER
//
// Draws the pattern library into FOLDER (the program folder's "Patterns"):
// one grey-scale PNG per tile, stamped with the tile resolution so that a
// tile prints at its natural size.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>
#include <cstdio>

#include "strataquill/data/pattern_set.h"

namespace {

bool writeTile(const QString& folder, const sq::patterns::PatternDef& def) {
  QImage image(def.width, def.height, QImage::Format_RGB32);
  {
    sq::patterns::TilePainter painter(image);
    def.draw(painter);
  }
  QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
  const int dotsPerMeter = qRound(sq::patterns::kTileDpi / 0.0254);
  grey.setDotsPerMeterX(dotsPerMeter);
  grey.setDotsPerMeterY(dotsPerMeter);
  QSaveFile file(QDir(folder).filePath(QString::fromLatin1(def.fileName)));
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (!grey.save(&file, "PNG")) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sq-make-patterns FOLDER\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "sq-make-patterns: cannot make %s\n", argv[1]);
    return 1;
  }
  for (const auto& def : sq::patterns::patternSet()) {
    if (!writeTile(folder, def)) {
      std::fprintf(stderr, "sq-make-patterns: cannot write %s\n", def.fileName);
      return 1;
    }
  }
  return 0;
}
