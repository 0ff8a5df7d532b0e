#pragma once

#include <deque>
#include <string>
#include <vector>

#include "strataquill/shell/user_prompts.h"

namespace sq {

// A UserPrompts for tests: records every prompt with its exact text, title,
// buttons and icon, and answers from queues planned by the test. A prompt
// with no planned answer is recorded as unplanned and answered with Cancel
// (or No, or an empty text), so a test sees a question it did not expect.
// Installs itself for its lifetime.
class ScriptedPrompts final : public UserPrompts {
 public:
  struct Prompt {
    enum class Kind { kMessage, kInput, kFileDialog, kBeep };
    Kind kind;
    std::string text;   // message text, input prompt, dialog title
    std::string title;  // message or input box title
    MessageButtons buttons = MessageButtons::kOk;
    MessageIcon icon = MessageIcon::kNone;
    FileDialogRequest dialog;
  };

  ScriptedPrompts() { setPrompts(this); }
  ~ScriptedPrompts() override { setPrompts(nullptr); }

  void planMessage(MessageAnswer a) { messages_.push_back(a); }
  void planInput(std::string text) { inputs_.push_back(std::move(text)); }
  void planFile(FileDialogResult r) { files_.push_back(std::move(r)); }

  MessageAnswer message(std::string_view text, std::string_view title, MessageButtons buttons,
                        MessageIcon icon) override;
  std::string inputBox(std::string_view prompt, std::string_view title,
                       std::string_view defaultText) override;
  FileDialogResult fileDialog(const FileDialogRequest& request) override;
  void beep() override;
  void setBusy(bool busy) override { busyDepth_ += busy ? 1 : -1; }

  const std::vector<Prompt>& seen() const { return seen_; }
  // Messages' texts in order, for compact assertions.
  std::vector<std::string> messageTexts() const;
  int unplanned() const { return unplanned_; }
  int busyDepth() const { return busyDepth_; }
  void clear() { seen_.clear(); }

 private:
  std::deque<MessageAnswer> messages_;
  std::deque<std::string> inputs_;
  std::deque<FileDialogResult> files_;
  std::vector<Prompt> seen_;
  int unplanned_ = 0;
  int busyDepth_ = 0;
};

}  // namespace sq
