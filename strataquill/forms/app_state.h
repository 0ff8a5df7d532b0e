#pragma once

#include <string>
#include <vector>

namespace sq::forms {

// The no-file marker: a path or title starting with "?" names no file.
inline constexpr const char* kNoFile = "???";

// The program-wide state of the main window, which every window reads.
struct AppState {
  std::string CurrentProjectPath = kNoFile;
  std::string CurrentProjectTitle = kNoFile;
  std::string ClassificationFile;
  std::string LayoutFile = kNoFile;
  std::string LayoutFileTitle = kNoFile;
  std::string DesignerLayoutPath;
  std::string DesignerLayoutTitle;
  std::string PatternsFolder;
  int SplashMode = 2;
  std::vector<std::string> DepthUnits;
  std::vector<std::string> DiameterUnits;
  std::string HelpFile;
  // Initial folder of the common dialog ("FileDirectory").
  std::string FileDirectory;

  bool projectOpen() const { return CurrentProjectPath.empty() || CurrentProjectPath[0] != '?'; }
  void setProject(std::string path, std::string title) {
    CurrentProjectPath = std::move(path);
    CurrentProjectTitle = std::move(title);
  }
  void clearProject() { setProject(kNoFile, kNoFile); }

  // The unit lists, the remembered folder, the shared files of the program
  // folder and the last layout (reset to "???" when its file is gone), as
  // start-up sets them; no project is open afterwards.
  void loadStartupValues();
};

}  // namespace sq::forms
