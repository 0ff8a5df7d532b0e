// What a signature handler knows of its kind of file: whether a signature is there, which
// bytes it covers, where the blob is kept and how a signed file is written. The COM methods
// around it (argument checks, VexaSignature, the outputs) are the same for every handler.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "signcore/handlers/file_access.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore {

// Signs what `data` delivers and returns the blob.
using ComputeBlob = std::function<HRESULT(IVexaGetData* data, std::vector<uint8_t>* blob)>;

struct StoredSignature {
  std::vector<uint8_t> blob;
  com::ComPtr<IVexaGetData> signedData;  // the bytes the blob covers; set for verification
  // With a failing result: why the file is not validly signed, where the code's text alone
  // does not say it ("The file has data after its signature.").
  std::u16string reason;
};

// Each method works on a file that the caller opened once (for reading, or for writing when
// it signs) and reads it through that descriptor only.
class SignedFileFormat {
 public:
  virtual ~SignedFileFormat() = default;
  // S_OK with *isSigned, or a failure. Never reads more than the signature's frame: a file
  // manager asks this of every file it shows.
  virtual HRESULT isSigned(const OpenedFile& file, bool* isSigned) = 0;
  // The stored blob, and with `withData` the enumerator over the signed bytes, once the
  // file's layout holds nothing that the signature does not cover. S_FALSE when the file
  // carries no signature.
  virtual HRESULT readSignature(const OpenedFile& file, bool withData, StoredSignature* out) = 0;
  // Signs the file: `compute` is called once over the bytes to sign, then the file is
  // replaced with its signed form.
  virtual HRESULT sign(const OpenedFile& file, const ComputeBlob& compute) = 0;
};

}  // namespace vexamor::signcore
