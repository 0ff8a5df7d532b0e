#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "strataquill/db/recordset.h"

namespace sq::widgets {

// How a column's cells show and edit their value.
enum class CellKind {
  kText,              // single-line text
  kWrapText,          // multi-line text that wraps in its column
  kDropDownList,      // one of a tab-separated list
  kEditableDropDown,  // a list to pick from, or any text
  kCheckBox,          // "True" or "False"
  kNumber,            // a number, or nothing
};

struct ColumnSpec {
  ColumnSpec(QString heading, QString field, CellKind kind = CellKind::kText, bool hidden = false,
             QString listItems = {})
      : heading(std::move(heading)),
        field(std::move(field)),
        kind(kind),
        hidden(hidden),
        listItems(std::move(listItems)) {}

  // Presentation, set after construction: colSpec.centred().decimals(2).
  ColumnSpec& centred() {
    alignment = Qt::AlignCenter;
    return *this;
  }
  // Numbers show with this many decimals (the stored text is kept).
  ColumnSpec& withDecimals(int n) {
    decimals = n;
    return *this;
  }
  // The editor takes only the characters of a number (of a whole number).
  ColumnSpec& numericKeys(bool wholeNumber = false) {
    keys = wholeNumber ? Keys::kWholeNumber : Keys::kNumber;
    return *this;
  }
  ColumnSpec& maxLength(int n) {
    maxChars = n;
    return *this;
  }

  QString heading;
  QString field;  // the field of the record set the column is bound to
  CellKind kind = CellKind::kText;
  bool hidden = false;
  QString listItems;  // drop-down items, joined with tabs
  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
  int decimals = -1;  // -1: as typed
  enum class Keys { kAny, kNumber, kWholeNumber } keys = Keys::kAny;
  int maxChars = 0;  // 0: no limit
};

// What a column's owner shows beside a cell's text: a small picture and a
// tool tip that explains it. Both may be empty.
struct CellDecoration {
  QVariant picture;  // a QPixmap or QIcon
  QString toolTip;
};
using CellDecorator = std::function<CellDecoration(const QString& text)>;

// The rows of a record set as a table of cells, with every edit held here
// until the owner saves (submitAll). Below the data rows it shows spare
// rows; a spare row becomes a data row when something is typed into it.
// Saving writes the changed cells of changed rows, appends new rows that
// hold anything, and deletes removed rows, so that after a save and a
// reopen the table holds exactly the rows shown here, blank spare rows left
// out.
//
// Exchange with the fields: a value read is shown with leading and trailing
// blanks removed; a cell written as empty is stored as one blank " "; a
// column with a fixed value (the hidden BoringName) writes that value
// instead of its text. A numeric cell holding text that is not a number is
// refused where it stands: it keeps the text, says why, and that one field
// is not written until the text is corrected, so nothing typed is lost.
class RecordsetModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // A note that a cell carries (ToolTipRole), with its colour.
  static constexpr int kRefusedRole = Qt::UserRole + 1;  // bool: refused numeric text

  explicit RecordsetModel(QObject* parent = nullptr);
  ~RecordsetModel() override;

  void setColumns(std::vector<ColumnSpec> columns);
  const std::vector<ColumnSpec>& columns() const { return columns_; }
  void setHeading(int column, const QString& heading);
  void setListItems(int column, const QString& tabSeparated);
  void setFixedValue(int column, const QString& value);
  void setSpareRows(int count);
  int spareRows() const { return spare_; }
  // The decoration of every data cell of `column` (spare rows get none).
  void setDecorator(int column, CellDecorator decorator);
  // Drops what decorators may have remembered, so every cell is asked again.
  void refreshDecorations();
  // A model of a file that cannot be written: its cells cannot be edited
  // and rows can be neither inserted nor removed.
  void setReadOnly(bool readOnly);
  bool readOnly() const { return readOnly_; }

  // Reads every row of `rs`, which the model keeps for saving. A failed
  // open leaves the model empty (spare rows only).
  void load(db::Recordset rs);
  void clear();
  bool bound() const { return rs_.has_value(); }

  int dataRowCount() const { return static_cast<int>(rows_.size()); }
  bool hasPendingEdits() const;
  // Cells of numeric columns holding text that is not a number.
  struct Refusal {
    int row, column;
    QString text;
  };
  // With `typedOnly`, only cells changed since they were read: a damaged
  // file may hold words in a number field that nobody typed here.
  std::vector<Refusal> refusals(bool typedOnly = false) const;

  struct SaveReport {
    int failedRows = 0;  // rows that could not be written; their edits stay pending
    std::string error;   // the first failure's reason
    db::ErrorCode code = db::ErrorCode::kNone;  // the first failure's code
    bool ok() const { return failedRows == 0; }
  };
  SaveReport submitAll();
  // The owner's transaction around the last submitAll ended without its
  // writes (rolled back, a lost connection): the rows return to what they
  // were before it, their edits pending again, as the record set's own rows
  // return to what the database holds.
  void revertSubmit();

  // A row that the last submitAll did not write because another user
  // changed or removed it after it was read (a server project).
  struct Conflict {
    std::size_t position = 0;  // the row's place in the record set
    int row = -1;              // its row here; -1 when it was removed here
    // The row's cells by column: as shown here (nothing when removed here),
    // and as the other user left it (nothing when they removed it).
    std::optional<std::vector<QString>> mine;
    std::optional<std::vector<QString>> theirs;
  };
  const std::vector<Conflict>& conflicts() const { return conflicts_; }
  enum class Resolution {
    kKeepMine,    // the next save writes the row as shown here (or removes it)
    kTakeTheirs,  // the row shows what they left; its edits here are dropped
  };
  // Settles the conflict of the row at `position`; it then starts from the
  // row as stored now, so the next save writes without a conflict unless
  // someone changes the row again.
  db::Status resolve(std::size_t position, Resolution resolution);

  QString cellText(int row, int column) const;
  // What the user's typing does: the spare row becomes a data row, the cell
  // is marked changed. False for a column that cannot be edited.
  bool setCellText(int row, int column, const QString& text);
  // Inserts a blank data row at `row` (up to dataRowCount()).
  void insertBlankRow(int row);
  // Removes data row `row`; a spare row is left alone.
  void removeDataRow(int row);

  // Every edit (a cell, a row inserted or removed, or a group of them) can
  // be taken back and done again until the edits are saved or the rows
  // read again.
  bool canUndo() const { return !undo_.empty(); }
  bool canRedo() const { return !redo_.empty(); }
  void undo();
  void redo();
  // Makes the edits done while it lives one step of undo (a paste).
  class EditGroup {
   public:
    explicit EditGroup(RecordsetModel& model) : model_(model) { ++model_.group_; }
    ~EditGroup() {
      if (--model_.group_ == 0) model_.groupRemembered_ = false;
    }
    EditGroup(const EditGroup&) = delete;
    EditGroup& operator=(const EditGroup&) = delete;

   private:
    RecordsetModel& model_;
  };

  // Notes that the owner puts on cells (interval checks); cleared by load.
  void setCellNote(int row, int column, const QString& note, const QColor& colour);
  void clearNotes();
  QString cellNote(int row, int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // Something the user sees as data changed (typing, rows inserted or
  // removed, a load); notes do not count.
  void cellsEdited();

 private:
  struct Row {
    int raw = -1;  // position in the record set; -1 for a row not yet written
    std::vector<QString> cells;
    std::vector<bool> changed;
    bool dirty() const;
  };

  // The rows as they are, for undo.
  struct Snapshot;
  void dropRows();
  // Called before an edit changes the rows: remembers them for undo.
  void remember();
  void forgetHistory();
  void restore(std::vector<Snapshot>& from, std::vector<Snapshot>& to);
  // The cells of `values` (in the record set's field order) by column.
  std::vector<QString> cellsOf(const std::vector<db::Value>& values) const;
  int rowAt(std::size_t position) const;
  void collectConflicts();
  bool isNumeric(int column) const { return columns_[column].kind == CellKind::kNumber; }
  bool refused(const Row& row, int column) const;
  bool blank(const Row& row) const;
  QString valueToWrite(const Row& row, int column) const;
  bool writeRow(Row& row, SaveReport& report);
  void materializeUpTo(int row);

  std::vector<ColumnSpec> columns_;
  std::map<int, QString> fixed_;
  int spare_ = 25;
  std::optional<db::Recordset> rs_;
  std::vector<Row> rows_;
  std::vector<int> live_;  // record-set positions not deleted, ascending
  std::set<int> removed_;  // record-set positions to delete at the next save
  int rawCount_ = 0;       // positions the record set has handed out
  std::map<std::pair<int, int>, std::pair<QString, QColor>> notes_;
  std::map<int, CellDecorator> decorators_;
  bool readOnly_ = false;
  std::vector<Snapshot> undo_, redo_;
  int group_ = 0;
  bool groupRemembered_ = false;
  // Everything as it was before the last submitAll.
  struct BeforeSubmit;
  std::unique_ptr<BeforeSubmit> beforeSubmit_;
  std::vector<Conflict> conflicts_;
};

struct RecordsetModel::Snapshot {
  std::vector<Row> rows;
  std::set<int> removed;
};

struct RecordsetModel::BeforeSubmit {
  std::vector<Row> rows;
  std::vector<int> live;
  std::set<int> removed;
  int rawCount = 0;
  std::vector<Snapshot> undo, redo;
};

}  // namespace sq::widgets
