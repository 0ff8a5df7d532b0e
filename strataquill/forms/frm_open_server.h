#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace sq::forms {

// File > Open Server Project: the address of a PostgreSQL server and
// database, the projects found there, and the one to open. A password is
// asked only when the server wants one that the user's password file
// (~/.pgpass, PGPASSFILE) does not hold; it is never shown, kept or written
// anywhere. The last server used is remembered without it (section "Files",
// key "ServerAddress").
class frmOpenServerProject : public QDialog {
  Q_OBJECT

 public:
  explicit frmOpenServerProject(QWidget* parent = nullptr);

  QLineEdit* txtAddress() const { return address_; }
  QLineEdit* txtPassword() const { return password_; }
  QPushButton* cmdListProjects() const { return list_; }
  QListWidget* lstProjects() const { return projects_; }
  QLabel* lblStatus() const { return status_; }
  QPushButton* cmdOK() const { return ok_; }
  QPushButton* cmdCancel() const { return cancel_; }

  // Reads the projects of the server in the address box; false (with the
  // reason in the status line) when the server cannot be asked.
  bool listProjects();
  void cmdOK_Click();

  // After OK: the chosen project's address to connect with (the password
  // included, if one was typed) and its name.
  const std::string& address() const { return chosen_; }
  const std::string& projectName() const { return chosenName_; }

 private:
  void updateOK();
  // The address box with the password box's password; "" with the reason
  // in the status line when it is no server address.
  std::string connectAddress();

  QLineEdit* address_;
  QLineEdit* password_;
  QPushButton* list_;
  QListWidget* projects_;
  QLabel* status_;
  QPushButton *ok_, *cancel_;
  std::string chosen_, chosenName_;
};

}  // namespace sq::forms
