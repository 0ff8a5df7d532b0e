// strataquill: the desktop program.

#include <QApplication>
#include <QStringList>

#include "strataquill/forms/frm_main.h"
#include "strataquill/shell/qt_user_prompts.h"
#include "strataquill/shell/settings_store.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Strataquill");
  QApplication::setApplicationDisplayName("Strataquill");
  QApplication::setOrganizationName("Vexamor");
  // The headless renderer reads the same settings application.
  sq::setApplicationName("Strataquill");

  sq::forms::frmMain main;
  sq::QtUserPrompts prompts(&main);
  sq::setPrompts(&prompts);
  // The command line as one text, as the system hands it to a program:
  // the arguments after the program's name, joined by blanks.
  QStringList args = QApplication::arguments();
  args.removeFirst();
  main.Form_Load(args.join(' ').toStdString());
  const int status = app.exec();
  sq::setPrompts(nullptr);
  return status;
}
