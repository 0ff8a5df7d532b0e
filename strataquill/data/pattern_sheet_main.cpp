// sq-pattern-sheet CLASSIFICATION PATTERNS OUTPUT.png
//
// Writes a contact sheet of the shipped classes: for every class of the
// three catalogues, its name and pattern files, each pattern picture
// repeated 2 x 2 at its natural size, and the class filled into a piece of
// log column at the default pattern scale of 0.333, the way a printed log
// fills it. The sheet is drawn at 150 pixels per inch.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QtMath>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "strataquill/layouts/classification_file.h"

namespace {

using sq::layouts::ClassKind;
using sq::layouts::PatternSlice;

constexpr double kSheetDpi = 150;
constexpr double kPatternScale = 0.333;
constexpr int kCellWidth = 560;
constexpr int kColumns = 4;
constexpr int kHeadingHeight = 50;

struct Catalogue {
  ClassKind kind;
  const char* title;
  double columnWidth;  // inches of the log column the class is shown in
  double columnHeight;
  int cellHeight;  // sheet pixels
};

const Catalogue kCatalogues[] = {
    {ClassKind::kLithology, "Lithology", 0.75, 1.6, 360},
    {ClassKind::kCompletion, "Completion", 0.45, 1.6, 300},
    {ClassKind::kSamples, "Samples", 0.35, 0.35, 240},
};

// Size of a picture in sheet pixels, from the resolution stored in it.
QSizeF naturalSize(const QImage& image) {
  const double dpiX = image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() * 0.0254 : 96;
  const double dpiY = image.dotsPerMeterY() > 0 ? image.dotsPerMeterY() * 0.0254 : 96;
  return QSizeF(image.width() / dpiX * kSheetDpi, image.height() / dpiY * kSheetDpi);
}

// Fills `rect` with `tile` repeated at its natural size times the pattern
// scale, anchored at the rectangle's top-left corner, as the log does: the
// tiles are laid whole into a scratch picture that is then shrunk into the
// rectangle, so no seam shows between them.
void fillScaled(QPainter& painter, const QRectF& rect, const QImage& tile) {
  const QSizeF natural = naturalSize(tile);
  if (tile.isNull() || natural.width() < 1 || natural.height() < 1) return;
  const double toTile = tile.width() / natural.width();  // sheet pixels to tile pixels
  const int w = qCeil(rect.width() / kPatternScale * toTile);
  const int h = qCeil(rect.height() / kPatternScale * toTile);
  if (w <= 0 || h <= 0) return;
  QImage scratch(w, h, QImage::Format_RGB32);
  {
    QPainter p(&scratch);
    for (int y = 0; y < h; y += tile.height())
      for (int x = 0; x < w; x += tile.width()) p.drawImage(x, y, tile);
  }
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.drawImage(rect, scratch.scaled(qRound(rect.width()), qRound(rect.height()),
                                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  painter.restore();
}

void drawClass(QPainter& painter, QPoint origin, const Catalogue& cat, const std::string& name,
               const std::string& list, const std::string& folder) {
  painter.save();
  painter.translate(origin);
  painter.setPen(Qt::black);
  QFont bold("Liberation Sans", 10, QFont::Bold);
  painter.setFont(bold);
  painter.drawText(QRectF(6, 4, kCellWidth - 12, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(name));
  painter.setFont(QFont("Liberation Sans", 8));
  painter.drawText(QRectF(6, 24, kCellWidth - 12, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(list));

  const std::vector<PatternSlice> slices = sq::layouts::parsePatternList(list);
  // Each distinct picture, repeated 2 x 2 at natural size.
  std::vector<std::string> shown;
  double x = 6;
  for (const PatternSlice& slice : slices) {
    if (std::find(shown.begin(), shown.end(), slice.fileName) != shown.end()) continue;
    shown.push_back(slice.fileName);
    const QImage tile(QString::fromStdString(sq::layouts::patternPath(folder, slice.fileName)));
    if (tile.isNull()) {
      painter.drawText(QPointF(x, 60), "missing");
      x += 100;
      continue;
    }
    const QSizeF n = naturalSize(tile);
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i)
        painter.drawImage(QRectF(QPointF(x + i * n.width(), 46 + j * n.height()), n), tile);
    painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
    painter.drawRect(QRectF(QPointF(x, 46), n * 2));
    painter.setPen(Qt::black);
    x += 2 * n.width() + 12;
  }

  // The class in a piece of log column at the default pattern scale.
  const QRectF column(kCellWidth - 6 - cat.columnWidth * kSheetDpi, 46, cat.columnWidth * kSheetDpi,
                      cat.columnHeight * kSheetDpi);
  double sx = column.left();
  for (const PatternSlice& slice : slices) {
    const double w = slice.percent * column.width() / 100;
    const QRectF part(sx, column.top(), w, column.height());
    const QImage tile(QString::fromStdString(sq::layouts::patternPath(folder, slice.fileName)));
    fillScaled(painter, part, tile);
    painter.setPen(QPen(Qt::black, 1));
    if (cat.kind == ClassKind::kCompletion) {
      painter.drawLine(part.topLeft(), part.bottomLeft());
      painter.drawLine(part.topRight(), part.bottomRight());
    } else {
      painter.drawRect(part);
    }
    sx += w;
  }
  if (cat.kind == ClassKind::kCompletion)
    painter.drawLine(column.bottomLeft(), column.bottomRight());
  painter.restore();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: sq-pattern-sheet CLASSIFICATION PATTERNS OUTPUT.png\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::string classification = argv[1];
  const std::string folder = argv[2];

  struct Entry {
    const Catalogue* cat;
    std::vector<std::pair<std::string, std::string>> rows;
  };
  std::vector<Entry> entries;
  int height = 0;
  for (const Catalogue& cat : kCatalogues) {
    auto rows = sq::layouts::readClassTable(classification, cat.kind);
    height += kHeadingHeight + ((int(rows.size()) + kColumns - 1) / kColumns) * cat.cellHeight;
    entries.push_back({&cat, std::move(rows)});
  }
  if (height == 0) {
    std::fprintf(stderr, "sq-pattern-sheet: no classes in %s\n", argv[1]);
    return 1;
  }

  QImage sheet(kColumns * kCellWidth, height, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  QPainter painter(&sheet);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  int top = 0;
  for (const Entry& entry : entries) {
    painter.setFont(QFont("Liberation Sans", 16, QFont::Bold));
    painter.drawText(QRectF(8, top, sheet.width(), kHeadingHeight), Qt::AlignVCenter,
                     QString("%1  (%2 classes; tiles 2 x 2 at natural size, column at 0.333)")
                         .arg(entry.cat->title)
                         .arg(entry.rows.size()));
    top += kHeadingHeight;
    for (std::size_t i = 0; i < entry.rows.size(); ++i) {
      const QPoint origin(int(i % kColumns) * kCellWidth,
                          top + int(i / kColumns) * entry.cat->cellHeight);
      drawClass(painter, origin, *entry.cat, entry.rows[i].first, entry.rows[i].second, folder);
    }
    top += ((int(entry.rows.size()) + kColumns - 1) / kColumns) * entry.cat->cellHeight;
  }
  painter.end();
  sheet.setDotsPerMeterX(qRound(kSheetDpi / 0.0254));
  sheet.setDotsPerMeterY(qRound(kSheetDpi / 0.0254));
  if (!sheet.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
    std::fprintf(stderr, "sq-pattern-sheet: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
