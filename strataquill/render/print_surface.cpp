#include "strataquill/render/print_surface.h"

#include <QFontMetricsF>
#include <QImageReader>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace sq::render {
namespace {

// Font sizes outside this range are treated as the nearest bound, so a
// damaged layout cannot ask for an empty or absurd font.
constexpr double kMinPoints = 1;
constexpr double kMaxPoints = 500;

QFont makeFont(const SurfaceFont& f) {
  QFont font(f.name.isEmpty() ? QStringLiteral("Arial") : f.name);
  const double points = std::clamp(std::isfinite(f.size) ? f.size : 12.0, kMinPoints, kMaxPoints);
  // Pixel size in twips: the same size on the reference device and, through
  // the painter's scale, on every output.
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * kTwipsPerPoint))));
  font.setBold(f.bold);
  font.setItalic(f.italic);
  font.setUnderline(f.underline);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  return font;
}

// Puts the paragraph margins and alignment at a box (twips) for its
// lifetime, then gives the surface back its own.
class ParagraphBox {
 public:
  ParagraphBox(PrintSurface& s, double left, double right, TextAlign align)
      : s_(s), left_(s.marginLeft), right_(s.marginRight), align_(s.textAlign) {
    s.marginLeft = left;
    s.marginRight = s.pageWidth() - right;
    s.textAlign = align;
  }
  ~ParagraphBox() {
    s_.marginLeft = left_;
    s_.marginRight = right_;
    s_.textAlign = align_;
  }
  ParagraphBox(const ParagraphBox&) = delete;
  ParagraphBox& operator=(const ParagraphBox&) = delete;

 private:
  PrintSurface& s_;
  double left_, right_;
  TextAlign align_;
};

}  // namespace

PrintSurface::PrintSurface() = default;

void PrintSurface::setPageSize(double width, double height) {
  if (width > 0) doc_.pageWidth = width;
  if (height > 0) doc_.pageHeight = height;
}

void PrintSurface::setOrientation(int orientation) {
  orientation = orientation == 1 ? 1 : 0;
  const bool landscape = doc_.pageWidth > doc_.pageHeight;
  if ((orientation == 1) != landscape) std::swap(doc_.pageWidth, doc_.pageHeight);
  orientation_ = orientation;
}

void PrintSurface::resetTextState() {
  font = SurfaceFont{};
  textColor = 0;
  pen = Pen{};
  textAlign = TextAlign::kLeft;
  textAngle = 0;
  textClip = QRectF();
  marginLeft = marginRight = marginTop = marginBottom = 0;
  currentX = currentY = 0;
}

void PrintSurface::startDoc() {
  const QString name = doc_.name;
  const double w = doc_.pageWidth, h = doc_.pageHeight;
  doc_ = SurfaceDocument{};
  doc_.name = name;
  doc_.pageWidth = w;
  doc_.pageHeight = h;
  imageIndex_.clear();
  pictureCache_.clear();
  doc_.pages.emplace_back();
  open_ = true;
  currentX = marginLeft;
  currentY = marginTop;
}

void PrintSurface::newPage() {
  if (!open_) return;
  doc_.pages.emplace_back();
  currentX = marginLeft;
  currentY = marginTop;
}

void PrintSurface::beginInsert(int page, std::size_t at) {
  insertion_.reset();
  if (!open_ || page < 0 || page >= static_cast<int>(doc_.pages.size())) return;
  insertion_ = Insertion{page, std::min(at, doc_.pages[page].ops.size()), {}};
}

void PrintSurface::endInsert() {
  if (!insertion_) return;
  std::vector<DrawOp>& ops = doc_.pages[insertion_->page].ops;
  std::vector<DrawOp>& drawn = insertion_->scratch.ops;
  ops.insert(ops.begin() + static_cast<std::ptrdiff_t>(insertion_->at),
             std::make_move_iterator(drawn.begin()), std::make_move_iterator(drawn.end()));
  insertion_.reset();
}

void PrintSurface::endDoc() {
  open_ = false;
}

void PrintSurface::killDoc() {
  open_ = false;
  insertion_.reset();
  doc_.pages.clear();
  doc_.images.clear();
  imageIndex_.clear();
  pictureCache_.clear();
}

SurfacePage* PrintSurface::page() {
  if (insertion_) return &insertion_->scratch;
  if (!open_ || doc_.pages.empty()) return nullptr;
  return &doc_.pages.back();
}

const QFont& PrintSurface::currentQFont() const {
  if (cachedFor_ != font) {
    cachedFont_ = makeFont(font);
    cachedMetrics_.emplace(cachedFont_);
    cachedFor_ = font;
  }
  return cachedFont_;
}

const QFontMetricsF& PrintSurface::metrics() const {
  currentQFont();
  return *cachedMetrics_;
}

void PrintSurface::drawLine(double x1, double y1, double x2, double y2) {
  SurfacePage* p = page();
  if (!p || pen.style == kPenNone) return;
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
  p->ops.push_back(LineOp{{x1, y1}, {x2, y2}, pen});
}

void PrintSurface::drawPolygon(const QPolygonF& points, bool filled, Rgb fill) {
  SurfacePage* p = page();
  if (!p || points.size() < 2 || (pen.style == kPenNone && !filled)) return;
  for (const QPointF& point : points)
    if (!std::isfinite(point.x()) || !std::isfinite(point.y())) return;
  p->ops.push_back(PolygonOp{points, pen, filled, fill});
}

int PrintSurface::imageIndexFor(const QImage& image, const QString& key) {
  auto it = imageIndex_.find(key);
  if (it != imageIndex_.end()) return *it;
  const int index = static_cast<int>(doc_.images.size());
  doc_.images.push_back(image);
  imageIndex_.insert(key, index);
  return index;
}

void PrintSurface::drawPicture(const QImage& image, const QString& key, const QRectF& rect) {
  SurfacePage* p = page();
  if (!p || image.isNull() || !rect.isValid()) return;
  p->ops.push_back(PictureOp{rect, imageIndexFor(image, key)});
}

void PrintSurface::drawPattern(const QImage& image, const QString& key, const QRectF& rect,
                               double scale) {
  SurfacePage* p = page();
  if (!p || image.isNull() || !(rect.width() > 0) || !(rect.height() > 0)) return;
  const QSizeF tile = naturalSize(image) * scale;
  // A tile too small to see would make a pattern of billions of repeats.
  if (!(tile.width() >= 1) || !(tile.height() >= 1)) return;
  p->ops.push_back(PatternOp{rect, imageIndexFor(image, key), tile});
}

void PrintSurface::drawShape(const QPainterPath& path, const ShapeFill& fill) {
  SurfacePage* p = page();
  if (!p || path.isEmpty() || !path.boundingRect().isValid()) return;
  if (fill.kind == ShapeFill::Kind::kNone && pen.style == kPenNone) return;
  ShapeFill plain = fill;
  // Pattern fills come through drawPatternShape, which knows the picture.
  if (plain.kind == ShapeFill::Kind::kPattern) plain.kind = ShapeFill::Kind::kNone;
  p->ops.push_back(ShapeOp{path, plain, pen});
}

void PrintSurface::drawPatternShape(const QPainterPath& path, const QImage& image,
                                    const QString& key, double scale, const QPointF& anchor) {
  SurfacePage* p = page();
  if (!p || path.isEmpty() || !path.boundingRect().isValid()) return;
  const QSizeF tile = naturalSize(image) * scale;
  if (image.isNull() || !(tile.width() >= 1) || !(tile.height() >= 1)) {
    drawShape(path);
    return;
  }
  ShapeFill fill;
  fill.kind = ShapeFill::Kind::kPattern;
  fill.image = imageIndexFor(image, key);
  fill.tileSize = tile;
  fill.anchor = anchor;
  p->ops.push_back(ShapeOp{path, fill, pen});
}

TextOp PrintSurface::makeTextOp(const QString& text, double x, double y) const {
  TextOp op;
  op.origin = {x, y};
  op.text = text;
  op.font = currentQFont();
  op.color = textColor;
  op.angle = textAngle / 10.0;
  op.ascent = metrics().ascent();
  op.clip = textClip;
  return op;
}

void PrintSurface::printText(const QString& text) {
  SurfacePage* p = page();
  if (!p) return;
  const double width = textWidth(text);
  if (!text.trimmed().isEmpty()) p->ops.push_back(makeTextOp(text, currentX, currentY));
  const double radians = textAngle / 10.0 * M_PI / 180.0;
  currentX += width * std::cos(radians);
}

QStringList PrintSurface::wrapParagraph(const QString& text) const {
  return wrapText(text, doc_.pageWidth - marginRight - marginLeft);
}

QStringList PrintSurface::wrapText(const QString& text, double available) const {
  const QFontMetricsF& fm = metrics();
  QString normalized = text;
  normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  normalized.replace('\r', '\n');
  QStringList lines;
  for (const QString& hardLine : normalized.split('\n')) {
    QString line;
    bool lineStarted = false;
    auto placeWord = [&](QString word) {
      // A word wider than the line is broken between characters; every line
      // takes at least one character, so wrapping always progresses.
      while (fm.horizontalAdvance(word) > available && word.size() > 1) {
        if (lineStarted) {
          lines << line;
          line.clear();
          lineStarted = false;
        }
        int fit = 1;
        while (fit < word.size() && fm.horizontalAdvance(word.left(fit + 1)) <= available) ++fit;
        lines << word.left(fit);
        word = word.mid(fit);
      }
      if (!lineStarted) {
        line = word;
        lineStarted = true;
      } else if (fm.horizontalAdvance(line + ' ' + word) <= available) {
        line += ' ' + word;
      } else {
        lines << line;
        line = word;
      }
    };
    for (const QString& word : hardLine.split(' ')) placeWord(word);
    lines << line;
  }
  return lines;
}

double PrintSurface::textWidth(const QString& text) const {
  return metrics().horizontalAdvance(text);
}

double PrintSurface::textHeight() const {
  return metrics().height();
}

double PrintSurface::paragraphHeight(const QString& text) const {
  return wrapParagraph(text).size() * textHeight();
}

void PrintSurface::printParagraph(const QString& text) {
  SurfacePage* p = page();
  const QStringList lines = wrapParagraph(text);
  const double lineHeight = textHeight();
  const double left = marginLeft;
  const double right = doc_.pageWidth - marginRight;
  const double top = currentY;
  const QFontMetricsF& fm = metrics();
  QTransform turn;
  turn.translate(left, top);
  turn.rotate(-textAngle / 10.0);
  turn.translate(-left, -top);
  for (int i = 0; i < lines.size(); ++i) {
    if (!p || lines[i].trimmed().isEmpty()) continue;
    const double width = fm.horizontalAdvance(lines[i]);
    double x = left;
    if (textAlign == TextAlign::kCenter) x = left + (right - left - width) / 2;
    if (textAlign == TextAlign::kRight) x = right - width;
    TextOp op = makeTextOp(lines[i], x, top + i * lineHeight);
    op.origin = turn.map(op.origin);
    p->ops.push_back(std::move(op));
  }
  currentY = top + lines.size() * lineHeight;
  currentX = marginLeft;
}

QSizeF PrintSurface::naturalSize(const QImage& image) {
  // Resolutions are stored per metre; 96 dpi comes back as 3780 dots per
  // metre, so the nearest whole number of dots per inch is the intended one.
  auto dpi = [](int dotsPerMeter) {
    const double d = std::round(dotsPerMeter * 0.0254);
    return d >= 1 ? d : 96.0;
  };
  return {image.width() / dpi(image.dotsPerMeterX()) * kTwipsPerInch,
          image.height() / dpi(image.dotsPerMeterY()) * kTwipsPerInch};
}

bool PrintSurface::rectTextFits(const QString& text, double left, double top, double right,
                                double bottom) {
  if (!(right > left)) return false;
  ParagraphBox box(*this, left, right, textAlign);
  const QStringList lines = wrapParagraph(text);
  bool fits = top + lines.size() * textHeight() <= bottom;
  for (const QString& line : lines) fits = fits && textWidth(line) <= right - left;
  return fits;
}

bool PrintSurface::drawRectText(const QString& text, double left, double top, double right,
                                double bottom) {
  const bool fits = rectTextFits(text, left, top, right, bottom);
  if (!fits) return false;
  const double savedX = currentX, savedY = currentY;
  {
    ParagraphBox box(*this, left, right, textAlign);
    currentY = top;
    printParagraph(text);
  }
  currentX = savedX;
  currentY = savedY;
  return true;
}

double PrintSurface::MeasureParagraphHeight(const QString& text, double left, double top,
                                            double right, double bottom, TextAlign align) {
  (void)top;
  (void)bottom;
  ParagraphBox box(*this, left * kTwipsPerInch, right * kTwipsPerInch, align);
  return paragraphHeight(text) / kTwipsPerInch;
}

void PrintSurface::drawParagraph(const QString& text, double left, double top, double right,
                                 double bottom, TextAlign align) {
  (void)bottom;
  ParagraphBox box(*this, left * kTwipsPerInch, right * kTwipsPerInch, align);
  currentY = top * kTwipsPerInch;
  printParagraph(text);
}

QImage PrintSurface::loadPicture(const QString& file) {
  auto it = pictureCache_.find(file);
  if (it != pictureCache_.end()) return *it;
  QImageReader reader(file);
  // Refuse pictures whose pixel count would exhaust memory.
  const QSize size = reader.size();
  QImage image;
  if (size.isValid() && static_cast<qint64>(size.width()) * size.height() <= 64LL * 1024 * 1024)
    image = reader.read();
  pictureCache_.insert(file, image);
  return image;
}

void PrintSurface::DrawFilledRectangle(double left, double top, double right, double bottom,
                                       const QString& pictureFile, double patternScale) {
  const QImage image = loadPicture(pictureFile);
  if (image.isNull()) return;
  drawPattern(image, pictureFile, QRectF(QPointF(left, top), QPointF(right, bottom)), patternScale);
}

}  // namespace sq::render
