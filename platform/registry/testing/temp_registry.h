// A registry folder of its own for one test: created empty, named by VEXAMOR_REGISTRY while
// the object lives, removed afterwards. The machine's hives are an empty folder of its own
// too (VEXAMOR_MACHINE_REGISTRY), so what is installed on the machine never shows through.
#pragma once

#include <string>

namespace vexamor::registry {

class TempRegistry {
 public:
  TempRegistry();
  TempRegistry(const TempRegistry&) = delete;
  TempRegistry& operator=(const TempRegistry&) = delete;
  ~TempRegistry();

  const std::string& folder() const { return folder_; }
  // The machine's hives of this test; not created until something writes there.
  std::string machineFolder() const { return folder_ + "/machine"; }

  // Imports a ".reg" file; fails the current test when it cannot.
  void importFile(const std::string& path) const;
  // Imports the registration that the build wrote for its own bin folder
  // ($VEXAMOR_BIN_DIR/DxSignCore16.reg).
  void importBuildTree() const;

  // Replaces a hive file with the given text, as a person editing it would.
  void writeHiveFile(const std::string& hiveName, const std::string& text) const;
  std::string readHiveFile(const std::string& hiveName) const;

 private:
  std::string folder_;
  std::string previous_, previousMachine_;
  bool hadPrevious_ = false, hadPreviousMachine_ = false;
};

// The build's bin folder, where programs and modules land.
std::string binDir();

}  // namespace vexamor::registry
