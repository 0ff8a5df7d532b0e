#include "strataquill/forms/pattern_swatch.h"

#include <QPainter>

#include "strataquill/layouts/pattern_check.h"

namespace sq::forms {
namespace {

// Pattern pictures are drawn for print (an inch is 150 of their pixels);
// in a swatch they show at a fifth of that.
constexpr double kSwatchScale = 0.2;

}  // namespace

PatternSwatches::PatternSwatches(std::string patternFolder, QSize size)
    : folder_(std::move(patternFolder)), size_(size) {}

void PatternSwatches::clear() {
  done_.clear();
  pictures_.clear();
}

const QImage& PatternSwatches::picture(const std::string& name) {
  const QString key = QString::fromStdString(name);
  auto it = pictures_.find(key);
  if (it == pictures_.end()) {
    QImage image(QString::fromStdString(layouts::patternPath(folder_, name)));
    if (!image.isNull())
      image = image.scaled(std::max(4, int(image.width() * kSwatchScale)),
                           std::max(4, int(image.height() * kSwatchScale)), Qt::IgnoreAspectRatio,
                           Qt::SmoothTransformation);
    it = pictures_.insert(key, image);
  }
  return *it;
}

QPixmap PatternSwatches::marker() const {
  QPixmap pm(size_);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF box = QRectF(pm.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
  p.setBrush(QColor(245, 245, 245));
  p.drawRect(box);
  p.setPen(QPen(QColor(190, 60, 40), 1.6));
  const QPointF c = box.center();
  const double r = box.height() / 2 - 3;
  p.drawEllipse(c, r, r);
  p.drawLine(c + QPointF(-r * 0.7, r * 0.7), c + QPointF(r * 0.7, -r * 0.7));
  return pm;
}

QPixmap PatternSwatches::swatch(const QString& list) {
  const layouts::PatternListFinding f = layouts::checkPatternList(list.toStdString(), folder_);
  QPixmap pm(size_);
  pm.fill(Qt::white);
  QPainter p(&pm);
  double x = 0;
  for (const layouts::PatternSlice& slice : f.slices) {
    const double width = std::max(0.0f, slice.percent) * size_.width() / 100.0;
    if (!(width > 0)) continue;
    const QRectF part(x, 0, std::min(width, size_.width() - x), size_.height());
    if (part.width() > 0) p.fillRect(part, QBrush(picture(slice.fileName)));
    p.setPen(QColor(40, 40, 40));
    if (x > 0 && x < size_.width()) p.drawLine(QPointF(x, 0), QPointF(x, size_.height()));
    x += width;
  }
  p.setPen(QColor(40, 40, 40));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(QPoint(), size_ - QSize(1, 1)));
  return pm;
}

widgets::CellDecoration PatternSwatches::decorate(const QString& list) {
  if (auto it = done_.find(list); it != done_.end()) return *it;
  widgets::CellDecoration d;
  if (!list.trimmed().isEmpty()) {
    const layouts::PatternListFinding f = layouts::checkPatternList(list.toStdString(), folder_);
    if (f.printsWhole()) {
      d.picture = swatch(list);
      d.toolTip = QString::fromStdString(f.remark());
    } else {
      d.picture = marker();
      d.toolTip = QString::fromStdString(f.problem());
    }
  }
  done_.insert(list, d);
  return d;
}

}  // namespace sq::forms
