#pragma once

#include <QDialog>

#include "strataquill/render/print_surface.h"

class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;

namespace sq::render {

struct PrintOptions;
class PageView;

// The preview window: it owns the print surface on which every log is
// composed, for the printer as well as for the screen, and lets the user
// page through the document, zoom, copy a page to the clipboard, print and
// close.
class frmPrintPreview : public QDialog {
  Q_OBJECT

 public:
  // `options` receives the cancel flag when the user cancels printing; it
  // may be null. `printer` is the printer that Print sends to.
  frmPrintPreview(PrintOptions* options, QPrinter* printer, QWidget* parent = nullptr);
  ~frmPrintPreview() override;

  PrintSurface& vsPrinter() { return surface_; }

  // Copies the printer's paper and orientation to the surface. Returns 1.
  int SetVSPrinterPageSize();
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

  PrintSurface surface_;
  PrintOptions* options_;
  QPrinter* printer_;
  QScrollArea* scroll_;
  PageView* view_;
  QLabel* lblPage_;
  QPushButton *cmdPageUp_, *cmdPageDown_, *cmdZoomIn_, *cmdZoomOut_, *cmdZoomFull_;
  QPushButton *cmdPrint_, *cmdCopy_, *cmdClose_;
};

}  // namespace sq::render
