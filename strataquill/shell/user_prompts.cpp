#include "strataquill/shell/user_prompts.h"

namespace sq {
namespace {

class SilentPrompts final : public UserPrompts {
 public:
  MessageAnswer message(std::string_view, std::string_view, MessageButtons buttons,
                        MessageIcon) override {
    switch (buttons) {
      case MessageButtons::kOk:
      case MessageButtons::kOkCancel:
        return MessageAnswer::kOk;
      case MessageButtons::kYesNo:
      case MessageButtons::kYesNoCancel:
        return MessageAnswer::kYes;
      case MessageButtons::kYesNoDefaultNo:
        return MessageAnswer::kNo;
    }
    return MessageAnswer::kOk;
  }
  std::string inputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  FileDialogResult fileDialog(const FileDialogRequest&) override { return {}; }
  void beep() override {}
  void setBusy(bool) override {}
};

UserPrompts*& installed() {
  static UserPrompts* p = nullptr;
  return p;
}

}  // namespace

UserPrompts& prompts() {
  static SilentPrompts silent;
  UserPrompts* p = installed();
  return p ? *p : silent;
}

void setPrompts(UserPrompts* p) {
  installed() = p;
}

}  // namespace sq
