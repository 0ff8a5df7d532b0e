#include <cstdio>

#include "platform/com/utf.h"
#include "platform/registry/reg_text.h"

namespace vexamor::registry {
namespace {

constexpr size_t kHexLineWidth = 77;

std::string quoted(std::u16string_view s) {
  std::string out = "\"";
  for (char c : text::utf16ToUtf8(s)) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// A REG_SZ is written as a quoted text when it reads back to the same bytes: whole UTF-16
// characters, one terminating zero at the end, no other zero and no line breaks. A string
// stored without its terminator reads back with one.
bool writableAsText(const RegValue& v, std::u16string* out) {
  if (v.type != REG_SZ || v.data.size() % 2 != 0) return false;
  out->clear();
  for (size_t i = 0; i + 1 < v.data.size(); i += 2) {
    out->push_back(static_cast<char16_t>(v.data[i] | (v.data[i + 1] << 8)));
  }
  if (!out->empty() && out->back() == 0) out->pop_back();
  for (char16_t c : *out) {
    if (c < 0x20) return false;
  }
  return text::utf8ToUtf16(text::utf16ToUtf8(*out)) == *out;
}

void appendHex(std::string& line, const std::vector<uint8_t>& data, std::string& out) {
  char byte[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    if (line.size() + 3 > kHexLineWidth) {
      out += line + "\\\n";
      line = "  ";
    }
    line += byte;
    if (i + 1 < data.size()) line += ',';
  }
  out += line + '\n';
}

void writeValue(const RegValue& v, std::string& out) {
  std::string line = v.name.empty() ? "@=" : quoted(v.name) + "=";
  std::u16string asText;
  if (writableAsText(v, &asText)) {
    out += line + quoted(asText) + '\n';
  } else if (v.type == REG_DWORD && v.data.size() == 4) {
    char dword[16];
    const uint32_t n =
        v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<uint32_t>(v.data[3]) << 24);
    std::snprintf(dword, sizeof dword, "dword:%08x", n);
    out += line + dword + '\n';
  } else {
    char prefix[24];
    if (v.type == REG_BINARY) {
      std::snprintf(prefix, sizeof prefix, "hex:");
    } else {
      std::snprintf(prefix, sizeof prefix, "hex(%x):", v.type);
    }
    line += prefix;
    appendHex(line, v.data, out);
  }
}

void writeKey(const RegKey& key, const std::u16string& path, bool isRoot, std::string& out) {
  if (!isRoot || !key.values().empty()) {
    out += '[' + text::utf16ToUtf8(path) + "]\n";
    for (const auto& v : key.values()) writeValue(v, out);
    out += '\n';
  }
  for (const auto& sub : key.subkeys()) writeKey(*sub, path + u'\\' + sub->name(), false, out);
}

}  // namespace

std::string writeRegText(const RegKey& key, const std::u16string& path) {
  std::string out = "Windows Registry Editor Version 5.00\n\n";
  const bool isRoot = path.find(u'\\') == std::u16string::npos;
  writeKey(key, path, isRoot, out);
  return out;
}

}  // namespace vexamor::registry
