#include "strataquill/widgets/cell_delegate.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>

#include "strataquill/widgets/recordset_model.h"

namespace sq::widgets {
namespace {

CellKind kindOf(const RecordsetModel& model, const QModelIndex& index) {
  return model.columns()[index.column()].kind;
}

}  // namespace

CellDelegate::CellDelegate(RecordsetModel& model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model) {}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  QWidget* editor = nullptr;
  switch (kindOf(model_, index)) {
    case CellKind::kWrapText: {
      auto* box = new QPlainTextEdit(parent);
      box->setFrameShape(QFrame::NoFrame);
      box->setTabChangesFocus(true);
      box->installEventFilter(const_cast<CellDelegate*>(this));
      editor = box;
      break;
    }
    case CellKind::kDropDownList:
    case CellKind::kEditableDropDown: {
      auto* list = new QComboBox(parent);
      list->setEditable(kindOf(model_, index) == CellKind::kEditableDropDown);
      list->addItem(QString());
      const QString items = model_.columns()[index.column()].listItems;
      if (!items.isEmpty()) list->addItems(items.split('\t'));
      list->setMaxVisibleItems(20);
      editor = list;
      break;
    }
    case CellKind::kCheckBox:
      return nullptr;
    default: {
      editor = QStyledItemDelegate::createEditor(parent, option, index);
      const ColumnSpec& colSpec = model_.columns()[index.column()];
      if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        if (colSpec.maxChars > 0) line->setMaxLength(colSpec.maxChars);
        line->setAlignment(colSpec.alignment & Qt::AlignHorizontal_Mask);
        // Only what a number is written with: digits, a point, a sign.
        if (colSpec.keys == ColumnSpec::Keys::kNumber)
          line->setValidator(new QRegularExpressionValidator(
              QRegularExpression(R"(\s*[-+]?[0-9]*\.?[0-9]*\s*)"), line));
        else if (colSpec.keys == ColumnSpec::Keys::kWholeNumber)
          line->setValidator(
              new QRegularExpressionValidator(QRegularExpression(R"(\s*[-+]?[0-9]*\s*)"), line));
      }
      break;
    }
  }
  editor_ = editor;
  return editor;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  const QString text = index.data(Qt::EditRole).toString();
  if (auto* box = qobject_cast<QPlainTextEdit*>(editor)) {
    box->setPlainText(text);
    box->selectAll();
  } else if (auto* list = qobject_cast<QComboBox*>(editor)) {
    int at = list->findText(text, Qt::MatchExactly);
    // A stored value that the list no longer offers is kept, not lost.
    if (at < 0) {
      list->insertItem(1, text);
      at = 1;
    }
    list->setCurrentIndex(at);
    if (list->isEditable()) list->setEditText(text);
  } else {
    QStyledItemDelegate::setEditorData(editor, index);
  }
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
  if (auto* box = qobject_cast<QPlainTextEdit*>(editor)) {
    model->setData(index, box->toPlainText(), Qt::EditRole);
  } else if (auto* list = qobject_cast<QComboBox*>(editor)) {
    model->setData(index, list->currentText(), Qt::EditRole);
  } else {
    QStyledItemDelegate::setModelData(editor, model, index);
  }
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  if (kindOf(model_, index) != CellKind::kCheckBox) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  // The box alone, where the column aligns it.
  QStyleOptionViewItem cell = option;
  initStyleOption(&cell, index);
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  const bool checked = cell.checkState == Qt::Checked;
  cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
  if (!index.data(Qt::CheckStateRole).isValid()) return;
  QStyleOptionButton box;
  box.rect = checkRect(option, index);
  box.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
  style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
}

QRect CellDelegate::checkRect(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, &option, widget),
                   style->pixelMetric(QStyle::PM_IndicatorHeight, &option, widget));
  const auto align = Qt::Alignment(model_.columns()[index.column()].alignment);
  return QStyle::alignedRect(option.direction, align | Qt::AlignVCenter, size, option.rect);
}

bool CellDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                               const QStyleOptionViewItem& option, const QModelIndex& index) {
  if (kindOf(model_, index) != CellKind::kCheckBox)
    return QStyledItemDelegate::editorEvent(event, model, option, index);
  if (!(index.flags() & Qt::ItemIsUserCheckable)) return false;
  bool toggle = false;
  if (event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    toggle = mouse->button() == Qt::LeftButton && option.rect.contains(mouse->position().toPoint());
  } else if (event->type() == QEvent::MouseButtonDblClick) {
    return true;  // the release toggles; a double click is not a third state
  } else if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    toggle = key == Qt::Key_Space || key == Qt::Key_Select;
  }
  if (!toggle) return false;
  const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
  return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void CellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
  if (editor_ == editor) editor_ = nullptr;
  QStyledItemDelegate::destroyEditor(editor, index);
}

void CellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
  QStyledItemDelegate::updateEditorGeometry(editor, option, index);
  // A wrapping editor gets room for a few lines even in a low row.
  if (qobject_cast<QPlainTextEdit*>(editor))
    editor->setGeometry(option.rect.adjusted(0, 0, 0, std::max(0, 80 - option.rect.height())));
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event) {
  auto* editor = qobject_cast<QWidget*>(object);
  auto* box = qobject_cast<QPlainTextEdit*>(object);
  if (editor && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Enter commits every kind of cell (Shift+Enter starts a new line in a
    // wrapping one) and the grid moves on to the cell below.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        !(box && (key->modifiers() & Qt::ShiftModifier))) {
      emit commitData(editor);
      emit closeEditor(editor, QAbstractItemDelegate::NoHint);
      emit enterPressed();
      return true;
    }
  }
  if (box && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
      emit closeEditor(box, QAbstractItemDelegate::RevertModelCache);
      return true;
    }
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace sq::widgets
