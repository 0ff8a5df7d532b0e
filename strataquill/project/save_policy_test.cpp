#include "strataquill/project/save_policy.h"

#include <gtest/gtest.h>

namespace sq::project {
namespace {

TEST(SavePolicyTest, RefusedCellsAreNamedEightAtMost) {
  EXPECT_EQ(refusalQuestion("These depths are not numbers and cannot be saved:", {}), "");
  std::vector<RefusedCell> cells = {{"Lithology", 1, "From", "12,5 ft"}};
  EXPECT_EQ(refusalQuestion("These depths are not numbers and cannot be saved:", cells),
            "These depths are not numbers and cannot be saved:\n\nLithology row 1, From: "
            "\u201C12,5 ft\u201D\n\nDo you want to go back and correct them?");
  for (int r = 2; r <= 12; ++r) cells.push_back({"Samples", r, "To", "x"});
  const std::string many = refusalQuestion("Lead:", cells);
  EXPECT_NE(many.find("Samples row 8, To"), std::string::npos);
  EXPECT_EQ(many.find("Samples row 9, To"), std::string::npos) << "eight lines, not twelve";
}

TEST(SavePolicyTest, AFailureIsToldOnceAndAReadOnlyFileNever) {
  SaveFailureNotice notice;
  EXPECT_TRUE(notice.shouldTell("disk full"));
  EXPECT_FALSE(notice.shouldTell("disk full"));
  EXPECT_TRUE(notice.shouldTell("no such table"));
  EXPECT_EQ(unsavedChangesQuestion("site.sq2", notice, "Do you want to go on and lose them?"),
            "The changes to site.sq2 could not be saved: no such table\n\nDo you want to go on "
            "and lose them?");
  SaveFailureNotice readOnly(true);
  EXPECT_FALSE(readOnly.shouldTell("attempt to write a readonly database"));
  EXPECT_EQ(unsavedChangesQuestion("site.sq2", readOnly, "Lose them?"),
            "The changes to site.sq2 could not be saved because the file is read-only.\n\nLose "
            "them?");
}

}  // namespace
}  // namespace sq::project
