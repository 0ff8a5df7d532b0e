#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

namespace sq::widgets {

class RecordsetModel;

// The editors of a bound grid's cells, chosen by each column's kind: a line
// for text and numbers, a wrapping box for multi-line text (Enter ends the
// edit, Shift+Enter starts a new line), a list for drop-down cells. It
// remembers the editor that is open so the grid can commit it on demand.
class CellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  CellDelegate(RecordsetModel& model, QObject* parent);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
  // Check boxes are drawn and hit where their column aligns them.
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const override;

  // The editor now open, or null.
  QWidget* openEditor() const { return editor_; }

 signals:
  // Enter ended an edit (and committed it): the grid goes on to the cell
  // below.
  void enterPressed();

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  QRect checkRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;

  RecordsetModel& model_;
  mutable QPointer<QWidget> editor_;
};

}  // namespace sq::widgets
