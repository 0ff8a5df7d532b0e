#include "strataquill/shell/ini_file.h"

#include "strataquill/db/ascii_case.h"

#include <algorithm>
#include <cctype>

namespace sq {
namespace {

std::string escape(std::string_view s, bool isName) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (isName && (c == '=' || c == ']' || (i == 0 && (c == '[' || c == ';' || c == '#')))) {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out;
}

std::string unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char n = s[++i];
    out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
  }
  return out;
}

// Position of the first "=" (or "]") not escaped by a backslash.
std::size_t findUnescaped(std::string_view s, char what) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\') {
      ++i;
    } else if (s[i] == what) {
      return i;
    }
  }
  return std::string_view::npos;
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
  IniFile ini;
  Section* current = nullptr;
  while (!text.empty()) {
    std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      std::size_t close = findUnescaped(line, ']');
      if (close == std::string_view::npos) {
        current = nullptr;  // a damaged header: skip its entries
        continue;
      }
      std::string name = unescape(line.substr(1, close - 1));
      auto it = std::find_if(ini.sections_.begin(), ini.sections_.end(),
                             [&](const Section& s) { return db::equalsIgnoreCase(s.name, name); });
      if (it == ini.sections_.end()) {
        ini.sections_.push_back({name, {}});
        current = &ini.sections_.back();
      } else {
        current = &*it;
      }
      continue;
    }
    std::size_t eq = findUnescaped(line, '=');
    if (!current || eq == std::string_view::npos) continue;
    std::string key = unescape(line.substr(0, eq));
    std::string value = unescape(line.substr(eq + 1));
    auto it = std::find_if(current->entries.begin(), current->entries.end(),
                           [&](const Entry& e) { return db::equalsIgnoreCase(e.key, key); });
    if (it == current->entries.end()) {
      current->entries.push_back({std::move(key), std::move(value)});
    } else {
      it->value = std::move(value);
    }
  }
  return ini;
}

std::string IniFile::serialize() const {
  std::string out;
  for (const Section& s : sections_) {
    if (!out.empty()) out += '\n';
    out += '[' + escape(s.name, true) + "]\n";
    for (const Entry& e : s.entries)
      out += escape(e.key, true) + '=' + escape(e.value, false) + '\n';
  }
  return out;
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
  for (const Section& s : sections_) {
    if (!db::equalsIgnoreCase(s.name, section)) continue;
    for (const Entry& e : s.entries)
      if (db::equalsIgnoreCase(e.key, key)) return e.value;
  }
  return std::nullopt;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  auto s = std::find_if(sections_.begin(), sections_.end(),
                        [&](const Section& x) { return db::equalsIgnoreCase(x.name, section); });
  if (s == sections_.end()) {
    sections_.push_back({std::string(section), {}});
    s = sections_.end() - 1;
  }
  auto e = std::find_if(s->entries.begin(), s->entries.end(),
                        [&](const Entry& x) { return db::equalsIgnoreCase(x.key, key); });
  if (e == s->entries.end()) {
    s->entries.push_back({std::string(key), std::string(value)});
  } else {
    e->value = std::string(value);
  }
}

}  // namespace sq
