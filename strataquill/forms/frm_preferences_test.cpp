#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <filesystem>

#include "strataquill/forms/folder_chooser.h"
#include "strataquill/forms/forms_test_support.h"
#include "strataquill/forms/frm_preferences.h"
#include "strataquill/render/placeholders.h"
#include "strataquill/shell/settings_store.h"

namespace sq::forms {
namespace {

class PreferencesTest : public WindowTest {
 protected:
  static QString programDir() {
    return QDir::cleanPath(QString::fromStdString(programFolder()));
  }
  static std::string stored(const char* section, const std::string& key) {
    return GetSetting(section, key, "<missing>");
  }
};

TEST_F(PreferencesTest, AFreshInstallationShowsTheDefaults) {
  frmPreferences dialog;
  QStringList tabs;
  for (int i = 0; i < dialog.SSTab1()->count(); ++i) tabs << dialog.SSTab1()->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"Company", "Sample Titles", "Files", "Additional"}));
  QStringList company;
  for (int i = 0; i < 6; ++i) company << dialog.company(i)->text();
  EXPECT_EQ(company, (QStringList{"Quality Consulting", "1234 Any Street", "Your City",
                                  "Your State", "01234", "United States"}));
  for (int i = 0; i < 10; ++i) EXPECT_EQ(dialog.Text1(i)->text(), "Undefined") << i;
  EXPECT_EQ(dialog.defaultSQFile()->folder(), programDir());
  EXPECT_EQ(dialog.defaultLayoutFile()->folder(), programDir());
  EXPECT_TRUE(dialog.chkLoadTipsAtStartup()->isChecked());
  EXPECT_EQ(dialog.chkLoadTipsAtStartup()->text(), "Show Tips at Startup");
  EXPECT_EQ(dialog.findChild<QComboBox*>("drvDefaultSQFile")->currentText().isEmpty(), false);
  EXPECT_FALSE(std::filesystem::exists(SettingsStore::forCurrentUser().fileFor("Strataquill")))
      << "opening writes nothing";
}

TEST_F(PreferencesTest, OkSavesEveryValueAsTextAndAnEmptyCompanyPrintsEmpty) {
  const std::string data = home_.path("data"), layouts = home_.path("layouts");
  std::filesystem::create_directories(data);
  std::filesystem::create_directories(layouts);
  {
    frmPreferences dialog;
    dialog.txtCompanyName()->clear();
    dialog.txtCompanyCity()->setText("Boulder");
    dialog.Text1(0)->setText("Recovery");
    dialog.Text1(9)->clear();
    ASSERT_TRUE(dialog.defaultSQFile()->setFolder(QString::fromStdString(data)));
    ASSERT_TRUE(dialog.defaultLayoutFile()->setFolder(QString::fromStdString(layouts)));
    dialog.chkLoadTipsAtStartup()->setChecked(false);
    dialog.cmdOK()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(stored("Preferences", "CompanyName"), "");
  EXPECT_EQ(stored("Preferences", "CompanyCity"), "Boulder");
  EXPECT_EQ(stored("Preferences", "CompanyZip"), "01234") << "unchanged values are saved too";
  EXPECT_EQ(stored("Samples", "User1"), "Recovery");
  EXPECT_EQ(stored("Samples", "User5"), "Undefined");
  EXPECT_EQ(stored("Samples", "User10"), "");
  EXPECT_EQ(stored("Files", "DefaultSQFileDir"), data);
  EXPECT_EQ(stored("Files", "DefaultLayoutDir"), layouts);
  EXPECT_EQ(stored("Options", "Show Tips at Startup"), "0");

  render::BoringData none;
  render::PlaceholderRun run{"", 1, 0, {}, {}};
  EXPECT_EQ(render::getVariableText(none, run, "<<Company Name>>"), "")
      << "an empty value is not the default";
  EXPECT_EQ(render::getVariableText(none, run, "<<Company City>>"), "Boulder");

  frmPreferences again;
  EXPECT_EQ(again.txtCompanyName()->text(), "");
  EXPECT_EQ(again.defaultLayoutFile()->folder(), QString::fromStdString(layouts));
  EXPECT_FALSE(again.chkLoadTipsAtStartup()->isChecked());
}

TEST_F(PreferencesTest, CancelAndTheCloseBoxSaveNothing) {
  ASSERT_TRUE(SaveSetting("Preferences", "CompanyName", "Terra Drilling"));
  for (bool closeBox : {false, true}) {
    frmPreferences dialog;
    dialog.show();
    dialog.txtCompanyName()->setText("Someone Else");
    dialog.Text1(2)->setText("Moisture");
    dialog.chkLoadTipsAtStartup()->setChecked(false);
    if (closeBox) {
      dialog.close();
    } else {
      dialog.cmdCancel()->click();
    }
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  EXPECT_EQ(stored("Preferences", "CompanyName"), "Terra Drilling");
  EXPECT_EQ(stored("Samples", "User3"), "<missing>");
  EXPECT_EQ(stored("Options", "Show Tips at Startup"), "<missing>");
}

TEST_F(PreferencesTest, AFolderThatHasGoneDoesNotStopTheDialog) {
  ASSERT_TRUE(SaveSetting("Files", "DefaultSQFileDir", home_.path("deleted/long ago")));
  ASSERT_TRUE(SaveSetting("Files", "DefaultLayoutDir", ""));
  ASSERT_TRUE(SaveSetting("Options", "Show Tips at Startup", "0"));
  frmPreferences dialog;
  EXPECT_EQ(dialog.defaultSQFile()->folder(), programDir());
  EXPECT_EQ(dialog.defaultLayoutFile()->folder(), programDir());
  EXPECT_FALSE(dialog.chkLoadTipsAtStartup()->isChecked());
  EXPECT_FALSE(dialog.defaultSQFile()->setFolder(QString::fromStdString(home_.path("nowhere"))));
  EXPECT_EQ(dialog.defaultSQFile()->folder(), programDir()) << "a bad folder changes nothing";
}

TEST_F(PreferencesTest, PickingAPlaceShowsItsTopFolder) {
  frmPreferences dialog;
  FolderChooser* chooser = dialog.defaultLayoutFile();
  const std::vector<FolderPlace> places = folderPlaces();
  ASSERT_GE(places.size(), 2u);
  EXPECT_EQ(places.front().root, QDir::cleanPath(QDir::homePath())) << "home comes first";
  EXPECT_EQ(places.back().root, "/") << "the file system comes last";
  chooser->driveChanged(static_cast<int>(places.size()) - 1);
  EXPECT_EQ(chooser->folder(), "/");
  EXPECT_EQ(chooser->drive()->currentIndex(), static_cast<int>(places.size()) - 1);
  chooser->driveChanged(0);
  EXPECT_EQ(chooser->folder(), places.front().root);
}

TEST_F(PreferencesTest, TheMenuItemOpensTheDialogModally) {
  frmMain& main = start();
  QString shown;
  onModal([&](QDialog& d) {
    shown = d.objectName();
    return 0;
  });
  main.action("mnuPreferences")->trigger();
  EXPECT_EQ(shown, "frmPreferences");
}

}  // namespace
}  // namespace sq::forms
