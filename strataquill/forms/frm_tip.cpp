#include "strataquill/forms/frm_tip.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "strataquill/shell/preferences.h"
#include "strataquill/shell/program_folder.h"

namespace sq::forms {
namespace {

// A light bulb, the picture of the tip panel.
QPixmap bulb() {
  QPixmap pm(48, 64);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient glass(QPointF(20, 20), 24);
  glass.setColorAt(0, QColor(255, 252, 210));
  glass.setColorAt(1, QColor(246, 204, 70));
  p.setPen(QPen(QColor(150, 110, 20), 1.5));
  p.setBrush(glass);
  QPainterPath shape;
  shape.moveTo(16, 44);
  shape.cubicTo(16, 34, 4, 30, 4, 19);
  shape.cubicTo(4, 9, 13, 2, 24, 2);
  shape.cubicTo(35, 2, 44, 9, 44, 19);
  shape.cubicTo(44, 30, 32, 34, 32, 44);
  shape.closeSubpath();
  p.drawPath(shape);
  p.setBrush(QColor(150, 150, 150));
  p.setPen(QPen(QColor(90, 90, 90), 1.2));
  for (int y = 45; y < 57; y += 4) p.drawRoundedRect(QRectF(15, y, 18, 4), 2, 2);
  p.setPen(QPen(QColor(190, 140, 30), 1.4));
  p.drawLine(QPointF(20, 44), QPointF(22, 26));
  p.drawLine(QPointF(28, 44), QPointF(26, 26));
  return pm;
}

}  // namespace

frmTip::frmTip(QWidget* parent) : QDialog(parent) {
  setObjectName("frmTip");
  setWindowTitle("Tip of the Day");
  auto* root = new QGridLayout(this);
  auto* panel = new QFrame(this);
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setAutoFillBackground(true);
  QPalette white = panel->palette();
  white.setColor(QPalette::Window, QColor(255, 255, 250));
  panel->setPalette(white);
  auto* inner = new QGridLayout(panel);
  auto* picture = new QLabel(panel);
  picture->setPixmap(bulb());
  picture->setAlignment(Qt::AlignTop);
  auto* heading = new QLabel("Did you know...", panel);
  QFont bold = heading->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.3);
  heading->setFont(bold);
  tipText_ = new QLabel(panel);
  tipText_->setObjectName("lblTipText");
  tipText_->setWordWrap(true);
  tipText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  tipText_->setTextFormat(Qt::PlainText);
  tipText_->setMinimumSize(360, 110);
  inner->addWidget(picture, 0, 0, 2, 1);
  inner->addWidget(heading, 0, 1);
  inner->addWidget(tipText_, 1, 1);
  inner->setColumnStretch(1, 1);
  inner->setRowStretch(1, 1);
  showTips_ = new QCheckBox("&Show Tips at Startup", this);
  showTips_->setObjectName("chkLoadTipsAtStartup");
  next_ = new QPushButton("&Next Tip", this);
  next_->setObjectName("cmdNextTip");
  ok_ = new QPushButton("OK", this);
  ok_->setObjectName("cmdOK");
  ok_->setDefault(true);
  root->addWidget(panel, 0, 0, 3, 1);
  root->addWidget(ok_, 0, 1);
  root->addWidget(next_, 1, 1);
  root->addWidget(showTips_, 3, 0);
  root->setRowStretch(2, 1);
  connect(next_, &QPushButton::clicked, this, &frmTip::cmdNextTip_Click);
  connect(ok_, &QPushButton::clicked, this, &frmTip::cmdOK_Click);
  // A click, not a change made by the program, is what gets saved.
  connect(showTips_, &QCheckBox::clicked, this, &frmTip::chkLoadTipsAtStartup_Click);
  Form_Load();
}

void frmTip::Form_Load() {
  showTips_->setChecked(ShowTipsAtStartup() != 0);
  if (tips_.LoadTips(programFolder() + kTipsFileName)) {
    showCurrentTip();
  } else {
    tipText_->setText(QString::fromStdString(missingTipsText()).remove('\r'));
  }
}

void frmTip::showCurrentTip() {
  if (!tips_.tips().empty()) tipText_->setText(QString::fromStdString(tips_.DisplayCurrentTip()));
}

void frmTip::cmdNextTip_Click() {
  tips_.ShowNextTip();
  showCurrentTip();
}

void frmTip::cmdOK_Click() {
  accept();
}

void frmTip::chkLoadTipsAtStartup_Click() {
  SaveShowTipsAtStartup(showTips_->isChecked() ? 1 : 0);
}

}  // namespace sq::forms
