#include "strataquill/forms/frm_site_map.h"

#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRubberBand>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace sq::forms {
namespace {

// How near a click must fall to a boring's symbol to pick it, inches.
constexpr double kPickRadius = 0.15;

}  // namespace

frmSiteMap::frmSiteMap(render::PrintContext& context, QWidget* parent)
    : FigureWindow(context, parent) {
  setObjectName("frmSiteMap");
  setWindowTitle("Site Map");
  auto* side = new QWidget(this);
  side->setFixedWidth(220);
  auto* box = new QVBoxLayout(side);
  box->setContentsMargins(0, 0, 0, 0);
  auto* hint = new QLabel(
      "Click borings, or drag a band around them, to draw a section line through them.", side);
  hint->setWordWrap(true);
  box->addWidget(hint);
  box->addWidget(new QLabel("Section line, in order:", side));
  list_ = addOrderedList(side, box, picked_);
  QPushButton* clear = addButton(side, "cmdClear", "Clear");
  QPushButton* section = addButton(side, "cmdSection", "Cross-Section");
  box->addWidget(clear);
  box->addWidget(section);
  box->addSpacing(12);
  addPrintButtons(side, box);
  build(side);
  view()->installEventFilter(this);
  connect(clear, &QPushButton::clicked, this, [this] { setPicked({}); });
  connect(section, &QPushButton::clicked, this, [this] {
    if (onMakeSection) onMakeSection(picked_);
  });
  resize(1000, 700);
}

void frmSiteMap::setPicked(std::vector<std::string> borings) {
  picked_ = std::move(borings);
  refresh();
}

render::RunResult frmSiteMap::compose(const sections::FigureRun& run,
                                      render::PrintSurface& surface, bool forScreen) {
  sections::MapOptions options;
  options.sectionLine = picked_;
  if (forScreen) options.picked = picked_;
  return sections::composeSiteMap(run, options, surface, forScreen ? &layout_ : nullptr);
}

void frmSiteMap::composedAgain() {
  // A boring that is gone from the project (or from the map) leaves the line.
  std::vector<std::string> kept;
  for (const std::string& name : picked_)
    if (std::any_of(layout_.symbols.begin(), layout_.symbols.end(),
                    [&](const auto& s) { return s.name == name; }))
      kept.push_back(name);
  if (kept.size() != picked_.size()) {
    picked_ = std::move(kept);
    refresh();
    return;
  }
  showNames(list_, picked_);
}

void frmSiteMap::clickAt(const QPointF& at) {
  const sections::SiteMapLayout::Symbol* nearest = nullptr;
  double best = kPickRadius;
  for (const auto& s : layout_.symbols) {
    const double d = std::hypot(s.at.x() - at.x(), s.at.y() - at.y());
    if (d <= best) {
      best = d;
      nearest = &s;
    }
  }
  if (!nearest) return;
  auto it = std::find(picked_.begin(), picked_.end(), nearest->name);
  if (it != picked_.end())
    picked_.erase(it);
  else
    picked_.push_back(nearest->name);
  refresh();
}

void frmSiteMap::bandFrom(const QPointF& from, const QPointF& to) {
  const QRectF band = QRectF(from, to).normalized();
  const QPointF along = to - from;
  std::vector<std::pair<double, std::string>> inside;
  for (const auto& s : layout_.symbols)
    if (band.contains(s.at) &&
        std::find(picked_.begin(), picked_.end(), s.name) == picked_.end())
      inside.emplace_back(QPointF::dotProduct(s.at - from, along), s.name);
  std::stable_sort(inside.begin(), inside.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [key, name] : inside) picked_.push_back(std::move(name));
  refresh();
}

bool frmSiteMap::eventFilter(QObject* object, QEvent* event) {
  if (object != view()) return FigureWindow::eventFilter(object, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() != Qt::LeftButton) break;
      pressed_ = e->position().toPoint();
      return true;
    }
    case QEvent::MouseMove: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (!pressed_) break;
      if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, view());
      band_->setGeometry(QRect(*pressed_, e->position().toPoint()).normalized());
      band_->show();
      return true;
    }
    case QEvent::MouseButtonRelease: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (!pressed_ || e->button() != Qt::LeftButton) break;
      const QPoint start = *pressed_, end = e->position().toPoint();
      pressed_.reset();
      if (band_) band_->hide();
      if ((end - start).manhattanLength() < 5)
        clickAt(view()->toPage(end));
      else
        bandFrom(view()->toPage(start), view()->toPage(end));
      return true;
    }
    default:
      break;
  }
  return FigureWindow::eventFilter(object, event);
}

}  // namespace sq::forms
