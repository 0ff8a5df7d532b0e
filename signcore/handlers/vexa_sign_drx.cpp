#include "signcore/handlers/vexa_sign_drx.h"

#include <array>
#include <optional>
#include <span>

#include "recognition.h"
#include "signcore/handlers/classic_format.h"
#include "signcore/handlers/container_format.h"
#include "signcore/handlers/sign_file_object.h"

namespace vexamor::signcore {
namespace {

// Where a container's header lies, when the opened file is one: recognised in the bytes at
// its start, as they are read through the descriptor every later step uses.
std::optional<uint64_t> containerHeader(const OpenedFile& file) {
  std::array<uint8_t, 1024> leading{};
  Result<size_t> got = file.bytes.readAt(0, leading);
  if (!got.ok()) return std::nullopt;
  return container::findContainerHeader(std::span<const uint8_t>(leading.data(), *got));
}

// A file that is a container takes the container steps; anything else the classic ones.
class DrawingFormat final : public SignedFileFormat {
 public:
  HRESULT isSigned(const OpenedFile& file, bool* isSigned) override {
    if (auto offset = containerHeader(file)) {
      return container_format::isSigned(file, *offset, isSigned);
    }
    return classic_->isSigned(file, isSigned);
  }
  HRESULT readSignature(const OpenedFile& file, bool withData, StoredSignature* out) override {
    if (auto offset = containerHeader(file)) {
      return container_format::readSignature(file, *offset, withData, out);
    }
    return classic_->readSignature(file, withData, out);
  }
  HRESULT sign(const OpenedFile& file, const ComputeBlob& compute) override {
    if (auto offset = containerHeader(file)) {
      return container_format::sign(file, *offset, compute);
    }
    return classic_->sign(file, compute);
  }

 private:
  std::unique_ptr<SignedFileFormat> classic_ = makeClassicFormat();
};

HRESULT create(REFIID riid, void** ppv) {
  return createSignFileObject(kVexaSignDRXClass, std::make_unique<DrawingFormat>(), riid, ppv);
}

}  // namespace

const ClassInfo kVexaSignDRXClass = {CLSID_VexaSignDRX,  IID_IVexaSignFile, kProgIdVexaSignDRX,
                                     "VexaSignDRX",      "IVexaSignFile",   create};

}  // namespace vexamor::signcore
