#include "strataquill/shell/scripted_prompts.h"

namespace sq {

MessageAnswer ScriptedPrompts::message(std::string_view text, std::string_view title,
                                       MessageButtons buttons, MessageIcon icon) {
  Prompt p{Prompt::Kind::kMessage, std::string(text), std::string(title), buttons, icon, {}};
  seen_.push_back(std::move(p));
  if (!messages_.empty()) {
    MessageAnswer a = messages_.front();
    messages_.pop_front();
    return a;
  }
  if (buttons != MessageButtons::kOk) ++unplanned_;
  switch (buttons) {
    case MessageButtons::kOk:
      return MessageAnswer::kOk;
    case MessageButtons::kYesNo:
    case MessageButtons::kYesNoDefaultNo:
      return MessageAnswer::kNo;
    default:
      return MessageAnswer::kCancel;
  }
}

std::string ScriptedPrompts::inputBox(std::string_view prompt, std::string_view title,
                                      std::string_view) {
  seen_.push_back({Prompt::Kind::kInput,
                   std::string(prompt),
                   std::string(title),
                   MessageButtons::kOkCancel,
                   MessageIcon::kNone,
                   {}});
  if (inputs_.empty()) {
    ++unplanned_;
    return {};
  }
  std::string text = std::move(inputs_.front());
  inputs_.pop_front();
  return text;
}

FileDialogResult ScriptedPrompts::fileDialog(const FileDialogRequest& request) {
  seen_.push_back({Prompt::Kind::kFileDialog,
                   request.title,
                   {},
                   MessageButtons::kOkCancel,
                   MessageIcon::kNone,
                   request});
  if (files_.empty()) {
    ++unplanned_;
    return {};
  }
  FileDialogResult r = std::move(files_.front());
  files_.pop_front();
  return r;
}

void ScriptedPrompts::beep() {
  seen_.push_back({Prompt::Kind::kBeep, {}, {}, MessageButtons::kOk, MessageIcon::kNone, {}});
}

std::vector<std::string> ScriptedPrompts::messageTexts() const {
  std::vector<std::string> texts;
  for (const Prompt& p : seen_)
    if (p.kind == Prompt::Kind::kMessage) texts.push_back(p.text);
  return texts;
}

}  // namespace sq
