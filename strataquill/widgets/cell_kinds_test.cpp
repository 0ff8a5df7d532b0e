#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QValidator>

#include "strataquill/db/database.h"
#include "strataquill/shell/test_home.h"
#include "strataquill/widgets/bound_grid.h"

namespace sq::widgets {
namespace {

// A grid over a table of one text, one number and one yes/no field, laid
// out as the layout designer lays out its number and check box cells.
class CellKindsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto created = db::Database::create(home_.path("t.sqf"));
    ASSERT_TRUE(created.ok());
    database_.emplace(std::move(created.value()));
    ASSERT_TRUE(database_->execute("CREATE TABLE T (Name TEXT(50), X SINGLE, Bold BIT)").ok());
    ASSERT_TRUE(database_->execute("INSERT INTO T (Name, X, Bold) VALUES (\"a\", 1.5, True)").ok());
    ASSERT_TRUE(database_->execute("INSERT INTO T (Name, X, Bold) VALUES (\"b\", 2.125, False)").ok());
    grid_.setColumns({ColumnSpec("Name", "Name"),
                      ColumnSpec("X", "X", CellKind::kNumber).centred().withDecimals(2).numericKeys(),
                      ColumnSpec("Bold", "Bold", CellKind::kCheckBox).centred()});
    load();
    grid_.resize(400, 300);
  }
  void load() {
    auto rs = database_->openRecordset("T");
    ASSERT_TRUE(rs.ok());
    grid_.model().load(std::move(rs.value()));
  }
  QVariant data(int row, int column, int role) {
    return grid_.model().index(row, column).data(role);
  }

  TestHome home_;
  std::optional<db::Database> database_;
  BoundGrid grid_;
};

TEST_F(CellKindsTest, NumbersShowTheirDecimalsAndKeepWhatIsStored) {
  EXPECT_EQ(data(0, 1, Qt::DisplayRole).toString(), "1.50");
  EXPECT_EQ(data(1, 1, Qt::DisplayRole).toString(), "2.13");
  EXPECT_EQ(grid_.model().cellText(1, 1), "2.125") << "shown rounded, kept as stored";
  EXPECT_EQ(data(0, 1, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
  EXPECT_EQ(data(0, 0, Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
  grid_.model().setCellText(0, 1, "abc");
  EXPECT_EQ(data(0, 1, Qt::DisplayRole).toString(), "abc") << "refused text shows as typed";
}

TEST_F(CellKindsTest, ANumericEditorTakesOnlyTheCharactersOfANumber) {
  grid_.show();
  grid_.setActiveCell(1, 2);
  grid_.edit(grid_.currentIndex());
  QApplication::processEvents();
  auto* editor = grid_.viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  ASSERT_NE(editor->validator(), nullptr);
  QString text = "-0.25";
  int at = 0;
  EXPECT_NE(editor->validator()->validate(text, at), QValidator::Invalid);
  text = "12a";
  EXPECT_EQ(editor->validator()->validate(text, at), QValidator::Invalid);
  editor->clear();
  QTest::keyClicks(editor, "3x.7");
  EXPECT_EQ(editor->text(), "3.7");
}

TEST_F(CellKindsTest, ACentredCheckBoxTogglesWhereverTheCellIsClicked) {
  grid_.show();
  EXPECT_EQ(data(0, 2, Qt::CheckStateRole).toInt(), Qt::Checked) << "stored as -1";
  EXPECT_EQ(data(1, 2, Qt::CheckStateRole).toInt(), Qt::Unchecked);
  const QRect cell = grid_.visualRect(grid_.model().index(1, 2));
  QTest::mouseClick(grid_.viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(data(1, 2, Qt::CheckStateRole).toInt(), Qt::Checked);
  QTest::mouseClick(grid_.viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(2, 2));
  EXPECT_EQ(data(1, 2, Qt::CheckStateRole).toInt(), Qt::Unchecked);
  QTest::mouseDClick(grid_.viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(grid_.model().cellText(1, 2), "False") << "a double click is two clicks, no more";
  ASSERT_TRUE(grid_.model().submitAll().ok());
  load();
  EXPECT_EQ(data(1, 2, Qt::CheckStateRole).toInt(), Qt::Unchecked);
}

TEST_F(CellKindsTest, DecorationsAndTheirToolTipsComeFromTheOwner) {
  int asked = 0;
  grid_.model().setDecorator(0, [&](const QString& text) {
    ++asked;
    QPixmap mark(8, 8);
    mark.fill(Qt::red);
    return CellDecoration{mark, "about " + text};
  });
  EXPECT_EQ(data(0, 0, Qt::ToolTipRole).toString(), "about a");
  EXPECT_TRUE(data(1, 0, Qt::DecorationRole).canConvert<QPixmap>());
  EXPECT_FALSE(data(5, 0, Qt::DecorationRole).isValid()) << "spare rows carry none";
  EXPECT_FALSE(data(0, 1, Qt::DecorationRole).isValid()) << "other columns carry none";
  EXPECT_GT(asked, 0);
}

TEST_F(CellKindsTest, AReadOnlyModelTakesNoEdits) {
  RecordsetModel& m = grid_.model();
  m.setReadOnly(true);
  EXPECT_FALSE(m.setCellText(0, 0, "changed"));
  EXPECT_FALSE(m.setData(m.index(0, 2), Qt::Unchecked, Qt::CheckStateRole));
  m.insertBlankRow(0);
  m.removeDataRow(1);
  EXPECT_EQ(m.dataRowCount(), 2);
  EXPECT_FALSE(m.flags(m.index(0, 0)) & Qt::ItemIsEditable);
  EXPECT_FALSE(m.hasPendingEdits());
  EXPECT_EQ(m.cellText(0, 0), "a");
}

}  // namespace
}  // namespace sq::widgets
