// Two people on one project on a PostgreSQL server of the test's own: two
// main windows in this process, each with its own session (its own
// connection and role), driven as the users drive them.

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QThread>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "strataquill/db/project_link.h"
#include "strataquill/db/server_address.h"
#include "strataquill/db/testing/scratch_postgres.h"
#include "strataquill/forms/forms_test_support.h"
#include "strataquill/forms/frm_conflicts.h"
#include "strataquill/forms/frm_open_server.h"
#include "strataquill/project/borings.h"
#include "strataquill/project/recent_projects.h"
#include "strataquill/sharing/project_transfer.h"
#include "strataquill/shell/settings_store.h"

namespace sq::forms {
namespace {

using testing::ScratchPostgres;

// Names that no query may trip over: quotes and blanks in the project, the
// borings and the roles.
const std::string kBoring1 = "B \"1\" O'Neil";
const std::string kBoring2 = "MW 2";
const std::string kBen = "ben 'b'";
const std::string kReader = "client \"c\"";

class SharedProjectTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    std::string why;
    server_ = ScratchPostgres::shared(&why);
    ASSERT_NE(server_, nullptr) << why;
    project_ = ("Kessler \"Depot\" O'Neil " +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))
                   .substr(0, 63);
    auto pushed =
        sharing::pushProject(std::string(VEXAMOR_TEST_BIN_DIR) + "/File.tpl", address(), true);
    ASSERT_TRUE(pushed.ok()) << pushed.status().message();
    auto db = db::Database::open(address());
    ASSERT_TRUE(db.ok());
    for (const std::string& b : {kBoring1, kBoring2})
      ASSERT_TRUE(project::CreateBoringRow(*db, b).ok());
    ASSERT_TRUE(db->execute("INSERT INTO [Lithology Information] (BoringName, [From], [To], "
                            "Description) VALUES (" +
                            db::jetStringLiteral(kBoring1) + ", 0, 5, \"Clay\")")
                    .ok());
    ASSERT_TRUE(db->execute("INSERT INTO [Lithology Information] (BoringName, [From], [To], "
                            "Description) VALUES (" +
                            db::jetStringLiteral(kBoring1) + ", 5, 10, \"Sand\")")
                    .ok());
    // Ben may change the project; the client may only read it.
    const std::string schema = db::quoteIdentifier(project_);
    for (const std::string& role : {kBen, kReader}) {
      server_->admin("DROP OWNED BY " + db::quoteIdentifier(role), &why);
      server_->admin("DROP ROLE IF EXISTS " + db::quoteIdentifier(role), &why);
    }
    ASSERT_TRUE(server_->admin(
        "CREATE ROLE " + db::quoteIdentifier(kBen) + " LOGIN; CREATE ROLE " +
            db::quoteIdentifier(kReader) + " LOGIN; GRANT USAGE ON SCHEMA " + schema + " TO " +
            db::quoteIdentifier(kBen) + ", " + db::quoteIdentifier(kReader) +
            "; GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA " + schema + " TO " +
            db::quoteIdentifier(kBen) + "; GRANT SELECT ON ALL TABLES IN SCHEMA " + schema +
            " TO " + db::quoteIdentifier(kReader),
        &why))
        << why;
  }

  void TearDown() override {
    other_.reset();
    WindowTest::TearDown();
  }

  std::string address(const std::string& user = ScratchPostgres::kAdmin) const {
    return server_->address(project_, user);
  }

  // Ana (the administrator) in the test's main window, Ben in a second one,
  // both on the first boring.
  frmMain& ana() {
    if (!main_) {
      start();
      EXPECT_TRUE(main_->openProject(address(), project_));
    }
    return *main_;
  }
  frmMain& ben(const std::string& role = kBen) {
    if (!other_) {
      other_ = std::make_unique<frmMain>();
      other_->Form_Load("");
      other_->tmrSplash_Timer();
      EXPECT_TRUE(other_->openProject(address(role), project_));
    }
    return *other_;
  }
  static frmFile& entry(frmMain& main) { return *main.dataEntryWindow(); }
  static widgets::RecordsetModel& lithology(frmMain& main) {
    return entry(main).sprdLithology()->model();
  }
  static void switchTo(frmMain& main, const std::string& boring) {
    main.selectBoringText(boring);
    main.cmbBoringSelect_Click();
    ASSERT_EQ(entry(main).boundBoring(), boring);
  }
  static std::vector<std::string> selector(frmMain& main) {
    std::vector<std::string> names;
    for (int i = 0; i < main.cmbBoringSelect()->count(); ++i)
      names.push_back(main.cmbBoringSelect()->itemText(i).toStdString());
    return names;
  }
  // Lets the windows run (their notices arrive) until `done`, at most 10 s.
  static bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000) {
      QApplication::processEvents(QEventLoop::AllEvents, 50);
      QThread::msleep(20);
    }
    return done();
  }
  // What the server holds: the descriptions of a boring's lithology rows.
  std::vector<std::string> stored(const std::string& boring) {
    std::vector<std::string> out;
    auto db = db::Database::open(address());
    if (!db.ok()) return out;
    auto rs = db->openRecordset(project::GetSQL(boring, project::kLithologyTable));
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) out.push_back(rs->text("Description"));
    return out;
  }

  ScratchPostgres* server_ = nullptr;
  std::string project_;
  std::unique_ptr<frmMain> other_;
};

TEST_F(SharedProjectTest, ARowTypedInOneWindowReachesTheOther) {
  frmMain& a = ana();
  frmMain& b = ben();
  EXPECT_EQ(entry(a).windowTitle().toStdString(), project_);
  EXPECT_EQ(a.state().CurrentProjectPath, address()) << "the address, as it may be shown";
  EXPECT_EQ(lithology(b).cellText(1, 2), "Sand");

  type(entry(a).sprdLithology(), 3, 1, "10");
  type(entry(a).sprdLithology(), 3, 2, "12.5");
  type(entry(a).sprdLithology(), 3, 3, "Gravel, \"clean\"");
  switchTo(a, kBoring2);  // saves
  EXPECT_EQ(stored(kBoring1), (std::vector<std::string>{"Clay", "Sand", "Gravel, \"clean\""}));

  // Ben's window tells him and offers to read the boring again.
  ASSERT_TRUE(waitFor([&] { return entry(b).changedBanner()->isVisible(); }));
  EXPECT_EQ(entry(b).findChild<QLabel*>("lblChangedByOthers")->text().toStdString(),
            "Another user changed " + kBoring1 +
                " after you opened it.  Reload it to see their changes; yours are saved first.");
  EXPECT_EQ(lithology(b).dataRowCount(), 2) << "nothing changes under his hands";
  entry(b).cmdReload()->click();
  EXPECT_FALSE(entry(b).changedBanner()->isVisible());
  ASSERT_EQ(lithology(b).dataRowCount(), 3);
  EXPECT_EQ(lithology(b).cellText(2, 2), "Gravel, \"clean\"");

  // A row Ana types into the other boring is in Ben's grid when he goes there.
  type(entry(a).sprdLithology(), 1, 1, "0");
  type(entry(a).sprdLithology(), 1, 3, "Fill");
  switchTo(a, kBoring1);
  switchTo(b, kBoring2);
  ASSERT_EQ(lithology(b).dataRowCount(), 1);
  EXPECT_EQ(lithology(b).cellText(0, 2), "Fill");
  EXPECT_EQ(prompts_.unplanned(), 0);
}

TEST_F(SharedProjectTest, BoringsAddedAndRemovedReachTheOthersSelector) {
  frmMain& a = ana();
  frmMain& b = ben();
  const std::string added = "New \"one\" 'x'";
  prompts_.planInput(added);
  a.AddBoring();
  EXPECT_EQ(a.GetCurrentBoring(), added);
  ASSERT_TRUE(waitFor([&] { return b.boringList().size() == 3; }));
  EXPECT_EQ(selector(b), (std::vector<std::string>{kBoring1, kBoring2, added}));
  EXPECT_EQ(b.GetCurrentBoring(), kBoring1) << "his boring stays current";

  // A name someone else took meanwhile is refused, though this window had
  // not heard of it yet.
  const std::string late = "Late one";
  ASSERT_TRUE(db::Database::open(address())
                  ->execute("INSERT INTO [Boring Information] (BoringName) VALUES (\"Late one\")")
                  .ok());
  prompts_.planInput(late);
  b.AddBoring();
  EXPECT_EQ(prompts_.seen().back().title, "Boring already exists");
  EXPECT_EQ(selector(b).size(), 4u);

  // A boring that Ben has open stays, and Ana is told who has it.
  switchTo(a, kBoring1);
  prompts_.clear();
  a.RemoveBoring();
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"The boring " + kBoring1 + " cannot be removed: " + kBen +
                                     " has it open."});
  EXPECT_EQ(prompts_.seen().back().title, "Can't Remove Boring");
  ASSERT_TRUE(waitFor([&] { return a.boringList().size() == 4; }));
  EXPECT_EQ(stored(kBoring1).size(), 2u);

  // One nobody else has open goes, from both selectors.
  switchTo(a, added);
  prompts_.planMessage(MessageAnswer::kYes);
  prompts_.planMessage(MessageAnswer::kYes);
  a.RemoveBoring();
  EXPECT_EQ(a.boringList().size(), 3u);
  ASSERT_TRUE(waitFor([&] { return b.boringList().size() == 3; }));
  EXPECT_EQ(selector(b), (std::vector<std::string>{kBoring1, late, kBoring2}));
  EXPECT_EQ(entry(b).boundBoring(), kBoring1);
}

TEST_F(SharedProjectTest, AConflictShowsBothVersionsAndEachChoiceIsKept) {
  frmMain& a = ana();
  frmMain& b = ben();
  type(entry(a).sprdLithology(), 1, 3, "Clay, stiff");
  qobject_cast<QLineEdit*>(entry(a).control("txtSupervisor"))->setText("A. Ana");
  ASSERT_TRUE(entry(a).UpdateRecordsets());

  // Ben changed the same row and the same field, and another row.
  type(entry(b).sprdLithology(), 1, 3, "Clay, soft");
  type(entry(b).sprdLithology(), 2, 3, "Sand, wet");
  qobject_cast<QLineEdit*>(entry(b).control("txtSupervisor"))->setText("B. Ben");
  std::vector<std::string> where, theirs, mine;
  onModal([&](QDialog& d) {
    auto* dialog = qobject_cast<frmConflicts*>(&d);
    EXPECT_NE(dialog, nullptr);
    if (!dialog) return 0;
    EXPECT_EQ(dialog->windowTitle(), "Changed by Another User");
    EXPECT_FALSE(dialog->cmdOK()->isEnabled()) << "each row needs a choice";
    for (int i = 0; i < dialog->rowCount(); ++i) {
      QTableWidget* t = dialog->versions(i);
      where.push_back(t->parentWidget()->property("title").toString().toStdString());
      theirs.push_back(t->item(0, 2 % t->columnCount())->text().toStdString());
      mine.push_back(t->item(1, 2 % t->columnCount())->text().toStdString());
      EXPECT_EQ(t->verticalHeaderItem(0)->text(), "Theirs");
      EXPECT_EQ(t->verticalHeaderItem(1)->text(), "Mine");
      dialog->optKeepMine(i)->click();
    }
    EXPECT_TRUE(dialog->cmdOK()->isEnabled());
    return int(QDialog::Accepted);
  });
  ASSERT_TRUE(entry(b).UpdateRecordsets());
  EXPECT_EQ(where, (std::vector<std::string>{"Lithology, row 1", "Boring Info."}));
  EXPECT_EQ(theirs, (std::vector<std::string>{"Clay, stiff", "A. Ana"}));
  EXPECT_EQ(mine, (std::vector<std::string>{"Clay, soft", "B. Ben"}));
  EXPECT_EQ(stored(kBoring1), (std::vector<std::string>{"Clay, soft", "Sand, wet"}))
      << "his, chosen, and his other row";
  EXPECT_FALSE(entry(b).hasPendingEdits());

  // Ana, not having read it again, edits the row once more: put off, her
  // edit waits; then she takes Ben's version.
  type(entry(a).sprdLithology(), 1, 3, "Clay, very stiff");
  onModal([](QDialog&) { return int(QDialog::Rejected); });
  EXPECT_FALSE(entry(a).UpdateRecordsets());
  EXPECT_TRUE(entry(a).hasPendingEdits());
  // Leaving the boring then asks first, and No keeps it.
  prompts_.planMessage(MessageAnswer::kNo);
  onModal([](QDialog&) { return int(QDialog::Rejected); });
  a.selectBoringText(kBoring2);
  a.cmbBoringSelect_Click();
  EXPECT_EQ(entry(a).boundBoring(), kBoring1);
  EXPECT_EQ(prompts_.seen().back().text,
            "The changes to " + project_ +
                " could not be saved: Another user changed this row "
                "after you read it; nothing of your change to it was written.\n\nDo you want to go "
                "on and lose them?");
  EXPECT_EQ(lithology(a).cellText(0, 2), "Clay, very stiff");
  EXPECT_EQ(stored(kBoring1)[0], "Clay, soft");
  onModal([](QDialog& d) {
    auto* dialog = qobject_cast<frmConflicts*>(&d);
    for (int i = 0; dialog && i < dialog->rowCount(); ++i) dialog->optTakeTheirs(i)->click();
    return int(QDialog::Accepted);
  });
  ASSERT_TRUE(entry(a).UpdateRecordsets());
  EXPECT_EQ(lithology(a).cellText(0, 2), "Clay, soft");
  EXPECT_FALSE(entry(a).hasPendingEdits());
  EXPECT_EQ(stored(kBoring1)[0], "Clay, soft");

  // A row Ben deletes while Ana edits it: keeping hers writes it again.
  entry(b).reloadBoring();
  entry(b).sprdLithology()->setActiveCell(2, 1);
  entry(b).sprdLithology()->deleteRow();
  ASSERT_TRUE(entry(b).UpdateRecordsets());
  type(entry(a).sprdLithology(), 2, 3, "Sand, dry");
  onModal([](QDialog& d) {
    auto* dialog = qobject_cast<frmConflicts*>(&d);
    EXPECT_EQ(dialog->versions(0)->verticalHeaderItem(0)->text(), "Theirs (removed)");
    dialog->optKeepMine(0)->click();
    return int(QDialog::Accepted);
  });
  ASSERT_TRUE(entry(a).UpdateRecordsets());
  EXPECT_EQ(stored(kBoring1), (std::vector<std::string>{"Clay, soft", "Sand, dry"}));
  EXPECT_EQ(prompts_.unplanned(), 0);
}

TEST_F(SharedProjectTest, AReaderSeesTheProjectReadOnlyAndIsTold) {
  frmMain& client = ben(kReader);
  ASSERT_NE(client.dataEntryWindow(), nullptr);
  frmFile& file = entry(client);
  EXPECT_TRUE(file.readOnly());
  EXPECT_EQ(file.windowTitle().toStdString(), project_ + " (read-only)");
  EXPECT_FALSE(file.readOnlyBanner()->isHidden());
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"The server lets you read the project " + project_ +
                                     " but not change it.  You can read and print the project, "
                                     "but changes cannot be saved."});
  EXPECT_EQ(lithology(client).cellText(0, 2), "Clay");
  EXPECT_FALSE(lithology(client).setCellText(0, 2, "changed"));
  prompts_.clear();
  client.AddBoring();
  client.RemoveBoring();
  EXPECT_EQ(prompts_.messageTexts(),
            (std::vector<std::string>{
                "The project " + project_ + " is read-only.  Borings cannot be added to it.",
                "The project " + project_ + " is read-only.  Borings cannot be removed from it."}));
  // What others change reaches a reader too.
  ASSERT_TRUE(db::Database::open(address())
                  ->execute("INSERT INTO [Boring Information] (BoringName) VALUES (\"B-9\")")
                  .ok());
  ASSERT_TRUE(waitFor([&] { return client.boringList().size() == 3; }));
  switchTo(client, kBoring2);
  client.mnuClose_Click();
  EXPECT_EQ(stored(kBoring1), (std::vector<std::string>{"Clay", "Sand"}));
}

TEST_F(SharedProjectTest, ALostServerKeepsTheEditsInTheWindow) {
  frmMain& a = ana();
  type(entry(a).sprdLithology(), 1, 3, "Clay, lost");
  type(entry(a).sprdLithology(), 3, 1, "10");
  type(entry(a).sprdLithology(), 3, 3, "Gravel");
  std::string why;
  ASSERT_TRUE(server_->stop(&why)) << why;
  EXPECT_FALSE(entry(a).UpdateRecordsets());
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_TRUE(
      prompts_.seen()[0].text.starts_with("None of the changes could be saved to " + address() +
                                          ": The connection to the database server was lost: "))
      << prompts_.seen()[0].text;
  EXPECT_TRUE(prompts_.seen()[0].text.ends_with("  They are still in the window."));
  EXPECT_TRUE(entry(a).hasPendingEdits());
  EXPECT_EQ(lithology(a).cellText(0, 2), "Clay, lost");
  EXPECT_EQ(lithology(a).cellText(2, 2), "Gravel");

  // Back again: the next save connects anew and writes everything.
  ASSERT_TRUE(server_->start(&why)) << why;
  ASSERT_TRUE(entry(a).UpdateRecordsets());
  EXPECT_EQ(stored(kBoring1), (std::vector<std::string>{"Clay, lost", "Sand", "Gravel"}));

  // The connection breaks in the middle of a save, after the lithology
  // rows were written: none of it is kept, all of it stays.
  const std::string schema = db::quoteIdentifier(project_);
  ASSERT_TRUE(server_->admin(
      "CREATE FUNCTION " + schema +
          ".cut() RETURNS trigger LANGUAGE plpgsql AS "
          "$$BEGIN PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NEW; END$$; "
          "CREATE TRIGGER cut BEFORE INSERT ON " +
          schema +
          ".\"Sample Information\" "
          "FOR EACH ROW EXECUTE FUNCTION " +
          schema + ".cut()",
      &why))
      << why;
  prompts_.clear();
  type(entry(a).sprdLithology(), 1, 3, "Clay, cut");
  type(entry(a).sprdSample(), 1, 1, "1");
  EXPECT_FALSE(entry(a).UpdateRecordsets());
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_TRUE(prompts_.seen()[0].text.starts_with("None of the changes could be saved"));
  EXPECT_EQ(stored(kBoring1)[0], "Clay, lost") << "the lithology row went with the rest";
  EXPECT_EQ(lithology(a).cellText(0, 2), "Clay, cut");
  ASSERT_TRUE(server_->admin("DROP TRIGGER cut ON " + schema + ".\"Sample Information\"", &why));
  ASSERT_TRUE(entry(a).UpdateRecordsets());
  EXPECT_EQ(stored(kBoring1)[0], "Clay, cut");
  EXPECT_EQ(entry(a).sprdSample()->model().dataRowCount(), 1);

  // Going to another boring while the server is away: the window says why
  // it shows nothing, and shows the boring once the server is back.
  ASSERT_TRUE(server_->stop(&why)) << why;
  prompts_.clear();
  switchTo(a, kBoring2);
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_TRUE(prompts_.seen()[0].text.starts_with("The project " + project_ +
                                                  " cannot be read: Cannot connect to the "
                                                  "database server: "))
      << prompts_.seen()[0].text;
  EXPECT_EQ(lithology(a).dataRowCount(), 0);
  ASSERT_TRUE(server_->start(&why)) << why;
  switchTo(a, kBoring1);
  EXPECT_EQ(lithology(a).dataRowCount(), 3);
  EXPECT_EQ(lithology(a).cellText(0, 2), "Clay, cut");
  // Marked in use again on the new connection.
  auto other = db::Database::open(address(kBen));
  ASSERT_TRUE(other.ok());
  EXPECT_EQ(other->usersOf(kBoring1).value(), std::vector<std::string>{ScratchPostgres::kAdmin});
}

TEST_F(SharedProjectTest, AWindowBackOnARestartedServerCatchesUpOnWhatItMissed) {
  frmMain& a = ana();
  frmMain& b = ben();
  std::string why;
  ASSERT_TRUE(server_->stop(&why)) << why;
  ASSERT_TRUE(waitFor([&] {
    return a.session().database()->connectionLost() && b.session().database()->connectionLost();
  }));
  ASSERT_TRUE(server_->start(&why)) << why;
  // Ben's window is back first (adding a boring connects again) and adds a
  // boring and a row; Ana's, not yet listening again, never hears of them.
  const std::string added = "Added \"meanwhile\"";
  prompts_.planInput(added);
  b.AddBoring();
  ASSERT_EQ(b.GetCurrentBoring(), added) << prompts_.messageTexts().size() << " messages";
  switchTo(b, kBoring1);
  type(entry(b).sprdLithology(), 3, 1, "10");
  type(entry(b).sprdLithology(), 3, 3, "Sand, Ben");
  ASSERT_TRUE(entry(b).UpdateRecordsets());
  // Ana's next save connects again, and her window reads the list anew.
  type(entry(a).sprdLithology(), 1, 3, "Clay, back");
  ASSERT_TRUE(entry(a).UpdateRecordsets());
  ASSERT_TRUE(waitFor([&] { return a.boringList().size() == 3; }));
  EXPECT_EQ(selector(a), (std::vector<std::string>{added, kBoring1, kBoring2}));
  EXPECT_EQ(entry(a).boundBoring(), kBoring1);
  EXPECT_FALSE(entry(a).hasPendingEdits());
  EXPECT_EQ(stored(kBoring1), (std::vector<std::string>{"Clay, back", "Sand", "Sand, Ben"}));
}

TEST_F(SharedProjectTest, ServerProjectsOpenFromTheDialogTheRecentListAndALink) {
  frmMain& main = start();
  // The dialog finds the project; the password typed is used, never kept.
  onModal([&](QDialog& d) {
    auto* dialog = qobject_cast<frmOpenServerProject*>(&d);
    EXPECT_NE(dialog, nullptr);
    if (!dialog) return 0;
    dialog->show();
    EXPECT_FALSE(dialog->cmdOK()->isEnabled()) << "nothing to open yet";
    dialog->txtAddress()->setText(QString::fromStdString(server_->address("")));
    dialog->txtPassword()->setText("pa55 w0rd");
    // Enter lists the projects; only a second Enter opens one.
    QTest::keyClick(dialog->txtPassword(), Qt::Key_Return);
    EXPECT_GT(dialog->lstProjects()->count(), 0) << dialog->lblStatus()->text().toStdString();
    EXPECT_NE(dialog->result(), int(QDialog::Accepted));
    auto found =
        dialog->lstProjects()->findItems(QString::fromStdString(project_), Qt::MatchExactly);
    EXPECT_EQ(found.size(), 1);
    if (found.empty()) return 0;
    dialog->lstProjects()->setCurrentItem(found[0]);
    QTest::keyClick(dialog->lstProjects(), Qt::Key_Return);
    EXPECT_EQ(dialog->result(), int(QDialog::Accepted));
    return dialog->result();
  });
  main.OpenServerProject();
  ASSERT_NE(main.dataEntryWindow(), nullptr);
  EXPECT_EQ(main.state().CurrentProjectTitle, project_);
  EXPECT_EQ(main.state().CurrentProjectPath, address());
  EXPECT_EQ(main.boringList(), (std::vector<std::string>{kBoring1, kBoring2}));
  main.mnuClose_Click();
  const auto settings = SettingsStore::forCurrentUser().fileFor(applicationName());
  std::ifstream in(settings);
  const std::string kept{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(kept.find("pa55"), std::string::npos) << kept;

  // The recent list opens it again.
  main.fillRecentMenu();
  QAction* first = main.recentMenu()->actions().at(0);
  EXPECT_EQ(first->toolTip().toStdString(), address());
  first->trigger();
  ASSERT_NE(main.dataEntryWindow(), nullptr);
  EXPECT_EQ(main.state().CurrentProjectTitle, project_);
  main.mnuClose_Click();

  // An address that is none, or a server that is not there, is said in
  // the dialog, which stays open.
  onModal([&](QDialog& d) {
    auto* dialog = qobject_cast<frmOpenServerProject*>(&d);
    EXPECT_EQ(dialog->txtAddress()->text().toStdString(), server_->address(""))
        << "the last server, remembered";
    EXPECT_TRUE(dialog->txtPassword()->text().isEmpty()) << "the password is not";
    dialog->txtAddress()->setText("dbhost/firm");
    EXPECT_FALSE(dialog->listProjects());
    EXPECT_EQ(dialog->lblStatus()->text(),
              "Not a server address: it must begin with postgresql://");
    dialog->txtAddress()->setText(QString::fromStdString("postgresql:///postgres?host=" +
                                                         db::percentEncode(home_.path("nowhere"))));
    EXPECT_FALSE(dialog->listProjects());
    EXPECT_TRUE(dialog->lblStatus()->text().startsWith("Cannot connect to the database server: "))
        << dialog->lblStatus()->text().toStdString();
    EXPECT_EQ(dialog->lstProjects()->count(), 0);
    return int(QDialog::Rejected);
  });
  main.OpenServerProject();
  EXPECT_EQ(main.dataEntryWindow(), nullptr);

  // A link file on the command line, as a file manager hands it over.
  const std::string link = home_.path("Depot link.sqp");
  ASSERT_TRUE(db::WriteProjectLink(link, address()).ok());
  main_.reset();
  frmMain& again = start(link);
  ASSERT_NE(again.dataEntryWindow(), nullptr);
  EXPECT_EQ(again.state().CurrentProjectTitle, project_);
  // And a project that is not there says so.
  main_.reset();
  prompts_.clear();
  start(server_->address("No such project"));
  EXPECT_EQ(main_->dataEntryWindow(), nullptr);
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"Could not find the project 'No such project' on the "
                                     "server."});
}

}  // namespace
}  // namespace sq::forms
