// strataquill-sysinfo: the system information that a support call needs,
// in a window from which it can be copied or saved. The splash window's
// System Info button starts it through its registration.

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "strataquill/app/system_report.h"
#include "strataquill/shell/settings_store.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Strataquill System Information");
  sq::setApplicationName("Strataquill");
  const std::vector<sq::ReportSection> report = sq::systemReport();
  const QString text = sq::reportText(report);
  if (app.arguments().contains("--text")) {
    QTextStream(stdout) << text;
    return 0;
  }

  QDialog window;
  window.setWindowTitle("Strataquill System Information");
  auto* layout = new QVBoxLayout(&window);
  auto* tree = new QTreeWidget(&window);
  tree->setColumnCount(2);
  tree->setHeaderLabels({"Item", "Value"});
  for (const sq::ReportSection& section : report) {
    auto* top = new QTreeWidgetItem(tree, {section.title});
    QFont bold = top->font(0);
    bold.setBold(true);
    top->setFont(0, bold);
    for (const auto& [name, value] : section.items) new QTreeWidgetItem(top, {name, value});
  }
  tree->expandAll();
  tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  layout->addWidget(tree);
  auto* buttons = new QHBoxLayout;
  auto* copy = new QPushButton("&Copy", &window);
  auto* save = new QPushButton("&Save As...", &window);
  auto* close = new QPushButton("Close", &window);
  close->setDefault(true);
  buttons->addWidget(copy);
  buttons->addWidget(save);
  buttons->addStretch();
  buttons->addWidget(close);
  layout->addLayout(buttons);
  QObject::connect(copy, &QPushButton::clicked, [&] { QApplication::clipboard()->setText(text); });
  QObject::connect(save, &QPushButton::clicked, [&] {
    const QString path = QFileDialog::getSaveFileName(&window, "Save System Information",
                                                      "strataquill-system.txt", "Text (*.txt)");
    if (path.isEmpty()) return;
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text) || out.write(text.toUtf8()) < 0 ||
        !out.flush())
      QMessageBox::warning(&window, "Strataquill System Information",
                           "The file " + path + " could not be written: " + out.errorString());
  });
  QObject::connect(close, &QPushButton::clicked, &window, &QDialog::accept);
  window.resize(760, 620);
  window.show();
  return app.exec();
}
