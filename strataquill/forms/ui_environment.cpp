#include "strataquill/forms/ui_environment.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

QRect availableScreenGeometry(const QWidget* window) {
  if (uiEnvironment().availableScreen) return uiEnvironment().availableScreen();
  QScreen* screen =
      window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

int execModal(QDialog& dialog) {
  if (uiEnvironment().runModal) return uiEnvironment().runModal(dialog);
  return dialog.exec();
}

}  // namespace sq::forms
