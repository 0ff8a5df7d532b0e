#include "strataquill/forms/ui_environment.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace sq::forms {

UiEnvironment& uiEnvironment() {
  static UiEnvironment environment;
  return environment;
}

int screenWidthPixels() {
  if (uiEnvironment().screenWidth) return uiEnvironment().screenWidth();
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().width() : 0;
}

int execModal(QDialog& dialog) {
  if (uiEnvironment().runModal) return uiEnvironment().runModal(dialog);
  return dialog.exec();
}

}  // namespace sq::forms
