#include "strataquill/forms/app_state.h"

#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/settings_store.h"

namespace sq::forms {

void AppState::loadStartupValues() {
  const std::string folder = programFolder();
  HelpFile = folder + "Help/index.html";
  DepthUnits = {"Feet", "Meters"};
  DiameterUnits = {"Inches", "Centimeters", "Feet", "Meters"};
  FileDirectory = GetSetting("Strataquill", "FileDirectory", folder);
  ClassificationFile = classificationFile();
  LayoutFile = GetSetting("Strataquill", "LayoutFile", kNoFile);
  LayoutFileTitle = GetSetting("Strataquill", "LayoutFileTitle", kNoFile);
  PatternsFolder = patternsFolder();
  if (!isExistingFile(LayoutFile)) {
    LayoutFile = kNoFile;
    LayoutFileTitle = kNoFile;
  }
  clearProject();
}

}  // namespace sq::forms
