#include "strataquill/forms/field_binding.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

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
  if (!hasPendingEdits()) return true;
  db::Recordset& rs = *rs_;
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
    return false;
  }
  for (std::size_t i : written) loaded_[i] = widgetText(bindings_[i].first);
  if (adding) rs.moveFirst();
  return true;
}

}  // namespace sq::forms
