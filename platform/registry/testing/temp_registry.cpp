#include "platform/registry/testing/temp_registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/registry/reg_import.h"

namespace vexamor::registry {

TempRegistry::TempRegistry() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/vexareg.XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot make a registry folder";
  }
  folder_ = pattern;
  if (const char* old = std::getenv("VEXAMOR_REGISTRY")) {
    previous_ = old;
    hadPrevious_ = true;
  }
  ::setenv("VEXAMOR_REGISTRY", folder_.c_str(), 1);
  if (const char* old = std::getenv("VEXAMOR_MACHINE_REGISTRY")) {
    previousMachine_ = old;
    hadPreviousMachine_ = true;
  }
  ::setenv("VEXAMOR_MACHINE_REGISTRY", machineFolder().c_str(), 1);
}

TempRegistry::~TempRegistry() {
  if (hadPrevious_) {
    ::setenv("VEXAMOR_REGISTRY", previous_.c_str(), 1);
  } else {
    ::unsetenv("VEXAMOR_REGISTRY");
  }
  if (hadPreviousMachine_) {
    ::setenv("VEXAMOR_MACHINE_REGISTRY", previousMachine_.c_str(), 1);
  } else {
    ::unsetenv("VEXAMOR_MACHINE_REGISTRY");
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void TempRegistry::importFile(const std::string& path) const {
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "cannot read " << path;
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  const auto result = importRegText(bytes);
  ASSERT_EQ(result.error, 0) << "import of " << path;
  ASSERT_TRUE(result.problems.empty()) << path << ": " << result.problems.front();
}

void TempRegistry::importBuildTree() const {
  importFile(binDir() + "/DxSignCore16.reg");
}

void TempRegistry::writeHiveFile(const std::string& hiveName, const std::string& text) const {
  std::ofstream out(folder_ + "/" + hiveName + ".reg", std::ios::binary | std::ios::trunc);
  out << text;
}

std::string TempRegistry::readHiveFile(const std::string& hiveName) const {
  std::ifstream in(folder_ + "/" + hiveName + ".reg", std::ios::binary);
  return std::string{std::istreambuf_iterator<char>(in), {}};
}

std::string binDir() {
  const char* dir = std::getenv("VEXAMOR_BIN_DIR");
  return dir != nullptr ? dir : ".";
}

}  // namespace vexamor::registry
