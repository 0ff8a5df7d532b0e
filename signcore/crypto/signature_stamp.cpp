#include "signcore/crypto/signature_stamp.h"

#include "platform/com/utf.h"
#include "signcore/crypto/signed_data.h"
#include "signcore/crypto/trust_chain.h"

namespace vexamor::signcore {

HRESULT stampSignature(const std::string& blob, const TimestampOrder& order,
                       const std::string& certificateFolder, std::string* stamped,
                       std::u16string* reason) {
  reason->clear();
  SignatureBlob parsed;
  if (HRESULT hr = parsed.parse(reinterpret_cast<const BYTE*>(blob.data()), blob.size());
      FAILED(hr)) {
    return hr;
  }
  std::optional<std::string> note;
  if (HRESULT hr = parsed.note(&note); FAILED(hr)) return hr;
  if (!note || parsed.signerInfo() == nullptr) {
    *reason = u"A time-stamped signature needs a comment or a time-stamp text.";
    return E_INVALIDARG;
  }
  const SharedAnchors anchors = trustAnchorStore(certificateFolder);
  ossl::X509Stack candidates = chainCandidates(certificateFolder, parsed.certificates());
  const TimestampOutcome outcome =
      requestTimestamp(signatureValue(parsed.signerInfo()), order, anchors.get(), candidates.get());
  if (FAILED(outcome.hr)) {
    std::string why = "No time-stamping authority gave a time stamp:";
    for (const std::string& failure : outcome.failures) why += " " + failure + ";";
    why.back() = '.';
    *reason = text::utf8ToUtf16(why);
    return outcome.hr;
  }
  return addTimestampToken(blob, outcome.token, stamped);
}

}  // namespace vexamor::signcore
