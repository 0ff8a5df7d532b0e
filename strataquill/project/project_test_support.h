#pragma once

#include <gtest/gtest.h>

#include <string>

#include "strataquill/db/database.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/test_home.h"

namespace sq::project {

// A fixture with its own settings folder and the build's program folder.
class ProjectTest : public ::testing::Test {
 protected:
  void SetUp() override { setProgramFolder(VEXAMOR_TEST_BIN_DIR); }
  void TearDown() override { setProgramFolder(""); }

  db::Database open(const std::string& path) {
    auto database = db::Database::open(path);
    EXPECT_TRUE(database.ok()) << database.status().message();
    return std::move(database.value());
  }

  // Appends one row to `table` with the given text fields.
  void addRow(db::Database& database, const std::string& table,
              std::initializer_list<std::pair<const char*, db::Value>> fields) {
    auto rs = database.openRecordset(table);
    ASSERT_TRUE(rs.ok()) << rs.status().message();
    ASSERT_TRUE(rs->addNew().ok());
    for (auto& [name, value] : fields) ASSERT_TRUE(rs->setField(name, value).ok()) << name;
    auto s = rs->update();
    ASSERT_TRUE(s.ok()) << s.message();
  }

  TestHome home_;
};

}  // namespace sq::project
