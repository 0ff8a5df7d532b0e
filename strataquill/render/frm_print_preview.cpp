#include "strataquill/render/frm_print_preview.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>

#include "strataquill/render/print_progress_dialog.h"
#include "strataquill/render/surface_painter.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::render {

// Twips of the window's own layout per screen pixel.
constexpr double kTwipsPerPixel = 15.0;

// Shows the window's current page at its zoom on a white sheet.
class PageView : public QWidget {
 public:
  explicit PageView(const frmPrintPreview& preview) : preview_(preview) {
    setAutoFillBackground(false);
  }
  void updateSize() {
    const double scale = this->scale();
    resize(static_cast<int>(preview_.document().pageWidth * scale + 0.5),
           static_cast<int>(preview_.document().pageHeight * scale + 0.5));
    update();
  }
  double scale() const {
    const double dpi = screen() ? screen()->logicalDotsPerInch() : 96.0;
    return dpi / kTwipsPerInch * preview_.zoom() / 100.0;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.scale(scale(), scale());
    paintPage(p, preview_.document(), preview_.previewPage() - 1);
  }

 private:
  const frmPrintPreview& preview_;
};

frmPrintPreview::frmPrintPreview(const SurfaceDocument& document, const PrinterChoice* printer,
                                 QWidget* parent)
    : QDialog(parent), document_(document), printer_(printer) {
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
  view_ = new PageView(*this);
  view_->updateSize();
  scroll_->setWidget(view_);

  connect(cmdPageDown_, &QPushButton::clicked, this, [this] { cmdPageDown_Click(); });
  connect(cmdPageUp_, &QPushButton::clicked, this, [this] { cmdPageUp_Click(); });
  connect(cmdZoomIn_, &QPushButton::clicked, this, [this] { cmdZoomIn_Click(); });
  connect(cmdZoomOut_, &QPushButton::clicked, this, [this] { cmdZoomOut_Click(); });
  connect(cmdZoomFull_, &QPushButton::clicked, this, [this] { cmdZoomFull_Click(); });
  connect(cmdCopy_, &QPushButton::clicked, this, [this] { cmdCopy_Click(); });
  connect(cmdPrint_, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
  connect(cmdClose_, &QPushButton::clicked, this, [this] { cmdClose_Click(); });

  cmdPrint_->setEnabled(printer_ != nullptr);
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

void frmPrintPreview::setPreviewPage(int page) {
  page_ = std::clamp(page, 1, std::max(1, pageCount()));
  view_->update();
}

void frmPrintPreview::setZoom(int zoom) {
  zoom_ = std::clamp(zoom, 10, 400);
  view_->updateSize();
}

void frmPrintPreview::UpdatePreviewButtons() {
  const int page = page_;
  const int count = pageCount();
  lblPage_->setText(QStringLiteral("Page %1 of %2").arg(page).arg(count));
  cmdPageDown_->setEnabled(page != 1);
  cmdPageUp_->setEnabled(page != count);
}

void frmPrintPreview::cmdPageDown_Click() {
  setPreviewPage(page_ - 1);
  UpdatePreviewButtons();
}

void frmPrintPreview::cmdPageUp_Click() {
  setPreviewPage(page_ + 1);
  UpdatePreviewButtons();
}

void frmPrintPreview::cmdZoomIn_Click() {
  setZoom(zoom_ < 200 ? zoom_ + 20 : 200);
  if (zoom_ >= 200) cmdZoomIn_->setEnabled(false);
  cmdZoomOut_->setEnabled(true);
}

void frmPrintPreview::cmdZoomOut_Click() {
  setZoom(zoom_ >= 21 ? zoom_ - 20 : 20);
  if (zoom_ < 21) cmdZoomOut_->setEnabled(false);
  cmdZoomIn_->setEnabled(true);
}

void frmPrintPreview::cmdZoomFull_Click() {
  setZoom(40);
  cmdZoomIn_->setEnabled(true);
  cmdZoomOut_->setEnabled(true);
}

void frmPrintPreview::cmdCopy_Click() {
  const QImage page = renderPageImage(document_, page_ - 1, 150);
  QApplication::clipboard()->setImage(page);
}

void frmPrintPreview::cmdPrint_Click() {
  if (printer_) {
    PrintProgressDialog progress(this);
    progress.documentStarted(document_.name.toStdString());
    {
      BusyCursor busy;
      printed_ = sendDocument(document_, *printer_, 1, &progress);
    }
    progress.finished();
    if (!printed_->message.empty() && printed_->outcome != RunResult::Outcome::kCancelled)
      prompts().message(printed_->message, "Strataquill", MessageButtons::kOk, MessageIcon::kNone);
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
