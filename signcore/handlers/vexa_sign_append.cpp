#include "signcore/handlers/vexa_sign_append.h"

#include <algorithm>

#include "platform/fileio/replace_file.h"
#include "signcore/crypto/crypt_codes.h"
#include "signcore/crypto/signed_data.h"
#include "signcore/handlers/appended_layout.h"
#include "signcore/handlers/byte_source.h"
#include "signcore/handlers/file_access.h"
#include "signcore/handlers/sign_file_object.h"
#include "signcore/handlers/vexa_get_data.h"

namespace vexamor::signcore {
namespace {

constexpr DWORD kErrorFileTooLarge = 223;

// Whether `blob` is what signing stores: a DER PKCS #7 SignedData. Anything else behind a
// marker is the file's own data that happens to quote the marker.
bool isSignatureBlob(const std::vector<uint8_t>& blob) {
  SignatureBlob parsed;
  return !blob.empty() && parsed.parse(blob.data(), blob.size()) == S_OK;
}

class AppendedFormat final : public SignedFileFormat {
 public:
  HRESULT isSigned(const OpenedFile& file, bool* isSigned) override {
    Result<uint64_t> marker = appended::findMarker(file.bytes);
    if (!marker.ok()) return marker.hr();
    *isSigned = *marker != 0;
    return S_OK;
  }

  HRESULT readSignature(const OpenedFile& file, bool withData, StoredSignature* out) override {
    Result<uint64_t> marker = appended::findMarker(file.bytes);
    if (!marker.ok()) return marker.hr();
    if (*marker == 0) return S_FALSE;
    Result<std::vector<uint8_t>> blob = appended::readBlob(file.bytes, *marker);
    if (!blob.ok()) return blob.hr();
    if (withData) {
      // The signature covers what comes before the marker; anything behind the trailer
      // (another archive appended, say) would be covered by nothing.
      if (appended::trailerEnd(*marker, blob->size()) != file.bytes.size()) {
        out->reason = u"The file has data after its signature.";
        return NTE_BAD_SIGNATURE;
      }
      const uint64_t end = *marker - appended::kMarker.size();
      const HRESULT hr = createFileRangeData(file.fd(), end, 0, 0, out->signedData.out());
      if (FAILED(hr)) return hr;
    }
    out->blob = std::move(*blob);
    return S_OK;
  }

  HRESULT sign(const OpenedFile& file, const ComputeBlob& compute) override {
    Result<uint64_t> marker = appended::findMarker(file.bytes);
    if (!marker.ok()) return marker.hr();
    // Behind an earlier signature the file is signed again in its place, and the new trailer
    // ends the file. A marker that no signature follows (a text quoting it, with whatever
    // bytes after it) is the file's own data and stays: the new marker then goes at the end,
    // like one for a file that has none.
    uint64_t end = file.bytes.size();
    if (*marker != 0) {
      Result<std::vector<uint8_t>> old = appended::readBlob(file.bytes, *marker);
      if (old.ok()) {
        if (isSignatureBlob(*old)) end = *marker - appended::kMarker.size();
      } else if (old.fault().systemError && old.hr() != HRESULT_FROM_WIN32(ERROR_HANDLE_EOF)) {
        return old.hr();
      }
    }

    std::vector<uint8_t> trailer;
    auto signData = [&]() -> HRESULT {
      com::ComPtr<IVexaGetData> data;
      HRESULT hr = createFileRangeData(file.fd(), end, 0, 0, data.out());
      if (FAILED(hr)) return hr;
      std::vector<uint8_t> blob;
      hr = compute(data.get(), &blob);
      if (FAILED(hr)) return hr;
      trailer = appended::encodeTrailer(blob);
      return checkFoundAgain(file.bytes, end, trailer);
    };
    auto writeTrailer = [&](int out, const std::string&) -> HRESULT {
      return HRESULT_FROM_WIN32(fileio::writeAll(out, trailer.data(), trailer.size()));
    };
    return replaceSignedFileCopying(file, end, signData, writeTrailer);
  }

 private:
  // A signature is written only where the marker search will find it again: within the last
  // 32768 bytes, and with no earlier hit (the marker's text inside the blob) in the way.
  static HRESULT checkFoundAgain(const ByteSource& file, uint64_t end,
                                 const std::vector<uint8_t>& trailer) {
    if (trailer.size() > appended::kSearchLimit) return HRESULT_FROM_WIN32(kErrorFileTooLarge);
    const uint64_t kept = std::min<uint64_t>(end, appended::kSearchLimit - trailer.size());
    std::vector<uint8_t> tail(static_cast<size_t>(kept));
    Result<bool> read = file.readExactly(end - kept, tail, systemFault(ERROR_HANDLE_EOF));
    if (!read.ok()) return read.hr();
    tail.insert(tail.end(), trailer.begin(), trailer.end());
    Result<uint64_t> found = appended::findMarker(MemorySource(tail));
    if (!found.ok()) return found.hr();
    return *found == kept + appended::kMarker.size() ? S_OK : HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  }
};

HRESULT create(REFIID riid, void** ppv) {
  return createSignFileObject(kVexaSignAppendClass, std::make_unique<AppendedFormat>(), riid,
                              ppv);
}

}  // namespace

const ClassInfo kVexaSignAppendClass = {CLSID_VexaSignAppend, IID_IVexaSignFile,
                                        kProgIdVexaSignAppend, "VexaSignAppend",
                                        "IVexaSignFile",       create};

}  // namespace vexamor::signcore
