#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace sq {

// Gives a test its own settings, data and registry folders: XDG_CONFIG_HOME,
// XDG_DATA_HOME and VEXAMOR_REGISTRY point into a fresh temporary folder for
// the object's lifetime, which is removed afterwards.
class TestHome {
 public:
  TestHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sq-home-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    ::setenv("VEXAMOR_REGISTRY", (root_ / "registry").c_str(), 1);
  }
  ~TestHome() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  TestHome(const TestHome&) = delete;
  TestHome& operator=(const TestHome&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // A path inside the temporary folder.
  std::string path(const std::string& name) const { return (root_ / name).string(); }

 private:
  std::filesystem::path root_;
};

}  // namespace sq
