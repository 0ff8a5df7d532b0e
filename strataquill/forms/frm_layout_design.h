#pragma once

#include <optional>

#include "strataquill/db/recordset.h"
#include "strataquill/forms/app_state.h"
#include "strataquill/forms/designer_window.h"
#include "strataquill/layouts/layout_file.h"
#include "strataquill/layouts/options_row.h"

class QCheckBox;

namespace sq::render {
class PrintContext;
}
class QVBoxLayout;

namespace sq::forms {

class LayoutSampleView;

// The layout designer: the texts, lines, pictures and data columns of one
// layout file, each table in a grid sorted by its corners, and the page
// options; beside them the layout's sample page, which follows every
// committed cell. Text rows whose text does not fit its box on the sample
// page are marked.
class frmLayoutDesign : public DesignerWindow {
  Q_OBJECT

 public:
  // `context` gives the sample page its paper and the open project's
  // current boring.
  frmLayoutDesign(AppState& state, render::PrintContext& context, QWidget* parent = nullptr);
  ~frmLayoutDesign() override;

  // The load steps, on the designer layout path. False when no layout is
  // chosen (a title starting with "?") or the file cannot be opened; the
  // window is then not to be shown.
  bool Form_Load();
  void OpenRecordsets();
  void SetFormats();
  void InitializeRowHeights();
  bool UpdateRecordsets() override;
  bool hasPendingEdits() const override;

  // The layout as the grids and check boxes hold it now.
  layouts::LayoutForPrint currentLayout() const;

  widgets::BoundGrid* sprdText() const { return grids_[0]; }
  widgets::BoundGrid* sprdLines() const { return grids_[1]; }
  widgets::BoundGrid* sprdGraphics() const { return grids_[2]; }
  widgets::BoundGrid* sprdColumnGraphics() const { return grids_[3]; }
  QCheckBox* chkTruncateUpperColumnText() const { return truncateUpper_; }
  QCheckBox* chkTruncateLowerColumnText() const { return truncateLower_; }
  QCheckBox* chkEndOfBoringNote() const { return endOfBoringNote_; }
  LayoutSampleView* samplePage() const { return sample_; }

 protected:
  bool stillValid() const override;

 private:
  void buildGrids();
  void openOptions();
  void followActiveRow();
  // Marks the Text rows whose text does not fit its box on the sample page.
  void markTextsNotFitting();

  AppState& state_;
  render::PrintContext& context_;
  QCheckBox* truncateUpper_;
  QCheckBox* truncateLower_;
  QCheckBox* endOfBoringNote_;
  QCheckBox* showGuides_;
  QVBoxLayout* sideLayout_ = nullptr;
  LayoutSampleView* sample_ = nullptr;
  std::optional<layouts::OptionsRow> options_;
  bool optionsChanged_ = false;
};

// The lists of the designer's drop-down cells, entries joined by tabs.
extern const char* const kPlaceholderList;
extern const char* const kColumnTypeList;
extern const char* const kColorList;
extern const char* const kPenStyleList;
extern const char* const kAlignmentList;
// The tool tip of a Text row whose text does not fit its box.
extern const char* const kTextDoesNotFit;

}  // namespace sq::forms
