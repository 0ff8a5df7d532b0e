#pragma once

#include <QDialog>

#include <string>

#include "strataquill/render/print_context.h"
#include "strataquill/render/print_options.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

namespace sq::render {

// The "Print Options" dialog: which borings, which layouts, how many depth
// units a page covers, the depth scale's ticks, the pattern scale, whether a
// legend page follows each boring, and the number of copies. It remembers
// the choices, checks the layout files and runs the renderer once per
// chosen boring, or once for all of them when they go to a PDF file.
class frmPrint : public QDialog {
  Q_OBJECT

 public:
  frmPrint(PrintContext& context, QWidget* parent = nullptr);

  // Stores the arguments, sets which controls are enabled, loads the
  // dialog's values and shows it modally.
  void ShowPrintDialog(int Destination, const std::string& dialogFileName, int reportType);
  // The same without showing the dialog, for callers that drive it.
  void prepare(int Destination, const std::string& dialogFileName, int reportType);

  void cmdOK_Click();
  void cmdCancel_Click();
  void cmdAll_Click();
  void cmdNone_Click();
  void cmdChooseFirstPageLayout_Click();
  void cmdChooseAdditionalPageLayout_Click();
  void cmdPrintSetup_Click();
  void lsvMultipleBorings_ItemClick(int row);

  // Icon of a boring list item: 1 not selected, 2 selected.
  int itemIcon(int row) const;
  const PrintOptions& options() const { return options_; }
  // Borings the last OK ran, with the more-follow flag each was given.
  const std::vector<std::pair<std::string, bool>>& runs() const { return runs_; }

  QRadioButton* optCurrentBoring() const { return optCurrentBoring_; }
  QRadioButton* optMultipleBorings() const { return optMultipleBorings_; }
  QListWidget* lsvMultipleBorings() const { return lsvMultipleBorings_; }
  QPushButton* cmdAll() const { return cmdAll_; }
  QPushButton* cmdNone() const { return cmdNone_; }
  QPushButton* cmdChooseFirstPageLayout() const { return cmdChooseFirstPageLayout_; }
  QPushButton* cmdChooseAdditionalPageLayout() const { return cmdChooseAdditionalPageLayout_; }
  QPushButton* cmdPrintSetup() const { return cmdPrintSetup_; }
  QCheckBox* chkUseAdditionalPageLayout() const { return chkUseAdditionalPageLayout_; }
  QCheckBox* chkLegendPage() const { return chkLegendPage_; }
  QLineEdit* txtUnitsPerFirstPage() const { return txtUnitsPerFirstPage_; }
  QLineEdit* txtUnitsPerAdditionalPage() const { return txtUnitsPerAdditionalPage_; }
  QLineEdit* txtPatternScaleFactor() const { return txtPatternScaleFactor_; }
  QLineEdit* txtMajorTickInterval() const { return txtMajorTickInterval_; }
  QLineEdit* txtMinorTickInterval() const { return txtMinorTickInterval_; }
  QLineEdit* txtNumberOfCopies() const { return txtNumberOfCopies_; }

 private:
  void buildControls();
  void loadValues();
  // Centres the dialog on its screen at the size its controls need.
  void centreOnScreen();
  void setItemIcon(QListWidgetItem* item, int icon);
  bool checkLayouts();
  std::string chooseLayout(const char* title, std::string& fileTitle);

  PrintContext& context_;
  PrintOptions options_;
  int Destination = 1;
  std::string dialogFileName;
  int reportType = kBoringLog;
  std::vector<std::pair<std::string, bool>> runs_;

  QGroupBox* fraBorings_;
  QRadioButton *optCurrentBoring_, *optMultipleBorings_;
  QListWidget* lsvMultipleBorings_;
  QPushButton *cmdAll_, *cmdNone_;
  QPushButton *cmdChooseFirstPageLayout_, *cmdChooseAdditionalPageLayout_, *cmdPrintSetup_;
  QCheckBox* chkUseAdditionalPageLayout_;
  QCheckBox* chkLegendPage_;
  QLineEdit *txtUnitsPerFirstPage_, *txtUnitsPerAdditionalPage_;
  QLineEdit *txtPatternScaleFactor_, *txtMajorTickInterval_, *txtMinorTickInterval_;
  QLineEdit* txtNumberOfCopies_;
  QPushButton *cmdOK_, *cmdCancel_;
};

// The dialog's reading of its numeric boxes: units and scale by the
// leading-number rule (text that does not start with a number is 0); tick
// intervals rounded to 16-bit whole numbers; copies truncated, at least 1;
// a scale below 0.1 becomes 0.1.
float parseUnits(const std::string& text);
short parseTickInterval(const std::string& text);
int parseCopies(const std::string& text);
float parsePatternScale(const std::string& text);

}  // namespace sq::render
