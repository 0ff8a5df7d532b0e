#include "strataquill/forms/toolbar_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace sq::forms {
namespace {

const QColor kInk(45, 55, 72);
const QColor kPaper(252, 252, 248);
const QColor kFolder(230, 180, 70);
const QColor kGreen(40, 140, 70);
const QColor kRed(200, 50, 45);
const QColor kBlue(40, 100, 180);
const QColor kSand(222, 196, 140);
const QColor kClay(170, 120, 80);
const QColor kGravel(150, 150, 150);

// Draws in a 24 x 24 box.
void page(QPainter& p, QRectF r) {
  QPainterPath path;
  const double fold = r.width() * 0.3;
  path.moveTo(r.topLeft());
  path.lineTo(r.right() - fold, r.top());
  path.lineTo(r.right(), r.top() + fold);
  path.lineTo(r.bottomRight());
  path.lineTo(r.bottomLeft());
  path.closeSubpath();
  p.setBrush(kPaper);
  p.setPen(QPen(kInk, 1.2));
  p.drawPath(path);
  p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
  p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void badge(QPainter& p, QPointF centre, const QColor& colour, QChar sign) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(centre, 5.5, 5.5);
  p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
  if (sign == 'x') {
    p.drawLine(centre + QPointF(-2.5, -2.5), centre + QPointF(2.5, 2.5));
    p.drawLine(centre + QPointF(-2.5, 2.5), centre + QPointF(2.5, -2.5));
    return;
  }
  p.drawLine(centre + QPointF(-3, 0), centre + QPointF(3, 0));
  if (sign == '+') p.drawLine(centre + QPointF(0, -3), centre + QPointF(0, 3));
}

// A boring column: layers of clay, sand and gravel in a frame.
void boringColumn(QPainter& p, QRectF r) {
  const QColor layers[] = {kClay, kSand, kGravel, kSand};
  const double h = r.height() / 4;
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 4; ++i) {
    p.setBrush(layers[i]);
    p.drawRect(QRectF(r.left(), r.top() + i * h, r.width(), h));
  }
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r);
}

void grid(QPainter& p, QRectF r, int highlightRow, const QColor& highlight) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(r);
  const double h = r.height() / 4;
  if (highlightRow >= 0) {
    p.setPen(Qt::NoPen);
    p.setBrush(highlight);
    p.drawRect(QRectF(r.left(), r.top() + highlightRow * h, r.width(), h));
  }
  p.setPen(QPen(kInk, 0.8));
  for (int i = 1; i < 4; ++i)
    p.drawLine(QPointF(r.left(), r.top() + i * h), QPointF(r.right(), r.top() + i * h));
  p.drawLine(QPointF(r.left() + r.width() / 3, r.top()), QPointF(r.left() + r.width() / 3, r.bottom()));
}

void printer(QPainter& p) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawRect(QRectF(7, 3, 10, 7));
  p.setBrush(QColor(200, 205, 215));
  p.drawRoundedRect(QRectF(3, 9, 18, 8), 1.5, 1.5);
  p.setBrush(kPaper);
  p.drawRect(QRectF(7, 14, 10, 7));
  p.setPen(QPen(kInk, 0.8));
  p.drawLine(QPointF(9, 17), QPointF(15, 17));
  p.drawLine(QPointF(9, 19), QPointF(14, 19));
  p.setPen(Qt::NoPen);
  p.setBrush(kGreen);
  p.drawEllipse(QPointF(18, 11.5), 1, 1);
}

void paint(QPainter& p, const QString& key) {
  p.setRenderHint(QPainter::Antialiasing);
  if (key == "NEWPROJECT") {
    page(p, QRectF(4, 2, 14, 19));
    badge(p, QPointF(17, 17), kGreen, '+');
  } else if (key == "OPENPROJECT") {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kFolder.darker(115));
    p.drawRoundedRect(QRectF(2, 5, 18, 14), 1.5, 1.5);
    QPainterPath front;
    front.moveTo(5, 9);
    front.lineTo(22, 9);
    front.lineTo(19, 19);
    front.lineTo(2, 19);
    front.closeSubpath();
    p.setBrush(kFolder);
    p.drawPath(front);
  } else if (key == "CLOSEPROJECT") {
    page(p, QRectF(4, 2, 14, 19));
    badge(p, QPointF(17, 17), kRed, 'x');
  } else if (key == "PRINT") {
    printer(p);
  } else if (key == "PRINTPREVIEW") {
    page(p, QRectF(3, 2, 14, 19));
    p.setPen(QPen(kInk, 0.8));
    for (int y = 8; y <= 16; y += 3) p.drawLine(QPointF(6, y), QPointF(13, y));
    p.setPen(QPen(kBlue, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(220, 235, 250, 200));
    p.drawEllipse(QPointF(14, 14), 4.2, 4.2);
    p.drawLine(QPointF(17, 17), QPointF(21, 21));
  } else if (key == "COPY") {
    page(p, QRectF(3, 2, 11, 14));
    page(p, QRectF(9, 8, 11, 14));
  } else if (key == "PASTE") {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kClay);
    p.drawRoundedRect(QRectF(3, 4, 14, 18), 1.5, 1.5);
    p.setBrush(QColor(200, 205, 215));
    p.drawRect(QRectF(7, 2, 6, 4));
    page(p, QRectF(10, 10, 11, 12));
  } else if (key == "INSERTROW") {
    grid(p, QRectF(2, 3, 16, 16), 1, QColor(190, 230, 200));
    badge(p, QPointF(18, 17), kGreen, '+');
  } else if (key == "DELETEROW") {
    grid(p, QRectF(2, 3, 16, 16), 1, QColor(245, 200, 195));
    badge(p, QPointF(18, 17), kRed, '-');
  } else if (key == "ADDBORING") {
    boringColumn(p, QRectF(5, 2, 8, 20));
    badge(p, QPointF(17, 17), kGreen, '+');
  } else if (key == "COPYBORING") {
    boringColumn(p, QRectF(3, 2, 7, 17));
    boringColumn(p, QRectF(13, 5, 7, 17));
  } else if (key == "DELETEBORING") {
    boringColumn(p, QRectF(5, 2, 8, 20));
    badge(p, QPointF(17, 17), kRed, 'x');
  } else if (key == "PROGRAM") {
    // A log sheet with its boring column and a quill.
    page(p, QRectF(2, 1, 17, 22));
    boringColumn(p, QRectF(5, 4, 5, 16));
    p.setPen(QPen(kInk, 0.8));
    for (int y = 6; y <= 18; y += 4) p.drawLine(QPointF(12, y), QPointF(16, y));
    p.setPen(QPen(kBlue, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 21), QPointF(22, 8));
  } else if (key == "HELP") {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(12, 12), 10, 10);
    QFont f("Liberation Sans");
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, "?");
  }
}

class ShapeIconEngine final : public QIconEngine {
 public:
  explicit ShapeIconEngine(QString key) : key_(std::move(key)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    painter->save();
    painter->translate(rect.topLeft());
    painter->scale(rect.width() / 24.0, rect.height() / 24.0);
    if (mode == QIcon::Disabled) painter->setOpacity(0.35);
    forms::paint(*painter, key_);
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    paint(&p, QRect(QPoint(0, 0), size), mode, state);
    return pm;
  }

  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    // `size` is in device pixels already.
    QPixmap pm = pixmap(size, mode, state);
    pm.setDevicePixelRatio(scale);
    return pm;
  }

  QIconEngine* clone() const override { return new ShapeIconEngine(key_); }

 private:
  QString key_;
};

}  // namespace

QIcon programIcon() {
  return toolbarIcon("PROGRAM");
}

QIcon toolbarIcon(const QString& key) {
  return QIcon(new ShapeIconEngine(key));
}

}  // namespace sq::forms
