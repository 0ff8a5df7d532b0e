// Feeds arbitrary bytes to VexaSignature as a signature blob: ExtractSignatureInfo reads it
// and VerifySignature checks it against a fixed content. Neither may crash, leak, read past
// the blob, or give results that contradict their code (texts without success, S_OK without
// a match).
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "signature_fuzz_content.h"
#include "signcore/crypto/cert_store.h"
#include "signcore/crypto/crypt_codes.h"
#include "signcore/crypto/testing/memory_data.h"
#include "signcore/crypto/vexa_signature.h"

namespace {

using namespace vexamor;

IVexaSignature* signature() {
  static IVexaSignature* object = [] {
    void* p = nullptr;
    if (FAILED(signcore::kVexaSignatureClass.create(IID_IVexaSignature, &p))) __builtin_trap();
    return static_cast<IVexaSignature*>(p);
  }();
  return object;
}

void freeTexts(SIGNPARAMS& p) {
  for (BSTR s : {p.bstrCertSubject, p.bstrCertIssuer, p.bstrCertSerialNumber,
                 p.bstrCertSubjectEMail, p.bstrCertX500String, p.bstrComment, p.bstrTimestamp}) {
    SysFreeString(s);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // An empty store of its own: no input is ever checked against a user's certificates.
  static std::string folder = "/tmp/vexamor-signature-fuzz-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) __builtin_trap();
  setenv(vexamor::signcore::kCertificateFolderVariable, folder.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 1 << 20) return 0;
  std::vector<BYTE> blob(data, data + size);  // exactly the input: a read past it is caught
  const LONG length = static_cast<LONG>(size);

  SIGNPARAMS params{};
  IVexaSystemTime* notBefore = nullptr;
  IVexaSystemTime* notAfter = nullptr;
  const HRESULT extracted =
      signature()->ExtractSignatureInfo(length, blob.data(), &params, &notBefore, &notAfter);
  if (SUCCEEDED(extracted)) {
    if (notBefore == nullptr || notAfter == nullptr || params.bstrCertSerialNumber == nullptr ||
        params.cbSize != kSignParamsSize) {
      __builtin_trap();
    }
    notBefore->Release();
    notAfter->Release();
    freeTexts(params);
  } else if (notBefore != nullptr || notAfter != nullptr || params.bstrCertSubject != nullptr) {
    __builtin_trap();
  }

  signcore::testing::MemoryData content(std::string(fuzzing::kSignedContent),
                                        fuzzing::kSignedContentBlock);
  LONG result = -1;
  const HRESULT verified = signature()->VerifySignature(&content, length, blob.data(), &result);
  const bool matched = verified == S_OK || verified == TRUST_E_CERT_SIGNATURE;
  if ((matched && result != 1) || (!matched && result != 0)) __builtin_trap();
  SetErrorInfo(0, nullptr);
  return 0;
}
