#include "strataquill/forms/child_window.h"

#include <QMdiSubWindow>

namespace sq::forms {

void onChildActivated(QMdiSubWindow* sub, std::function<void()> gotFocus) {
  QObject::connect(sub, &QMdiSubWindow::windowStateChanged, sub,
                   [gotFocus = std::move(gotFocus)](Qt::WindowStates before,
                                                    Qt::WindowStates now) {
                     if (!(before & Qt::WindowActive) && (now & Qt::WindowActive)) gotFocus();
                   });
}

}  // namespace sq::forms
