#include "platform/com/shell_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string extensionOf(const char* path) {
  return PathFindExtensionA(path);
}

TEST(PathFindExtension, TakesTheLastDotOfTheLastElement) {
  EXPECT_EQ(extensionOf("/home/ann/site plan.drx"), ".drx");
  EXPECT_EQ(extensionOf("archive.tar.gz"), ".gz");
  EXPECT_EQ(extensionOf(".profile"), ".profile");
  EXPECT_EQ(extensionOf("trailing."), ".");
  EXPECT_EQ(extensionOf("/srv/Zeichnungen/Übersicht.DRX"), ".DRX");
}

TEST(PathFindExtension, FindsNoneOutsideTheLastElement) {
  const char* path = "/home/ann/build.d/Makefile";
  EXPECT_EQ(PathFindExtensionA(path), path + std::char_traits<char>::length(path));
  EXPECT_EQ(extensionOf("/home/ann/v1.2/"), "");
  EXPECT_EQ(extensionOf("notes.v2 draft"), "");
  EXPECT_EQ(extensionOf(""), "");
  EXPECT_EQ(PathFindExtensionA(nullptr), nullptr);
}

}  // namespace
