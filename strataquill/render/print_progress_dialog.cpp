#include "strataquill/render/print_progress_dialog.h"

#include <QApplication>
#include <QProgressDialog>

namespace sq::render {

PrintProgressDialog::PrintProgressDialog(QWidget* parent, int borings)
    : parent_(parent), borings_(std::max(1, borings)) {}

PrintProgressDialog::~PrintProgressDialog() = default;

void PrintProgressDialog::documentStarted(const std::string& documentName) {
  ++boring_;
  document_ = QString::fromStdString(documentName);
  if (borings_ > 1) show(QStringLiteral("Composing page 1"));
}

void PrintProgressDialog::composing(int page) {
  if (page > 1 || dialog_) show(QStringLiteral("Composing page %1").arg(page));
}

void PrintProgressDialog::printing(int page, int pages, int copy, int copies) {
  if (pages * copies <= 1 && !dialog_) return;
  show(copies > 1 ? QStringLiteral("Printing page %1 of %2, copy %3 of %4")
                        .arg(page)
                        .arg(pages)
                        .arg(copy)
                        .arg(copies)
                  : QStringLiteral("Printing page %1 of %2").arg(page).arg(pages));
}

void PrintProgressDialog::finished() {
  dialog_.reset();
}

bool PrintProgressDialog::cancelRequested() {
  QApplication::processEvents();
  return cancelled_;
}

void PrintProgressDialog::show(const QString& what) {
  if (!dialog_) {
    dialog_ = std::make_unique<QProgressDialog>(parent_);
    dialog_->setObjectName("frmPrintProgress");
    dialog_->setWindowTitle(QStringLiteral("Strataquill"));
    dialog_->setWindowModality(parent_ ? Qt::WindowModal : Qt::ApplicationModal);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setMinimumDuration(0);
    dialog_->setRange(0, 0);  // the page count is known only at the end
    dialog_->setMinimumWidth(360);
    QObject::connect(dialog_.get(), &QProgressDialog::canceled, [this] { cancelled_ = true; });
  }
  dialog_->setLabelText(QStringLiteral("%1\nBoring %2 of %3\n%4")
                            .arg(document_)
                            .arg(boring_)
                            .arg(borings_)
                            .arg(what));
  if (!dialog_->isVisible()) dialog_->show();
}

}  // namespace sq::render
