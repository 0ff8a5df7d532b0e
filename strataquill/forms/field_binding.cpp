#include "strataquill/forms/field_binding.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "strataquill/db/ascii_case.h"

namespace sq::forms {

QString FieldBinding::widgetText(const QWidget* widget) {
  if (auto* line = qobject_cast<const QLineEdit*>(widget)) return line->text();
  if (auto* box = qobject_cast<const QPlainTextEdit*>(widget)) return box->toPlainText();
  if (auto* list = qobject_cast<const QComboBox*>(widget)) return list->currentText();
  return {};
}

void FieldBinding::setWidgetText(QWidget* widget, const QString& text) {
  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    line->setText(text);
    line->setCursorPosition(0);
  } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
    box->setPlainText(text);
  } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
    int at = list->findText(text, Qt::MatchExactly);
    // A stored value that the list does not offer is shown, not dropped.
    if (at < 0) {
      list->addItem(text);
      at = list->count() - 1;
    }
    list->setCurrentIndex(at);
  }
}

void FieldBinding::bind(QWidget* widget, std::string field) {
  bindings_.emplace_back(widget, std::move(field));
}

void FieldBinding::setNewRowValue(std::string field, std::string value) {
  for (auto& [f, v] : newRowValues_)
    if (f == field) {
      v = std::move(value);
      return;
    }
  newRowValues_.emplace_back(std::move(field), std::move(value));
}

void FieldBinding::load(db::Recordset rs) {
  rs.moveFirst();
  loaded_.clear();
  for (auto& [widget, field] : bindings_) {
    const QString value = rs.eof() ? QString() : QString::fromStdString(rs.text(field));
    setWidgetText(widget, value);
    loaded_.push_back(widgetText(widget));
  }
  rs_.emplace(std::move(rs));
}

void FieldBinding::clear() {
  rs_.reset();
  loaded_.clear();
  for (auto& [widget, field] : bindings_) {
    setWidgetText(widget, {});
    loaded_.push_back(widgetText(widget));
  }
}

bool FieldBinding::hasPendingEdits() const {
  if (!rs_) return false;
  for (std::size_t i = 0; i < bindings_.size(); ++i)
    if (widgetText(bindings_[i].first) != loaded_[i]) return true;
  return false;
}

bool FieldBinding::save(std::string& error) {
  conflict_.reset();
  lastError_ = db::ErrorCode::kNone;
  loadedBeforeSave_ = loaded_;
  if (!hasPendingEdits()) return true;
  db::Recordset& rs = *rs_;
  rs.clearConflicts();
  const bool adding = rs.recordCount() == 0;
  db::Status s = adding ? rs.addNew() : rs.edit();
  for (std::size_t i = 0; s.ok() && adding && i < newRowValues_.size(); ++i)
    s = rs.setField(newRowValues_[i].first, db::Value::text(newRowValues_[i].second));
  std::vector<std::size_t> written;
  for (std::size_t i = 0; s.ok() && i < bindings_.size(); ++i) {
    const QString now = widgetText(bindings_[i].first);
    if (now == loaded_[i]) continue;
    s = rs.setField(bindings_[i].second, db::Value::text(now.toStdString()));
    written.push_back(i);
  }
  if (s.ok()) s = rs.update();
  if (!s.ok()) {
    rs.cancelUpdate();
    if (error.empty()) error = s.message();
    lastError_ = s.code();
    if (s.code() == db::ErrorCode::kWriteConflict && !rs.conflicts().empty()) {
      const db::RowConflict& c = rs.conflicts().back();
      Conflict conflict;
      for (const auto& [widget, field] : bindings_) {
        conflict.fields.push_back(field);
        conflict.mine.push_back(widgetText(widget));
      }
      if (c.theirs) {
        conflict.theirs.emplace();
        for (const auto& [widget, field] : bindings_) {
          QString text;
          for (std::size_t f = 0; f < rs.fields().size(); ++f)
            if (db::equalsIgnoreCase(rs.fields()[f].name, field))
              text = QString::fromStdString((*c.theirs)[f].toString());
          conflict.theirs->push_back(text);
        }
      }
      conflictPosition_ = c.position;
      conflict_ = std::move(conflict);
    }
    return false;
  }
  for (std::size_t i : written) loaded_[i] = widgetText(bindings_[i].first);
  if (adding) rs.moveFirst();
  return true;
}

void FieldBinding::revertSave() {
  if (!rs_ || loadedBeforeSave_.size() != loaded_.size()) return;
  loaded_ = loadedBeforeSave_;
  conflict_.reset();
  rs_->clearConflicts();
  rs_->moveFirst();
}

db::Status FieldBinding::resolve(bool keepMine) {
  if (!conflict_ || !rs_)
    return db::Status::error(db::ErrorCode::kItemNotFound, "No such conflict.");
  if (db::Status s = rs_->refreshRow(conflictPosition_); !s.ok()) return s;
  const Conflict conflict = std::move(*conflict_);
  conflict_.reset();
  rs_->clearConflicts();
  rs_->moveFirst();
  for (std::size_t i = 0; i < bindings_.size(); ++i) {
    const QString theirs = conflict.theirs ? (*conflict.theirs)[i] : QString();
    if (!keepMine) setWidgetText(bindings_[i].first, theirs);
    // Each box that differs from their row is an edit; keeping mine writes
    // them all, taking theirs leaves none.
    loaded_[i] = keepMine ? theirs : widgetText(bindings_[i].first);
  }
  return {};
}

}  // namespace sq::forms
