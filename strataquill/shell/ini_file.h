#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sq {

// The text of one settings file: sections of key=value lines. Names match
// without regard to ASCII case. Values are kept exactly, blanks included;
// backslash, line breaks and (in names) "=" are escaped so that any text
// survives a round trip.
class IniFile {
 public:
  // Reads what it can: lines that are neither a section header nor a
  // key=value pair are skipped.
  static IniFile parse(std::string_view text);
  std::string serialize() const;

  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  void set(std::string_view section, std::string_view key, std::string_view value);

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  std::vector<Section> sections_;
};

}  // namespace sq
