#pragma once

#include <memory>

#include "strataquill/forms/app_state.h"
#include "strataquill/forms/designer_window.h"

namespace sq::forms {

class PatternSwatches;

// The classification designer: the installation's catalogues of lithology,
// completion and sample classes with their pattern lists, one grid per
// table in stored order. Each pattern list shows a swatch of how it fills a
// column, or a marker that says why nothing will print.
class frmClassificationDesign : public DesignerWindow {
  Q_OBJECT

 public:
  explicit frmClassificationDesign(AppState& state, QWidget* parent = nullptr);
  ~frmClassificationDesign() override;

  // The load steps. False when the classification file is missing (the
  // message has been shown) or cannot be opened; the window is then not to
  // be shown.
  bool Form_Load();
  void OpenRecordsets();
  void SetFormats();
  void InitializeRowHeights();
  // Draws the swatches again, for pictures added or removed since.
  void refreshSwatches();

  widgets::BoundGrid* sprdLithology() const { return grids_[0]; }
  widgets::BoundGrid* sprdCompletion() const { return grids_[1]; }
  widgets::BoundGrid* sprdSamples() const { return grids_[2]; }

 private:
  AppState& state_;
  std::unique_ptr<PatternSwatches> swatches_;
};

}  // namespace sq::forms
