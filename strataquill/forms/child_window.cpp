#include "strataquill/forms/child_window.h"

#include <QMdiSubWindow>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

namespace sq::forms {

void onChildActivated(QMdiSubWindow* sub, std::function<void()> gotFocus) {
  QObject::connect(sub, &QMdiSubWindow::windowStateChanged, sub,
                   [gotFocus = std::move(gotFocus)](Qt::WindowStates before,
                                                    Qt::WindowStates now) {
                     if (!(before & Qt::WindowActive) && (now & Qt::WindowActive)) gotFocus();
                   });
}

void focusTabStrip(QWidget* window, QTabWidget* tabs, std::function<void()> then) {
  auto focus = [tabs, then = std::move(then)] {
    tabs->tabBar()->setFocus(Qt::ActiveWindowFocusReason);
    if (then) then();
  };
  if (window->isVisible()) {
    focus();
  } else {
    QTimer::singleShot(0, window, focus);
  }
}

}  // namespace sq::forms
