#pragma once

#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <variant>
#include <vector>

namespace sq::render {

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kTwipsPerPoint = 20.0;

// A colour as red + 256 × green + 65536 × blue.
using Rgb = std::uint32_t;

// Pen styles as layouts store them.
enum PenStyle : int {
  kPenSolid = 0,
  kPenDash = 1,
  kPenDot = 2,
  kPenDashDot = 3,
  kPenDashDotDot = 4,
  kPenNone = 5
};

struct Pen {
  Rgb color = 0;
  int style = kPenSolid;
  double width = 0;  // twips; 0 is the thinnest line the device draws
};

// Drawing operations of a page. Positions and sizes are twips from the
// page's top-left corner.
struct LineOp {
  QPointF from, to;
  Pen pen;
};

// One line of text whose top-left corner is `origin`, turned by `angle`
// degrees counter-clockwise around that corner. `ascent` (twips) puts the
// baseline, so every output draws the line where the reference metrics
// placed it. Nothing of the text shows outside `clip` unless it is null.
struct TextOp {
  QPointF origin;
  QString text;
  QFont font;  // pixel size in twips
  Rgb color = 0;
  double angle = 0;
  double ascent = 0;
  QRectF clip;
};

// A picture stretched into `rect`.
struct PictureOp {
  QRectF rect;
  int image = -1;  // index into SurfaceDocument::images
};

// `rect` filled with a picture tiled from its top-left corner, each tile
// `tileSize` twips.
struct PatternOp {
  QRectF rect;
  int image = -1;
  QSizeF tileSize;
};

// A closed outline through `points`, drawn with `pen` and, when `filled`,
// filled with `fill` (symbols: water levels, plot points).
struct PolygonOp {
  QPolygonF points;
  Pen pen;
  bool filled = false;
  Rgb fill = 0;
};

// How the inside of a shape is painted: not at all, in one colour, or with
// a picture tiled from `anchor` (so neighbouring shapes filled from the same
// anchor join without a seam), each tile `tileSize` twips.
struct ShapeFill {
  enum class Kind { kNone, kSolid, kPattern };
  Kind kind = Kind::kNone;
  Rgb color = 0;
  int image = -1;
  QSizeF tileSize;
  QPointF anchor;
};

// A closed shape (polygons, circles) filled, then outlined with `pen`
// unless its style is kPenNone.
struct ShapeOp {
  QPainterPath path;
  ShapeFill fill;
  Pen pen;
};

using DrawOp = std::variant<LineOp, TextOp, PictureOp, PatternOp, PolygonOp, ShapeOp>;

struct SurfacePage {
  std::vector<DrawOp> ops;
};

// A composed document: its pages and the pictures they use, each picture
// kept once however often it is drawn.
struct SurfaceDocument {
  QString name;
  double pageWidth = 12240;  // twips (US Letter portrait)
  double pageHeight = 15840;
  std::vector<SurfacePage> pages;
  std::vector<QImage> images;
};

}  // namespace sq::render
