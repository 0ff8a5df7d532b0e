#pragma once

#include "strataquill/shell/user_prompts.h"

#include <QStringList>

class QWidget;

namespace sq {

// UserPrompts on Qt's dialogs, owned by the main window.
class QtUserPrompts final : public UserPrompts {
 public:
  explicit QtUserPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  MessageAnswer message(std::string_view text, std::string_view title, MessageButtons buttons,
                        MessageIcon icon) override;
  std::string inputBox(std::string_view prompt, std::string_view title,
                       std::string_view defaultText) override;
  FileDialogResult fileDialog(const FileDialogRequest& request) override;
  void beep() override;
  void setBusy(bool busy) override;

 private:
  QWidget* parent_;
};

// "Strataquill Data (*.sq2)|*.sq2|All (*.*)|*.*" as Qt name filters.
QStringList qtNameFilters(std::string_view classicFilter);

}  // namespace sq
