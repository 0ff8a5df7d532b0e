#include "strataquill/forms/child_window.h"

#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include "strataquill/project/save_policy.h"
#include "strataquill/shell/user_prompts.h"
#include "strataquill/widgets/bound_grid.h"

namespace sq::forms {

std::pair<QPushButton*, QPushButton*> addDialogButtons(QWidget* dialog, QBoxLayout* layout,
                                                       const QString& ok, const QString& cancel) {
  auto* row = new QHBoxLayout;
  auto* okButton = new QPushButton(ok, dialog);
  auto* cancelButton = new QPushButton(cancel, dialog);
  okButton->setObjectName("cmdOK");
  cancelButton->setObjectName("cmdCancel");
  okButton->setDefault(true);
  row->addStretch();
  row->addWidget(okButton);
  row->addWidget(cancelButton);
  layout->addLayout(row);
  return {okButton, cancelButton};
}

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

bool wantsToCorrectRefusals(const std::vector<std::pair<std::string, widgets::BoundGrid*>>& grids,
                            bool typedOnly, const std::string& lead, const char* title) {
  std::vector<project::RefusedCell> cells;
  for (const auto& [name, grid] : grids) {
    if (!grid) continue;
    grid->commitEdit();
    for (const auto& r : grid->model().refusals(typedOnly))
      cells.push_back({name, r.row + 1, grid->model().columns()[r.column].heading.toStdString(),
                       r.text.toStdString()});
  }
  const std::string question = project::refusalQuestion(lead, cells);
  return !question.empty() && prompts().message(question, title, MessageButtons::kYesNo,
                                                MessageIcon::kExclamation) == MessageAnswer::kYes;
}

}  // namespace sq::forms
