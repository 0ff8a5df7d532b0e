#include "strataquill/shell/preferences.h"

#include <charconv>
#include <filesystem>

#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/settings_store.h"

namespace sq {

const std::array<const char*, 6> kCompanyKeys = {"CompanyName", "CompanyAddress", "CompanyCity",
                                                 "CompanyState", "CompanyZip", "CompanyCountry"};
const std::array<const char*, 6> kCompanyDefaults = {
    "Quality Consulting", "1234 Any Street", "Your City", "Your State", "01234", "United States"};

namespace {

constexpr const char* kOptions = "Options";
constexpr const char* kShowTips = "Show Tips at Startup";

std::string userKey(std::size_t i) {
  return "User" + std::to_string(i + 1);
}

}  // namespace

int ShowTipsAtStartup() {
  const std::string text = GetSetting(kOptions, kShowTips, "1");
  const std::size_t start = std::min(text.find_first_not_of(' '), text.size());
  int value = 0;
  std::from_chars(text.data() + start, text.data() + text.size(), value);
  return value;
}

bool SaveShowTipsAtStartup(int value) {
  return SaveSetting(kOptions, kShowTips, std::to_string(value));
}

Preferences Preferences::load() {
  Preferences p;
  for (std::size_t i = 0; i < p.company.size(); ++i)
    p.company[i] = GetSetting("Preferences", kCompanyKeys[i], kCompanyDefaults[i]);
  for (std::size_t i = 0; i < p.sampleTitles.size(); ++i)
    p.sampleTitles[i] = GetSetting("Samples", userKey(i), "Undefined");
  p.defaultSQFileDir = GetSetting("Files", "DefaultSQFileDir", programFolder());
  p.defaultLayoutDir = GetSetting("Files", "DefaultLayoutDir", programFolder());
  p.showTipsAtStartup = ShowTipsAtStartup();
  return p;
}

bool Preferences::save() const {
  bool ok = true;
  for (std::size_t i = 0; i < company.size(); ++i)
    ok = SaveSetting("Preferences", kCompanyKeys[i], company[i]) && ok;
  for (std::size_t i = 0; i < sampleTitles.size(); ++i)
    ok = SaveSetting("Samples", userKey(i), sampleTitles[i]) && ok;
  ok = SaveSetting("Files", "DefaultSQFileDir", defaultSQFileDir) && ok;
  ok = SaveSetting("Files", "DefaultLayoutDir", defaultLayoutDir) && ok;
  ok = SaveShowTipsAtStartup(showTipsAtStartup) && ok;
  return ok;
}

std::string folderToShow(const std::string& stored, const std::string& fallback) {
  std::error_code ec;
  return !stored.empty() && std::filesystem::is_directory(stored, ec) ? stored : fallback;
}

}  // namespace sq
