#include "strataquill/layouts/classification_file.h"

#include <gtest/gtest.h>

#include "strataquill/db/database.h"
#include "strataquill/shell/test_home.h"

namespace sq::layouts {
namespace {

TEST(PatternListTest, PairsOfNameAndPercent) {
  using S = PatternSlice;
  EXPECT_EQ(parsePatternList("sand.png:100"), (std::vector<S>{{"sand.png", 100}}));
  EXPECT_EQ(parsePatternList("a:30:b:70"), (std::vector<S>{{"a", 30}, {"b", 70}}));
  EXPECT_EQ(parsePatternList("sand.png"), std::vector<S>{});
  EXPECT_EQ(parsePatternList(""), std::vector<S>{});
  EXPECT_EQ(parsePatternList(" "), std::vector<S>{});
  EXPECT_EQ(parsePatternList("sand.png:"), (std::vector<S>{{"sand.png", 0}}));
  EXPECT_EQ(parsePatternList("a:30:"), (std::vector<S>{{"a", 30}}));
  EXPECT_EQ(parsePatternList("a:30:b"), (std::vector<S>{{"a", 30}})) << "b has no colon";
  EXPECT_EQ(parsePatternList(":50"), (std::vector<S>{{"", 50}}));
  EXPECT_EQ(parsePatternList("a:lots:b:-20"), (std::vector<S>{{"a", 0}, {"b", -20}}));
  EXPECT_EQ(parsePatternList("a:12.5%:b: 40 "), (std::vector<S>{{"a", 12.5f}, {"b", 40}}));
  EXPECT_EQ(parsePatternList("::"), (std::vector<S>{{"", 0}}));
}

TEST(PatternListTest, PatternPathUsesForwardSlashes) {
  EXPECT_EQ(patternPath("/opt/sq/Patterns", "soils\\sand.png"), "/opt/sq/Patterns/soils/sand.png");
  EXPECT_EQ(patternPath("/opt/sq/Patterns/", "sand.png"), "/opt/sq/Patterns/sand.png");
}

class ClassificationFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = home_.path("Classification.sqc");
    auto database = db::Database::create(path_);
    ASSERT_TRUE(database->execute("CREATE TABLE Lithology (Description MEMO, FileName MEMO)").ok());
    ASSERT_TRUE(database->execute("CREATE TABLE Samples (Description MEMO, FileName MEMO)").ok());
    for (const char* row : {"(\"sand\", \"first.png:100\")", "(\"Clay\", \"clay.png:100\")",
                            "(\"sand\", \"second.png:100\")", "(\"Sand\", \"upper.png:100\")",
                            "(\"apple\", \"a.png\")"})
      ASSERT_TRUE(database
                      ->execute(std::string("INSERT INTO Lithology (Description, FileName) "
                                            "VALUES ") +
                                row)
                      .ok());
  }
  TestHome home_;
  std::string path_;
};

TEST_F(ClassificationFileTest, LookupTakesTheFirstExactMatch) {
  EXPECT_EQ(lookupPatternList(path_, ClassKind::kLithology, "sand"), "first.png:100");
  EXPECT_EQ(lookupPatternList(path_, ClassKind::kLithology, "Sand"), "upper.png:100");
  EXPECT_EQ(lookupPatternList(path_, ClassKind::kLithology, "SAND"), std::nullopt);
  EXPECT_EQ(lookupPatternList(path_, ClassKind::kLithology, "sand "), std::nullopt);
  EXPECT_EQ(lookupPatternList(path_, ClassKind::kSamples, "sand"), std::nullopt);
  EXPECT_EQ(lookupPatternList(path_, ClassKind::kCompletion, "sand"), std::nullopt)
      << "a missing table finds nothing";
  EXPECT_EQ(lookupPatternList(home_.path("none.sqc"), ClassKind::kLithology, "sand"), std::nullopt);
}

TEST_F(ClassificationFileTest, ListsAscendWithoutRegardToCase) {
  EXPECT_EQ(classListSql(ClassKind::kSamples),
            "SELECT Samples.Description FROM Samples ORDER BY Samples.Description;");
  EXPECT_EQ(classLookupSql(ClassKind::kCompletion),
            "SELECT Completion.Description, Completion.FileName FROM Completion;");
  auto list = readClassList(path_, ClassKind::kLithology);
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[0], "apple");
  EXPECT_EQ(list[1], "Clay");
  EXPECT_TRUE(readClassList(path_, ClassKind::kCompletion).empty());
}

}  // namespace
}  // namespace sq::layouts
