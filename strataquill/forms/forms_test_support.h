#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>

#include <memory>
#include <string>

#include "strataquill/db/database.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/forms/frm_file.h"
#include "strataquill/forms/frm_main.h"
#include "strataquill/forms/ui_environment.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/scripted_prompts.h"
#include "strataquill/shell/test_home.h"
#include "strataquill/widgets/bound_grid.h"

namespace sq::forms {

// A main window started as the program starts it, with the build's program
// folder, its own settings, scripted prompts and modal dialogs driven by
// the test.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setProgramFolder(VEXAMOR_TEST_BIN_DIR);
    uiEnvironment().screenWidth = [] { return 1280; };
    uiEnvironment().startupTips = false;
    uiEnvironment().runModal = [this](QDialog& dialog) {
      ++modals_;
      if (!onModal_) return 0;
      auto step = std::move(onModal_);
      onModal_ = nullptr;
      return step(dialog);
    };
  }
  void TearDown() override {
    main_.reset();
    uiEnvironment() = UiEnvironment();
    setProgramFolder("");
  }

  // The next modal dialog is handed to `step` instead of a person.
  void onModal(std::function<int(QDialog&)> step) { onModal_ = std::move(step); }

  // A new project made from the template, with the given borings.
  std::string newProject(const std::string& name, std::initializer_list<const char*> borings = {}) {
    const std::string path = home_.path(name);
    EXPECT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/File.tpl", path, false));
    for (const char* b : borings) sql(path, std::string("INSERT INTO [Boring Information] (BoringName) VALUES (") + db::jetStringLiteral(b) + ")");
    return path;
  }

  static void sql(const std::string& path, const std::string& statement) {
    auto database = db::Database::open(path);
    ASSERT_TRUE(database.ok());
    auto s = database->execute(statement);
    ASSERT_TRUE(s.ok()) << s.message() << "\n" << statement;
  }

  static std::vector<std::string> column(const std::string& path, const std::string& query,
                                         const char* field) {
    std::vector<std::string> out;
    auto database = db::Database::open(path);
    if (!database.ok()) return out;
    auto rs = database->openRecordset(query);
    if (!rs.ok()) return out;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) out.push_back(rs->text(field));
    return out;
  }

  // Starts the program with `commandLine`; with `pastSplash` the splash
  // timer has fired.
  frmMain& start(const std::string& commandLine = "", bool pastSplash = true) {
    main_ = std::make_unique<frmMain>();
    main_->Form_Load(commandLine);
    if (pastSplash) main_->tmrSplash_Timer();
    return *main_;
  }

  frmFile& file() {
    frmFile* f = main_->dataEntryWindow();
    EXPECT_NE(f, nullptr);
    return *f;
  }

  bool enabled(const char* name) { return main_->action(name)->isEnabled(); }

  // Types into a grid cell (row and column from 1) as the user does.
  static void type(widgets::BoundGrid* grid, int row, int column, const QString& text) {
    grid->setActiveCell(row, column);
    grid->model().setData(grid->model().index(row - 1, column - 1), text, Qt::EditRole);
  }

  TestHome home_;
  ScriptedPrompts prompts_;
  std::unique_ptr<frmMain> main_;
  std::function<int(QDialog&)> onModal_;
  int modals_ = 0;
};

}  // namespace sq::forms
