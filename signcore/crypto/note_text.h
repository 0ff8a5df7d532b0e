// The note: the time stamp and the comment of a signature, travelling as one UTF-16 text. It
// is carried in the clear as the signer's unauthenticated attribute 2.5.29.14 and signed as the
// last block of the content, so a verifier must hash what signing would have hashed. The
// stored bytes are therefore read into their parts and rebuilt, and trusted only when they
// are exactly what rebuilding gives: otherwise bytes moved from the end of the content into
// the note (a file cut short) would still hash to the same value.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexamor::signcore {

inline constexpr size_t kCommentLimit = 8192;    // characters of a comment that are signed
inline constexpr size_t kTimestampLimit = 1024;  // characters of a time stamp handed out
inline constexpr size_t kNoLimit = static_cast<size_t>(-1);

// The note text: the time stamp's length in decimal, ";", the time stamp, then the comment
// cut to kCommentLimit characters. Empty when both are empty. Each text ends at its first
// zero character.
std::u16string makeNote(std::u16string_view timestamp, std::u16string_view comment);
// The note as it is signed and stored: UTF-16LE with the terminating zero character.
std::string noteBytes(std::u16string_view note);

struct NoteParts {
  std::u16string timestamp;
  std::u16string comment;
};
// Reads stored note bytes back: a decimal number n, one separator character (whatever it
// is), n characters of time stamp (at most `timestampLimit` kept), the rest the comment. A
// number larger than what follows takes what there is; text without a leading number is all
// comment. The text ends at the first zero character.
NoteParts parseNote(std::string_view bytes, size_t timestampLimit = kTimestampLimit);

// The bytes that signing stores for the parts that `stored` reads as (the time stamp whole,
// however long): empty when signing would store no note at all. A stored note is genuine
// only when it equals this.
std::string rebuiltNote(std::string_view stored);

}  // namespace vexamor::signcore
