// File > Export > AGS4 and File > Import > AGS4, tried as a user tries them:
// the dialogs filled in, the summary confirmed or cancelled, the project
// file read back.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "strataquill/exchange/ags_check.h"
#include "strataquill/exchange/ags_export.h"
#include "strataquill/exchange/exchange_settings.h"
#include "strataquill/forms/ags_dialogs.h"
#include "strataquill/forms/forms_test_support.h"
#include "strataquill/shell/file_copy.h"

namespace sq::forms {
namespace {

namespace fs = std::filesystem;
using exchange::CompletionMapping;
using exchange::CompletionTarget;

class AgsMenuTest : public WindowTest {
 protected:
  void TearDown() override {
    setWritableProbe(nullptr);
    WindowTest::TearDown();
  }

  static std::string bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  std::string demoCopy(const std::string& name = "Demo.sq2") {
    const std::string path = home_.path(name);
    EXPECT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/demo/Demo.sq2", path, true));
    return path;
  }

  // The AGS text of `borings` of the demo (all when empty), through the
  // library, with `from` replaced by `to` everywhere.
  std::string demoAgs(const std::string& name, std::vector<std::string> borings = {},
                      const std::string& from = "", const std::string& to = "") {
    const std::string demo = demoCopy("source.sq2");
    auto database = db::Database::open(demo);
    EXPECT_TRUE(database.ok());
    std::string text =
        exchange::exportAgs(*database, borings,
                            exchange::defaultExportOptions(demo, classificationFile()))
            .text;
    for (std::size_t at = 0; !from.empty() && (at = text.find(from, at)) != std::string::npos;
         at += to.size())
      text.replace(at, from.size(), to);
    const std::string path = home_.path(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // Runs File > Export > AGS4 with the dialog filled in by `fill` and OK
  // clicked; false when the dialog stayed open.
  bool exportFromMenu(const std::function<void(frmAgsExport&)>& fill) {
    bool accepted = false;
    onModal([&](QDialog& d) {
      auto& dialog = dynamic_cast<frmAgsExport&>(d);
      fill(dialog);
      dialog.cmdOK_Click();
      accepted = dialog.result() == QDialog::Accepted;
      return dialog.result();
    });
    main_->action("mnuExportAgs")->trigger();
    return accepted;
  }

  // Runs File > Import > AGS4 on `file` (into a new project `newProject`
  // when none is open); `decide` sees the summary dialog and clicks OK or
  // Cancel.
  void importFromMenu(const std::string& file, const std::function<void(frmAgsImport&)>& decide,
                      const std::string& newProject = "") {
    for (const std::string& path : {file, newProject})
      if (!path.empty())
        prompts_.planFile(
            {FileDialogResult::Outcome::kChosen, path, fs::path(path).filename().string()});
    onModal([&](QDialog& d) {
      auto& dialog = dynamic_cast<frmAgsImport&>(d);
      decide(dialog);
      return dialog.result();
    });
    main_->action("mnuImportAgs")->trigger();
  }

  static std::string summary(frmAgsImport& dialog) {
    return dialog.txtSummary()->toPlainText().toStdString();
  }

  std::vector<std::string> lithology(const std::string& path, const std::string& boring) {
    return column(path, project::GetSQL(boring, project::kLithologyTable), "Description");
  }
};

TEST_F(AgsMenuTest, ExportWritesWhatTheGridsHoldAndTheFileChecksClean) {
  frmMain& main = start();
  main.updateMenus();
  EXPECT_FALSE(enabled("mnuExportAgs")) << "no project to export";
  EXPECT_TRUE(enabled("mnuImportAgs")) << "imports into a new project";
  const std::string demo = demoCopy();
  ASSERT_TRUE(main.openProject(demo, "Demo.sq2"));
  main.updateMenus();
  EXPECT_TRUE(enabled("mnuExportAgs"));
  ASSERT_EQ(file().boundBoring(), "B-1");
  // An edit not yet saved goes into the file, as it goes into a print.
  type(file().sprdLithology(), 1, 3, "ASPHALT: typed just before the export");

  const std::string ags = home_.path("Demo.ags");
  prompts_.clear();
  ASSERT_TRUE(exportFromMenu([&](frmAgsExport& d) {
    EXPECT_EQ(d.filePath(), ags) << "beside the project, named after it";
    EXPECT_TRUE(d.optWholeProject()->isChecked());
  }));
  const exchange::AgsCheckReport report = exchange::checkAgsFile(ags);
  ASSERT_TRUE(report.readable);
  EXPECT_TRUE(report.issues.empty()) << exchange::formatIssue(report.issues.front());
  EXPECT_NE(bytes(ags).find("ASPHALT: typed just before the export"), std::string::npos);
  EXPECT_EQ(lithology(demo, "B-1").front(), "ASPHALT: typed just before the export");
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_EQ(prompts_.seen()[0].title, "Export AGS4");
  EXPECT_EQ(prompts_.seen()[0].text.rfind("Wrote " + ags + ": 3 borings, ", 0), 0u)
      << prompts_.seen()[0].text;

  // Chosen borings, into the same file: asked before it is overwritten,
  // and kept when the user says no.
  const std::string before = bytes(ags);
  prompts_.clear();
  prompts_.planMessage(MessageAnswer::kNo);
  EXPECT_FALSE(exportFromMenu([](frmAgsExport& d) { d.optChosenBorings()->setChecked(true); }));
  main.updateMenus();
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"The file " + ags +
                                     " already exists.  Do you wish to overwrite it?"});
  EXPECT_EQ(bytes(ags), before);

  prompts_.clear();
  prompts_.planMessage(MessageAnswer::kYes);
  ASSERT_TRUE(exportFromMenu([](frmAgsExport& d) {
    d.optChosenBorings()->setChecked(true);
    ASSERT_EQ(d.lstBorings()->count(), 3);
    d.lstBorings()->item(0)->setCheckState(Qt::Unchecked);  // B-1, the current one
    d.lstBorings()->item(1)->setCheckState(Qt::Checked);
    d.lstBorings()->item(2)->setCheckState(Qt::Checked);
  }));
  EXPECT_EQ(prompts_.messageTexts().back().rfind("Wrote " + ags + ": 2 borings, ", 0), 0u);
  const std::string chosen = bytes(ags);
  EXPECT_EQ(chosen.find("\"B-1\""), std::string::npos);
  EXPECT_NE(chosen.find("\"B-2\""), std::string::npos);
  EXPECT_NE(chosen.find("\"MW-1\""), std::string::npos);

  // Nothing ticked: the dialog says so and stays.
  prompts_.clear();
  EXPECT_FALSE(exportFromMenu([](frmAgsExport& d) {
    d.optChosenBorings()->setChecked(true);
    for (int i = 0; i < d.lstBorings()->count(); ++i)
      d.lstBorings()->item(i)->setCheckState(Qt::Unchecked);
  }));
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"Tick the borings to export, or choose the whole project."});
}

TEST_F(AgsMenuTest, CompletionTargetsAreEditedFromTheExportDialog) {
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(demoCopy(), "Demo.sq2"));
  const std::string ags = home_.path("targets.ags");
  prompts_.clear();
  ASSERT_TRUE(exportFromMenu([&](frmAgsExport& d) {
    d.txtFile()->setText(QString::fromStdString(ags));
    onModal([&](QDialog& inner) {
      auto& targets = dynamic_cast<frmAgsCompletion&>(inner);
      EXPECT_TRUE(targets.setTargetText("Screen", "PIPE SLOTTED + BKFL 902"));
      EXPECT_TRUE(targets.setTargetText("Bentonite chips", "BKFL"));
      targets.cmdOK_Click();
      EXPECT_NE(targets.result(), QDialog::Accepted) << "a mistyped target keeps the dialog";
      EXPECT_EQ(CompletionMapping::load({"Screen"}).entries()[0].stored, false)
          << "nothing is stored while one target is wrong";
      targets.setTargetText("Bentonite chips", "default");
      targets.cmdOK_Click();
      return targets.result();
    });
    d.cmdCompletion_Click();
  }));
  ASSERT_FALSE(prompts_.messageTexts().empty());
  EXPECT_EQ(prompts_.messageTexts().front(),
            "\"BKFL\" is not a target for Bentonite chips.  Write PIPE PLAIN or PIPE SLOTTED, BKFL "
            "and a backfill code, both joined by \"+\", or none.");
  const CompletionMapping mapping = CompletionMapping::load({"Screen", "Bentonite chips"});
  EXPECT_EQ(mapping.target("Screen"), (CompletionTarget{"SLOTTED", "902"}));
  EXPECT_TRUE(mapping.entries()[0].stored);
  EXPECT_FALSE(mapping.entries()[1].stored) << "a default is not stored";
  // The screen of the demo's well is in gravel now.
  const std::string text = bytes(ags);
  const std::size_t bkfl = text.find("\"GROUP\",\"BKFL\"");
  ASSERT_NE(bkfl, std::string::npos);
  EXPECT_NE(text.find("\"902\"", bkfl), std::string::npos);
}

TEST_F(AgsMenuTest, ImportIntoTheOpenProjectWritesOnlyOnceTheSummaryIsConfirmed) {
  const std::string ags = demoAgs("demo.ags");
  const std::string site = newProject("site.sq2");
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(site, "site.sq2"));
  main.mnuClose_Click();  // the first opening may repair the file's structure
  ASSERT_TRUE(main.openProject(site, "site.sq2"));
  const std::string untouched = bytes(site);

  prompts_.clear();
  importFromMenu(ags, [](frmAgsImport& d) {
    EXPECT_NE(summary(d).find("Borings to import: 3 (B-1, B-2, MW-1).\n"), std::string::npos)
        << summary(d);
    EXPECT_NE(summary(d).find("Check: the file keeps the AGS4 rules.\n"), std::string::npos);
    EXPECT_FALSE(d.chkReplace()->isEnabled()) << "no boring of the file is in the project";
    EXPECT_TRUE(d.cmdOK()->isEnabled());
    d.cmdCancel_Click();
  });
  EXPECT_EQ(modals_, 1);
  EXPECT_EQ(prompts_.seen().size(), 1u) << "only the file dialog";
  EXPECT_EQ(bytes(site), untouched);
  EXPECT_TRUE(main.boringList().empty());

  prompts_.clear();
  importFromMenu(ags, [](frmAgsImport& d) { d.cmdOK_Click(); });
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"3 borings of demo.ags were imported into site.sq2."});
  EXPECT_EQ(main.boringList(), (std::vector<std::string>{"B-1", "B-2", "MW-1"}));
  EXPECT_EQ(main.cmbBoringSelect()->currentText(), "B-1");
  EXPECT_EQ(file().boundBoring(), "B-1");
  const std::vector<std::string> imported = lithology(site, "B-1");
  EXPECT_EQ(imported, lithology(home_.path("source.sq2"), "B-1"));
  EXPECT_EQ(file().sprdLithology()->model().dataRowCount(), static_cast<int>(imported.size()))
      << "the window shows what was imported";
  EXPECT_EQ(qobject_cast<QLineEdit*>(file().control("txtProjectName"))->text().toStdString(),
            column(site, "SELECT ProjectName FROM [Project Information]", "ProjectName").at(0))
      << "the project information that filled empty fields shows as well";
}

TEST_F(AgsMenuTest, ExistingBoringsStayUnlessReplaceIsTicked) {
  const std::string ags = demoAgs("b1.ags", {"B-1"}, "ASPHALT: 6 inches", "ASPHALT: 5 inches");
  const std::string demo = demoCopy();
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(demo, "Demo.sq2"));
  main.selectBoringText("B-2");
  main.cmbBoringSelect_Click();
  const std::string untouched = bytes(demo);

  importFromMenu(ags, [](frmAgsImport& d) {
    EXPECT_NE(summary(d).find("Borings the project already has, left as they are: B-1.\n"),
              std::string::npos)
        << summary(d);
    EXPECT_FALSE(d.cmdOK()->isEnabled()) << "nothing new to import";
    ASSERT_TRUE(d.chkReplace()->isEnabled());
    d.chkReplace()->setChecked(true);
    EXPECT_NE(summary(d).find("Borings that replace the project's own: B-1.\n"),
              std::string::npos);
    EXPECT_TRUE(d.cmdOK()->isEnabled());
    d.chkReplace()->setChecked(false);
    d.cmdCancel_Click();
  });
  EXPECT_EQ(bytes(demo), untouched);

  const std::size_t rows = lithology(demo, "B-1").size();
  prompts_.clear();
  importFromMenu(ags, [](frmAgsImport& d) {
    d.chkReplace()->setChecked(true);
    d.cmdOK_Click();
  });
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"1 boring of b1.ags was imported into Demo.sq2."});
  const std::vector<std::string> replaced = lithology(demo, "B-1");
  EXPECT_EQ(replaced.size(), rows) << "replaced, not added to";
  EXPECT_EQ(replaced.front().rfind("ASPHALT: 5 inches", 0), 0u);
  EXPECT_EQ(main.boringList(), (std::vector<std::string>{"B-1", "B-2", "MW-1"}));
  EXPECT_EQ(file().boundBoring(), "B-1") << "the imported boring shows";
  EXPECT_EQ(file().sprdLithology()->model().data(file().sprdLithology()->model().index(0, 2), Qt::DisplayRole)
                .toString()
                .left(17),
            "ASPHALT: 5 inches");
}

TEST_F(AgsMenuTest, RefusedFilesAndReadOnlyProjectsWriteNothing) {
  // The demo's file with its depths said to be in metres, into the demo in
  // feet: the program never converts units.
  const std::string metres = demoAgs("metres.ags", {}, "\"ft\"", "\"m\"");
  const std::string demo = demoCopy();
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(demo, "Demo.sq2"));
  const std::string untouched = bytes(demo);
  prompts_.clear();
  importFromMenu(metres, [](frmAgsImport&) { ADD_FAILURE() << "no summary for a refused file"; });
  ASSERT_EQ(prompts_.messageTexts().size(), 1u);
  const ScriptedPrompts::Prompt& refusal = prompts_.seen().back();
  EXPECT_EQ(refusal.title, "Can't Import");
  EXPECT_EQ(refusal.text.rfind("The file cannot be imported. The file's depths are in Meters", 0),
            0u)
      << refusal.text;
  EXPECT_EQ(refusal.text.substr(refusal.text.size() - 20), "Nothing was written.");
  EXPECT_EQ(bytes(demo), untouched);

  // A file that is no AGS text: the reason, with nothing written.
  const std::string junk = home_.path("junk.ags");
  std::ofstream(junk) << "this is not an AGS file\n";
  prompts_.clear();
  importFromMenu(junk, [](frmAgsImport&) { ADD_FAILURE() << "no summary for a refused file"; });
  EXPECT_EQ(prompts_.seen().back().text.rfind("The file cannot be imported. ", 0), 0u);
  EXPECT_EQ(bytes(demo), untouched);
  EXPECT_EQ(modals_, 0);

  main.mnuClose_Click();
  setWritableProbe([&](const std::string& p) { return p != demo; });
  ASSERT_TRUE(main.openProject(demo, "Demo.sq2"));
  prompts_.clear();
  main.action("mnuImportAgs")->trigger();
  ASSERT_EQ(prompts_.seen().size(), 1u) << "said before the file is asked for";
  EXPECT_EQ(prompts_.seen()[0].text,
            "The project Demo.sq2 is read-only.  Borings cannot be imported into it.");
  EXPECT_EQ(prompts_.seen()[0].title, "Can't Import");
}

TEST_F(AgsMenuTest, WithoutAProjectTheImportMakesANewOne) {
  const std::string ags = demoAgs("demo.ags");
  frmMain& main = start();
  const std::string fresh = home_.path("fresh.sq2");
  std::ofstream(home_.path("demo.sq2")) << "another file of the name";

  // Cancelled at the summary: no project file at all.
  importFromMenu(ags, [](frmAgsImport& d) { d.cmdCancel_Click(); }, fresh);
  ASSERT_EQ(prompts_.seen().size(), 2u);
  EXPECT_EQ(prompts_.seen()[1].text, "Create New File");
  EXPECT_EQ(prompts_.seen()[1].dialog.initialFolder, home_.root().string())
      << "beside the AGS file";
  EXPECT_EQ(prompts_.seen()[1].dialog.fileName, "demo 2.sq2") << "named after it, as no file is";
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_EQ(main.dataEntryWindow(), nullptr);

  prompts_.clear();
  importFromMenu(
      ags,
      [](frmAgsImport& d) {
        EXPECT_NE(summary(d).find("Borings to import: 3"), std::string::npos);
        // The project writes its dates day first: the file is read again.
        d.cmbDates()->setCurrentIndex(1);
        d.cmdOK_Click();
      },
      fresh);
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"3 borings of demo.ags were imported into fresh.sq2."});
  ASSERT_NE(main.dataEntryWindow(), nullptr);
  EXPECT_EQ(main.state().CurrentProjectPath, fresh);
  EXPECT_EQ(main.boringList(), (std::vector<std::string>{"B-1", "B-2", "MW-1"}));
  EXPECT_EQ(column(fresh, project::GetSQL("B-1", project::kBoringTable), "DateStart"),
            std::vector<std::string>{"16/09/2024"});
  EXPECT_EQ(exchange::storedDateOrder(), exchange::DateOrder::kDayMonthYear);
  // Built beside its place and renamed into it: nothing else is left.
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(home_.root()))
    if (entry.is_regular_file()) files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files,
            (std::vector<std::string>{"demo.ags", "demo.sq2", "fresh.sq2", "source.sq2"}));
}

}  // namespace
}  // namespace sq::forms
