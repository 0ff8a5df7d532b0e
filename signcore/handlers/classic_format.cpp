#include "signcore/handlers/classic_format.h"

#include "platform/fileio/replace_file.h"
#include "signcore/handlers/byte_source.h"
#include "signcore/handlers/classic_layout.h"
#include "signcore/handlers/file_access.h"
#include "signcore/handlers/vexa_get_data.h"

namespace vexamor::signcore {
namespace {

constexpr DWORD kErrorFileTooLarge = 223;

// Whether the file's pointer is set and leads to a block that reads back, without reading the
// blob. A pointer or a block that does not read back is "not signed" unless a system call
// failed.
Result<bool> hasBlock(const ByteSource& file) {
  Result<uint32_t> pointer = classic::readPointer(file);
  if (!pointer.ok()) {
    if (pointer.fault().systemError) return pointer.fault();
    return false;
  }
  if (*pointer == 0) return false;
  Result<uint32_t> length = classic::readBlockLength(file, *pointer);
  if (!length.ok()) {
    if (length.fault().systemError) return length.fault();
    return false;
  }
  return true;
}

// The block of a file whose pointer is set, or nothing for an unsigned file, with the same
// reading of faults.
Result<std::optional<classic::Block>> findBlock(const ByteSource& file) {
  Result<bool> present = hasBlock(file);
  if (!present.ok()) return present.fault();
  if (!*present) return std::optional<classic::Block>();
  Result<uint32_t> pointer = classic::readPointer(file);
  if (!pointer.ok()) return pointer.fault();
  Result<classic::Block> block = classic::readBlock(file, *pointer);
  if (!block.ok()) {
    if (block.fault().systemError) return block.fault();
    return std::optional<classic::Block>();
  }
  return std::optional<classic::Block>(std::move(*block));
}

class ClassicFormat final : public SignedFileFormat {
 public:
  HRESULT isSigned(const OpenedFile& file, bool* isSigned) override {
    Result<bool> present = hasBlock(file.bytes);
    if (!present.ok()) return present.hr();
    *isSigned = *present;
    return S_OK;
  }

  HRESULT readSignature(const OpenedFile& file, bool withData, StoredSignature* out) override {
    if (Result<bool> version = classic::checkVersion(file.bytes); !version.ok()) {
      return version.hr();
    }
    Result<std::optional<classic::Block>> block = findBlock(file.bytes);
    if (!block.ok()) return block.hr();
    if (!block->has_value()) return S_FALSE;
    classic::Block& found = **block;
    if (withData) {
      const HRESULT hr = createFileRangeData(file.fd(), found.pointer, classic::kPointerOffset,
                                             classic::kPointerSize, out->signedData.out());
      if (FAILED(hr)) return hr;
    }
    out->blob = std::move(found.blob);
    return S_OK;
  }

  HRESULT sign(const OpenedFile& file, const ComputeBlob& compute) override {
    if (Result<bool> version = classic::checkVersion(file.bytes); !version.ok()) {
      return version.hr();
    }
    Result<uint32_t> pointer = classic::readPointer(file.bytes);
    if (!pointer.ok()) return pointer.hr();
    Result<uint64_t> end = classic::endOfDrawingData(file.bytes, *pointer);
    if (!end.ok()) return end.hr();
    // The pointer has 32 bits; a block further out could not be found again.
    if (*end > UINT32_MAX) return HRESULT_FROM_WIN32(kErrorFileTooLarge);
    const auto at = static_cast<uint32_t>(*end);

    // The new file: the drawing data as signed, the pointer set, the block behind the data.
    // Whatever lay behind the old block (the tail of a longer blob) is not carried over.
    std::vector<uint8_t> blob;
    auto signData = [&]() -> HRESULT {
      com::ComPtr<IVexaGetData> data;
      const HRESULT hr = createFileRangeData(file.fd(), at, classic::kPointerOffset,
                                             classic::kPointerSize, data.out());
      if (FAILED(hr)) return hr;
      return compute(data.get(), &blob);
    };
    auto writeBlock = [&](int out, const std::string&) -> HRESULT {
      if (blob.size() > kMaxBlobLength) return HRESULT_FROM_WIN32(kErrorFileTooLarge);
      const std::vector<uint8_t> block = classic::encodeBlock(at, blob);
      if (DWORD rc = fileio::writeAll(out, block.data(), block.size()); rc != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(rc);
      }
      uint8_t pointerBytes[classic::kPointerSize];
      storeLe32(pointerBytes, at);
      return HRESULT_FROM_WIN32(
          fileio::writeAt(out, classic::kPointerOffset, pointerBytes, classic::kPointerSize));
    };
    return replaceSignedFileCopying(file, at, signData, writeBlock);
  }
};

}  // namespace

std::unique_ptr<SignedFileFormat> makeClassicFormat() {
  return std::make_unique<ClassicFormat>();
}

}  // namespace vexamor::signcore
