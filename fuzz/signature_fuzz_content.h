// The content that the signature fuzz target verifies every input against, and that its
// seed signatures sign, so that mutations start from blobs that match.
#pragma once

#include <string_view>

namespace vexamor::fuzzing {

inline constexpr std::string_view kSignedContent =
    "The bytes of a drawing that someone signed, delivered in small blocks.";
inline constexpr size_t kSignedContentBlock = 7;

}  // namespace vexamor::fuzzing
