#pragma once

#include <string>
#include <string_view>

namespace sq {

// kYesNoDefaultNo: Yes and No with No as the default button, for questions
// whose Yes destroys something.
enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel, kYesNoDefaultNo };
enum class MessageIcon { kNone, kCritical, kQuestion, kExclamation, kInformation };
enum class MessageAnswer { kOk, kCancel, kYes, kNo };

// A common file dialog as the program asks for it. `filter` uses the classic
// "Description (*.ext)|*.ext" form.
struct FileDialogRequest {
  std::string title;
  std::string initialFolder;
  std::string fileName;
  std::string filter;
  std::string defaultExtension;  // with its dot, e.g. ".sq2"
  bool mustExist = false;        // open an existing file
};

struct FileDialogResult {
  enum class Outcome { kChosen, kCancelled, kInvalidName };
  Outcome outcome = Outcome::kCancelled;
  std::string path;   // full path when chosen
  std::string title;  // file name without its folder
};

// Every modal question, message, input box and file dialog of the program
// goes through this seam. The desktop program installs the Qt
// implementation; tests install a scripted one that records each prompt's
// exact text and answers as planned. The hourglass pointer goes through it
// as well, so logic that shows it stays free of the toolkit.
class UserPrompts {
 public:
  virtual ~UserPrompts() = default;

  virtual MessageAnswer message(std::string_view text, std::string_view title,
                                MessageButtons buttons, MessageIcon icon) = 0;
  // The typed text, or "" when the user cancels.
  virtual std::string inputBox(std::string_view prompt, std::string_view title,
                               std::string_view defaultText) = 0;
  virtual FileDialogResult fileDialog(const FileDialogRequest& request) = 0;
  virtual void beep() = 0;
  // Hourglass pointer on (busy) or back to what showed before.
  virtual void setBusy(bool busy) = 0;
};

// The installed prompts. Without an installed implementation a silent one
// answers every question with its default button and cancels every dialog,
// which is what a program without a display needs.
UserPrompts& prompts();
// Installs `p` (not owned); nullptr restores the silent implementation.
void setPrompts(UserPrompts* p);

// Shows the hourglass for the lifetime of the object and then restores the
// pointer that showed before.
class BusyCursor {
 public:
  BusyCursor() { prompts().setBusy(true); }
  ~BusyCursor() { prompts().setBusy(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace sq
