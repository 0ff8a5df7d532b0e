#pragma once

#include <QLineEdit>
#include <QTimer>

namespace sq {

// A text box that selects its whole text when it gets the focus, so typing
// replaces the value.
class SelectAllLineEdit : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    QLineEdit::focusInEvent(event);
    // After the click that gave the focus has placed the cursor.
    QTimer::singleShot(0, this, &QLineEdit::selectAll);
  }
};

}  // namespace sq
