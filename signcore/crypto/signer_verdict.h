// Whether the signer of a signature, and the certificate of a signer, may be trusted: the
// chain to a trust anchor, the certificate's fitness for signing, the signature's time-stamp
// token and the revocation of every certificate below the anchors.
//
// A signature with a genuine token is judged at the token's time: its signer's chain must
// hold then, and a revocation dated after it does not count. Without a token, a chain that
// holds but for a certificate that has merely expired (or is not valid yet) is accepted, as
// signatures made with such certificates always have been, and any revocation counts.
#pragma once

#include <string>

#include "platform/com/win32_types.h"
#include "signcore/crypto/openssl_ptr.h"
#include "signcore/crypto/revocation.h"
#include "signcore/crypto/signed_data.h"
#include "signcore/crypto/trust_chain.h"

namespace vexamor::signcore {

// How revocation is checked.
struct TrustOptions {
  RevocationMode mode = RevocationMode::kSoft;
  bool cacheOnly = true;  // answers from the revocation cache alone, no network
  long timeoutMs = 5000;  // each fetch, when fetching
};

// What the methods without options (VerifySignature, VerifyCertificate, and through them the
// handlers' VerifySign that the icon overlay calls) check: soft, from the cache alone, so
// that they never wait on the network, unless bit 0 of the REG_DWORD value "RevocationFetch"
// under HKEY_CURRENT_USER\Software\Vexamor\Vexamor Digital Signatures lets them fetch.
TrustOptions defaultTrustOptions();

// Options from VEXA_REVOCATION flags: a mode (0 none, 1 soft, 2 hard) and 0x100 for the cache
// alone. False for other values.
bool trustOptionsFromFlags(LONG flags, TrustOptions* options);

struct SignerVerdict {
  HRESULT hr = S_OK;
  LONG result = 1;  // what *bResult says: 0 for a signature that is not valid
  LONG trustStatus = CERT_TRUST_NO_ERROR;
  std::u16string reason;  // a failure's reason, after the code's own text; may be empty
  std::string text;       // on success, what holds besides the signature, "" when nothing
};

// Judges the signer of `blob`, whose signature has been found to match its content.
// Failures: TRUST_E_TIME_STAMP for a token that is not genuine, is not over this signature's
// value or is dated outside the signer certificate's validity (the signature is not valid);
// TRUST_E_CERT_SIGNATURE for a chain that does not hold or a certificate not meant for
// signing (*bResult stays 1, as for a chain that does not hold); CRYPT_E_REVOKED, and under
// the hard mode CRYPT_E_REVOCATION_OFFLINE and CRYPT_E_NO_REVOCATION_CHECK. The trust status
// holds CERT_TRUST_IS_REVOKED for a revoked certificate and, under the hard mode,
// CERT_TRUST_REVOCATION_STATUS_UNKNOWN for one whose status cannot be learnt.
SignerVerdict judgeSigner(const SignatureBlob& blob, const std::string& certificateFolder,
                          const TrustOptions& options);

// VerifyCertificate's status of a certificate: its chain now, its fitness for signing and,
// when the chain holds, the revocation bits as judgeSigner sets them.
LONG certificateTrustStatus(X509* cert, const std::string& certificateFolder,
                            const TrustOptions& options);

}  // namespace vexamor::signcore
