#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

#include "strataquill/render/surface_document.h"

namespace sq::render {

enum class TextAlign { kLeft, kCenter, kRight };

// Font settings of the surface.
struct SurfaceFont {
  QString name = QStringLiteral("Arial");
  double size = 12;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  friend bool operator==(const SurfaceFont&, const SurfaceFont&) = default;
};

// The print surface on which logs are composed: a document of pages, each a
// list of drawing operations in twips. Text is measured on one reference
// device of 1440 dots per inch, so a page is laid out identically whether it
// goes to the printer, a PDF file, the preview or the clipboard; the outputs
// only replay the operations (see surface_painter.h).
//
// The state (font, pen, alignment, margins, current position) works like a
// classic print-preview control: drawing calls use the current state, and
// paragraph calls wrap between the left and right margins.
class PrintSurface {
 public:
  PrintSurface();

  // Document.
  void startDoc();
  void newPage();
  void endDoc();
  // Throws the document away.
  void killDoc();
  bool inDocument() const { return open_; }
  int pageCount() const { return static_cast<int>(doc_.pages.size()); }
  const SurfaceDocument& document() const { return doc_; }

  QString documentName() const { return doc_.name; }
  void setDocumentName(const QString& name) { doc_.name = name; }
  int copies() const { return copies_; }
  void setCopies(int copies) { copies_ = copies < 1 ? 1 : copies; }

  // Page set-up, twips.
  double pageWidth() const { return doc_.pageWidth; }
  double pageHeight() const { return doc_.pageHeight; }
  void setPageSize(double width, double height);
  // 0 portrait, 1 landscape; swaps the page's sides when it changes.
  int orientation() const { return orientation_; }
  void setOrientation(int orientation);
  double marginLeft = 0, marginRight = 0, marginTop = 0, marginBottom = 0;

  // Current position (top-left of the next text), twips.
  double currentX = 0, currentY = 0;
  TextAlign textAlign = TextAlign::kLeft;
  int textAngle = 0;  // tenths of a degree
  SurfaceFont font;
  Rgb textColor = 0;
  Pen pen;
  // The box (twips) outside which no text shows; null for the whole page.
  QRectF textClip;

  // Resets font, colours, pen, alignment, angle and margins to their
  // starting values.
  void resetTextState();

  // Drawing.
  void drawLine(double x1, double y1, double x2, double y2);
  // A picture stretched into the rectangle. Null pictures draw nothing.
  void drawPicture(const QImage& image, const QString& key, const QRectF& rect);
  // The rectangle filled with `image` tiled at its natural size times
  // `scale`, anchored at the rectangle's top-left corner.
  void drawPattern(const QImage& image, const QString& key, const QRectF& rect, double scale);
  // A closed shape outlined with the pen (not when its style is kPenNone)
  // and filled in `fill`'s colour, or not at all.
  void drawShape(const QPainterPath& path, const ShapeFill& fill = {});
  // A closed shape filled with `image` tiled at its natural size times
  // `scale` from `anchor` (twips), and outlined as drawShape does.
  void drawPatternShape(const QPainterPath& path, const QImage& image, const QString& key,
                        double scale, const QPointF& anchor);
  // A closed outline through `points` (twips) in the current pen, filled
  // with `fill` when `filled`. An invisible pen still fills.
  void drawPolygon(const QPolygonF& points, bool filled, Rgb fill = 0);
  // One line at the current position, turned by the text angle; moves the
  // current position to the end of the text.
  void printText(const QString& text);
  // A paragraph wrapped between the margins with its top at the current Y,
  // each line aligned by textAlign; moves the current Y below it.
  void printParagraph(const QString& text);

  // Drawing into a page already composed: while an insertion is open,
  // everything drawn goes to page `page` (from 0), placed before its
  // operation `at`, so it lies under what was drawn after that point.
  // Pages are composed first and such items (a page count) drawn when the
  // whole is known.
  int pageIndex() const { return static_cast<int>(doc_.pages.size()) - 1; }
  std::size_t opCount() const { return doc_.pages.empty() ? 0 : doc_.pages.back().ops.size(); }
  void beginInsert(int page, std::size_t at);
  void endInsert();

  // Measures in the current font, twips.
  double textWidth(const QString& text) const;
  double textHeight() const;
  double paragraphHeight(const QString& text) const;
  // The lines a paragraph breaks into between the margins.
  QStringList wrapParagraph(const QString& text) const;
  // The one rule of breaking text into lines `width` twips wide in the
  // current font: at blanks, a line feed ends a line, and a word wider than
  // the line is broken between characters (each line takes at least one),
  // so no line is wider than it and every text ends.
  QStringList wrapText(const QString& text, double width) const;

  // The natural size of a picture in twips (pixels at the picture's own
  // resolution, 96 dpi when it has none).
  static QSizeF naturalSize(const QImage& image);

  // Operations the renderer composes pages with; boxes are twips.
  // Whether `text` fits the box (twips) as a paragraph: it ends at or above
  // the bottom and no line (not even a single character) is wider than it.
  bool rectTextFits(const QString& text, double left, double top, double right, double bottom);
  // Prints `text` as a paragraph in the box when it fits; true when it did.
  // Margins and position are restored.
  bool drawRectText(const QString& text, double left, double top, double right, double bottom);
  // Height (inches) of `text` as a paragraph between left and right (inches).
  double MeasureParagraphHeight(const QString& text, double left, double top, double right,
                                double bottom, TextAlign align);
  // Prints `text` as a paragraph with its top at `top` (inches).
  void drawParagraph(const QString& text, double left, double top, double right, double bottom,
                     TextAlign align);
  // Pattern fill of a rectangle (twips) from a picture file; a picture that
  // cannot be loaded leaves the rectangle unfilled.
  void DrawFilledRectangle(double left, double top, double right, double bottom,
                           const QString& pictureFile, double patternScale);
  // The picture of a file, loaded once per document; null when it cannot be
  // loaded.
  QImage loadPicture(const QString& file);

 private:
  SurfacePage* page();
  // Index of the picture in the document, adding it the first time.
  int imageIndexFor(const QImage& image, const QString& key);
  // The current font and its metrics; made again only when the font
  // settings change, since every measure of a page asks for them.
  const QFont& currentQFont() const;
  const QFontMetricsF& metrics() const;
  TextOp makeTextOp(const QString& text, double x, double y) const;

  SurfaceDocument doc_;
  bool open_ = false;
  int copies_ = 1;
  int orientation_ = 0;
  struct Insertion {
    int page;
    std::size_t at;
    SurfacePage scratch;
  };
  std::optional<Insertion> insertion_;
  QHash<QString, int> imageIndex_;
  QHash<QString, QImage> pictureCache_;
  mutable std::optional<SurfaceFont> cachedFor_;
  mutable QFont cachedFont_;
  mutable std::optional<QFontMetricsF> cachedMetrics_;
};

}  // namespace sq::render
