// strataquill: the desktop program.

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <cstring>
#include <iostream>

#include "strataquill/forms/frm_main.h"
#include "strataquill/forms/toolbar_icons.h"
#include "strataquill/shell/qt_user_prompts.h"
#include "strataquill/shell/settings_store.h"

namespace {

constexpr const char* kUsage =
    "Usage: strataquill [PROJECT]\n"
    "Strataquill keeps a consulting firm's soil borings and wells and prints their boring\n"
    "logs. With a project file (.sq2) it opens the project's data entry window at once;\n"
    "without one it starts empty (File > New Project or Open Project).\n"
    "A project shared on a PostgreSQL server opens by its address\n"
    "(postgresql://[user@]host[:port]/database?project=NAME) or by a .sqp file that\n"
    "holds the address; passwords come from ~/.pgpass (or PGPASSFILE).\n"
    "\n"
    "Options:\n"
    "  -h, --help  Show this text and exit.\n"
    "\n"
    "Settings are kept in $XDG_CONFIG_HOME/vexamor/Strataquill.ini (else\n"
    "~/.config/vexamor/Strataquill.ini). The program folder holds the templates,\n"
    "the shipped layouts, the help and the demo project; an installed program keeps its\n"
    "own copies of the classification file and the Patterns folder in\n"
    "$XDG_DATA_HOME/vexamor/strataquill (else ~/.local/share/vexamor/strataquill).\n"
    "strataquill-log renders a project's logs from the command line.\n";

}  // namespace

int main(int argc, char** argv) {
  // Asked for help, the program answers without a display.
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << kUsage;
    return 0;
  }
  QApplication app(argc, argv);
  // No display name: the window manager would add it to titles that name
  // the program already ("Strataquill - [Site42.sq2]").
  QApplication::setApplicationName("Strataquill");
  QApplication::setOrganizationName("Vexamor");
  // The installed launcher and icon (packaging/desktop), for task bars and window lists; the
  // program draws its own where no icon theme has it.
  QGuiApplication::setDesktopFileName("org.vexamor.Strataquill");
  QApplication::setWindowIcon(
      QIcon::fromTheme("org.vexamor.Strataquill", sq::forms::programIcon()));
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
