#pragma once

#include <QDialog>

#include <optional>

#include "strataquill/render/log_run.h"

class QLabel;
class QPushButton;
class QScrollArea;

namespace sq::render {

class PageView;

// The preview window: it shows a finished document and lets the user page
// through it, zoom, copy a page to the clipboard, print it and close. It
// only shows: the run composed the document, and Print sends it through the
// same routine as every print run.
class frmPrintPreview : public QDialog {
  Q_OBJECT

 public:
  // `document` must outlive the window. `printer` is where Print sends the
  // document; null disables printing.
  frmPrintPreview(const SurfaceDocument& document, const PrinterChoice* printer,
                  QWidget* parent = nullptr);
  ~frmPrintPreview() override;

  const SurfaceDocument& document() const { return document_; }
  int pageCount() const { return static_cast<int>(document_.pages.size()); }
  // The page on display, from 1.
  int previewPage() const { return page_; }
  void setPreviewPage(int page);
  // A whole percentage, 20 to 200 from the buttons.
  int zoom() const { return zoom_; }
  void setZoom(int zoom);
  // What became of Print, once the user pressed it.
  const std::optional<RunResult>& printed() const { return printed_; }

  void UpdatePreviewButtons();

  // Buttons, as the user presses them.
  void cmdPageDown_Click();
  void cmdPageUp_Click();
  void cmdZoomIn_Click();
  void cmdZoomOut_Click();
  void cmdZoomFull_Click();
  void cmdCopy_Click();
  void cmdPrint_Click();
  void cmdClose_Click();

  QLabel* lblPage() const { return lblPage_; }
  QPushButton* cmdPageUp() const { return cmdPageUp_; }
  QPushButton* cmdPageDown() const { return cmdPageDown_; }
  QPushButton* cmdZoomIn() const { return cmdZoomIn_; }
  QPushButton* cmdZoomOut() const { return cmdZoomOut_; }
  QPushButton* cmdZoomFull() const { return cmdZoomFull_; }
  QPushButton* cmdPrint() const { return cmdPrint_; }
  QPushButton* cmdCopy() const { return cmdCopy_; }
  QWidget* surfaceArea() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void layOut();

  const SurfaceDocument& document_;
  const PrinterChoice* printer_;
  int page_ = 1;
  int zoom_ = 100;
  std::optional<RunResult> printed_;
  QScrollArea* scroll_;
  PageView* view_;
  QLabel* lblPage_;
  QPushButton *cmdPageUp_, *cmdPageDown_, *cmdZoomIn_, *cmdZoomOut_, *cmdZoomFull_;
  QPushButton *cmdPrint_, *cmdCopy_, *cmdClose_;
};

}  // namespace sq::render
