#include "strataquill/shell/help_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include "strataquill/shell/window_placement.h"

namespace sq {
namespace {

QString readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll());
}

QString plainText(const QString& html) {
  QTextDocument doc;
  doc.setHtml(html);
  return doc.toPlainText();
}

}  // namespace

HelpWindow::HelpWindow(const QString& contentsFile, QWidget* parent)
    : QWidget(parent, Qt::Window) {
  setObjectName("HelpWindow");
  setWindowTitle("Strataquill Help");
  const QFileInfo info(contentsFile);
  folder_ = info.absolutePath();
  contents_ = info.fileName();

  auto* root = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  back_ = new QToolButton(this);
  forward_ = new QToolButton(this);
  home_ = new QToolButton(this);
  back_->setText("Back");
  forward_->setText("Forward");
  home_->setText("Contents");
  searchBox_ = new QLineEdit(this);
  searchBox_->setPlaceholderText("Search the help");
  searchBox_->setClearButtonEnabled(true);
  bar->addWidget(home_);
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addStretch();
  bar->addWidget(searchBox_, 1);
  root->addLayout(bar);

  auto* split = new QSplitter(this);
  list_ = new QListWidget(split);
  browser_ = new QTextBrowser(split);
  browser_->setSearchPaths({folder_});
  browser_->setOpenExternalLinks(true);
  split->addWidget(list_);
  split->addWidget(browser_);
  split->setStretchFactor(1, 3);
  root->addWidget(split, 1);

  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(home_, &QToolButton::clicked, this, &HelpWindow::showContents);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  connect(searchBox_, &QLineEdit::textChanged, this, &HelpWindow::search);
  connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    showPage(item->data(Qt::UserRole).toString());
    if (!searchBox_->text().isEmpty())
      browser_->find(searchBox_->text().split(' ', Qt::SkipEmptyParts).value(0));
  });
  connect(list_, &QListWidget::itemClicked, list_, &QListWidget::itemActivated);
  back_->setEnabled(false);
  forward_->setEnabled(false);
  readPages();
  search({});
  resize(900, 640);
}

void HelpWindow::hideEvent(QHideEvent* event) {
  saveWindowPlacement(*this, "Help");
  QWidget::hideEvent(event);
}

void HelpWindow::readPages() {
  pages_.clear();
  const QString index = readFile(folder_ + "/" + contents_);
  pages_.push_back({contents_, "Contents", plainText(index)});
  static const QRegularExpression link(R"re(<a\s+href="([^"#:]+\.html)"[^>]*>(.*?)</a>)re",
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
  for (auto it = link.globalMatch(index); it.hasNext();) {
    const auto m = it.next();
    const QString file = m.captured(1);
    if (file == contents_) continue;
    bool seen = false;
    for (const Page& p : pages_) seen = seen || p.file == file;
    if (seen) continue;
    pages_.push_back({file, plainText(m.captured(2)), plainText(readFile(folder_ + "/" + file))});
  }
}

void HelpWindow::listPages(const std::vector<const Page*>& pages) {
  list_->clear();
  for (const Page* p : pages) {
    auto* item = new QListWidgetItem(p->title, list_);
    item->setData(Qt::UserRole, p->file);
  }
}

void HelpWindow::search(const QString& text) {
  const QStringList words = text.split(' ', Qt::SkipEmptyParts);
  std::vector<const Page*> found;
  for (const Page& p : pages_) {
    bool all = true;
    for (const QString& w : words) all = all && p.text.contains(w, Qt::CaseInsensitive);
    if (all) found.push_back(&p);
  }
  listPages(found);
}

void HelpWindow::showContents() {
  showPage(contents_);
}

void HelpWindow::showPage(const QString& page) {
  browser_->setSource(QUrl::fromLocalFile(folder_ + "/" + page));
}

QString HelpWindow::currentPage() const {
  return QFileInfo(browser_->source().toLocalFile()).fileName();
}

}  // namespace sq
