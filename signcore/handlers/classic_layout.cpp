#include "signcore/handlers/classic_layout.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vexamor::signcore::classic {

Result<bool> checkVersion(const ByteSource& file) {
  std::array<uint8_t, kVersionText.size()> text{};
  Result<bool> read = file.readExactly(0, text, formatFault(E_INVALIDARG));
  if (!read.ok()) return read;
  if (std::memcmp(text.data(), kVersionText.data(), text.size()) != 0) {
    return formatFault(E_INVALIDARG);
  }
  return true;
}

Result<uint32_t> readPointer(const ByteSource& file) {
  std::array<uint8_t, kPointerSize> bytes{};
  Result<bool> read = file.readExactly(kPointerOffset, bytes, formatFault(E_INVALIDARG));
  if (!read.ok()) return read.fault();
  return loadLe32(bytes.data());
}

Result<uint32_t> readBlockLength(const ByteSource& file, uint32_t pointer) {
  std::array<uint8_t, kBlockHeaderSize> header{};
  Result<bool> read = file.readExactly(pointer, header, formatFault(E_FAIL));
  if (!read.ok()) return read.fault();
  if (loadLe32(header.data()) != pointer) return formatFault(E_FAIL);
  const uint32_t length = loadLe32(header.data() + 4);
  const uint64_t blobAt = uint64_t{pointer} + kBlockHeaderSize;
  // A length that no signature has, or that the file cannot hold, is refused before
  // anything is allocated for it.
  if (length > kMaxBlobLength) return formatFault(E_FAIL);
  if (file.size() < blobAt || file.size() - blobAt < length) return formatFault(E_FAIL);
  return length;
}

Result<Block> readBlock(const ByteSource& file, uint32_t pointer) {
  Result<uint32_t> length = readBlockLength(file, pointer);
  if (!length.ok()) return length.fault();
  Block block;
  block.pointer = pointer;
  block.blob.resize(*length);
  Result<bool> read =
      file.readExactly(uint64_t{pointer} + kBlockHeaderSize, block.blob, formatFault(E_FAIL));
  if (!read.ok()) return read.fault();
  return block;
}

Result<uint64_t> endOfDrawingData(const ByteSource& file, uint32_t pointer) {
  if (pointer == 0) return file.size();
  std::array<uint8_t, 4> count{};
  Result<bool> read = file.readExactly(kLocatorCountOffset, count, formatFault(E_FAIL));
  if (!read.ok()) return read.fault();
  const uint64_t records = loadLe32(count.data());
  if (records > (file.size() - std::min(file.size(), kLocatorsOffset)) / kLocatorSize) {
    return formatFault(E_FAIL);
  }
  std::vector<uint8_t> table(static_cast<size_t>(records * kLocatorSize));
  read = file.readExactly(kLocatorsOffset, table, formatFault(E_FAIL));
  if (!read.ok()) return read.fault();
  uint64_t end = 0;
  for (size_t i = 0; i < records; ++i) {
    const uint8_t* record = table.data() + i * kLocatorSize;
    end = std::max(end, uint64_t{loadLe32(record + 1)} + loadLe32(record + 5));
  }
  if (end < kHeaderEnd || end > file.size()) return formatFault(E_FAIL);
  return end;
}

std::vector<uint8_t> encodeBlock(uint32_t at, std::span<const uint8_t> blob) {
  std::vector<uint8_t> out(kBlockHeaderSize + blob.size());
  storeLe32(out.data(), at);
  storeLe32(out.data() + 4, static_cast<uint32_t>(blob.size()));
  std::copy(blob.begin(), blob.end(), out.begin() + kBlockHeaderSize);
  return out;
}

}  // namespace vexamor::signcore::classic
