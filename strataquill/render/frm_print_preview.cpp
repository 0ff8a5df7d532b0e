#include "strataquill/render/frm_print_preview.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>

#include "strataquill/render/print_options.h"
#include "strataquill/render/print_progress_dialog.h"
#include "strataquill/render/surface_painter.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::render {

// Twips of the window's own layout per screen pixel.
constexpr double kTwipsPerPixel = 15.0;

// Shows the surface's current page at its zoom on a white sheet.
class PageView : public QWidget {
 public:
  explicit PageView(PrintSurface& surface) : surface_(surface) {
    setAutoFillBackground(false);
    updateSize();
  }
  void updateSize() {
    const double scale = this->scale();
    resize(static_cast<int>(surface_.pageWidth() * scale + 0.5),
           static_cast<int>(surface_.pageHeight() * scale + 0.5));
    update();
  }
  double scale() const {
    const double dpi = screen() ? screen()->logicalDotsPerInch() : 96.0;
    return dpi / kTwipsPerInch * surface_.zoom() / 100.0;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.scale(scale(), scale());
    paintPage(p, surface_.document(), surface_.previewPage() - 1);
  }

 private:
  PrintSurface& surface_;
};

frmPrintPreview::frmPrintPreview(PrintOptions* options, QPrinter* printer, QWidget* parent)
    : QDialog(parent), options_(options), printer_(printer) {
  setObjectName("frmPrintPreview");
  setWindowTitle(tr("Print Preview"));
  auto button = [this](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
  };
  cmdPageDown_ = button("cmdPageDown", tr("< Previous"));
  cmdPageUp_ = button("cmdPageUp", tr("Next >"));
  cmdZoomIn_ = button("cmdZoomIn", "Zoom In");
  cmdZoomOut_ = button("cmdZoomOut", "Zoom Out");
  cmdZoomFull_ = button("cmdZoomFull", "Zoom Full");
  cmdPrint_ = button("cmdPrint", tr("Print"));
  cmdCopy_ = button("cmdCopy", tr("Copy"));
  cmdClose_ = button("cmdClose", tr("Close"));
  lblPage_ = new QLabel(this);
  lblPage_->setObjectName("lblPage");
  scroll_ = new QScrollArea(this);
  scroll_->setObjectName("vsPrinter");
  scroll_->setBackgroundRole(QPalette::Dark);
  scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  view_ = new PageView(surface_);
  scroll_->setWidget(view_);

  connect(cmdPageDown_, &QPushButton::clicked, this, [this] { cmdPageDown_Click(); });
  connect(cmdPageUp_, &QPushButton::clicked, this, [this] { cmdPageUp_Click(); });
  connect(cmdZoomIn_, &QPushButton::clicked, this, [this] { cmdZoomIn_Click(); });
  connect(cmdZoomOut_, &QPushButton::clicked, this, [this] { cmdZoomOut_Click(); });
  connect(cmdZoomFull_, &QPushButton::clicked, this, [this] { cmdZoomFull_Click(); });
  connect(cmdCopy_, &QPushButton::clicked, this, [this] { cmdCopy_Click(); });
  connect(cmdPrint_, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
  connect(cmdClose_, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
  connect(&surface_, &PrintSurface::documentChanged, this, [this] {
    UpdatePreviewButtons();
    layOut();
  });
  connect(&surface_, &PrintSurface::previewChanged, this, [this] { view_->updateSize(); });
  connect(&surface_, &PrintSurface::printCancelled, this, [this] {
    if (options_) options_->printCancelled = true;
  });

  cmdPrint_->setEnabled(true);
  cmdPrint_->setToolTip("Print");
  cmdCopy_->setEnabled(true);
  cmdCopy_->setToolTip("Copy To Clipboard");
  resize(900, 700);
  UpdatePreviewButtons();
  layOut();
}

frmPrintPreview::~frmPrintPreview() = default;

QWidget* frmPrintPreview::surfaceArea() const {
  return scroll_;
}

int frmPrintPreview::SetVSPrinterPageSize() {
  if (!printer_) return 1;
  const QPageLayout layout = printer_->pageLayout();
  const QSizeF inches = layout.pageSize().size(QPageSize::Inch);
  // The paper in portrait; the orientation then turns it.
  surface_.setPageSize(std::min(inches.width(), inches.height()) * kTwipsPerInch,
                       std::max(inches.width(), inches.height()) * kTwipsPerInch);
  surface_.setOrientation(layout.orientation() == QPageLayout::Landscape ? 1 : 0);
  return 1;
}

void frmPrintPreview::UpdatePreviewButtons() {
  const int page = surface_.previewPage();
  const int count = surface_.pageCount();
  lblPage_->setText(QStringLiteral("Page %1 of %2").arg(page).arg(count));
  cmdPageDown_->setEnabled(page != 1);
  cmdPageUp_->setEnabled(page != count);
}

void frmPrintPreview::cmdPageDown_Click() {
  surface_.setPreviewPage(std::max(1, surface_.previewPage() - 1));
  UpdatePreviewButtons();
}

void frmPrintPreview::cmdPageUp_Click() {
  surface_.setPreviewPage(std::min(surface_.pageCount(), surface_.previewPage() + 1));
  UpdatePreviewButtons();
}

void frmPrintPreview::cmdZoomIn_Click() {
  surface_.setZoom(surface_.zoom() < 200 ? surface_.zoom() + 20 : 200);
  if (surface_.zoom() >= 200) cmdZoomIn_->setEnabled(false);
  cmdZoomOut_->setEnabled(true);
}

void frmPrintPreview::cmdZoomOut_Click() {
  surface_.setZoom(surface_.zoom() >= 21 ? surface_.zoom() - 20 : 20);
  if (surface_.zoom() < 21) cmdZoomOut_->setEnabled(false);
  cmdZoomIn_->setEnabled(true);
}

void frmPrintPreview::cmdZoomFull_Click() {
  surface_.setZoom(40);
  cmdZoomIn_->setEnabled(true);
  cmdZoomOut_->setEnabled(true);
}

void frmPrintPreview::cmdCopy_Click() {
  const QImage page = renderPageImage(surface_.document(), surface_.previewPage() - 1, 150);
  QApplication::clipboard()->setImage(page);
}

void frmPrintPreview::cmdPrint_Click() {
  if (printer_) {
    PrintProgressDialog progress(this);
    progress.documentStarted(surface_.documentName().toStdString());
    PrintOutcome outcome;
    {
      BusyCursor busy;
      outcome = printDocument(surface_.document(), *printer_, surface_.copies(), &progress);
    }
    progress.finished();
    if (outcome == PrintOutcome::kCancelled && options_) options_->printCancelled = true;
    if (std::string why = printFailureMessage(outcome, *printer_, surface_.documentName());
        !why.empty())
      prompts().message(why, "Strataquill", MessageButtons::kOk, MessageIcon::kNone);
  }
  cmdClose_Click();
}

void frmPrintPreview::cmdClose_Click() {
  hide();
  accept();
  if (parentWidget()) parentWidget()->activateWindow();
}

void frmPrintPreview::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  layOut();
}

void frmPrintPreview::layOut() {
  auto px = [](double twips) { return static_cast<int>(twips / kTwipsPerPixel + 0.5); };
  const int innerW = width(), innerH = height();
  scroll_->setGeometry(px(68), px(495), std::max(0, innerW - px(270)),
                       std::max(0, innerH - px(495) - px(460)));
  // The buttons sit in the band above the surface.
  int x = px(68);
  const int y = px(80);
  const int h = px(330);
  for (QPushButton* b : {cmdPageDown_, cmdPageUp_, cmdZoomIn_, cmdZoomOut_, cmdZoomFull_, cmdPrint_,
                         cmdCopy_, cmdClose_}) {
    const int w = std::max(b->sizeHint().width(), px(1100));
    b->setGeometry(x, y, w, h);
    x += w + px(60);
  }
  lblPage_->setGeometry(x + px(120), y, std::max(px(1800), lblPage_->sizeHint().width()), h);
}

}  // namespace sq::render
