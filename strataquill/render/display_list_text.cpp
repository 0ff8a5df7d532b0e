#include "strataquill/render/display_list_text.h"

#include <QByteArrayView>

#include <cstdio>
#include <sstream>

namespace sq::render {
namespace {

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  // "-0.00" and "0.00" are the same place.
  return std::string(buf) == "-0.00" ? "0.00" : buf;
}

std::string rect(const QRectF& r) {
  if (r.isNull()) return "-";
  return num(r.left()) + "," + num(r.top()) + "," + num(r.width()) + "x" + num(r.height());
}

std::string pen(const Pen& p) {
  return std::to_string(p.color) + "/" + std::to_string(p.style) + "/" + num(p.width);
}

struct Writer {
  std::ostringstream& out;

  void operator()(const LineOp& op) const {
    out << "L " << num(op.from.x()) << ' ' << num(op.from.y()) << ' ' << num(op.to.x()) << ' '
        << num(op.to.y()) << ' ' << pen(op.pen) << '\n';
  }
  void operator()(const TextOp& op) const {
    out << "T " << num(op.origin.x()) << ' ' << num(op.origin.y()) << " a" << num(op.angle) << " b"
        << num(op.ascent) << ' ' << op.color << " \"" << op.font.family().toStdString() << "\" "
        << num(op.font.pixelSize() > 0 ? op.font.pixelSize() : op.font.pointSizeF())
        << (op.font.bold() ? " B" : "") << (op.font.italic() ? " I" : "")
        << (op.font.underline() ? " U" : "") << " clip " << rect(op.clip) << " |"
        << op.text.toStdString() << "|\n";
  }
  void operator()(const PictureOp& op) const {
    out << "P " << rect(op.rect) << " #" << op.image << '\n';
  }
  void operator()(const PatternOp& op) const {
    out << "F " << rect(op.rect) << " #" << op.image << ' ' << num(op.tileSize.width()) << 'x'
        << num(op.tileSize.height()) << '\n';
  }
  void operator()(const PolygonOp& op) const {
    out << "G";
    for (const QPointF& p : op.points) out << ' ' << num(p.x()) << ',' << num(p.y());
    out << ' ' << pen(op.pen) << (op.filled ? " fill " + std::to_string(op.fill) : "") << '\n';
  }
  void operator()(const ShapeOp& op) const {
    // Each point of the path after its kind: m(ove), l(ine), c(urve) and
    // the curve's further control points (d).
    out << "S";
    for (int i = 0; i < op.path.elementCount(); ++i) {
      const QPainterPath::Element e = op.path.elementAt(i);
      const char kind = e.isMoveTo() ? 'm' : e.isLineTo() ? 'l' : e.isCurveTo() ? 'c' : 'd';
      out << ' ' << kind << num(e.x) << ',' << num(e.y);
    }
    out << ' ' << pen(op.pen);
    switch (op.fill.kind) {
      case ShapeFill::Kind::kNone: break;
      case ShapeFill::Kind::kSolid: out << " fill " << op.fill.color; break;
      case ShapeFill::Kind::kPattern:
        out << " pattern #" << op.fill.image << ' ' << num(op.fill.tileSize.width()) << 'x'
            << num(op.fill.tileSize.height()) << " from " << num(op.fill.anchor.x()) << ','
            << num(op.fill.anchor.y());
        break;
    }
    out << '\n';
  }
};

}  // namespace

std::string displayListText(const SurfaceDocument& doc) {
  std::ostringstream out;
  out << "document " << num(doc.pageWidth) << 'x' << num(doc.pageHeight) << ' ' << doc.pages.size()
      << " pages\n";
  for (std::size_t i = 0; i < doc.images.size(); ++i) {
    const QImage image = doc.images[i].convertToFormat(QImage::Format_ARGB32);
    out << "image #" << i << ' ' << image.width() << 'x' << image.height() << ' '
        << qChecksum(QByteArrayView(reinterpret_cast<const char*>(image.constBits()),
                                    image.sizeInBytes()))
        << '\n';
  }
  const Writer write{out};
  for (std::size_t p = 0; p < doc.pages.size(); ++p) {
    out << "page " << p + 1 << '\n';
    for (const DrawOp& op : doc.pages[p].ops) std::visit(write, op);
  }
  return out.str();
}

std::string firstDifference(const std::string& expected, const std::string& actual) {
  std::istringstream a(expected), b(actual);
  std::string la, lb;
  for (int line = 1;; ++line) {
    const bool moreA = static_cast<bool>(std::getline(a, la));
    const bool moreB = static_cast<bool>(std::getline(b, lb));
    if (!moreA && !moreB) return {};
    if (!moreA || !moreB || la != lb)
      return "line " + std::to_string(line) + ":\n  expected: " + (moreA ? la : "(end)") +
             "\n  actual:   " + (moreB ? lb : "(end)");
  }
}

}  // namespace sq::render
