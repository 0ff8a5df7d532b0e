// The largest signature blob that any layout is read with. A blob holds one certificate, a
// signature and the note (a comment cut to 8192 characters and a time stamp): a few KiB,
// some tens with time-stamp tokens and long names. Nothing that signing writes comes near
// 1 MiB, so a stored length beyond it is a damaged or hostile file (a classic block that
// claims 4 GiB inside a sparse file, say), refused before anything is allocated or read.
#pragma once

#include <cstdint>

namespace vexamor::signcore {

inline constexpr uint32_t kMaxBlobLength = 1u << 20;

}  // namespace vexamor::signcore
