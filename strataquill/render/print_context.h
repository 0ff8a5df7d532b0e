#pragma once

#include <string>
#include <vector>

class QWidget;

namespace sq::db {
class Database;
}

namespace sq::render {

struct PrinterChoice;

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
  // The open project's connection, when the program holds one; the run
  // then reads through it instead of opening projectPath.
  virtual const db::Database* projectDatabase() const { return nullptr; }
  virtual std::string designerLayoutPath() const = 0;
  virtual std::string classificationFile() const = 0;
  virtual std::string patternFolder() const = 0;
  // Writes the pending edits of every open editor, so the log shows what
  // is on screen.
  virtual void saveOpenEditors() = 0;
  // Where runs print, and on what paper.
  virtual PrinterChoice& printerChoice() = 0;
  // The printer-setup dialog; afterwards printerChoice() is the one chosen.
  virtual void printSetup() = 0;
  // The window that dialogs belong to; may be null.
  virtual QWidget* mainWindow() const = 0;
};

}  // namespace sq::render
