#pragma once

#include <QString>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

#include "strataquill/db/recordset.h"

namespace sq::forms {

// Binds text boxes and lists of a form to the fields of a record set's
// current row: load shows the row, save writes the fields that the user
// changed, without asking, as a bound form does when its row is left.
class FieldBinding {
 public:
  // `widget` is a QLineEdit, a QPlainTextEdit or a QComboBox.
  void bind(QWidget* widget, std::string field);

  // A field that a row added by save() gets, besides what was typed (the
  // boring's name).
  void setNewRowValue(std::string field, std::string value);

  // Shows the first row of `rs` (empty boxes when it has none) and keeps
  // the set for saving.
  void load(db::Recordset rs);
  void clear();
  bool hasPendingEdits() const;
  // Writes the changed fields, adding the row when the set has none (so
  // opening a form writes nothing until something is typed); false (with
  // the reason) when the row could not be written, and the edits stay
  // pending.
  bool save(std::string& error);
  // The owner's transaction around the last save ended without its writes:
  // the edits are pending again.
  void revertSave();
  // The code of the last save's failure; kNone after one that wrote.
  db::ErrorCode lastError() const { return lastError_; }

  // The row that the last save did not write because another user changed
  // or removed it after it was read (a server project).
  struct Conflict {
    std::vector<std::string> fields;             // the bound fields, in binding order
    std::vector<QString> mine;                   // as the boxes show them
    std::optional<std::vector<QString>> theirs;  // nothing: they removed the row
  };
  const std::optional<Conflict>& conflict() const { return conflict_; }
  // Keep mine: the next save writes every box over their row (or adds the
  // row again). Take theirs: the boxes show their row.
  db::Status resolve(bool keepMine);
  const std::vector<std::pair<QWidget*, std::string>>& bindings() const { return bindings_; }

  static QString widgetText(const QWidget* widget);
  static void setWidgetText(QWidget* widget, const QString& text);

 private:
  std::vector<std::pair<QWidget*, std::string>> bindings_;
  std::vector<QString> loaded_;
  std::vector<QString> loadedBeforeSave_;
  std::optional<db::Recordset> rs_;
  std::optional<Conflict> conflict_;
  std::size_t conflictPosition_ = 0;
  db::ErrorCode lastError_ = db::ErrorCode::kNone;
  std::vector<std::pair<std::string, std::string>> newRowValues_;
};

}  // namespace sq::forms
