#include "platform/com/utf.h"

#include <gtest/gtest.h>

namespace {

using namespace vexamor::text;

TEST(Utf, ConvertsBothWaysIncludingSurrogatePairs) {
  const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  const std::u16string utf16 = u"a\u00e9\u20ac\U0001F600";
  EXPECT_EQ(utf8ToUtf16(utf8), utf16);
  EXPECT_EQ(utf16ToUtf8(utf16), utf8);
}

TEST(Utf, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(utf8ToUtf16("\xC3"), u"\uFFFD");
  EXPECT_EQ(utf8ToUtf16("\xC0\xAFx"), u"\uFFFDx");        // overlong slash, never a slash
  EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80x"), u"\uFFFDx");    // encoded surrogate
  EXPECT_EQ(utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD");  // beyond U+10FFFF
  EXPECT_EQ(utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

TEST(Utf, CaseFoldingCoversAccentedLetters) {
  EXPECT_EQ(toLower(u".DRX \u00C4\u00D7\u0130\u0141\u0178\u0416"),
            u".drx \u00E4\u00D7\u0130\u0142\u00FF\u0436");
  EXPECT_TRUE(equalsIgnoreCase(u"SupportedExtensions", u"SUPPORTEDextensions"));
  EXPECT_FALSE(equalsIgnoreCase(u"ab", u"abc"));
  EXPECT_LT(compareIgnoreCase(u"alpha", u"BETA"), 0);
  EXPECT_EQ(length(nullptr), 0u);
}

}  // namespace
