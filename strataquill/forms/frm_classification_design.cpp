#include "strataquill/forms/frm_classification_design.h"

#include <QHeaderView>
#include <QTabWidget>
#include <QVBoxLayout>

#include "strataquill/forms/pattern_swatch.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/layouts/layout_file.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/user_prompts.h"
#include "strataquill/widgets/bound_grid.h"

namespace sq::forms {
namespace {

using widgets::BoundGrid;
using widgets::CellKind;
using widgets::ColumnSpec;

constexpr layouts::ClassKind kKinds[] = {layouts::ClassKind::kLithology,
                                         layouts::ClassKind::kCompletion,
                                         layouts::ClassKind::kSamples};

}  // namespace

frmClassificationDesign::frmClassificationDesign(AppState& state, QWidget* parent)
    : DesignerWindow("frmClassificationDesign", parent),
      state_(state),
      swatches_(std::make_unique<PatternSwatches>(state.PatternsFolder)) {
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(4, 4, 4, 4);
  root->addWidget(tabs_);
  const char* names[] = {"sprdLithology", "sprdCompletion", "sprdSamples"};
  const char* titles[] = {"&Lithology", "&Completion", "&Samples"};
  for (int i = 0; i < 3; ++i) {
    auto* grid = new BoundGrid;
    grid->setObjectName(names[i]);
    grid->setColumns({ColumnSpec("Description", "Description").maxLength(20000),
                      ColumnSpec("Pattern Files", "FileName").maxLength(20000)});
    grid->setIconSize(swatches_->size());
    grid->model().setDecorator(1, [this](const QString& list) { return swatches_->decorate(list); });
    addGridTab(titles[i], grid);
  }
  resize(900, 560);
}

frmClassificationDesign::~frmClassificationDesign() = default;

bool frmClassificationDesign::Form_Load() {
  BusyCursor busy;
  const std::string& path = state_.ClassificationFile;
  if (!isExistingFile(path)) {
    prompts().message(path + " does not exist.", "Error", MessageButtons::kOk, MessageIcon::kNone);
    return false;
  }
  setWindowTitle("Classification Design");
  if (!openFile(path, path)) {
    prompts().message("The file " + path + " is not a classification file or is damaged.",
                      "Error", MessageButtons::kOk, MessageIcon::kNone);
    return false;
  }
  if (!readOnly_) {
    // Normalised through a connection of its own, then read again.
    database_.reset();
    layouts::CheckFileFormat(path);
    if (auto opened = db::Database::open(path); opened.ok())
      database_.emplace(std::move(opened.value()));
  }
  OpenRecordsets();
  SetFormats();
  InitializeRowHeights();
  return true;
}

void frmClassificationDesign::OpenRecordsets() {
  for (int i = 0; i < 3; ++i) loadGrid(*grids_[i], layouts::classTableName(kKinds[i]));
}

void frmClassificationDesign::SetFormats() {
  for (BoundGrid* grid : grids_) {
    setTwipsWidth(*grid, 0, 3600);
    setTwipsWidth(*grid, 1, 6612);
  }
}

void frmClassificationDesign::InitializeRowHeights() {
  for (BoundGrid* grid : grids_) grid->fitAllRowHeights();
}

void frmClassificationDesign::refreshSwatches() {
  swatches_->clear();
  for (BoundGrid* grid : grids_) grid->model().refreshDecorations();
}

}  // namespace sq::forms
