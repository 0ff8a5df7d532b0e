#include "strataquill/forms/frm_open_server.h"

#include <tuple>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "strataquill/db/database.h"
#include "strataquill/db/server_address.h"
#include "strataquill/forms/child_window.h"
#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::forms {
namespace {

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

frmOpenServerProject::frmOpenServerProject(QWidget* parent) : QDialog(parent) {
  setObjectName("frmOpenServerProject");
  setWindowTitle("Open Server Project");
  auto* root = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  address_ = new QLineEdit(this);
  address_->setObjectName("txtAddress");
  address_->setPlaceholderText("postgresql://user@host/database");
  address_->setMinimumWidth(420);
  auto* addressLabel = new QLabel("Server &address:", this);
  addressLabel->setBuddy(address_);
  list_ = new QPushButton("&List Projects", this);
  list_->setObjectName("cmdListProjects");
  password_ = new QLineEdit(this);
  password_->setObjectName("txtPassword");
  password_->setEchoMode(QLineEdit::Password);
  password_->setPlaceholderText("only if the server asks for one; it is not remembered");
  auto* passwordLabel = new QLabel("Pass&word:", this);
  passwordLabel->setBuddy(password_);
  grid->addWidget(addressLabel, 0, 0);
  grid->addWidget(address_, 0, 1);
  grid->addWidget(list_, 0, 2);
  grid->addWidget(passwordLabel, 1, 0);
  grid->addWidget(password_, 1, 1);
  root->addLayout(grid);
  auto* projectsLabel = new QLabel("&Projects on this server:", this);
  projects_ = new QListWidget(this);
  projects_->setObjectName("lstProjects");
  projectsLabel->setBuddy(projects_);
  root->addWidget(projectsLabel);
  root->addWidget(projects_, 1);
  status_ = new QLabel(this);
  status_->setObjectName("lblStatus");
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  root->addWidget(status_);
  std::tie(ok_, cancel_) = addDialogButtons(this, root, "Open", "Cancel");

  // Enter presses the default button: List Projects until a project is
  // listed and chosen, then Open.
  connect(list_, &QPushButton::clicked, this, [this] { listProjects(); });
  connect(projects_, &QListWidget::currentRowChanged, this, [this] { updateOK(); });
  connect(projects_, &QListWidget::itemDoubleClicked, this, [this] { cmdOK_Click(); });
  connect(ok_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  // A new address is a new list.
  connect(address_, &QLineEdit::textEdited, this, [this] {
    projects_->clear();
    updateOK();
  });
  address_->setText(qs(GetSetting("Files", "ServerAddress", "")));
  updateOK();
}

void frmOpenServerProject::updateOK() {
  ok_->setEnabled(projects_->currentItem() != nullptr);
  ok_->setDefault(ok_->isEnabled());
  list_->setDefault(!ok_->isEnabled());
}

std::string frmOpenServerProject::connectAddress() {
  const std::string typed = address_->text().trimmed().toStdString();
  auto parsed = db::ServerAddress::parse(typed);
  if (!parsed.ok()) {
    status_->setText(qs(parsed.status().message()));
    return {};
  }
  db::ServerAddress address = parsed.value();
  if (!password_->text().isEmpty()) address = address.withPassword(password_->text().toStdString());
  return address.text();
}

bool frmOpenServerProject::listProjects() {
  projects_->clear();
  updateOK();
  const std::string address = connectAddress();
  if (address.empty()) return false;
  BusyCursor busy;
  auto names = db::Database::listServerProjects(address);
  if (!names.ok()) {
    status_->setText(qs(names.status().message()));
    return false;
  }
  const std::string wanted = db::ServerAddress::parse(address)->project;
  for (const std::string& name : names.value()) {
    projects_->addItem(qs(name));
    if (name == wanted) projects_->setCurrentRow(projects_->count() - 1);
  }
  if (projects_->currentRow() < 0 && projects_->count() > 0) projects_->setCurrentRow(0);
  status_->setText(names->empty() ? "The server holds no project that you may read." : QString());
  projects_->setFocus();
  return true;
}

void frmOpenServerProject::cmdOK_Click() {
  QListWidgetItem* item = projects_->currentItem();
  if (!item) return;
  const std::string address = connectAddress();
  if (address.empty()) return;
  const db::ServerAddress project =
      db::ServerAddress::parse(address)->withProject(item->text().toStdString());
  chosen_ = project.text();
  chosenName_ = project.project;
  // The server is remembered, its password and project never.
  SaveSetting("Files", "ServerAddress", project.withProject("").withoutPassword());
  accept();
}

}  // namespace sq::forms
