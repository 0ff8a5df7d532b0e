// The machine's hives under the user's: what a user reads, where a user's writes land, what a
// user may not delete, and who may write the machine's hives.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/registry/reg_import.h"
#include "platform/registry/registry.h"
#include "platform/registry/testing/temp_registry.h"

namespace vexamor::registry {
namespace {

constexpr const char* kMachineText =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CLASSES_ROOT\\CLSID\\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}\\SupportedExtensions]\n"
    "\".drx\"=\"machine-drx\"\n\".zip\"=\"machine-zip\"\n\n"
    "[HKEY_CLASSES_ROOT\\CLSID\\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}\\InprocServer32]\n"
    "@=\"/usr/lib/vexamor/DxSignCore16.so\"\n\n";

constexpr const char16_t* kExtensions =
    u"CLSID\\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}\\SupportedExtensions";

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string{std::istreambuf_iterator<char>(in), {}};
}

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    hadPrevious_ = std::getenv(name) != nullptr;
    ::setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (hadPrevious_) {
      ::setenv(name_, previous_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string previous_;
  bool hadPrevious_ = false;
};

class MachineHive : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(registry_.machineFolder());
    std::ofstream(machineFile(), std::ios::binary) << kMachineText;
  }
  std::string machineFile() const { return registry_.machineFolder() + "/HKEY_CLASSES_ROOT.reg"; }

  static HKEY open(const char16_t* path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, access, &key), ERROR_SUCCESS);
    return key;
  }
  static LONG setString(HKEY key, const char16_t* name, std::u16string_view value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                          static_cast<DWORD>(value.size() * 2));
  }
  static std::u16string getString(HKEY key, const char16_t* name) {
    char16_t data[64] = {};
    DWORD size = sizeof data - 2;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS) {
      return u"<missing>";
    }
    return data;
  }
  static std::vector<std::u16string> valueNames(HKEY key) {
    std::vector<std::u16string> names;
    for (DWORD i = 0;; ++i) {
      char16_t name[64];
      DWORD cch = 64;
      if (RegEnumValueW(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        break;
      names.emplace_back(name, cch);
    }
    return names;
  }

  TempRegistry registry_;
};

TEST_F(MachineHive, UserKeysLieOverTheMachinesAndWritesGoToTheUsersHive) {
  HKEY key = open(kExtensions);
  EXPECT_EQ(getString(key, u".drx"), u"machine-drx");

  // A user's own registration and a user's change of a machine value.
  ASSERT_EQ(setString(key, u".txt", u"user-txt"), ERROR_SUCCESS);
  ASSERT_EQ(setString(key, u".ZIP", u"user-zip"), ERROR_SUCCESS);
  EXPECT_EQ(getString(key, u".zip"), u"user-zip");
  EXPECT_EQ(valueNames(key), (std::vector<std::u16string>{u".drx", u".zip", u".txt"}));
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 3u);
  RegCloseKey(key);

  EXPECT_EQ(readFile(machineFile()), kMachineText);
  const std::string user = registry_.readHiveFile("HKEY_CLASSES_ROOT");
  EXPECT_NE(user.find("\".txt\"=\"user-txt\""), std::string::npos) << user;
  EXPECT_EQ(user.find("machine-drx"), std::string::npos) << "machine values copied:\n" << user;

  // A subkey below a key that only the machine has lands in the user's hive, whole path.
  HKEY clsid = open(u"CLSID\\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}");
  HKEY created = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(clsid, u"ProgID", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  RegCloseKey(created);
  ASSERT_EQ(RegCreateKeyExW(clsid, u"InprocServer32", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &created, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(created);
  RegCloseKey(clsid);
  EXPECT_NE(registry_.readHiveFile("HKEY_CLASSES_ROOT")
                .find("[HKEY_CLASSES_ROOT\\CLSID\\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}\\ProgID]"),
            std::string::npos);
  EXPECT_EQ(readFile(machineFile()), kMachineText);
}

TEST_F(MachineHive, UsersCannotDeleteWhatOnlyTheMachineHas) {
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, kExtensions), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, u"CLSID"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u"CLSID\\Nothing"), ERROR_FILE_NOT_FOUND);
  HKEY key = open(kExtensions);
  EXPECT_EQ(RegDeleteValueW(key, u".drx"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueW(key, u".none"), ERROR_FILE_NOT_FOUND);
  // Deleting the user's copy of a value shows the machine's again.
  ASSERT_EQ(setString(key, u".zip", u"user-zip"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key, u".zip"), ERROR_SUCCESS);
  EXPECT_EQ(getString(key, u".zip"), u"machine-zip");
  RegCloseKey(key);

  // The user's own part of a key that has machine subkeys is not a key without subkeys.
  HKEY clsid = open(u"CLSID\\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}");
  ASSERT_EQ(setString(clsid, u"", u"VexaFindSignFile Class"), ERROR_SUCCESS);
  RegCloseKey(clsid);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u"CLSID\\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}"),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(readFile(machineFile()), kMachineText);
}

TEST_F(MachineHive, TheCurrentUserHiveHasNoMachinePart) {
  std::ofstream(registry_.machineFolder() + "/HKEY_CURRENT_USER.reg")
      << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Planted]\n\n";
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Planted", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(MachineHive, MachineScopeIsForRootAlone) {
  const std::string userBefore = registry_.readHiveFile("HKEY_CLASSES_ROOT");
  ScopedEnv scope("VEXAMOR_REGISTRY_SCOPE", "machine");
  const std::string text =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}\\SupportedExtensions]\n"
      "\".drs\"=\"machine-drs\"\n\n";
  if (::geteuid() == 0) {
    ASSERT_EQ(importRegText(text).error, ERROR_SUCCESS);
    EXPECT_NE(readFile(machineFile()).find("machine-drs"), std::string::npos);
    EXPECT_EQ(registry_.readHiveFile("HKEY_CLASSES_ROOT"), userBefore);
    // The same import by an ordinary user is refused, not turned into a user registration.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) _exit(10);
      const LONG rc = importRegText(text).error;
      _exit(rc == ERROR_ACCESS_DENIED ? 0 : 11);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  } else {
    EXPECT_EQ(importRegText(text).error, ERROR_ACCESS_DENIED);
    EXPECT_EQ(readFile(machineFile()), kMachineText);
  }
  EXPECT_EQ(registry_.readHiveFile("HKEY_CLASSES_ROOT"), userBefore);
}

TEST_F(MachineHive, MachineScopeReadsTheMachinesKeysAlone) {
  HKEY key = open(kExtensions);
  ASSERT_EQ(setString(key, u".txt", u"user-txt"), ERROR_SUCCESS);
  RegCloseKey(key);
  ScopedEnv scope("VEXAMOR_REGISTRY_SCOPE", "machine");
  key = open(kExtensions);
  EXPECT_EQ(valueNames(key), (std::vector<std::u16string>{u".drx", u".zip"}));
  RegCloseKey(key);
}

}  // namespace
}  // namespace vexamor::registry
