#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

namespace sq::forms {

// The program's version as the splash window shows it.
struct ProgramVersion {
  int major, minor, revision;
};
ProgramVersion programVersion();

// The splash window, which is also the About box. In start-up mode (splash
// mode 2) it stays above the other windows without taking the focus (the
// main window keeps its About item disabled while it shows, and its timer
// closes it). In About mode (3) it is modal and closes with OK.
class frmSplash : public QDialog {
  Q_OBJECT

 public:
  frmSplash(int splashMode, QWidget* parent = nullptr);
  ~frmSplash() override;

  void Form_Load();
  void cmdOK_Click();
  void cmdHelp_Click();
  void cmdSysInfo_Click();

  QWidget* pctSplash() const { return picture_; }
  QLabel* lblTitle() const { return title_; }
  QLabel* lblVersion() const { return version_; }
  QLabel* lblRevision() const { return revision_; }
  QPushButton* cmdOK() const { return ok_; }
  QPushButton* cmdHelp() const { return help_; }
  QPushButton* cmdSysInfo() const { return sysInfo_; }

  void reject() override;

 signals:
  // The Help button.
  void helpRequested();
  // The start-up splash went away before its time (OK, Escape).
  void startupSplashClosed();

 private:
  void Form_Unload();

  int mode_;
  bool unloaded_ = false;
  QWidget* picture_;
  QLabel *title_, *version_, *revision_;
  QPushButton *ok_, *help_, *sysInfo_;
};

}  // namespace sq::forms
