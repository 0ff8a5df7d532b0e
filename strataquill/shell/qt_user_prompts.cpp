#include "strataquill/shell/qt_user_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace sq {
namespace {

QString qs(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

}  // namespace

QStringList qtNameFilters(std::string_view classicFilter) {
  QStringList parts = qs(classicFilter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    QString label = parts[i];
    filters << (label.contains('(') ? label : label + " (" + patterns + ")");
  }
  return filters;
}

MessageAnswer QtUserPrompts::message(std::string_view text, std::string_view title,
                                     MessageButtons buttons, MessageIcon icon) {
  QMessageBox box(parent_);
  box.setWindowTitle(qs(title));
  box.setText(qs(text));
  switch (icon) {
    case MessageIcon::kNone:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case MessageIcon::kCritical:
      box.setIcon(QMessageBox::Critical);
      break;
    case MessageIcon::kQuestion:
      box.setIcon(QMessageBox::Question);
      break;
    case MessageIcon::kExclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case MessageIcon::kInformation:
      box.setIcon(QMessageBox::Information);
      break;
  }
  switch (buttons) {
    case MessageButtons::kOk:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MessageButtons::kOkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MessageButtons::kYesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MessageButtons::kYesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    case MessageButtons::kYesNoDefaultNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);
      box.setEscapeButton(QMessageBox::No);
      break;
  }
  // The hourglass must not hide the arrow while the user answers.
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int answer = box.exec();
  if (busy) QApplication::restoreOverrideCursor();
  switch (answer) {
    case QMessageBox::Yes:
      return MessageAnswer::kYes;
    case QMessageBox::No:
      return MessageAnswer::kNo;
    case QMessageBox::Ok:
      return MessageAnswer::kOk;
    default:
      return MessageAnswer::kCancel;
  }
}

std::string QtUserPrompts::inputBox(std::string_view prompt, std::string_view title,
                                    std::string_view defaultText) {
  bool ok = false;
  QString text = QInputDialog::getText(parent_, qs(title), qs(prompt), QLineEdit::Normal,
                                       qs(defaultText), &ok);
  return ok ? text.toStdString() : std::string();
}

FileDialogResult QtUserPrompts::fileDialog(const FileDialogRequest& request) {
  QFileDialog dialog(parent_, qs(request.title), qs(request.initialFolder));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setNameFilters(qtNameFilters(request.filter));
  if (!request.defaultExtension.empty())
    dialog.setDefaultSuffix(qs(request.defaultExtension).mid(1));
  if (!request.fileName.empty()) dialog.selectFile(qs(request.fileName));
  FileDialogResult result;
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return result;
  QFileInfo chosen(dialog.selectedFiles().first());
  if (chosen.fileName().isEmpty() || chosen.isDir()) {
    result.outcome = FileDialogResult::Outcome::kInvalidName;
    return result;
  }
  result.outcome = FileDialogResult::Outcome::kChosen;
  result.path = chosen.absoluteFilePath().toStdString();
  result.title = chosen.fileName().toStdString();
  return result;
}

void QtUserPrompts::beep() {
  QApplication::beep();
}

void QtUserPrompts::setBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace sq
