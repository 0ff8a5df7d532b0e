#include "signcore/crypto/note_text.h"

#include <algorithm>

namespace vexamor::signcore {
namespace {

std::u16string_view untilZero(std::u16string_view text) {
  const size_t zero = text.find(u'\0');
  return zero == std::u16string_view::npos ? text : text.substr(0, zero);
}

}  // namespace

std::u16string makeNote(std::u16string_view timestamp, std::u16string_view comment) {
  timestamp = untilZero(timestamp);
  comment = untilZero(comment).substr(0, kCommentLimit);
  if (timestamp.empty() && comment.empty()) return {};
  std::u16string note;
  for (char c : std::to_string(timestamp.size())) note += static_cast<char16_t>(c);
  note += u';';
  note += timestamp;
  note += comment;
  return note;
}

std::string noteBytes(std::u16string_view note) {
  std::string bytes;
  bytes.reserve(2 * note.size() + 2);
  for (char16_t c : note) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  bytes.append(2, '\0');
  return bytes;
}

NoteParts parseNote(std::string_view bytes, size_t timestampLimit) {
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (c == 0) break;
    text += c;
  }
  size_t pos = 0;
  size_t count = 0;
  while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
    count = std::min<size_t>(count * 10 + (text[pos] - u'0'), text.size());
    ++pos;
  }
  NoteParts parts;
  if (pos == 0) {
    parts.comment = text;
    return parts;
  }
  if (pos < text.size()) ++pos;  // the separator
  const size_t stamp = std::min(count, text.size() - pos);
  parts.timestamp = text.substr(pos, std::min(stamp, timestampLimit));
  parts.comment = text.substr(pos + stamp);
  return parts;
}

std::string rebuiltNote(std::string_view stored) {
  const NoteParts parts = parseNote(stored, kNoLimit);
  const std::u16string note = makeNote(parts.timestamp, parts.comment);
  return note.empty() ? std::string() : noteBytes(note);
}

}  // namespace vexamor::signcore
