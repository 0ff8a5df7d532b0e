#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <filesystem>
#include <fstream>

#include "strataquill/forms/forms_test_support.h"
#include "strataquill/forms/frm_preferences.h"
#include "strataquill/forms/frm_splash.h"
#include "strataquill/forms/frm_tip.h"
#include "strataquill/forms/splash_picture.h"
#include "strataquill/shell/help_window.h"
#include "strataquill/shell/preferences.h"
#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/sys_info.h"

namespace sq::forms {
namespace {

class SplashTest : public WindowTest {
 protected:
  void TearDown() override {
    setProgramStarter(nullptr);
    WindowTest::TearDown();
  }
  // Writes the local-machine hive of this test's registry.
  void machineHive(const std::string& text) {
    std::filesystem::create_directories(home_.path("registry"));
    std::ofstream(home_.path("registry/HKEY_LOCAL_MACHINE.reg"))
        << "Windows Registry Editor Version 5.00\n\n" << text;
  }
  // The programs StartSysInfo started; `starts` says whether they start.
  std::vector<std::string> sysInfo(bool starts = true) {
    std::vector<std::string> started;
    setProgramStarter([&, starts](const std::string& program) {
      started.push_back(program);
      return starts;
    });
    StartSysInfo();
    setProgramStarter(nullptr);
    return started;
  }
};

TEST_F(SplashTest, TheStartUpSplashStaysOnTopAndHoldsTheAboutItemBack) {
  frmMain& main = start("", false);
  auto* splash = qobject_cast<frmSplash*>(main.splash());
  ASSERT_NE(splash, nullptr);
  EXPECT_TRUE(splash->isVisible());
  EXPECT_FALSE(splash->isModal());
  EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(splash->testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_EQ(splash->lblTitle()->text(), "Strataquill");
  EXPECT_EQ(splash->lblVersion()->text(), "Version 1.0");
  EXPECT_EQ(splash->lblRevision()->text(), "Build 0");
  EXPECT_EQ(splash->cmdHelp()->text(), "Help...");
  EXPECT_EQ(splash->cmdSysInfo()->text(), "&System Info...");
  EXPECT_FALSE(enabled("mnuAboutStrataquill"));
  main.action("mnuAboutStrataquill")->trigger();
  EXPECT_EQ(modals_, 0) << "no About box over the splash";

  main.tmrSplash_Timer();
  EXPECT_EQ(main.splash(), nullptr);
  EXPECT_TRUE(enabled("mnuAboutStrataquill"));
}

TEST_F(SplashTest, TheSplashPictureIsOurOwnAtItsSize) {
  const QImage picture = splashPicture();
  EXPECT_EQ(picture.size(), QSize(628, 434));
  EXPECT_EQ(picture.format(), QImage::Format_Indexed8);
  EXPECT_LE(picture.colorCount(), 256);
  // Sky above, soil below: the picture is drawn, not left blank.
  EXPECT_GT(qBlue(picture.pixel(300, 20)), qRed(picture.pixel(300, 20)));
  EXPECT_GT(qRed(picture.pixel(20, 300)), qBlue(picture.pixel(20, 300)));
}

TEST_F(SplashTest, AboutIsModalAndOpensTheHelp) {
  frmMain& main = start();
  bool sawAbout = false;
  onModal([&](QDialog& d) {
    auto& about = dynamic_cast<frmSplash&>(d);
    sawAbout = true;
    EXPECT_EQ(main.state().SplashMode, 3);
    EXPECT_EQ(about.lblVersion()->text(), "Version 1.0");
    EXPECT_FALSE(about.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(enabled("mnuAboutStrataquill")) << "only the start-up splash disables it";
    about.cmdHelp()->click();
    EXPECT_NE(main.helpWindow(), nullptr);
    about.cmdOK()->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
    return about.result();
  });
  main.action("mnuAboutStrataquill")->trigger();
  EXPECT_TRUE(sawAbout);
  ASSERT_NE(main.helpWindow(), nullptr);
  EXPECT_EQ(main.helpWindow()->currentPage(), "index.html");
}

TEST_F(SplashTest, SystemInfoStartsTheRegisteredToolOrSaysItIsUnavailable) {
  const std::string unavailable = "System Information Is Unavailable At This Time";
  EXPECT_TRUE(sysInfo().empty());
  EXPECT_EQ(prompts_.messageTexts(), std::vector<std::string>{unavailable});
#ifdef VEXAMOR_HAVE_REGISTRY
  // The registration the build writes names our own tool.
  std::ifstream reg(std::string(VEXAMOR_TEST_BIN_DIR) + "/StrataquillSysInfo.reg");
  std::string text((std::istreambuf_iterator<char>(reg)), {});
  ASSERT_FALSE(text.empty());
  machineHive(text.substr(text.find('[')));
  prompts_.clear();
  EXPECT_EQ(sysInfo(), std::vector<std::string>{std::string(VEXAMOR_TEST_BIN_DIR) +
                                                "/strataquill-sysinfo"});
  EXPECT_TRUE(prompts_.seen().empty());
  EXPECT_EQ(sysInfo(false).size(), 1u);
  EXPECT_EQ(prompts_.messageTexts(), std::vector<std::string>{unavailable})
      << "a tool that does not start is unavailable too";

  // Without it, the tools folder is asked for MSINFO32.EXE.
  const std::string tools = home_.path("tools");
  std::filesystem::create_directories(tools);
  machineHive("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\n\"MSINFO\"=\"" +
              tools + "\"\n");
  prompts_.clear();
  EXPECT_TRUE(sysInfo().empty()) << "the folder holds no tool";
  EXPECT_EQ(prompts_.messageTexts(), std::vector<std::string>{unavailable});
  std::ofstream(tools + "/MSINFO32.EXE") << "#!/bin/sh\n";
  EXPECT_EQ(sysInfo(), std::vector<std::string>{tools + "/MSINFO32.EXE"});
#endif
}

class TipTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    setProgramFolder(home_.root().string());
  }
  void tips(const std::string& bytes) {
    std::ofstream(home_.path("TIPOFDAY.TXT"), std::ios::binary) << bytes;
  }
};

TEST_F(TipTest, NextTipWalksTheFileInOrderAndWrapsAround) {
  tips("First\r\nSecond\r\nThird\r\n");
  frmTip tip;
  EXPECT_EQ(tip.windowTitle(), "Tip of the Day");
  QStringList shown{tip.lblTipText()->text()};
  for (int i = 0; i < 4; ++i) {
    tip.cmdNextTip()->click();
    shown << tip.lblTipText()->text();
  }
  EXPECT_EQ(shown, (QStringList{"First", "Second", "Third", "First", "Second"}));
  EXPECT_NE(tip.findChild<QLabel*>(), nullptr);
  bool heading = false;
  for (QLabel* label : tip.findChildren<QLabel*>()) heading |= label->text() == "Did you know...";
  EXPECT_TRUE(heading);
}

TEST_F(TipTest, AnEmptyLineIsAnEmptyTip) {
  tips("One\r\n\r\nThree\r\n");
  frmTip tip;
  tip.cmdNextTip()->click();
  EXPECT_EQ(tip.lblTipText()->text(), "");
  EXPECT_EQ(tip.tips().tips().size(), 3u) << "no tip after the last line end";
  tip.cmdNextTip()->click();
  EXPECT_EQ(tip.lblTipText()->text(), "Three");
}

TEST_F(TipTest, AMissingFileSaysHowToMakeOne) {
  frmTip tip;
  EXPECT_EQ(tip.lblTipText()->text().toStdString(),
            "That the TIPOFDAY.TXT file was not found? \n\nCreate a text file named TIPOFDAY.TXT "
            "using NotePad with 1 tip per line. Then place it in the same directory as the "
            "application. ");
  EXPECT_EQ(missingTipsText().substr(0, 46), "That the TIPOFDAY.TXT file was not found? \r\n\r\n");
  const QString before = tip.lblTipText()->text();
  tip.cmdNextTip()->click();
  EXPECT_EQ(tip.lblTipText()->text(), before) << "nothing new to show";
}

TEST_F(TipTest, TheCheckBoxIsSavedAtOnce) {
  tips("Only\r\n");
  frmTip tip;
  EXPECT_TRUE(tip.chkLoadTipsAtStartup()->isChecked()) << "1 when nothing is stored";
  EXPECT_EQ(tip.chkLoadTipsAtStartup()->text(), "&Show Tips at Startup");
  tip.chkLoadTipsAtStartup()->click();
  EXPECT_EQ(GetSetting("Options", "Show Tips at Startup", "?"), "0") << "before OK";
  frmPreferences preferences;
  EXPECT_FALSE(preferences.chkLoadTipsAtStartup()->isChecked());
  tip.chkLoadTipsAtStartup()->click();
  EXPECT_EQ(GetSetting("Options", "Show Tips at Startup", "?"), "1");
}

TEST_F(TipTest, TheTipFollowsTheSplashWhenTheUserAsksForIt) {
  tips("Hello\r\n");
  uiEnvironment().startupTips = true;
  QString shown;
  onModal([&](QDialog& d) {
    shown = dynamic_cast<frmTip&>(d).lblTipText()->text();
    return 0;
  });
  frmMain& main = start("", false);
  EXPECT_TRUE(shown.isEmpty()) << "not before the splash ends";
  main.tmrSplash_Timer();
  EXPECT_EQ(shown, "Hello");

  ASSERT_TRUE(SaveShowTipsAtStartup(0));
  modals_ = 0;
  start();
  EXPECT_EQ(modals_, 0);
}

TEST_F(TipTest, TheShippedTipsTeachTheProgram) {
  std::ifstream in(std::string(VEXAMOR_TEST_BIN_DIR) + "/TIPOFDAY.TXT", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  TipList list;
  ASSERT_TRUE(list.LoadTips(std::string(VEXAMOR_TEST_BIN_DIR) + "/TIPOFDAY.TXT"));
  EXPECT_GE(list.tips().size(), 20u);
  std::size_t crlf = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
    ++crlf;
  EXPECT_EQ(crlf, list.tips().size()) << "every line ends with CR LF";
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
  for (const std::string& tip : list.tips()) EXPECT_FALSE(tip.empty());
}

}  // namespace
}  // namespace sq::forms
