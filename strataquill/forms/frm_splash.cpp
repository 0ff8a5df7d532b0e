#include "strataquill/forms/frm_splash.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "strataquill/forms/splash_picture.h"
#include "strataquill/shell/sys_info.h"

namespace sq::forms {
namespace {

// The splash picture drawn stretched to the box, whatever its size.
class PictureBox : public QWidget {
 public:
  explicit PictureBox(QWidget* parent) : QWidget(parent) {
    setObjectName("pctSplash");
    setFixedSize(kSplashWidth * 4 / 5, kSplashHeight * 4 / 5);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), splashPicture());
  }
};

}  // namespace

ProgramVersion programVersion() {
  return {STRATAQUILL_VERSION_MAJOR, STRATAQUILL_VERSION_MINOR, STRATAQUILL_VERSION_REVISION};
}

frmSplash::frmSplash(int splashMode, QWidget* parent) : QDialog(parent), mode_(splashMode) {
  setObjectName("frmSplash");
  setWindowTitle(mode_ == 3 ? "About Strataquill" : "Strataquill");
  auto* grid = new QGridLayout(this);
  picture_ = new PictureBox(this);
  title_ = new QLabel("Strataquill", this);
  title_->setObjectName("lblTitle");
  QFont big = title_->font();
  big.setPointSizeF(big.pointSizeF() * 2.2);
  big.setBold(true);
  title_->setFont(big);
  version_ = new QLabel(this);
  version_->setObjectName("lblVersion");
  revision_ = new QLabel(this);
  revision_->setObjectName("lblRevision");
  auto* tagline = new QLabel("Boring logs for the field and the office", this);
  ok_ = new QPushButton("OK", this);
  ok_->setObjectName("cmdOK");
  ok_->setDefault(true);
  help_ = new QPushButton("Help...", this);
  help_->setObjectName("cmdHelp");
  sysInfo_ = new QPushButton("&System Info...", this);
  sysInfo_->setObjectName("cmdSysInfo");
  grid->addWidget(picture_, 0, 0, 1, 3);
  grid->addWidget(title_, 1, 0, 1, 2);
  grid->addWidget(tagline, 2, 0, 1, 2);
  grid->addWidget(version_, 3, 0);
  grid->addWidget(revision_, 4, 0);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok_);
  buttons->addWidget(help_);
  buttons->addWidget(sysInfo_);
  grid->addLayout(buttons, 1, 2, 4, 1, Qt::AlignBottom);
  grid->setColumnStretch(1, 1);
  connect(ok_, &QPushButton::clicked, this, &frmSplash::cmdOK_Click);
  connect(help_, &QPushButton::clicked, this, &frmSplash::cmdHelp_Click);
  connect(sysInfo_, &QPushButton::clicked, this, &frmSplash::cmdSysInfo_Click);
  Form_Load();
}

frmSplash::~frmSplash() = default;

void frmSplash::reject() {
  // Escape or the close box end the start-up splash as OK does.
  if (mode_ == 2) {
    cmdOK_Click();
    return;
  }
  QDialog::reject();
}

void frmSplash::Form_Load() {
  const ProgramVersion v = programVersion();
  version_->setText(QStringLiteral("Version %1.%2").arg(v.major).arg(v.minor));
  revision_->setText(QStringLiteral("Build %1").arg(v.revision));
  if (mode_ == 2) {
    // Above every window, and never taking the focus from the program.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setModal(false);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
      move(screen->availableGeometry().center() - rect().center());
  }
}

void frmSplash::Form_Unload() {
  if (unloaded_ || mode_ != 2) return;
  unloaded_ = true;
  emit startupSplashClosed();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmSplash::cmdOK_Click() {
  if (mode_ == 2) {
    hide();
    Form_Unload();
    deleteLater();
    return;
  }
  accept();
}

void frmSplash::cmdHelp_Click() {
  emit helpRequested();
}

void frmSplash::cmdSysInfo_Click() {
  StartSysInfo();
}

}  // namespace sq::forms
