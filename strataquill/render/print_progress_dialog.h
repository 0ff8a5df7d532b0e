#pragma once

#include <QString>

#include <memory>
#include <string>

#include "strataquill/render/print_progress.h"

class QProgressDialog;
class QWidget;

namespace sq::render {

// The progress window of a print run: the document's name, which boring of
// how many, and which page is being composed or printed, with a Cancel
// button. It appears once the run has more than one page or more than one
// boring, so a one-page preview never flashes a window, and it is modal, so
// nothing changes the project while the run reads it.
class PrintProgressDialog : public PrintProgress {
 public:
  // `borings`: how many documents the run makes. `parent` may be null.
  explicit PrintProgressDialog(QWidget* parent, int borings = 1);
  ~PrintProgressDialog() override;
  PrintProgressDialog(const PrintProgressDialog&) = delete;
  PrintProgressDialog& operator=(const PrintProgressDialog&) = delete;

  void documentStarted(const std::string& documentName) override;
  void composing(int page) override;
  void printing(int page, int pages, int copy, int copies) override;
  void finished() override;
  bool cancelRequested() override;

 private:
  void show(const QString& what);

  QWidget* parent_;
  int borings_;
  int boring_ = 0;
  QString document_;
  bool cancelled_ = false;
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace sq::render
