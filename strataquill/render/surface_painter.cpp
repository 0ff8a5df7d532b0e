#include "strataquill/render/surface_painter.h"

#include <QBrush>
#include <QFile>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrinter>
#include <QSaveFile>

#include "strataquill/render/print_progress.h"

#include <cmath>

namespace sq::render {
namespace {

QColor toColor(Rgb rgb) {
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

QPen toPen(const Pen& pen) {
  QPen q(toColor(pen.color));
  q.setWidthF(pen.width > 0 ? pen.width : 0);  // 0: cosmetic, the thinnest line
  q.setCapStyle(Qt::FlatCap);
  switch (pen.style) {
    case kPenDash:
      q.setStyle(Qt::DashLine);
      break;
    case kPenDot:
      q.setStyle(Qt::DotLine);
      break;
    case kPenDashDot:
      q.setStyle(Qt::DashDotLine);
      break;
    case kPenDashDotDot:
      q.setStyle(Qt::DashDotDotLine);
      break;
    case kPenNone:
      q.setStyle(Qt::NoPen);
      break;
    default:
      q.setStyle(Qt::SolidLine);
      break;
  }
  return q;
}

// A PDF file (and a printer, which receives one) writes a tiled brush as a
// pattern object of its own for every rectangle filled, some 330 bytes
// that are never compressed; tiles drawn one by one are a few compressed
// bytes each that name the one embedded picture. Rectangles of more tiles
// than this are filled with the brush.
constexpr double kMostTilesDrawnOneByOne = 400;

struct Painter {
  QPainter& p;
  const SurfaceDocument& doc;

  bool drawTiles(const PatternOp& op, const QImage& image) const {
    const double tw = op.tileSize.width(), th = op.tileSize.height();
    if (!(tw > 0) || !(th > 0)) return false;
    const double tiles = std::ceil(op.rect.width() / tw) * std::ceil(op.rect.height() / th);
    if (!(tiles <= kMostTilesDrawnOneByOne)) return false;
    p.save();
    p.setClipRect(op.rect, Qt::IntersectClip);
    for (double y = op.rect.top(); y < op.rect.bottom(); y += th)
      for (double x = op.rect.left(); x < op.rect.right(); x += tw)
        p.drawImage(QRectF(x, y, tw, th), image);
    p.restore();
    return true;
  }

  void operator()(const LineOp& op) const {
    p.setPen(toPen(op.pen));
    p.drawLine(op.from, op.to);
  }
  void operator()(const TextOp& op) const {
    p.save();
    if (!op.clip.isNull()) p.setClipRect(op.clip, Qt::IntersectClip);
    p.setPen(toColor(op.color));
    p.setFont(op.font);
    p.translate(op.origin);
    if (op.angle != 0) p.rotate(-op.angle);
    p.drawText(QPointF(0, op.ascent), op.text);
    p.restore();
  }
  void operator()(const PictureOp& op) const {
    if (op.image < 0 || op.image >= static_cast<int>(doc.images.size())) return;
    p.drawImage(op.rect, doc.images[op.image]);
  }
  void operator()(const PolygonOp& op) const {
    p.setPen(toPen(op.pen));
    p.setBrush(op.filled ? QBrush(toColor(op.fill)) : QBrush(Qt::NoBrush));
    p.drawPolygon(op.points);
    p.setBrush(Qt::NoBrush);
  }
  void operator()(const PatternOp& op) const {
    if (op.image < 0 || op.image >= static_cast<int>(doc.images.size())) return;
    const QImage& image = doc.images[op.image];
    if (p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Pdf && drawTiles(op, image))
      return;
    // A tiled brush anchored at the rectangle's top-left corner: each
    // picture is embedded once, however many rectangles it fills.
    QBrush brush(image);
    QTransform t;
    t.translate(op.rect.left(), op.rect.top());
    t.scale(op.tileSize.width() / image.width(), op.tileSize.height() / image.height());
    brush.setTransform(t);
    p.fillRect(op.rect, brush);
  }
  // A pattern-filled shape's tiles one by one inside it, for the reason
  // drawTiles gives; the grid starts at the fill's anchor, so neighbouring
  // shapes filled from one anchor still join without a seam.
  bool drawShapeTiles(const ShapeOp& op, const QImage& image) const {
    const double tw = op.fill.tileSize.width(), th = op.fill.tileSize.height();
    if (!(tw > 0) || !(th > 0)) return false;
    const QRectF box = op.path.boundingRect();
    const double left = op.fill.anchor.x() + std::floor((box.left() - op.fill.anchor.x()) / tw) * tw;
    const double top = op.fill.anchor.y() + std::floor((box.top() - op.fill.anchor.y()) / th) * th;
    const double tiles = std::ceil((box.right() - left) / tw) * std::ceil((box.bottom() - top) / th);
    if (!(tiles <= kMostTilesDrawnOneByOne)) return false;
    p.save();
    p.setClipPath(op.path, Qt::IntersectClip);
    for (double y = top; y < box.bottom(); y += th)
      for (double x = left; x < box.right(); x += tw) p.drawImage(QRectF(x, y, tw, th), image);
    p.restore();
    return true;
  }

  void operator()(const ShapeOp& op) const {
    QBrush brush(Qt::NoBrush);
    if (op.fill.kind == ShapeFill::Kind::kSolid) brush = QBrush(toColor(op.fill.color));
    if (op.fill.kind == ShapeFill::Kind::kPattern && op.fill.image >= 0 &&
        op.fill.image < static_cast<int>(doc.images.size())) {
      const QImage& image = doc.images[op.fill.image];
      if (p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Pdf &&
          drawShapeTiles(op, image)) {
        // The outline after the tiles, as the brush would have it.
        QPen pen = toPen(op.pen);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(op.path);
        return;
      }
      brush = QBrush(image);
      QTransform t;
      t.translate(op.fill.anchor.x(), op.fill.anchor.y());
      t.scale(op.fill.tileSize.width() / image.width(), op.fill.tileSize.height() / image.height());
      brush.setTransform(t);
    }
    QPen pen = toPen(op.pen);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(brush);
    p.drawPath(op.path);
    p.setBrush(Qt::NoBrush);
  }
};

}  // namespace

void paintPage(QPainter& painter, const SurfaceDocument& doc, int index) {
  if (index < 0 || index >= static_cast<int>(doc.pages.size())) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  // Pattern tiles are line drawings: kept exact (and small) in a PDF rather
  // than turned into JPEG.
  painter.setRenderHint(QPainter::LosslessImageRendering);
  const Painter draw{painter, doc};
  for (const DrawOp& op : doc.pages[index].ops) std::visit(draw, op);
  painter.restore();
}

PrintOutcome writePdf(const SurfaceDocument& doc, const QString& path, QString* error,
                      PrintProgress* progress) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = file.errorString();
    return PrintOutcome::kNotStarted;
  }
  {
    QPdfWriter writer(&file);
    writer.setResolution(static_cast<int>(kTwipsPerInch));
    writer.setPageSize(QPageSize(
        QSizeF(doc.pageWidth / kTwipsPerInch, doc.pageHeight / kTwipsPerInch), QPageSize::Inch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(doc.name);
    writer.setCreator(QStringLiteral("Strataquill"));
    QPainter painter;
    if (!painter.begin(&writer)) {
      if (error) *error = QStringLiteral("cannot start the PDF writer");
      file.cancelWriting();
      return PrintOutcome::kNotStarted;
    }
    const int pages = std::max<int>(1, static_cast<int>(doc.pages.size()));
    for (int i = 0; i < pages; ++i) {
      if (progress) {
        if (progress->cancelRequested()) {
          painter.end();
          file.cancelWriting();
          if (error) *error = QStringLiteral("cancelled");
          return PrintOutcome::kCancelled;
        }
        progress->printing(i + 1, pages, 1, 1);
      }
      if (i > 0) writer.newPage();
      paintPage(painter, doc, i);
    }
    painter.end();
  }
  if (!file.commit()) {
    if (error) *error = file.errorString();
    return PrintOutcome::kFailed;
  }
  return PrintOutcome::kPrinted;
}

QImage renderPageImage(const SurfaceDocument& doc, int index, double dpi) {
  const double scale = dpi / kTwipsPerInch;
  QImage image(std::max(1, static_cast<int>(doc.pageWidth * scale + 0.5)),
               std::max(1, static_cast<int>(doc.pageHeight * scale + 0.5)), QImage::Format_RGB32);
  image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
  image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.scale(scale, scale);
  paintPage(painter, doc, index);
  return image;
}

PrintOutcome printDocument(const SurfaceDocument& doc, QPrinter& printer, int copies,
                           PrintProgress* progress) {
  copies = std::max(1, copies);
  printer.setDocName(doc.name);
  printer.setFullPage(true);
  // A printer that makes the copies itself gets the count; for one that
  // does not (a PDF file, some drivers) every copy is sent in turn.
  printer.setCopyCount(copies);
  const int passes = printer.supportsMultipleCopies() ? 1 : copies;
  if (passes > 1) printer.setCopyCount(1);
  QPainter painter;
  if (!painter.begin(&printer)) return PrintOutcome::kNotStarted;
  const double scale = printer.resolution() / kTwipsPerInch;
  painter.scale(scale, scale);
  const int pages = static_cast<int>(doc.pages.size());
  bool first = true;
  for (int copy = 1; copy <= passes; ++copy) {
    for (int i = 0; i < pages; ++i) {
      if (progress) {
        if (progress->cancelRequested()) {
          // An engine that cannot abort (Qt's PDF and CUPS engines send a
          // job only as it ends) gets no further pages; a file it wrote is
          // removed.
          if (!printer.abort()) {
            painter.end();
            if (printer.outputFormat() == QPrinter::PdfFormat &&
                !printer.outputFileName().isEmpty())
              QFile::remove(printer.outputFileName());
          }
          return PrintOutcome::kCancelled;
        }
        progress->printing(i + 1, pages, copy, passes);
      }
      if (!first && !printer.newPage()) return PrintOutcome::kFailed;
      first = false;
      paintPage(painter, doc, i);
    }
  }
  if (!painter.end() || printer.printerState() == QPrinter::Error) return PrintOutcome::kFailed;
  return PrintOutcome::kPrinted;
}

}  // namespace sq::render
