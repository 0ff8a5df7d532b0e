#pragma once

#include <QWidget>

#include <vector>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QToolButton;

namespace sq {

// The help viewer: HTML pages from the program folder in a browser pane,
// with the contents (the pages that the first page links to, in order),
// back and forward, and a search over every page.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  // `contentsFile` is the first page; its links are the contents.
  explicit HelpWindow(const QString& contentsFile, QWidget* parent = nullptr);

  // Shows the contents page (or `page`, a file name beside it).
  void showContents();
  void showPage(const QString& page);
  // Lists the pages holding every word of `text`; an empty text lists the
  // contents again.
  void search(const QString& text);

  QTextBrowser* browser() const { return browser_; }
  QListWidget* pageList() const { return list_; }
  QLineEdit* searchBox() const { return searchBox_; }
  // File name of the page shown.
  QString currentPage() const;

 protected:
  // Remembers its place and size for the next time it opens.
  void hideEvent(QHideEvent* event) override;

 private:
  struct Page {
    QString file;
    QString title;
    QString text;  // plain text, for searching
  };
  void readPages();
  void listPages(const std::vector<const Page*>& pages);

  QString folder_;
  QString contents_;
  std::vector<Page> pages_;
  QTextBrowser* browser_;
  QListWidget* list_;
  QLineEdit* searchBox_;
  QToolButton *back_, *forward_, *home_;
};

}  // namespace sq
