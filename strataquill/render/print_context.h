#pragma once

#include <string>
#include <vector>

class QPrinter;
class QWidget;

namespace sq::render {

// What the print dialog and the renderer need from the program around
// them: the open project and its borings, the designer's layout, the
// program's shared files, the printer, and a way to make open editors save.
class PrintContext {
 public:
  virtual ~PrintContext() = default;

  // Boring names in the order of the boring selector.
  virtual std::vector<std::string> boringNames() const = 0;
  virtual std::string currentBoring() const = 0;
  virtual std::string projectPath() const = 0;
  virtual std::string designerLayoutPath() const = 0;
  virtual std::string classificationFile() const = 0;
  virtual std::string patternFolder() const = 0;
  // Writes the pending edits of every open editor, so the log shows what
  // is on screen.
  virtual void saveOpenEditors() = 0;
  virtual QPrinter& printer() = 0;
  // The printer-setup dialog; afterwards printer() is the chosen printer.
  virtual void printSetup() = 0;
  // The window that dialogs belong to; may be null.
  virtual QWidget* mainWindow() const = 0;
};

}  // namespace sq::render
