#include "signcore/handlers/signature_stream.h"

#include <array>

#include "signcore/handlers/byte_source.h"

namespace vexamor::signcore::signature_stream {
namespace {

Result<bool> readExactly(Reader& stream, std::span<uint8_t> out) {
  Result<size_t> got = stream.read(out);
  if (!got.ok()) return got.fault();
  if (*got != out.size()) return formatFault(E_UNEXPECTED);
  return true;
}

}  // namespace

Result<Content> read(Reader& stream) {
  std::array<uint8_t, kFixedHeaderSize> fixed{};
  Result<bool> r = readExactly(stream, fixed);
  if (!r.ok()) return r.fault();
  const uint64_t headerSize = loadLe32(fixed.data());
  const uint32_t blobLength = loadLe32(fixed.data() + 4);
  const uint32_t count = loadLe32(fixed.data() + 12);
  if (loadLe32(fixed.data() + 8) != kMagic || count == 0 ||
      headerSize != kFixedHeaderSize + uint64_t{4} * count) {
    return formatFault(E_UNEXPECTED);
  }
  // A header or blob that claims more than the stream holds, or a stream that holds more
  // than they claim, is refused before allocating.
  if (blobLength > kMaxBlobLength || headerSize > stream.size() ||
      stream.size() - headerSize != blobLength) {
    return formatFault(E_UNEXPECTED);
  }
  std::vector<uint8_t> ids(static_cast<size_t>(headerSize - kFixedHeaderSize));
  r = readExactly(stream, ids);
  if (!r.ok()) return r.fault();
  Content content;
  content.identifiers.reserve(count);
  for (uint32_t i = 0; i < count; ++i) content.identifiers.push_back(loadLe32(&ids[4 * i]));
  content.blob.resize(blobLength);
  r = readExactly(stream, content.blob);
  if (!r.ok()) return r.fault();
  return content;
}

std::vector<uint8_t> encode(const Content& content) {
  const size_t n = content.identifiers.size();
  std::vector<uint8_t> out(kFixedHeaderSize + 4 * n);
  storeLe32(out.data(), static_cast<uint32_t>(kFixedHeaderSize + 4 * n));
  storeLe32(out.data() + 4, static_cast<uint32_t>(content.blob.size()));
  storeLe32(out.data() + 8, kMagic);
  storeLe32(out.data() + 12, static_cast<uint32_t>(n));
  for (size_t i = 0; i < n; ++i) storeLe32(&out[kFixedHeaderSize + 4 * i], content.identifiers[i]);
  out.insert(out.end(), content.blob.begin(), content.blob.end());
  return out;
}

}  // namespace vexamor::signcore::signature_stream
