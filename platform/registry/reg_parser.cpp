#include <cctype>
#include <cstring>

#include "platform/com/utf.h"
#include "platform/registry/reg_text.h"

namespace vexamor::registry {
namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

struct HiveNames {
  Hive hive;
  const char* longName;
  const char* shortName;
};
constexpr HiveNames kHiveNames[] = {
    {Hive::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {Hive::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {Hive::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
};

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string decodeToUtf8(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string wide;
    wide.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return text::utf16ToUtf8(wide);
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return std::string(bytes);
}

std::vector<uint8_t> utf16Bytes(std::u16string_view s, bool terminate) {
  std::vector<uint8_t> out;
  out.reserve((s.size() + 1) * 2);
  for (char16_t c : s) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  if (terminate) out.insert(out.end(), {0, 0});
  return out;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool parseHexNumber(std::string_view s, size_t maxDigits, uint32_t* out) {
  if (s.empty() || s.size() > maxDigits) return false;
  uint32_t v = 0;
  for (char c : s) {
    const int d = hexDigit(c);
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  *out = v;
  return true;
}

// Reads a quoted text at s[pos] (which must be '"'), undoing \\ and \" escapes; pos ends
// behind the closing quote.
bool readQuoted(std::string_view s, size_t& pos, std::string* out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  out->clear();
  for (++pos; pos < s.size(); ++pos) {
    const char c = s[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) ++pos;
    out->push_back(s[pos]);
  }
  return false;
}

bool parseHexList(std::string_view s, std::vector<uint8_t>* out) {
  out->clear();
  s = trim(s);
  if (s.empty()) return true;
  size_t start = 0;
  while (start <= s.size()) {
    const size_t comma = s.find(',', start);
    const std::string_view item =
        trim(s.substr(start, comma == std::string_view::npos ? s.npos : comma - start));
    uint32_t byte;
    if (!parseHexNumber(item, 2, &byte)) return false;
    out->push_back(static_cast<uint8_t>(byte));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return true;
}

// The data part after '=': "text", dword:XXXXXXXX, hex:.., hex(N):.., or '-'.
bool parseData(std::string_view data, RegValueEntry* value) {
  data = trim(data);
  if (data == "-") {
    value->remove = true;
    return true;
  }
  if (!data.empty() && data.front() == '"') {
    size_t pos = 0;
    std::string textValue;
    if (!readQuoted(data, pos, &textValue) || !trim(data.substr(pos)).empty()) return false;
    value->type = REG_SZ;
    value->data = utf16Bytes(text::utf8ToUtf16(textValue), true);
    return true;
  }
  if (data.substr(0, 6) == "dword:") {
    uint32_t v;
    if (!parseHexNumber(trim(data.substr(6)), 8, &v)) return false;
    value->type = REG_DWORD;
    value->data = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                   static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    return true;
  }
  if (data.substr(0, 4) == "hex:") {
    value->type = REG_BINARY;
    return parseHexList(data.substr(4), &value->data);
  }
  if (data.substr(0, 4) == "hex(") {
    const size_t close = data.find("):");
    uint32_t type;
    if (close == std::string_view::npos || !parseHexNumber(data.substr(4, close - 4), 8, &type)) {
      return false;
    }
    value->type = type;
    return parseHexList(data.substr(close + 2), &value->data);
  }
  return false;
}

bool parseValueLine(std::string_view line, RegValueEntry* value) {
  size_t pos = 0;
  if (line[0] == '@') {
    value->name.clear();
    pos = 1;
  } else {
    std::string name;
    if (!readQuoted(line, pos, &name)) return false;
    value->name = text::utf8ToUtf16(name);
    if (value->name.size() > kMaxValueNameLength) return false;
  }
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  if (pos >= line.size() || line[pos] != '=') return false;
  return parseData(line.substr(pos + 1), value);
}

bool parseKeyLine(std::string_view line, RegKeyEntry* key) {
  const size_t close = line.rfind(']');
  if (close == std::string_view::npos || !trim(line.substr(close + 1)).empty()) return false;
  std::string_view inner = line.substr(1, close - 1);
  key->remove = !inner.empty() && inner.front() == '-';
  if (key->remove) inner.remove_prefix(1);
  const std::u16string full = text::utf8ToUtf16(inner);
  const size_t slash = full.find(u'\\');
  const auto hive = hiveFromName(std::u16string_view(full).substr(0, slash));
  if (!hive) return false;
  key->hive = *hive;
  key->path.clear();
  if (slash == std::u16string::npos) return true;
  size_t start = slash + 1;
  while (start <= full.size()) {
    size_t end = full.find(u'\\', start);
    if (end == std::u16string::npos) end = full.size();
    const size_t length = end - start;
    if (length == 0 || length > kMaxKeyNameLength || key->path.size() >= kMaxKeyDepth) {
      return false;
    }
    key->path.emplace_back(full.substr(start, length));
    start = end + 1;
  }
  return true;
}

// Splits into lines, joining a hex value's lines that end in a backslash.
std::vector<std::pair<size_t, std::string>> logicalLines(const std::string& text) {
  std::vector<std::pair<size_t, std::string>> lines;
  size_t lineNumber = 0;
  bool continuing = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view raw = std::string_view(text).substr(start, end - start);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    ++lineNumber;
    start = end + 1;
    if (continuing) {
      lines.back().second += trim(raw);
    } else {
      lines.emplace_back(lineNumber, std::string(trim(raw)));
    }
    std::string& current = lines.back().second;
    const bool hexValue = current.find("=hex") != std::string::npos;
    continuing = hexValue && !current.empty() && current.back() == '\\';
    if (continuing) current.pop_back();
  }
  return lines;
}

}  // namespace

const char* hiveName(Hive hive) {
  for (const auto& h : kHiveNames) {
    if (h.hive == hive) return h.longName;
  }
  return "";
}

std::optional<Hive> hiveFromName(std::u16string_view name) {
  for (const auto& h : kHiveNames) {
    if (text::equalsIgnoreCase(name, text::utf8ToUtf16(h.longName)) ||
        text::equalsIgnoreCase(name, text::utf8ToUtf16(h.shortName))) {
      return h.hive;
    }
  }
  return std::nullopt;
}

RegFile parseRegText(std::string_view bytes) {
  RegFile file;
  const std::string text = decodeToUtf8(bytes);
  bool sawHeader = false;
  bool inKey = false;  // false also after a key line that could not be read
  for (const auto& [number, line] : logicalLines(text)) {
    if (line.empty() || line[0] == ';') continue;
    auto problem = [&, n = number](const char* what) {
      file.problems.push_back("line " + std::to_string(n) + ": " + what);
    };
    if (!sawHeader && file.keys.empty() && (line == kHeader5 || line == kHeader4)) {
      sawHeader = true;
      continue;
    }
    if (line[0] == '[') {
      RegKeyEntry key;
      inKey = parseKeyLine(line, &key);
      if (inKey) {
        file.keys.push_back(std::move(key));
      } else {
        problem("unreadable key name, its values are skipped");
      }
      continue;
    }
    if (!inKey) {
      problem(file.keys.empty() && !sawHeader ? "not a registry file line"
                                              : "value outside a readable key");
      continue;
    }
    RegValueEntry value;
    if (parseValueLine(line, &value)) {
      file.keys.back().values.push_back(std::move(value));
    } else {
      problem("unreadable value");
    }
  }
  if (!sawHeader && !text.empty()) file.problems.insert(file.problems.begin(), "missing header");
  return file;
}

bool applyEntries(const RegFile& file, Hive hive, RegKey& root) {
  bool changed = false;
  for (const auto& entry : file.keys) {
    if (entry.hive != hive) continue;
    if (entry.remove) {
      if (entry.path.empty()) continue;  // a hive itself is never removed
      std::vector<std::u16string> parentPath(entry.path.begin(), entry.path.end() - 1);
      if (RegKey* parent = root.findPath(parentPath)) {
        changed = parent->removeSubkey(entry.path.back()) || changed;
      }
      continue;
    }
    bool created = false;
    RegKey& key = root.createPath(entry.path, &created);
    changed = changed || created;
    for (const auto& value : entry.values) {
      if (value.remove) {
        changed = key.removeValue(value.name) || changed;
      } else {
        changed = key.setValue(value.name, value.type, value.data) || changed;
      }
    }
  }
  return changed;
}

}  // namespace vexamor::registry
