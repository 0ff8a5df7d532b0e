// The signature stream of a container drawing, "DxDb:Signature". Integers are 32-bit
// little-endian:
//
//   H      header size, 16 + 4n
//   L      blob length
//   magic  0xABCDABCD
//   n      number of signed streams, at least 1
//   ids    n stream identifiers, in signing order
//   blob   L bytes
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "signcore/handlers/blob_limit.h"
#include "signcore/handlers/result.h"

namespace vexamor::signcore::signature_stream {

inline constexpr std::string_view kName = "DxDb:Signature";
inline constexpr uint32_t kMagic = 0xABCDABCD;
inline constexpr uint64_t kFixedHeaderSize = 16;

struct Content {
  std::vector<uint32_t> identifiers;
  std::vector<uint8_t> blob;
};

// Sequential reading of a stream whose size is known.
class Reader {
 public:
  virtual ~Reader() = default;
  virtual uint64_t size() const = 0;
  // Reads up to out.size() bytes at the position and advances it; fewer only at the end.
  virtual Result<size_t> read(std::span<uint8_t> out) = 0;
};

// Reads and checks the stream: E_UNEXPECTED for a wrong magic, no identifiers, a header size
// other than 16 + 4n, a blob length beyond kMaxBlobLength, any field or blob cut short, or
// bytes behind the blob. Nothing is allocated beyond what the stream holds. A failing read
// gives its own code.
Result<Content> read(Reader& stream);

std::vector<uint8_t> encode(const Content& content);

}  // namespace vexamor::signcore::signature_stream
