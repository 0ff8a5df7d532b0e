#include "signcore/handlers/vexa_sign_drx.h"

#include "recognition.h"
#include "signcore/handlers/classic_format.h"
#include "signcore/handlers/container_format.h"
#include "signcore/handlers/sign_file_object.h"

namespace vexamor::signcore {
namespace {

// A path that names a container takes the container steps; anything else, a path that does
// not exist included, the classic ones.
class DrawingFormat final : public SignedFileFormat {
 public:
  HRESULT isSigned(const std::string& path, bool* isSigned) override {
    if (auto offset = container::findContainerHeader(path)) {
      return container_format::isSigned(path, *offset, isSigned);
    }
    return classic_->isSigned(path, isSigned);
  }
  HRESULT readSignature(const std::string& path, bool withData, StoredSignature* out) override {
    if (auto offset = container::findContainerHeader(path)) {
      return container_format::readSignature(path, *offset, withData, out);
    }
    return classic_->readSignature(path, withData, out);
  }
  HRESULT sign(const std::string& path, const ComputeBlob& compute) override {
    if (auto offset = container::findContainerHeader(path)) {
      return container_format::sign(path, *offset, compute);
    }
    return classic_->sign(path, compute);
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
