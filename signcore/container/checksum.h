// Page checksums: Adler-32 arithmetic (modulus 65521) whose running value
// starts at 0 rather than at Adler-32's usual 1.
#pragma once

#include <cstdint>
#include <span>

namespace vexamor::container {

// Continues the checksum `running` over `bytes`; start a new one with 0.
uint32_t pageChecksum(uint32_t running, std::span<const uint8_t> bytes);

}  // namespace vexamor::container
