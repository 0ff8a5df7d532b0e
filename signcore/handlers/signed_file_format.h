// What a signature handler knows of its kind of file: whether a signature is there, which
// bytes it covers, where the blob is kept and how a signed file is written. The COM methods
// around it (argument checks, VexaSignature, the outputs) are the same for every handler.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore {

// Signs what `data` delivers and returns the blob.
using ComputeBlob = std::function<HRESULT(IVexaGetData* data, std::vector<uint8_t>* blob)>;

struct StoredSignature {
  std::vector<uint8_t> blob;
  com::ComPtr<IVexaGetData> signedData;  // the bytes the blob covers; set for verification
};

class SignedFileFormat {
 public:
  virtual ~SignedFileFormat() = default;
  // S_OK with *isSigned, or a failure.
  virtual HRESULT isSigned(const std::string& path, bool* isSigned) = 0;
  // The stored blob, and with `withData` the enumerator over the signed bytes. S_FALSE when
  // the file carries no signature.
  virtual HRESULT readSignature(const std::string& path, bool withData, StoredSignature* out) = 0;
  // Signs the file: `compute` is called once over the bytes to sign, then the file is
  // replaced with its signed form.
  virtual HRESULT sign(const std::string& path, const ComputeBlob& compute) = 0;
};

}  // namespace vexamor::signcore
