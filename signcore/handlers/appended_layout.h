// The appended-signature layout, for files whose format the core does not know: the file's
// own bytes, then the marker text, the blob length L (32-bit little-endian) and the blob.
// The signature is found again by looking for the marker in the file's last 32768 bytes,
// nearest the end first, so marker, length and blob must fit there.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "signcore/handlers/blob_limit.h"
#include "signcore/handlers/byte_source.h"

namespace vexamor::signcore::appended {

inline constexpr std::string_view kMarker = "{{AE0A9F17645744e599B4D6B9B9CE7811}}";
inline constexpr uint64_t kSearchLimit = 32768;
inline constexpr uint64_t kFirstWindow = 2048;
inline constexpr uint64_t kLengthSize = 4;

// The offset just behind the marker (where L lies), or 0 when the tail holds no marker.
// E_UNEXPECTED for an empty file. The last `window` bytes are searched first, from the
// lowest offset up; the window then doubles up to the limit, and each round looks only at
// the start positions it has not looked at before.
Result<uint64_t> findMarker(const ByteSource& file);

// The blob behind the marker found at `behindMarker`: ERROR_HANDLE_EOF when the file ends
// before L or before L bytes of blob, ERROR_INVALID_DATA for an L beyond kMaxBlobLength,
// without allocating what the file cannot hold.
Result<std::vector<uint8_t>> readBlob(const ByteSource& file, uint64_t behindMarker);

// Where the trailer that starts at `behindMarker` with a blob of `blobLength` ends: the file
// must end there too, or bytes that no signature covers follow it.
uint64_t trailerEnd(uint64_t behindMarker, size_t blobLength);

// Marker, L and blob, as they follow the signed bytes.
std::vector<uint8_t> encodeTrailer(std::span<const uint8_t> blob);

}  // namespace vexamor::signcore::appended
