#include "strataquill/widgets/bound_grid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include "strataquill/db/database.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/test_home.h"

namespace sq::widgets {
namespace {

using project::GetSQL;
using project::kLithologyTable;

// A lithology grid of boring B-1 of a fresh project, laid out as the data
// entry window lays it out (From, To, Description, Classification, Line
// Type, hidden BoringName).
class BoundGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = home_.path("site.sq2");
    ASSERT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/File.tpl", path_, false));
    project::CheckFileFormat(path_);
    auto database = db::Database::open(path_);
    ASSERT_TRUE(database.ok());
    database_.emplace(std::move(database.value()));
    for (auto [from, to, text] : {std::tuple{0, 5, "Clay"}, {5, 10, "Sand"}, {10, 20, "Gravel"}})
      ASSERT_TRUE(database_
                      ->execute("INSERT INTO [Lithology Information] (BoringName, [From], [To], "
                                "Description, Classification, SeparatorType) VALUES (\"B-1\", " +
                                std::to_string(from) + ", " + std::to_string(to) + ", \"  " +
                                text + " \", \"SM\", \"0 - Solid\")")
                      .ok());
    ASSERT_TRUE(database_
                    ->execute("INSERT INTO [Lithology Information] (BoringName, [From], [To], "
                              "Description) VALUES (\"B-2\", 0, 1, \"other boring\")")
                    .ok());
    grid_.setColumns({{"From", "From", CellKind::kNumber},
                      {"To", "To", CellKind::kNumber},
                      {"Description", "Description", CellKind::kWrapText},
                      {"Classification", "Classification", CellKind::kDropDownList, false,
                       "CL\tSM\tSP"},
                      {"Line Type", "SeparatorType", CellKind::kDropDownList},
                      {"BoringName", "BoringName", CellKind::kText, true}});
    grid_.model().setFixedValue(5, "B-1");
    reload();
    grid_.resize(700, 500);
  }

  void reload() {
    auto rs = database_->openRecordset(GetSQL("B-1", kLithologyTable));
    ASSERT_TRUE(rs.ok());
    grid_.model().load(std::move(rs.value()));
  }

  // Rows of the table for B-1 as the grid reads them (blanks around a value
  // dropped), "from|to|description|class|line", " " for an empty field.
  std::vector<std::string> table() {
    auto rs = database_->openRecordset(GetSQL("B-1", kLithologyTable));
    std::vector<std::string> out;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
      std::string row;
      for (const char* f : {"From", "To", "Description", "Classification", "SeparatorType"}) {
        std::string v = rs->text(f);
        v.erase(0, v.find_first_not_of(' '));
        v.erase(v.find_last_not_of(' ') + 1);
        row += (row.empty() ? "" : "|") + (v.empty() ? std::string(" ") : v);
      }
      out.push_back(row);
    }
    return out;
  }

  // The grid's data rows the same way, spare rows left out.
  std::vector<std::string> shown() {
    std::vector<std::string> out;
    RecordsetModel& m = grid_.model();
    for (int r = 0; r < m.dataRowCount(); ++r) {
      std::string row;
      for (int c = 0; c < 5; ++c)
        row += (c ? "|" : "") + (m.cellText(r, c).isEmpty() ? std::string(" ")
                                                             : m.cellText(r, c).toStdString());
      if (row != " | | | | ") out.push_back(row);
    }
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
      return std::stof(a) < std::stof(b);
    });
    return out;
  }

  void type(int row, int column, const QString& text) {
    grid_.model().setData(grid_.model().index(row - 1, column - 1), text, Qt::EditRole);
  }

  TestHome home_;
  std::string path_;
  std::optional<db::Database> database_;
  BoundGrid grid_;
};

TEST_F(BoundGridTest, ShowsTrimmedValuesAndTwentyFiveSpareRows) {
  RecordsetModel& m = grid_.model();
  EXPECT_EQ(m.dataRowCount(), 3);
  EXPECT_EQ(m.rowCount(), 3 + 25);
  EXPECT_EQ(m.cellText(0, 2), "Clay");
  EXPECT_EQ(m.cellText(2, 1), "20");
  EXPECT_EQ(m.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Description");
  EXPECT_TRUE(grid_.isColumnHidden(5));
  EXPECT_FALSE(m.hasPendingEdits());
  EXPECT_EQ(grid_.activeRow(), 0) << "no current cell yet";
  grid_.setActiveCell(2, 3);
  EXPECT_EQ(grid_.activeRow(), 2);
  EXPECT_EQ(grid_.activeColumn(), 3);
}

TEST_F(BoundGridTest, TypeInsertDeletePasteSaveAndReopen) {
  type(2, 3, "Sand, wet");
  grid_.setActiveCell(2, 1);
  grid_.insertRow();
  EXPECT_EQ(grid_.model().dataRowCount(), 4);
  EXPECT_EQ(grid_.model().rowCount(), 4 + 25) << "the spare rows stay 25";
  type(2, 1, "4");
  type(2, 2, "5");
  type(2, 3, "lens");
  grid_.setActiveCell(4, 1);  // Gravel, below the inserted row
  grid_.deleteRow();
  QApplication::clipboard()->setText("20\t25\tSilt\tSP\t2 - Dot\r\n25\t30\t\"Rock,\nweathered\"\t\t\r\n");
  grid_.setActiveCell(6, 1);  // two spare rows below the last data row
  grid_.pasteRows();
  EXPECT_TRUE(grid_.model().hasPendingEdits());

  const std::vector<std::string> expected = shown();
  ASSERT_TRUE(grid_.model().submitAll().ok());
  EXPECT_FALSE(grid_.model().hasPendingEdits());
  EXPECT_EQ(table(), expected);
  EXPECT_EQ(table(), (std::vector<std::string>{"0|5|Clay|SM|0 - Solid", "4|5|lens| | ",
                                               "5|10|Sand, wet|SM|0 - Solid",
                                               "20|25|Silt|SP|2 - Dot",
                                               "25|30|Rock,\nweathered| | "}));
  // A second save writes nothing twice; a reopen shows the same rows.
  ASSERT_TRUE(grid_.model().submitAll().ok());
  reload();
  EXPECT_EQ(shown(), expected);
  EXPECT_EQ(table(), expected);
  auto other = database_->openRecordset(GetSQL("B-2", kLithologyTable));
  EXPECT_EQ(other->recordCount(), 1) << "another boring's rows are untouched";
}

TEST_F(BoundGridTest, EditsAfterASaveKeepTheirRows) {
  type(1, 3, "Clay, stiff");
  ASSERT_TRUE(grid_.model().submitAll().ok());
  // Without a reload: the rows saved, deleted and added keep their places.
  grid_.setActiveCell(2, 1);
  grid_.deleteRow();
  type(3, 1, "30");
  type(3, 2, "31");
  ASSERT_TRUE(grid_.model().submitAll().ok());
  type(1, 3, "Clay, soft");
  type(3, 3, "added later");
  ASSERT_TRUE(grid_.model().submitAll().ok());
  EXPECT_EQ(table(), (std::vector<std::string>{"0|5|Clay, soft|SM|0 - Solid",
                                               "10|20|Gravel|SM|0 - Solid",
                                               "30|31|added later| | "}));
}

TEST_F(BoundGridTest, ASaveThatIsNotKeptLeavesEveryEditPending) {
  type(1, 3, "Clay, stiff");
  grid_.setActiveCell(2, 1);
  grid_.deleteRow();
  type(3, 1, "30");
  type(3, 2, "31");
  type(3, 3, "new");
  const std::vector<std::string> before = table();
  const std::vector<std::string> edited = shown();

  // The owner's transaction is rolled back after the rows were written.
  ASSERT_TRUE(database_->beginTransaction().ok());
  ASSERT_TRUE(grid_.model().submitAll().ok());
  EXPECT_FALSE(grid_.model().hasPendingEdits());
  ASSERT_TRUE(database_->rollback().ok());
  grid_.model().revertSubmit();
  EXPECT_EQ(table(), before);
  EXPECT_TRUE(grid_.model().hasPendingEdits());
  EXPECT_EQ(shown(), edited) << "the grid shows what was typed";
  EXPECT_TRUE(grid_.model().canUndo()) << "and can take it back";

  // The next save writes all of it, once.
  ASSERT_TRUE(grid_.model().submitAll().ok());
  EXPECT_EQ(table(), (std::vector<std::string>{"0|5|Clay, stiff|SM|0 - Solid",
                                               "10|20|Gravel|SM|0 - Solid", "30|31|new| | "}));
  type(3, 3, "newer");
  ASSERT_TRUE(grid_.model().submitAll().ok());
  EXPECT_EQ(table().back(), "30|31|newer| | ") << "the added row is known by its place";
  EXPECT_EQ(table().size(), 3u);
}

TEST_F(BoundGridTest, ClearedCellIsStoredAsOneBlank) {
  type(1, 3, "");
  type(1, 4, "");
  ASSERT_TRUE(grid_.model().submitAll().ok());
  auto rs = database_->openRecordset(GetSQL("B-1", kLithologyTable));
  EXPECT_EQ(rs->text("Description"), " ");
  EXPECT_EQ(rs->text("Classification"), " ");
  EXPECT_EQ(rs->text("SeparatorType"), "0 - Solid") << "cells not touched keep their value";
}

TEST_F(BoundGridTest, TypingIntoASpareRowAddsARowForTheBoring) {
  type(8, 3, "found at the bottom");
  EXPECT_EQ(grid_.model().dataRowCount(), 8);
  EXPECT_EQ(grid_.model().rowCount(), 8 + 25);
  ASSERT_TRUE(grid_.model().submitAll().ok());
  EXPECT_EQ(table().size(), 4u) << "the blank rows between are not stored";
  auto rs = database_->openRecordset(
      "SELECT BoringName, Description FROM [Lithology Information] WHERE Description = "
      "\"found at the bottom\"");
  ASSERT_EQ(rs->recordCount(), 1);
  EXPECT_EQ(rs->text("BoringName"), "B-1");
}

TEST_F(BoundGridTest, DepthThatIsNoNumberIsRefusedInTheCellAndKept) {
  type(1, 1, "12,5 ft");
  type(1, 3, "Clay with roots");
  const QModelIndex from = grid_.model().index(0, 0);
  EXPECT_TRUE(from.data(RecordsetModel::kRefusedRole).toBool());
  EXPECT_EQ(from.data(Qt::DisplayRole).toString(), "12,5 ft") << "the text stays for correction";
  EXPECT_TRUE(from.data(Qt::ToolTipRole).toString().contains("is not a number"));
  ASSERT_EQ(grid_.model().refusals().size(), 1u);

  ASSERT_TRUE(grid_.model().submitAll().ok());
  EXPECT_EQ(table().front(), "0|5|Clay with roots|SM|0 - Solid")
      << "the rest of the row is saved; the depth keeps its stored value";
  EXPECT_TRUE(grid_.model().hasPendingEdits()) << "the refused depth still waits";

  type(1, 1, "1.5");
  EXPECT_FALSE(from.data(RecordsetModel::kRefusedRole).toBool());
  ASSERT_TRUE(grid_.model().submitAll().ok());
  EXPECT_EQ(table().front(), "1.5|5|Clay with roots|SM|0 - Solid");
  EXPECT_FALSE(grid_.model().hasPendingEdits());

  // A new row whose depth is refused is still stored with what it holds.
  type(5, 1, "deep");
  type(5, 3, "refusal");
  ASSERT_TRUE(grid_.model().submitAll().ok());
  EXPECT_EQ(table().front(), " | |refusal| | ") << "no depth yet, but the row is there";
  EXPECT_TRUE(grid_.model().hasPendingEdits());
}

TEST_F(BoundGridTest, CutAndPasteMoveRowsThroughTheClipboard) {
  grid_.setActiveCell(1, 1);
  grid_.selectionModel()->select(
      QItemSelection(grid_.model().index(0, 0), grid_.model().index(1, 4)),
      QItemSelectionModel::ClearAndSelect);
  grid_.cutRows();
  EXPECT_EQ(QApplication::clipboard()->text(),
            "0\t5\tClay\tSM\t0 - Solid\n5\t10\tSand\tSM\t0 - Solid\n");
  EXPECT_EQ(grid_.model().dataRowCount(), 1);
  grid_.clearSelection();
  grid_.setActiveCell(2, 1);
  grid_.pasteRows();
  ASSERT_TRUE(grid_.model().submitAll().ok());
  EXPECT_EQ(table(), (std::vector<std::string>{"0|5|Clay|SM|0 - Solid", "5|10|Sand|SM|0 - Solid",
                                               "10|20|Gravel|SM|0 - Solid"}));
  // Cut rows were deleted and pasted ones added: no row is there twice.
  reload();
  EXPECT_EQ(grid_.model().dataRowCount(), 3);
}

TEST_F(BoundGridTest, PasteAtACellFillsFromThatColumn) {
  QApplication::clipboard()->setText("Organic silt\tCL");
  grid_.setActiveCell(2, 3);
  grid_.pasteRows();
  EXPECT_EQ(grid_.model().cellText(1, 2), "Organic silt");
  EXPECT_EQ(grid_.model().cellText(1, 3), "CL");
  EXPECT_EQ(grid_.model().cellText(1, 0), "5") << "columns left of the cell are untouched";
}

TEST_F(BoundGridTest, TheCellBeingEditedIsCommittedOnDemand) {
  grid_.show();
  grid_.setActiveCell(3, 3);
  grid_.edit(grid_.currentIndex());
  QApplication::processEvents();
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "Cobbles");
  grid_.commitEdit();
  EXPECT_EQ(grid_.model().cellText(2, 2), "Cobbles");
  EXPECT_FALSE(grid_.isEditing());
}

TEST_F(BoundGridTest, RowsFitTheirText) {
  grid_.show();
  grid_.fitAllRowHeights();
  const int one = grid_.rowHeight(0);
  type(1, 3, "line one\nline two\nline three\nline four");
  EXPECT_GT(grid_.rowHeight(0), one + 20);
  type(1, 3, "short");
  EXPECT_EQ(grid_.rowHeight(0), one);
}

TEST_F(BoundGridTest, RightClickOnAHeadingNamesItsColumn) {
  grid_.show();
  QSignalSpy spy(&grid_, &BoundGrid::headingRightClicked);
  QHeaderView* header = grid_.horizontalHeader();
  const int x = header->sectionViewportPosition(3) + header->sectionSize(3) / 2;
  QTest::mouseClick(header->viewport(), Qt::RightButton, {}, QPoint(x, header->height() / 2));
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toInt(), 4);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
  EXPECT_EQ(spy.count(), 1) << "only the right button";
}

}  // namespace
}  // namespace sq::widgets
