#include <gtest/gtest.h>

#include "platform/com/utf.h"
#include "platform/registry/reg_text.h"

namespace vexamor::registry {
namespace {

std::vector<uint8_t> wide(std::u16string_view s) {
  std::vector<uint8_t> out;
  for (char16_t c : s) out.insert(out.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
  out.insert(out.end(), {0, 0});
  return out;
}

TEST(RegText, ReadsEveryValueForm) {
  const RegFile file = parseRegText(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CLASSES_ROOT\\A\\B]\r\n"
      "@=\"default\"\r\n"
      "\"quote\\\"back\\\\\"=\"x\\\\y\\\"z\"\r\n"
      "\"n\"=dword:0000001f\r\n"
      "\"bin\"=hex:01,02,\\\r\n"
      "  ff\r\n"
      "\"exp\"=hex(2):25,00,00,00\r\n"
      "\"gone\"=-\r\n"
      "[-HKEY_CURRENT_USER\\Old]\r\n");
  EXPECT_TRUE(file.problems.empty()) << file.problems.front();
  ASSERT_EQ(file.keys.size(), 2u);
  const auto& key = file.keys[0];
  EXPECT_EQ(key.path, (std::vector<std::u16string>{u"A", u"B"}));
  ASSERT_EQ(key.values.size(), 6u);
  EXPECT_EQ(key.values[0].name, u"");
  EXPECT_EQ(key.values[0].data, wide(u"default"));
  EXPECT_EQ(key.values[1].name, u"quote\"back\\");
  EXPECT_EQ(key.values[1].data, wide(u"x\\y\"z"));
  EXPECT_EQ(key.values[2].type, REG_DWORD);
  EXPECT_EQ(key.values[2].data, (std::vector<uint8_t>{0x1f, 0, 0, 0}));
  EXPECT_EQ(key.values[3].data, (std::vector<uint8_t>{1, 2, 0xff}));
  EXPECT_EQ(key.values[4].type, REG_EXPAND_SZ);
  EXPECT_TRUE(key.values[5].remove);
  EXPECT_TRUE(file.keys[1].remove);
  EXPECT_EQ(file.keys[1].hive, Hive::CurrentUser);
}

TEST(RegText, WrittenTextReadsBackToTheSameTree) {
  RegKey root;
  RegKey& key = root.createPath({u"CLSID", u"{X}"});
  key.setValue(u"", REG_SZ, wide(u"Caf\u00e9 \"quoted\" \\ back"));
  key.setValue(u"Zeta", REG_DWORD, {1, 2, 3, 4});
  key.setValue(u"Alpha", REG_BINARY, std::vector<uint8_t>(100, 0xAB));
  key.setValue(u"Lines", REG_SZ, wide(u"one\ntwo"));  // control characters go out as hex
  key.setValue(u"Odd", REG_SZ, {0x41});
  root.createPath({u"Empty"});

  const std::string text = writeRegText(root, u"HKEY_CLASSES_ROOT");
  const RegFile file = parseRegText(text);
  EXPECT_TRUE(file.problems.empty()) << text;
  RegKey back;
  applyEntries(file, Hive::ClassesRoot, back);
  EXPECT_EQ(writeRegText(back, u"HKEY_CLASSES_ROOT"), text);
  const RegKey* read = back.findPath({u"clsid", u"{x}"});
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->values().size(), 5u);
  EXPECT_EQ(read->values()[1].name, u"Zeta");  // insertion order, not name order
  EXPECT_EQ(read->values()[3].data, wide(u"one\ntwo"));
  EXPECT_EQ(read->values()[4].data, (std::vector<uint8_t>{0x41}));
  EXPECT_NE(back.findSubkey(u"EMPTY"), nullptr);
}

TEST(RegText, DamagedFileKeepsWhatCanBeRead) {
  const RegFile file = parseRegText(
      "Windows Registry Editor Version 5.00\n"
      "\"orphan\"=\"no key yet\"\n"
      "[HKEY_CLASSES_ROOT\\Good]\n"
      "\"a\"=\"1\"\n"
      "\"b\"=dword:123456789\n"
      "\"c\"=\"unterminated\n"
      "\"d\"=hex:zz\n"
      "garbage line\n"
      "\"e\"=\"2\"\n"
      "[HKEY_NOWHERE\\X]\n"
      "\"f\"=\"lost with its key\"\n"
      "[HKEY_CLASSES_ROOT\\Bad\\\\Path]\n"
      "[HKEY_CLASSES_ROOT\\Unclosed\n"
      "[HKEY_CLASSES_ROOT\\Good\\Child]\n"
      "@=\"3\"\n");
  EXPECT_EQ(file.problems.size(), 9u);
  RegKey root;
  applyEntries(file, Hive::ClassesRoot, root);
  const RegKey* good = root.findSubkey(u"Good");
  ASSERT_NE(good, nullptr);
  ASSERT_EQ(good->values().size(), 2u);
  EXPECT_EQ(good->values()[0].name, u"a");
  EXPECT_EQ(good->values()[1].name, u"e");
  EXPECT_NE(root.findPath({u"Good", u"Child"}), nullptr);
  EXPECT_EQ(root.subkeys().size(), 1u);
}

TEST(RegText, ReadsUtf16FilesAndSurvivesBinaryNoise) {
  std::u16string text =
      u"\uFEFFWindows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\S]\r\n"
      u"\"k\"=\"\u00fc\"\r\n";
  std::string bytes;
  for (char16_t c : text) bytes += {char(c & 0xFF), char(c >> 8)};
  RegKey root;
  applyEntries(parseRegText(bytes), Hive::LocalMachine, root);
  ASSERT_NE(root.findSubkey(u"s"), nullptr);
  EXPECT_EQ(root.findSubkey(u"s")->findValue(u"K")->data, wide(u"\u00fc"));

  std::string noise;
  for (int i = 0; i < 5000; ++i) noise.push_back(static_cast<char>((i * 7919) % 256));
  noise += "\n[HKEY_CLASSES_ROOT\\" + std::string(300, 'x') + "]\n";  // name too long
  std::string deep = "[HKEY_CLASSES_ROOT";
  for (size_t i = 0; i <= kMaxKeyDepth; ++i) deep += "\\k";
  noise += deep + "]\n\"v\"=hex(ffffffffff):00\n";
  const RegFile file = parseRegText(noise);
  EXPECT_TRUE(file.keys.empty());
  EXPECT_FALSE(file.problems.empty());
}

TEST(RegText, ApplyingRemovesKeysAndValues) {
  RegKey root;
  applyEntries(parseRegText("[HKEY_CURRENT_USER\\A\\B]\n\"x\"=\"1\"\n\"y\"=\"2\"\n"),
               Hive::CurrentUser, root);
  const bool changed = applyEntries(
      parseRegText("[HKEY_CURRENT_USER\\A\\B]\n\"X\"=-\n[-HKEY_CURRENT_USER\\A\\Missing]\n"),
      Hive::CurrentUser, root);
  EXPECT_TRUE(changed);
  EXPECT_EQ(root.findPath({u"A", u"B"})->values().size(), 1u);
  EXPECT_FALSE(applyEntries(parseRegText("[HKEY_CURRENT_USER\\A\\B]\n\"y\"=\"2\"\n"),
                            Hive::CurrentUser, root));
  applyEntries(parseRegText("[-HKEY_CURRENT_USER\\a]\n"), Hive::CurrentUser, root);
  EXPECT_TRUE(root.subkeys().empty());
}

}  // namespace
}  // namespace vexamor::registry
