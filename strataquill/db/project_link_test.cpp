#include "strataquill/db/project_link.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace sq::db {
namespace {

namespace fs = std::filesystem;

class ProjectLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("sq_link_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string file(const std::string& name, const std::string& content) const {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  static std::string bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  fs::path folder_;
};

TEST_F(ProjectLinkTest, HoldsTheAddressAndNeverThePassword) {
  const std::string path = (folder_ / "Kessler Depot.SQP").string();
  ASSERT_TRUE(isProjectLink(path));
  ASSERT_TRUE(
      WriteProjectLink(path, "postgresql://ana:s3cret@db/firm?project=Kessler%20%22Depot%22").ok());
  EXPECT_EQ(bytes(path), "postgresql://ana@db/firm?project=Kessler%20%22Depot%22\n");
  auto read = ReadProjectLink(path);
  ASSERT_TRUE(read.ok()) << read.status().message();
  EXPECT_EQ(*read, "postgresql://ana@db/firm?project=Kessler%20%22Depot%22");
  EXPECT_FALSE(fs::exists(path + ".partial"));

  // Written by hand: comments, blank lines and Windows line ends are fine.
  auto byHand = ReadProjectLink(file(
      "hand.sqp", "# the firm's server\r\n\r\n  postgres:///firm?host=%2Ftmp&project=P  \r\n"));
  ASSERT_TRUE(byHand.ok()) << byHand.status().message();
  EXPECT_EQ(*byHand, "postgres:///firm?host=%2Ftmp&project=P");
}

TEST_F(ProjectLinkTest, WhatIsNoLinkIsRefused) {
  EXPECT_EQ(ReadProjectLink((folder_ / "none.sqp").string()).status().code(),
            ErrorCode::kFileNotFound);
  for (const std::string& content :
       {std::string(), std::string("# only a comment\n"), std::string("/home/ana/site.sq2\n"),
        std::string("postgresql://db/firm\n"), std::string("SQLite format 3\0\0\0", 18),
        std::string(70 * 1024, 'x')}) {
    auto read = ReadProjectLink(file("bad.sqp", content));
    EXPECT_FALSE(read.ok()) << content.substr(0, 40);
    if (!read.ok()) {
      EXPECT_EQ(read.status().code(), ErrorCode::kConnectionFailed);
    }
  }
  // A link is written only for a project, and never half.
  const std::string path = file("keep.sqp", "postgresql://db/firm?project=Old\n");
  EXPECT_FALSE(WriteProjectLink(path, "postgresql://db/firm").ok());
  EXPECT_FALSE(WriteProjectLink(path, "site.sq2").ok());
  EXPECT_EQ(bytes(path), "postgresql://db/firm?project=Old\n");
  EXPECT_FALSE(isProjectLink("site.sq2"));
  EXPECT_FALSE(isProjectLink("sqp"));
}

}  // namespace
}  // namespace sq::db
