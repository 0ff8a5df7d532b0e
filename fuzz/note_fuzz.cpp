// The note of a signature read as a verifier reads it: stored bytes are taken apart and
// trusted only when rebuilding them gives the same bytes. Checked for any bytes:
//   - the rebuilt form is a fixed point, and it is one UTF-16 text with one terminator at
//     its very end, so nothing can sit in front of or behind it unnoticed;
//   - reading back with the handed-out limit gives a prefix of the time stamp and the same
//     comment as reading without a limit;
//   - any time stamp and comment, made into a note, read back as themselves (the comment
//     cut to its limit) and are accepted as they stand.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "signcore/crypto/note_text.h"

using namespace vexamor::signcore;

namespace {

std::u16string utf16(std::string_view bytes) {
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                  static_cast<uint8_t>(bytes[i + 1]) << 8);
  }
  return text;
}

std::u16string untilZero(std::u16string text) {
  const size_t zero = text.find(u'\0');
  if (zero != std::u16string::npos) text.resize(zero);
  return text;
}

void checkStored(std::string_view stored) {
  const std::string rebuilt = rebuiltNote(stored);
  if (!rebuilt.empty()) {
    if (rebuiltNote(rebuilt) != rebuilt) __builtin_trap();
    if (rebuilt.size() % 2 != 0 || rebuilt.size() < 4) __builtin_trap();
    for (size_t i = 0; i + 2 < rebuilt.size(); i += 2) {
      if (rebuilt[i] == 0 && rebuilt[i + 1] == 0) __builtin_trap();  // an inner terminator
    }
    if (rebuilt[rebuilt.size() - 2] != 0 || rebuilt.back() != 0) __builtin_trap();
  }
  const NoteParts whole = parseNote(stored, kNoLimit);
  const NoteParts shown = parseNote(stored);
  if (shown.comment != whole.comment || shown.timestamp.size() > kTimestampLimit ||
      whole.timestamp.compare(0, shown.timestamp.size(), shown.timestamp) != 0) {
    __builtin_trap();
  }
}

void checkMade(std::string_view input) {
  // The input split at its first byte's position into a time stamp and a comment.
  const size_t split = input.empty() ? 0 : static_cast<uint8_t>(input[0]) * 2 % (input.size() + 1);
  const std::u16string timestamp = untilZero(utf16(input.substr(0, split)));
  const std::u16string comment = untilZero(utf16(input.substr(split)));
  const std::u16string note = makeNote(timestamp, comment);
  if (note.empty()) {
    if (!timestamp.empty() || !comment.empty()) __builtin_trap();
    return;
  }
  const std::string stored = noteBytes(note);
  if (rebuiltNote(stored) != stored) __builtin_trap();
  const NoteParts parts = parseNote(stored, kNoLimit);
  if (parts.timestamp != timestamp || parts.comment != comment.substr(0, kCommentLimit)) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  checkStored(bytes);
  checkMade(bytes);
  return 0;
}
