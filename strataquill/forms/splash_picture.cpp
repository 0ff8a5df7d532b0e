#include "strataquill/forms/splash_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstring>

#include "strataquill/data/pattern_set.h"

namespace sq::forms {
namespace {

// A lithology tile of the pattern library, shrunk and tinted: black marks
// become `ink`, white ground becomes `ground`.
QImage tintedTile(const char* fileName, double scale, QColor ground, QColor ink) {
  for (const patterns::PatternDef& def : patterns::patternSet()) {
    if (std::strcmp(def.fileName, fileName) != 0) continue;
    QImage tile(def.width, def.height, QImage::Format_RGB32);
    {
      patterns::TilePainter painter(tile);
      def.draw(painter);
    }
    tile = tile.scaled(std::max(8, int(def.width * scale)), std::max(8, int(def.height * scale)),
                       Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int y = 0; y < tile.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(tile.scanLine(y));
      for (int x = 0; x < tile.width(); ++x) {
        const double dark = 1.0 - qGray(line[x]) / 255.0;
        auto mix = [dark](int a, int b) { return int(std::lround(a + (b - a) * dark)); };
        line[x] = qRgb(mix(ground.red(), ink.red()), mix(ground.green(), ink.green()),
                       mix(ground.blue(), ink.blue()));
      }
    }
    return tile;
  }
  QImage plain(8, 8, QImage::Format_RGB32);
  plain.fill(ground);
  return plain;
}

// Boundary `i` between two layers: a gentle wave across the picture; the
// ground surface (boundary 0) is flat.
double boundaryAt(int i, double base, double x) {
  if (i == 0) return base;
  const double phase = i * 1.7, amplitude = 5;
  return base + amplitude * std::sin(x / 97.0 + phase) +
         amplitude * 0.5 * std::sin(x / 41.0 + 2 * phase);
}

// The band between boundary `i` at `top` and boundary `i + 1` at `bottom`.
QPainterPath layerBand(int i, double top, double bottom) {
  QPainterPath path;
  path.moveTo(0, boundaryAt(i, top, 0));
  for (int x = 0; x <= kSplashWidth; x += 4) path.lineTo(x, boundaryAt(i, top, x));
  for (int x = kSplashWidth; x >= 0; x -= 4) path.lineTo(x, boundaryAt(i + 1, bottom, x));
  path.closeSubpath();
  return path;
}

struct Layer {
  const char* pattern;
  double top;
  QColor ground, ink;
};

void drawSky(QPainter& p, double horizon) {
  QLinearGradient sky(0, 0, 0, horizon);
  sky.setColorAt(0, QColor(118, 164, 206));
  sky.setColorAt(0.7, QColor(196, 219, 233));
  sky.setColorAt(1, QColor(236, 230, 210));
  p.fillRect(QRectF(0, 0, kSplashWidth, horizon + 8), sky);
  // Low hills far away.
  QPainterPath hills;
  hills.moveTo(0, horizon);
  for (int x = 0; x <= kSplashWidth; x += 4)
    hills.lineTo(x, horizon - 18 - 14 * std::sin(x / 83.0) - 9 * std::sin(x / 37.0 + 1.3));
  hills.lineTo(kSplashWidth, horizon);
  hills.closeSubpath();
  p.fillPath(hills, QColor(152, 170, 150));
}

void drawGround(QPainter& p, double horizon) {
  const Layer layers[] = {
      {"pt.png", horizon, QColor(122, 98, 64), QColor(70, 54, 32)},
      {"sm.png", horizon + 24, QColor(214, 186, 128), QColor(132, 100, 52)},
      {"cl.png", horizon + 92, QColor(170, 136, 108), QColor(96, 70, 52)},
      {"gw.png", horizon + 150, QColor(196, 178, 150), QColor(104, 88, 66)},
      {"sp.png", horizon + 202, QColor(228, 208, 160), QColor(150, 124, 70)},
  };
  const int count = sizeof layers / sizeof layers[0];
  for (int i = 0; i < count; ++i) {
    const double bottom = i + 1 < count ? layers[i + 1].top : kSplashHeight + 20;
    const QImage tile = tintedTile(layers[i].pattern, 0.32, layers[i].ground, layers[i].ink);
    const QPainterPath band = layerBand(i, layers[i].top, bottom);
    p.fillPath(band, QBrush(tile));
    p.setPen(QPen(layers[i].ink.darker(130), 1.2));
    p.drawPath(band);
  }
}

// A truck-mounted rig with its mast up, standing at `x` on the surface.
void drawRig(QPainter& p, double x, double surface) {
  p.setRenderHint(QPainter::Antialiasing);
  const QColor steel(52, 58, 66), paint(196, 68, 40);
  // Borehole down from the rig, cased at the top.
  p.fillRect(QRectF(x + 33, surface, 10, kSplashHeight - surface), QColor(58, 48, 40));
  p.fillRect(QRectF(x + 31, surface, 14, 46), QColor(200, 204, 210));
  // Truck.
  p.setPen(Qt::NoPen);
  p.setBrush(paint);
  p.drawRoundedRect(QRectF(x - 40, surface - 34, 118, 22), 3, 3);
  p.drawRoundedRect(QRectF(x + 78, surface - 48, 34, 36), 4, 4);
  p.setBrush(QColor(170, 210, 230));
  p.drawRect(QRectF(x + 86, surface - 44, 20, 14));
  p.setBrush(steel);
  for (double wheel : {x - 22.0, x + 4.0, x + 94.0}) p.drawEllipse(QPointF(wheel, surface - 10), 10, 10);
  p.setBrush(QColor(150, 150, 150));
  for (double wheel : {x - 22.0, x + 4.0, x + 94.0}) p.drawEllipse(QPointF(wheel, surface - 10), 4, 4);
  // Mast: two rails and lattice.
  p.setPen(QPen(steel, 3));
  const double top = surface - 150;
  p.drawLine(QPointF(x + 28, surface - 34), QPointF(x + 32, top));
  p.drawLine(QPointF(x + 48, surface - 34), QPointF(x + 44, top));
  p.setPen(QPen(steel, 1.4));
  for (double y = surface - 34; y > top + 8; y -= 16) {
    p.drawLine(QPointF(x + 29, y), QPointF(x + 47, y - 16));
    p.drawLine(QPointF(x + 29, y - 16), QPointF(x + 47, y));
  }
  p.setBrush(paint);
  p.setPen(Qt::NoPen);
  p.drawRect(QRectF(x + 26, top - 10, 24, 12));
  // Kelly and auger flights.
  p.setPen(QPen(QColor(90, 96, 104), 3));
  p.drawLine(QPointF(x + 38, top), QPointF(x + 38, surface + 40));
  p.setPen(QPen(QColor(90, 96, 104), 2));
  for (double y = surface - 30; y < surface + 38; y += 7)
    p.drawLine(QPointF(x + 32, y), QPointF(x + 44, y + 5));
}

// A strip of a printed boring log: depth ticks and a pattern column.
void drawLogStrip(QPainter& p, const QRectF& box) {
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 60));
  p.drawRect(box.translated(5, 5));
  p.setBrush(QColor(252, 251, 246));
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.drawRect(box);
  const QRectF depth(box.left() + 8, box.top() + 26, 30, box.height() - 36);
  const QRectF column(depth.right() + 4, depth.top(), 40, depth.height());
  const QRectF words(column.right() + 8, depth.top(), box.right() - column.right() - 16,
                     depth.height());
  p.setFont(QFont("Liberation Sans", 8, QFont::Bold));
  p.drawText(QRectF(box.left(), box.top() + 4, box.width(), 18), Qt::AlignCenter, "B-1");
  p.drawRect(depth);
  p.drawRect(column);
  p.setFont(QFont("Liberation Sans", 6));
  for (int tick = 0; tick <= 20; ++tick) {
    const double y = depth.top() + tick * depth.height() / 20;
    const double len = tick % 5 == 0 ? 7 : 4;
    p.drawLine(QPointF(depth.left(), y), QPointF(depth.left() + len, y));
    p.drawLine(QPointF(depth.right() - len, y), QPointF(depth.right(), y));
    if (tick % 5 == 0 && tick > 0 && tick < 20)
      p.drawText(QRectF(depth.left(), y - 6, depth.width(), 12), Qt::AlignCenter,
                 QString::number(tick));
  }
  struct Unit {
    const char* pattern;
    double from, to;
    const char* text;
  };
  const Unit units[] = {{"pt.png", 0, 1.5, "Topsoil"},
                        {"sm.png", 1.5, 7, "Silty sand, brown, moist"},
                        {"cl.png", 7, 12.5, "Lean clay, stiff"},
                        {"gw.png", 12.5, 16, "Gravel, well graded"},
                        {"sp.png", 16, 20, "Sand, fine, wet"}};
  for (const Unit& u : units) {
    const double y1 = column.top() + u.from * column.height() / 20;
    const double y2 = column.top() + u.to * column.height() / 20;
    const QRectF slice(column.left(), y1, column.width(), y2 - y1);
    p.fillRect(slice, QBrush(tintedTile(u.pattern, 0.18, Qt::white, Qt::black)));
    p.drawLine(QPointF(column.left(), y2), QPointF(words.right(), y2));
    p.drawText(QRectF(words.left(), y1 + 2, words.width(), y2 - y1 - 2),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, u.text);
  }
  p.setBrush(Qt::NoBrush);
  p.drawRect(column);
}

}  // namespace

QImage splashPicture() {
  static const QImage picture = [] {
    QImage image(kSplashWidth, kSplashHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double horizon = 178;
    drawSky(p, horizon);
    drawGround(p, horizon);
    drawRig(p, 118, horizon);
    drawLogStrip(p, QRectF(418, 36, 176, 366));
    p.end();
    // Kept to a palette of 256 colours, as the picture of a splash window is.
    return image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
  }();
  return picture;
}

}  // namespace sq::forms
