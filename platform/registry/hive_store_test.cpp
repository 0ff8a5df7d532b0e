#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/com/utf.h"
#include "platform/registry/call_chain.h"
#include "platform/registry/reg_import.h"
#include "platform/registry/registry.h"
#include "platform/registry/testing/temp_registry.h"

namespace vexamor::registry {
namespace {

DWORD valueCount(const char16_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD count = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return count;
}

// Each writer process sets its own values one call at a time; every call re-reads the hive
// under the lock, so neither process may lose what the other wrote in between.
TEST(HiveStore, TwoProcessesWritingAtOnceLoseNothing) {
  TempRegistry registry;
  constexpr int kValuesPerWriter = 100;
  pid_t writers[2];
  for (int w = 0; w < 2; ++w) {
    writers[w] = fork();
    ASSERT_GE(writers[w], 0);
    if (writers[w] == 0) {
      HKEY key = nullptr;
      if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Shared", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key, nullptr) != ERROR_SUCCESS) {
        _exit(2);
      }
      for (int i = 0; i < kValuesPerWriter; ++i) {
        const std::u16string name =
            text::utf8ToUtf16("w" + std::to_string(w) + "-" + std::to_string(i));
        const DWORD data = static_cast<DWORD>(i);
        if (RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                           4) != ERROR_SUCCESS) {
          _exit(3);
        }
      }
      _exit(0);
    }
  }
  for (pid_t pid : writers) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  EXPECT_EQ(valueCount(u"Shared"), 2u * kValuesPerWriter);
  for (const auto& entry : std::filesystem::directory_iterator(registry.folder())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "HKEY_LOCAL_MACHINE.reg" || name == "HKEY_LOCAL_MACHINE.reg.lock")
        << "left behind: " << name;
  }
}

TEST(HiveStore, HandEditsAreSeenAndDamagedFilesAreKeptBeforeRewriting) {
  TempRegistry registry;
  const std::string damaged =
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Edited]\n\"kept\"=\"1\"\n"
      "this line is broken\n";
  registry.writeHiveFile("HKEY_LOCAL_MACHINE", damaged);
  EXPECT_EQ(valueCount(u"Edited"), 1u);

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Edited", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const DWORD one = 1;
  ASSERT_EQ(RegSetValueExW(key, u"added", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(valueCount(u"Edited"), 2u);
  std::ifstream copy(registry.folder() + "/HKEY_LOCAL_MACHINE.reg.damaged");
  const std::string kept{std::istreambuf_iterator<char>(copy), {}};
  EXPECT_EQ(kept, damaged);
  EXPECT_EQ(registry.readHiveFile("HKEY_LOCAL_MACHINE").find("broken"), std::string::npos);
}

TEST(HiveStore, ImportAndExportRoundTrip) {
  TempRegistry registry;
  const std::string text =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CLASSES_ROOT\\Prog.Id\\CLSID]\n@=\"{00000000-0000-0000-0000-000000000001}\"\n\n"
      "[HKEY_CURRENT_USER\\Software\\Vexamor]\n\"IconOverlayEnabled\"=dword:00000001\n\n";
  const auto result = importRegText(text);
  EXPECT_EQ(result.error, 0);
  EXPECT_EQ(result.keys, 2u);
  std::string exported;
  ASSERT_EQ(exportRegText("hkcu\\software", &exported), ERROR_SUCCESS);
  EXPECT_EQ(exported,
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Vexamor]\n\"IconOverlayEnabled\"=dword:00000001\n\n");
  EXPECT_EQ(exportRegText("HKEY_CLASSES_ROOT\\Missing", &exported), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(exportRegText("HKEY_NOWHERE\\X", &exported), ERROR_BADKEY);
}

DWORD dwordValue(const char16_t* path, const char16_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD value = 0, size = sizeof value;
  const LONG rc =
      RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? value : 0;
}

void setDword(const char16_t* path, const char16_t* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

// Sets the value from a process of its own, as another program would.
void setDwordElsewhere(const char16_t* path, const char16_t* name, DWORD value) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HKEY key = nullptr;
    const bool ok = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &key, nullptr) == ERROR_SUCCESS &&
                    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   4) == ERROR_SUCCESS;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A call chain reads each hive as it found it first, so that one task sees one state of the
// registry for the price of one look at its files; what another process changed is seen by
// the next chain, and by every call outside a chain, while this process's own writes are
// seen at once.
TEST(HiveStore, ACallChainSeesOneStateAndTheNextChainSeesOtherProcesses) {
  TempRegistry registry;
  setDword(u"Chain", u"v", 1);
  {
    const CallChain chain;
    EXPECT_EQ(dwordValue(u"Chain", u"v"), 1u);
    setDwordElsewhere(u"Chain", u"v", 2);
    {
      const CallChain nested;  // ends without ending the outer chain
      EXPECT_EQ(dwordValue(u"Chain", u"v"), 1u);
    }
    EXPECT_EQ(dwordValue(u"Chain", u"v"), 1u);
    setDword(u"Chain", u"own", 5);  // a write reads the file afresh, so both are seen now
    EXPECT_EQ(dwordValue(u"Chain", u"own"), 5u);
    EXPECT_EQ(dwordValue(u"Chain", u"v"), 2u);
    setDwordElsewhere(u"Chain", u"v", 3);
    EXPECT_EQ(dwordValue(u"Chain", u"v"), 2u);
  }
  {
    const CallChain next;
    EXPECT_EQ(dwordValue(u"Chain", u"v"), 3u);
  }
  setDwordElsewhere(u"Chain", u"v", 4);
  EXPECT_EQ(dwordValue(u"Chain", u"v"), 4u);
}

}  // namespace
}  // namespace vexamor::registry
