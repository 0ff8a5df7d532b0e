#pragma once

#include <array>
#include <string>

namespace sq {

// The values of the Preferences dialog: the company printed in log
// headers, the sample titles new projects start with, the folders the file
// dialogs open first and whether the tip of the day shows at start-up.
// Every value is read from the settings store with its default and written
// back as text, empty text included; nothing is validated.
struct Preferences {
  // Name, address, city, state, zip and country.
  std::array<std::string, 6> company;
  // The default titles of the sample table's ten user columns.
  std::array<std::string, 10> sampleTitles;
  std::string defaultSQFileDir;
  std::string defaultLayoutDir;
  int showTipsAtStartup = 1;

  // Every value as stored, or its default when the key is missing.
  static Preferences load();
  // Saves every value in the dialog's order: the company, the sample
  // titles, the two folders, the tip switch. False when a value could not
  // be written; the others are written all the same.
  bool save() const;
};

// The keys of the company values in section "Preferences", and the defaults
// the dialog shows for them.
extern const std::array<const char*, 6> kCompanyKeys;
extern const std::array<const char*, 6> kCompanyDefaults;

// "Options" / "Show Tips at Startup" as a whole number: the stored text
// read as a number (text that is none reads as 0), 1 when missing.
int ShowTipsAtStartup();
bool SaveShowTipsAtStartup(int value);

// The folder a folder list opens on: `stored` when it is an existing
// folder, else `fallback`.
std::string folderToShow(const std::string& stored, const std::string& fallback);

}  // namespace sq
