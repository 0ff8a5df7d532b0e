#pragma once

#include <string>
#include <vector>

#include "strataquill/forms/figure_window.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace sq::forms {

// View > Cross-Section: the section through chosen borings, in their
// order, as it prints, page by page. The borings come from the site map's
// line or are added here; the distance mode and the vertical exaggeration
// are options. A section that cannot be drawn says why in the window.
class frmCrossSection : public FigureWindow {
  Q_OBJECT

 public:
  frmCrossSection(render::PrintContext& context, QWidget* parent = nullptr);

  const std::vector<std::string>& borings() const { return borings_; }
  void setBorings(std::vector<std::string> borings);
  // The page on display, from 1.
  int page() const { return page_; }
  void setPage(int page);
  // Offers the project's borings again (after the list changed).
  void reloadBoringList();

  QListWidget* lstSection() const { return list_; }
  QComboBox* cmbBorings() const { return choices_; }
  QCheckBox* chkProjected() const { return projected_; }
  QDoubleSpinBox* spnExaggeration() const { return exaggeration_; }
  QLabel* lblPage() const { return pageLabel_; }

 protected:
  render::RunResult compose(const sections::FigureRun& run, render::PrintSurface& surface,
                            bool forScreen) override;
  std::string figureName() const override { return "Cross-Section"; }
  void composedAgain() override;

 private:
  std::vector<std::string> borings_;
  int page_ = 1;
  QListWidget* list_;
  QComboBox* choices_;
  QCheckBox* projected_;
  QDoubleSpinBox* exaggeration_;
  QLabel* pageLabel_;
  QPushButton *previous_, *next_;
};

}  // namespace sq::forms
