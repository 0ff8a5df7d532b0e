#include <gtest/gtest.h>

#include <string>

#include "platform/registry/registry.h"
#include "platform/registry/testing/temp_registry.h"

namespace vexamor::registry {
namespace {

class RegistryApi : public ::testing::Test {
 protected:
  HKEY create(const char16_t* path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    return key;
  }
  static LONG setString(HKEY key, const char16_t* name, std::u16string_view value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                          static_cast<DWORD>((value.size() + 1) * 2));
  }
  TempRegistry registry_;
};

struct Answer {
  LONG rc;
  DWORD type, size;
  std::u16string text;
  bool operator==(const Answer&) const = default;
};

// What opening `subKey` below `base`, reading `value` into a buffer of `room` bytes (none when
// `room` is 0) and closing give, step by step or in one call.
Answer stepByStep(HKEY base, const char16_t* subKey, const char16_t* value, DWORD room) {
  HKEY key = nullptr;
  Answer a{RegOpenKeyExW(base, subKey, 0, KEY_QUERY_VALUE, &key), 0, room,
           std::u16string(room / 2, u'\0')};
  if (a.rc != ERROR_SUCCESS) return a;
  a.rc = RegQueryValueExW(key, value, nullptr, &a.type,
                          room != 0 ? reinterpret_cast<BYTE*>(a.text.data()) : nullptr, &a.size);
  RegCloseKey(key);
  return a;
}
Answer inOneCall(HKEY base, const char16_t* subKey, const char16_t* value, DWORD room) {
  Answer a{0, 0, room, std::u16string(room / 2, u'\0')};
  a.rc = queryKeyValue(base, subKey, value, &a.type,
                       room != 0 ? reinterpret_cast<BYTE*>(a.text.data()) : nullptr, &a.size);
  return a;
}

// One call in place of open, query and close gives what the three give, failures included.
TEST_F(RegistryApi, QueryKeyValueAnswersAsOpeningAndQueryingDo) {
  HKEY parent = create(u"Software\\Vexamor");
  HKEY child = create(u"Software\\Vexamor\\Child");
  ASSERT_EQ(setString(child, u"Name", u"value text"), ERROR_SUCCESS);
  ASSERT_EQ(setString(child, nullptr, u"default"), ERROR_SUCCESS);
  struct Case {
    HKEY base;
    const char16_t* subKey;
    const char16_t* value;
    DWORD room;
  } cases[] = {
      {HKEY_CURRENT_USER, u"Software\\Vexamor\\Child", u"Name", 64},
      {HKEY_CURRENT_USER, u"software\\VEXAMOR\\child", u"NAME", 64},  // any case
      {HKEY_CURRENT_USER, u"Software\\Vexamor\\Child", nullptr, 64},  // the default value
      {HKEY_CURRENT_USER, u"Software\\Vexamor\\Child", u"Name", 4},   // too small
      {HKEY_CURRENT_USER, u"Software\\Vexamor\\Child", u"Name", 0},   // the size only
      {HKEY_CURRENT_USER, u"Software\\Vexamor\\Child", u"Absent", 64},
      {HKEY_CURRENT_USER, u"Software\\Vexamor\\Nothing", u"Name", 64},
      {HKEY_CURRENT_USER, u"\\Software", u"Name", 64},                     // a bad path
      {parent, u"Child", u"Name", 64},                                     // below an open key
      {child, nullptr, u"Name", 64},                                       // the open key itself
      {reinterpret_cast<HKEY>(uintptr_t{0x1234}), u"Child", u"Name", 64},  // no such handle
  };
  for (const Case& c : cases) {
    EXPECT_EQ(inOneCall(c.base, c.subKey, c.value, c.room),
              stepByStep(c.base, c.subKey, c.value, c.room))
        << (c.subKey != nullptr ? std::string(c.subKey, c.subKey + 3) : "(null)");
  }
  RegCloseKey(child);
  RegCloseKey(parent);
}

TEST_F(RegistryApi, MissingKeysAndValuesGiveFileNotFound) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Nothing", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  key = create(u"Software\\Vexamor");
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"absent", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueW(key, u"absent"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Nothing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryApi, NamesIgnoreCaseAndKeepTheirSpelling) {
  HKEY key = create(u"Software\\MixedCase");
  ASSERT_EQ(setString(key, u"ValueName", u"first"), ERROR_SUCCESS);
  ASSERT_EQ(setString(key, u"VALUENAME", u"second"), ERROR_SUCCESS);
  char16_t name[32];
  DWORD cch = 32;
  char16_t data[32] = {};
  DWORD cb = sizeof data;
  ASSERT_EQ(RegEnumValueW(key, 0, name, &cch, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &cb),
            ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"ValueName");
  EXPECT_EQ(std::u16string(data), u"second");
  RegCloseKey(key);

  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\mixedcase", 0, KEY_READ, &again),
            ERROR_SUCCESS);
  cch = 32;
  ASSERT_EQ(RegEnumKeyExW(HKEY_CURRENT_USER, 0, name, &cch, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Software");
  RegCloseKey(again);
}

TEST_F(RegistryApi, EnumerationKeepsInsertionOrderAndEndsWithNoMoreItems) {
  HKEY key = create(u"Order");
  for (const char16_t* name : {u"zulu", u"alpha", u"mike"}) {
    ASSERT_EQ(setString(key, name, name), ERROR_SUCCESS);
  }
  ASSERT_EQ(setString(key, u"ALPHA", u"changed"), ERROR_SUCCESS);  // stays in place
  std::u16string seen;
  for (DWORD i = 0;; ++i) {
    char16_t name[16];
    DWORD cch = 16;
    const LONG rc = RegEnumValueW(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, ERROR_SUCCESS);
    EXPECT_EQ(cch, std::u16string(name).size());
    seen += std::u16string(name) + u",";
  }
  EXPECT_EQ(seen, u"zulu,alpha,mike,");
  DWORD values = 0, maxName = 0, maxData = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             &maxName, &maxData, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 3u);
  EXPECT_EQ(maxName, 5u);
  EXPECT_EQ(maxData, 16u);  // "changed" and its terminator
  RegCloseKey(key);
}

TEST_F(RegistryApi, ShortBuffersGiveMoreDataAndTheNeededSize) {
  HKEY key = create(u"Sizes");
  ASSERT_EQ(setString(key, u"long", u"0123456789"), ERROR_SUCCESS);
  BYTE small[4];
  DWORD cb = sizeof small;
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"long", nullptr, &type, small, &cb), ERROR_MORE_DATA);
  EXPECT_EQ(cb, 22u);
  EXPECT_EQ(type, REG_SZ);
  cb = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"long", nullptr, nullptr, nullptr, &cb), ERROR_SUCCESS);
  EXPECT_EQ(cb, 22u);
  EXPECT_EQ(RegQueryValueExW(key, u"long", nullptr, nullptr, small, nullptr),
            ERROR_INVALID_PARAMETER);
  char16_t name[4];
  DWORD cch = 4;  // room for three characters and the terminator
  EXPECT_EQ(RegEnumValueW(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  RegCloseKey(key);
}

TEST_F(RegistryApi, DwordAndBinaryValuesReadBack) {
  HKEY key = create(u"Types");
  const DWORD number = 0xDEADBEEF;
  ASSERT_EQ(RegSetValueExW(key, u"n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4),
            ERROR_SUCCESS);
  const BYTE blob[] = {0, 1, 2, 0xFF};
  ASSERT_EQ(RegSetValueExW(key, u"b", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
  RegCloseKey(key);
  const std::string file = registry_.readHiveFile("HKEY_CURRENT_USER");
  EXPECT_NE(file.find("\"n\"=dword:deadbeef"), std::string::npos) << file;
  EXPECT_NE(file.find("\"b\"=hex:00,01,02,ff"), std::string::npos) << file;

  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Types", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD read = 0, cb = 4, type = 0;
  ASSERT_EQ(RegQueryValueExW(key, u"N", nullptr, &type, reinterpret_cast<BYTE*>(&read), &cb),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(read, number);
  RegCloseKey(key);
}

TEST_F(RegistryApi, AccessRightsAreEnforced) {
  HKEY writable = create(u"Rights");
  RegCloseKey(writable);
  HKEY readOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Rights", 0, KEY_QUERY_VALUE, &readOnly),
            ERROR_SUCCESS);
  EXPECT_EQ(setString(readOnly, u"x", u"y"), ERROR_ACCESS_DENIED);
  HKEY sub = nullptr;
  EXPECT_EQ(
      RegCreateKeyExW(readOnly, u"Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
      ERROR_ACCESS_DENIED);
  char16_t name[8];
  DWORD cch = 8;
  EXPECT_EQ(RegEnumKeyExW(readOnly, 0, name, &cch, nullptr, nullptr, nullptr, nullptr),
            ERROR_ACCESS_DENIED);
  RegCloseKey(readOnly);
}

TEST_F(RegistryApi, DeletingKeys) {
  HKEY parent = create(u"Tree\\Child\\Grandchild");
  RegCloseKey(parent);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Tree\\Child"), ERROR_ACCESS_DENIED);
  HKEY grandchild = nullptr;
  ASSERT_EQ(
      RegOpenKeyExW(HKEY_CURRENT_USER, u"Tree\\Child\\Grandchild", 0, KEY_ALL_ACCESS, &grandchild),
      ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"tree"), ERROR_SUCCESS);
  EXPECT_EQ(setString(grandchild, u"x", u"y"), ERROR_KEY_DELETED);
  RegCloseKey(grandchild);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, BadPathsAndNamesAreRefused) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"\\Leading", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"a\\\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_BAD_PATHNAME);
  const std::u16string longName(kMaxKeyNameLength + 1, u'k');
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, longName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"x", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
  key = create(u"Names");
  const std::u16string hugeValueName(kMaxValueNameLength + 1, u'v');
  EXPECT_EQ(setString(key, hugeValueName.c_str(), u"x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(setString(key, u"line\nbreak", u"x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExW(key, u"null", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(setString(reinterpret_cast<HKEY>(0x1234), u"x", u"y"), ERROR_INVALID_HANDLE);
  RegCloseKey(key);
}

// Names go to the hive file as UTF-8: half a surrogate pair cannot be written there, a whole
// pair can and reads back.
TEST_F(RegistryApi, NamesMustBeWholeCharacters) {
  HKEY key = create(u"Surrogates");
  const std::u16string broken[] = {
      {u'a', char16_t(0xD83D)},              // high surrogate at the end
      {char16_t(0xD83D), u'b'},              // high surrogate before a plain character
      {u'c', char16_t(0xDE00)},              // low surrogate alone
      {char16_t(0xDE00), char16_t(0xD83D)},  // a pair the wrong way round
  };
  for (const std::u16string& name : broken) {
    EXPECT_EQ(setString(key, name.c_str(), u"x"), ERROR_INVALID_PARAMETER);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExW(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub,
                              nullptr),
              ERROR_INVALID_PARAMETER);
  }
  const std::u16string whole = {u'f', char16_t(0xD83D), char16_t(0xDE00), u'g'};
  ASSERT_EQ(setString(key, whole.c_str(), u"smile"), ERROR_SUCCESS);
  char16_t buffer[16] = {};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExW(key, whole.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                             &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(buffer), u"smile");
  HKEY sub = nullptr;
  ASSERT_EQ(RegCreateKeyExW(key, whole.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(sub);
  EXPECT_EQ(RegOpenKeyExW(key, whole.c_str(), 0, KEY_READ, &sub), ERROR_SUCCESS);
  RegCloseKey(sub);
  RegCloseKey(key);
}

}  // namespace
}  // namespace vexamor::registry
