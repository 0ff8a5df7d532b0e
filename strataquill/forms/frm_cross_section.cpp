#include "strataquill/forms/frm_cross_section.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace sq::forms {

frmCrossSection::frmCrossSection(render::PrintContext& context, QWidget* parent)
    : FigureWindow(context, parent) {
  setObjectName("frmCrossSection");
  setWindowTitle("Cross-Section");
  auto* side = new QWidget(this);
  side->setFixedWidth(240);
  auto* box = new QVBoxLayout(side);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(new QLabel("Borings in the section, in order:", side));
  list_ = addOrderedList(side, box, borings_);
  auto* add = new QHBoxLayout;
  choices_ = new QComboBox(side);
  choices_->setObjectName("cmbBorings");
  QPushButton* addBoring = addButton(side, "cmdAdd", "Add");
  add->addWidget(choices_, 1);
  add->addWidget(addBoring);
  box->addLayout(add);
  projected_ = new QCheckBox("Projected onto a straight line", side);
  projected_->setObjectName("chkProjected");
  projected_->setToolTip(
      "Place each boring where it falls on the straight line from the first boring to the "
      "last, instead of at the summed distances between neighbours.");
  box->addWidget(projected_);
  auto* ve = new QHBoxLayout;
  ve->addWidget(new QLabel("Vertical exaggeration:", side));
  exaggeration_ = new QDoubleSpinBox(side);
  exaggeration_->setObjectName("spnExaggeration");
  exaggeration_->setRange(0, 200);
  exaggeration_->setSingleStep(1);
  exaggeration_->setDecimals(1);
  exaggeration_->setSpecialValueText("Fit the page");
  ve->addWidget(exaggeration_);
  box->addLayout(ve);
  auto* pages = new QHBoxLayout;
  previous_ = addButton(side, "cmdPageDown", "<");
  next_ = addButton(side, "cmdPageUp", ">");
  pageLabel_ = new QLabel(side);
  pageLabel_->setObjectName("lblPage");
  pageLabel_->setAlignment(Qt::AlignCenter);
  pages->addWidget(previous_);
  pages->addWidget(pageLabel_, 1);
  pages->addWidget(next_);
  box->addLayout(pages);
  box->addSpacing(12);
  addPrintButtons(side, box);
  build(side);

  connect(addBoring, &QPushButton::clicked, this, [this] {
    if (choices_->currentIndex() < 0) return;
    borings_.push_back(choices_->currentText().toStdString());
    refresh();
  });
  connect(projected_, &QCheckBox::toggled, this, [this] { refresh(); });
  connect(exaggeration_, &QDoubleSpinBox::editingFinished, this, [this] { refresh(); });
  connect(previous_, &QPushButton::clicked, this, [this] { setPage(page_ - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { setPage(page_ + 1); });
  reloadBoringList();
  resize(1000, 700);
}

void frmCrossSection::reloadBoringList() {
  const QString current = choices_->currentText();
  choices_->clear();
  for (const std::string& name : context_.boringNames())
    choices_->addItem(QString::fromStdString(name));
  if (const int i = choices_->findText(current); i >= 0) choices_->setCurrentIndex(i);
}

void frmCrossSection::setBorings(std::vector<std::string> borings) {
  borings_ = std::move(borings);
  page_ = 1;
  refresh();
}

void frmCrossSection::setPage(int page) {
  const int pages = static_cast<int>(document().pages.size());
  page_ = std::clamp(page, 1, std::max(1, pages));
  composedAgain();
}

render::RunResult frmCrossSection::compose(const sections::FigureRun& run,
                                           render::PrintSurface& surface, bool) {
  sections::SectionRequest request;
  request.borings = borings_;
  request.mode =
      projected_->isChecked() ? sections::StationMode::kProjected : sections::StationMode::kCumulative;
  request.verticalExaggeration = exaggeration_->value();
  if (borings_.size() < 2) {
    render::RunResult r;
    r.outcome = render::RunResult::Outcome::kRefused;
    r.message =
        "Choose at least two borings for the section: add them here, or pick them on the site "
        "map.";
    return r;
  }
  return sections::composeSection(run, request, surface);
}

void frmCrossSection::composedAgain() {
  showNames(list_, borings_);
  const int pages = composed().ok() ? static_cast<int>(document().pages.size()) : 0;
  page_ = std::clamp(page_, 1, std::max(1, pages));
  pageLabel_->setText(pages > 0 ? QStringLiteral("Page %1 of %2").arg(page_).arg(pages) : "");
  previous_->setEnabled(page_ > 1);
  next_->setEnabled(page_ < pages);
  if (pages > 0) view()->show(&document(), page_ - 1);
}

}  // namespace sq::forms
