#include "strataquill/forms/figure_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QPainter>
#include <QVBoxLayout>

#include "strataquill/forms/ui_environment.h"
#include "strataquill/render/frm_print_preview.h"
#include "strataquill/render/print_options.h"
#include "strataquill/render/print_progress_dialog.h"
#include "strataquill/render/print_run.h"
#include "strataquill/render/surface_painter.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::forms {

FigurePageView::FigurePageView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(400, 300);
  setMouseTracking(true);
}

void FigurePageView::show(const render::SurfaceDocument* document, int page) {
  document_ = document;
  page_ = page;
  update();
}

QRectF FigurePageView::sheet() const {
  if (!document_ || document_->pageWidth <= 0 || document_->pageHeight <= 0) return {};
  const double margin = 8;
  const double scale = std::min((width() - 2 * margin) / document_->pageWidth,
                                (height() - 2 * margin) / document_->pageHeight);
  const double w = document_->pageWidth * scale, h = document_->pageHeight * scale;
  return QRectF((width() - w) / 2, (height() - h) / 2, w, h);
}

QPointF FigurePageView::toPage(const QPointF& p) const {
  const QRectF s = sheet();
  if (s.isEmpty()) return {};
  const double inchesPerPixel = document_->pageWidth / render::kTwipsPerInch / s.width();
  return {(p.x() - s.left()) * inchesPerPixel, (p.y() - s.top()) * inchesPerPixel};
}

QPointF FigurePageView::fromPage(const QPointF& inches) const {
  const QRectF s = sheet();
  if (s.isEmpty()) return {};
  const double pixelsPerInch = s.width() / (document_->pageWidth / render::kTwipsPerInch);
  return {s.left() + inches.x() * pixelsPerInch, s.top() + inches.y() * pixelsPerInch};
}

void FigurePageView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Dark));
  const QRectF s = sheet();
  if (s.isEmpty() || !document_ || page_ < 0 ||
      page_ >= static_cast<int>(document_->pages.size()))
    return;
  p.fillRect(s.translated(3, 3), QColor(0, 0, 0, 60));
  p.fillRect(s, Qt::white);
  p.translate(s.topLeft());
  p.scale(s.width() / document_->pageWidth, s.width() / document_->pageWidth);
  render::paintPage(p, *document_, page_);
}

FigureWindow::FigureWindow(render::PrintContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  setAttribute(Qt::WA_DeleteOnClose);
  view_ = new FigurePageView(this);
  view_->setObjectName("vsFigure");
  message_ = new QLabel(this);
  message_->setObjectName("lblMessage");
  message_->setWordWrap(true);
  message_->setStyleSheet("color: #a00000;");
  message_->hide();
}

void FigureWindow::build(QWidget* side) {
  auto* left = new QVBoxLayout;
  left->addWidget(message_);
  left->addWidget(view_, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  if (side) layout->addWidget(side);
}

sections::FigureRun FigureWindow::makeRun(render::PrintProgress* progress) const {
  sections::FigureRun run;
  run.projectPath = context_.projectPath();
  run.database = context_.projectDatabase();
  run.classificationFile = context_.classificationFile();
  run.patternFolder = context_.patternFolder();
  run.patternScale = render::PrintOptions::load().patternScaleFactor;
  run.progress = progress;
  return run;
}

void FigureWindow::refresh() {
  // The printer's paper, always turned to landscape.
  sections::setLandscapePaper(surface_, context_.printerChoice().pageLayout.pageSize());
  {
    BusyCursor busy;
    composed_ = compose(makeRun(nullptr), surface_, true);
  }
  const bool drawn = composed_.ok() && surface_.pageCount() > 0;
  message_->setText(QString::fromStdString(composed_.message));
  message_->setVisible(!composed_.message.empty());
  view_->setVisible(drawn);
  view_->show(drawn ? &surface_.document() : nullptr, 0);
  composedAgain();
}

void FigureWindow::composeAndSend(
    const std::function<render::RunResult(const render::SurfaceDocument&,
                                          render::PrintProgress&)>& send) {
  render::PrintProgressDialog progress(context_.mainWindow());
  render::PrintSurface surface;
  sections::setLandscapePaper(surface, context_.printerChoice().pageLayout.pageSize());
  render::RunResult result;
  {
    BusyCursor busy;
    result = compose(makeRun(&progress), surface, false);
    if (result.ok()) result = send(surface.document(), progress);
  }
  progress.finished();
  if (!result.ok() && result.outcome != render::RunResult::Outcome::kCancelled)
    prompts().message(result.message, "Strataquill", MessageButtons::kOk, MessageIcon::kNone);
}

void FigureWindow::print(int destination) {
  context_.saveOpenEditors();
  composeAndSend([&](const render::SurfaceDocument& document, render::PrintProgress& progress) {
    if (destination != render::kToPreview)
      return render::sendDocument(document, context_.printerChoice(), 1, &progress);
    progress.finished();
    render::frmPrintPreview preview(document, &context_.printerChoice(), context_.mainWindow());
    preview.setZoom(60);
    execModal(preview);
    return render::RunResult();
  });
}

void FigureWindow::savePdf() {
  FileDialogRequest request;
  request.title = "Save " + figureName() + " as PDF";
  std::string project = context_.projectPath();
  const auto slash = project.find_last_of('/');
  request.initialFolder = slash == std::string::npos ? "" : project.substr(0, slash);
  std::string base = slash == std::string::npos ? project : project.substr(slash + 1);
  if (const auto dot = base.find_last_of('.'); dot != std::string::npos) base.resize(dot);
  request.fileName = base + " " + figureName() + ".pdf";
  request.filter = "PDF files (*.pdf)|*.pdf";
  request.defaultExtension = ".pdf";
  const FileDialogResult chosen = prompts().fileDialog(request);
  if (chosen.outcome != FileDialogResult::Outcome::kChosen) return;
  composeAndSend([&](const render::SurfaceDocument& document, render::PrintProgress& progress) {
    return render::writePdfFile(document, chosen.path, &progress);
  });
}

QPushButton* FigureWindow::addButton(QWidget* side, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, side);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

QListWidget* FigureWindow::addOrderedList(QWidget* side, QLayout* box,
                                          std::vector<std::string>& names) {
  auto* list = new QListWidget(side);
  list->setObjectName("lstSection");
  box->addWidget(list);
  auto* rows = new QHBoxLayout;
  QPushButton* up = addButton(side, "cmdUp", "Up");
  QPushButton* down = addButton(side, "cmdDown", "Down");
  QPushButton* remove = addButton(side, "cmdRemove", "Remove");
  for (QPushButton* b : {up, down, remove}) rows->addWidget(b);
  if (auto* vbox = qobject_cast<QBoxLayout*>(box)) {
    vbox->setStretchFactor(list, 1);
    vbox->addLayout(rows);
  }
  auto move = [this, list, &names](int by) {
    const int row = list->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= static_cast<int>(names.size())) return;
    std::swap(names[row], names[to]);
    refresh();
    list->setCurrentRow(to);
  };
  connect(up, &QPushButton::clicked, this, [move] { move(-1); });
  connect(down, &QPushButton::clicked, this, [move] { move(1); });
  connect(remove, &QPushButton::clicked, this, [this, list, &names] {
    const int row = list->currentRow();
    if (row < 0 || row >= static_cast<int>(names.size())) return;
    names.erase(names.begin() + row);
    refresh();
  });
  return list;
}

void FigureWindow::showNames(QListWidget* list, const std::vector<std::string>& names) {
  const int row = list->currentRow();
  list->clear();
  for (const std::string& name : names) list->addItem(QString::fromStdString(name));
  if (row >= 0 && row < list->count()) list->setCurrentRow(row);
}

void FigureWindow::addPrintButtons(QWidget* side, QLayout* box) {
  QPushButton* preview = addButton(side, "cmdPreview", "Print Preview");
  QPushButton* printIt = addButton(side, "cmdPrint", "Print");
  QPushButton* pdf = addButton(side, "cmdPdf", "Save as PDF");
  for (QPushButton* b : {preview, printIt, pdf}) box->addWidget(b);
  connect(preview, &QPushButton::clicked, this, [this] { print(render::kToPreview); });
  connect(printIt, &QPushButton::clicked, this, [this] { print(render::kToPrinter); });
  connect(pdf, &QPushButton::clicked, this, [this] { savePdf(); });
}

}  // namespace sq::forms
