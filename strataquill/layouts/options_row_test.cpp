#include "strataquill/layouts/options_row.h"

#include <gtest/gtest.h>

#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/test_home.h"

namespace sq::layouts {
namespace {

class OptionsRowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = home_.path("log.sqf");
    ASSERT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/Format.tpl", path_, false));
    database_.emplace(std::move(db::Database::open(path_).value()));
    database_->execute("DELETE * FROM Options");
  }
  int rows() { return database_->openRecordset("Options")->recordCount(); }

  TestHome home_;
  std::string path_;
  std::optional<db::Database> database_;
};

TEST_F(OptionsRowTest, ALayoutWithoutItsRowGetsOneOnlyWhenItCanBeWritten) {
  EXPECT_FALSE(OptionsRow::open(*database_, false));
  EXPECT_EQ(rows(), 0) << "a read-only layout is left as it is";
  auto row = OptionsRow::open(*database_, true);
  ASSERT_TRUE(row);
  EXPECT_EQ(rows(), 1);
  EXPECT_FALSE(row->stored().truncateUpperUnitText);
  EXPECT_TRUE(OptionsRow::open(*database_, true));
  EXPECT_EQ(rows(), 1) << "never a second row";
}

TEST_F(OptionsRowTest, TheSwitchesAreWrittenAsYesAndNo) {
  auto row = OptionsRow::open(*database_, true);
  ASSERT_TRUE(row);
  ASSERT_TRUE(row->write(true, false, false).ok());
  EXPECT_TRUE(row->stored().truncateUpperUnitText);
  auto rs = database_->openRecordset("Options");
  rs->moveFirst();
  EXPECT_EQ(rs->text("TruncateUpperUnitText"), "-1") << "a yes/no field";
  EXPECT_EQ(rs->text("TruncateLowerUnitText"), "0");
  EXPECT_TRUE(OptionsRow::open(*database_, false)->stored().truncateUpperUnitText);
}

}  // namespace
}  // namespace sq::layouts
