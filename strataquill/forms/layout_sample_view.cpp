#include "strataquill/forms/layout_sample_view.h"

#include <QPainter>
#include <QPrinter>

#include "strataquill/render/log_composer.h"
#include "strataquill/render/log_run.h"
#include "strataquill/render/print_context.h"
#include "strataquill/render/print_options.h"
#include "strataquill/render/print_surface.h"
#include "strataquill/render/surface_painter.h"

namespace sq::forms {
namespace {

QRectF boxOf(const layouts::LayoutBox& b) {
  return QRectF(QPointF(b.x, b.y), QPointF(b.xx, b.yy)).normalized();
}

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

std::vector<LayoutGuide> layoutGuides(const layouts::LayoutForPrint& layout) {
  std::vector<LayoutGuide> guides;
  for (std::size_t i = 0; i < layout.columns.size(); ++i)
    guides.push_back({LayoutGuide::Kind::kColumn, int(i), boxOf(layout.columns[i].box),
                      qs(layout.columns[i].name)});
  for (std::size_t i = 0; i < layout.graphics.size(); ++i)
    guides.push_back({LayoutGuide::Kind::kGraphic, int(i), boxOf(layout.graphics[i].box),
                      qs(layout.graphics[i].fileName)});
  for (std::size_t i = 0; i < layout.texts.size(); ++i)
    guides.push_back({LayoutGuide::Kind::kText, int(i), boxOf(layout.texts[i].box),
                      qs(layout.texts[i].text)});
  for (std::size_t i = 0; i < layout.lines.size(); ++i) {
    const layouts::LayoutBox& b = layout.lines[i].box;
    guides.push_back({LayoutGuide::Kind::kLine, int(i), QRectF(QPointF(b.x, b.y), QPointF(b.xx, b.yy)),
                      QString()});
  }
  return guides;
}

LayoutSampleView::LayoutSampleView(std::function<layouts::LayoutForPrint()> layout,
                                   std::string layoutPath, render::PrintContext& context,
                                   QWidget* parent)
    : QWidget(parent), layout_(std::move(layout)), layoutPath_(std::move(layoutPath)), context_(context) {
  setObjectName("pctSamplePage");
  setMinimumSize(220, 280);
  setToolTip("The sample page of this layout, as File > Print Preview shows it. Dashed boxes "
             "mark the layout's items; the item being edited is drawn in blue.");
  timer_.setSingleShot(true);
  timer_.setInterval(kRedrawDelayMs);
  connect(&timer_, &QTimer::timeout, this, &LayoutSampleView::redraw);
}

LayoutSampleView::~LayoutSampleView() = default;

void LayoutSampleView::scheduleRedraw() {
  timer_.start();
}

void LayoutSampleView::redraw() {
  timer_.stop();
  ++redraws_;
  const auto layout = std::make_shared<const layouts::LayoutForPrint>(layout_());
  guides_ = layoutGuides(*layout);
  render::PrintOptions options = render::PrintOptions::load();
  problem_ = qs(render::validateForRun(options, render::kLayoutSample));
  render::PrintSurface surface;
  render::SetVSPrinterPageSize(surface, context_.printerChoice().pageLayout);
  surface.startDoc();
  textsNotFitting_.clear();
  if (problem_.isEmpty()) {
    render::RenderJob job;
    job.projectPath = context_.projectPath();
    job.boring = context_.currentBoring();
    job.classificationFile = context_.classificationFile();
    job.patternFolder = context_.patternFolder();
    job.reportType = render::kLayoutSample;
    job.designerLayoutPath = layoutPath_;
    job.sampleLayout = layout;
    render::LogComposer composer(surface, options, std::move(job));
    composer.composePages();
    textsNotFitting_ = composer.firstPageTextsNotFitting();
  }
  surface.endDoc();
  document_ = surface.document();
  update();
  emit redrawn();
}

void LayoutSampleView::setHighlight(LayoutGuide::Kind kind, int row) {
  if (kind == highlightKind_ && row == highlightRow_) return;
  highlightKind_ = kind;
  highlightRow_ = row;
  update();
}

void LayoutSampleView::setGuidesShown(bool shown) {
  guidesShown_ = shown;
  update();
}

QRectF LayoutSampleView::pageRect() const {
  const double w = document_.pageWidth > 0 ? document_.pageWidth : 12240;
  const double h = document_.pageHeight > 0 ? document_.pageHeight : 15840;
  const QRectF room = QRectF(rect()).adjusted(10, 10, -14, -14);
  const double scale = std::min(room.width() / w, room.height() / h);
  QRectF page(0, 0, w * scale, h * scale);
  page.moveCenter(room.center());
  return page;
}

void LayoutSampleView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(128, 128, 128));
  const QRectF page = pageRect();
  p.fillRect(page.translated(4, 4), QColor(70, 70, 70));
  p.fillRect(page, Qt::white);
  if (!problem_.isEmpty()) {
    p.setPen(QColor(160, 40, 20));
    p.drawText(page.adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap,
               problem_ + "\n\n(File > Print Preview uses the same numbers; set them there.)");
    return;
  }
  const double twipScale = page.width() / (document_.pageWidth > 0 ? document_.pageWidth : 12240);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.setClipRect(page);
  p.translate(page.topLeft());
  p.scale(twipScale, twipScale);
  if (!document_.pages.empty()) render::paintPage(p, document_, 0);
  p.restore();

  // Guides, in inches scaled to the page.
  const double inch = twipScale * render::kTwipsPerInch;
  auto toWidget = [&](const QRectF& r) {
    return QRectF(page.left() + r.left() * inch, page.top() + r.top() * inch, r.width() * inch,
                  r.height() * inch);
  };
  p.setRenderHint(QPainter::Antialiasing);
  QFont small = font();
  small.setPointSizeF(7);
  p.setFont(small);
  for (const LayoutGuide& g : guides_) {
    const bool picked = g.kind == highlightKind_ && g.row == highlightRow_;
    if (!guidesShown_ && !picked) continue;
    const QRectF r = toWidget(g.inches);
    QPen pen(picked ? QColor(20, 90, 220) : QColor(120, 150, 200), picked ? 2 : 1,
             picked ? Qt::SolidLine : Qt::DashLine);
    p.setPen(pen);
    p.setBrush(picked ? QBrush(QColor(20, 90, 220, 28)) : QBrush(Qt::NoBrush));
    if (g.kind == LayoutGuide::Kind::kLine) {
      if (picked) p.drawLine(r.topLeft(), r.bottomRight());
      continue;
    }
    p.drawRect(r);
    if (g.kind == LayoutGuide::Kind::kColumn && r.height() > 12)
      p.drawText(r.adjusted(2, 2, -2, -2), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                 g.label);
  }
}

}  // namespace sq::forms
