// Recognising a drawing container: a regular file with a container header at
// one of the offsets 0, 128, ... 896. The signature handler asks this before
// choosing between the container and the classic drawing layout, and hands
// the offset to Container::setHeaderOffset().
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vexamor::container {

// The first offset whose 16 bytes carry the container signature, looking
// only at what `leading` (the start of a file) holds.
std::optional<uint64_t> findContainerHeader(std::span<const uint8_t> leading);

// The same for the file at `path`; nothing for a file that is not a regular
// file or cannot be read.
std::optional<uint64_t> findContainerHeader(const std::string& path);

}  // namespace vexamor::container
