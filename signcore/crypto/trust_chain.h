// Chain building and the trust status that clients read: the error bits of the platform's
// chain engine, collected over every error that OpenSSL meets on the way to a trust anchor.
// Trust anchors are the user's Root store and the system CA bundle (OpenSSL's default
// certificate folder, or file, honouring SSL_CERT_DIR and SSL_CERT_FILE).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/win32_types.h"
#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::signcore {

// Trust error status bits, with the values clients test for.
inline constexpr LONG CERT_TRUST_NO_ERROR = 0x00000000;
inline constexpr LONG CERT_TRUST_IS_NOT_TIME_VALID = 0x00000001;
inline constexpr LONG CERT_TRUST_IS_REVOKED = 0x00000004;
inline constexpr LONG CERT_TRUST_IS_NOT_SIGNATURE_VALID = 0x00000008;
inline constexpr LONG CERT_TRUST_IS_NOT_VALID_FOR_USAGE = 0x00000010;
inline constexpr LONG CERT_TRUST_IS_UNTRUSTED_ROOT = 0x00000020;
inline constexpr LONG CERT_TRUST_REVOCATION_STATUS_UNKNOWN = 0x00000040;
inline constexpr LONG CERT_TRUST_IS_CYCLIC = 0x00000080;
inline constexpr LONG CERT_TRUST_INVALID_EXTENSION = 0x00000100;
inline constexpr LONG CERT_TRUST_INVALID_POLICY_CONSTRAINTS = 0x00000200;
inline constexpr LONG CERT_TRUST_INVALID_BASIC_CONSTRAINTS = 0x00000400;
inline constexpr LONG CERT_TRUST_INVALID_NAME_CONSTRAINTS = 0x00000800;
inline constexpr LONG CERT_TRUST_HAS_NOT_SUPPORTED_NAME_CONSTRAINT = 0x00001000;
inline constexpr LONG CERT_TRUST_HAS_NOT_PERMITTED_NAME_CONSTRAINT = 0x00004000;
inline constexpr LONG CERT_TRUST_HAS_EXCLUDED_NAME_CONSTRAINT = 0x00008000;
inline constexpr LONG CERT_TRUST_IS_PARTIAL_CHAIN = 0x00010000;
inline constexpr LONG CERT_TRUST_HAS_WEAK_SIGNATURE = 0x00100000;
inline constexpr LONG CERT_TRUST_IS_EXPLICIT_DISTRUST = 0x04000000;

// The bit that an OpenSSL verification error (X509_V_ERR_...) stands for. An error that the
// table does not know counts as a signature that cannot be checked, so no error is ever lost.
LONG trustStatusForVerifyError(int error);

// The status bits in words, most significant concern first: "not time valid, partial chain".
std::string trustStatusWords(LONG status);

// The certificates that a chain may pass through on its way to a trust anchor: the personal
// store, the intermediate authorities and, for a signature, the certificates it carries.
ossl::X509Stack chainCandidates(const std::string& certificateFolder, STACK_OF(X509) * carried);

// The trust anchors: the user's Root store and the system's certificates, read once and kept,
// shared by every thread, until the Root folder, one of its files or the system certificates
// change. Null only when there is no memory for them.
using SharedAnchors = std::shared_ptr<X509_STORE>;
SharedAnchors trustAnchorStore(const std::string& certificateFolder);

// What a chain is built for: a purpose (X509_PURPOSE_TIMESTAMP_SIGN for a time-stamping
// authority; 0 for none) and the time at which it must hold (a time stamp's time; nothing for
// now).
struct ChainRequest {
  int purpose = 0;
  std::optional<int64_t> at;
};

struct ChainCheck {
  LONG status = CERT_TRUST_NO_ERROR;  // the OR of the bits of every error met
  bool sha1Signed = false;            // a certificate of the chain is signed with SHA-1
  ossl::X509Stack chain;              // `cert` first, as far as it was built; the anchor last
};

// Builds the chain of `cert` to one of `anchors`, looking for issuers among `untrusted`, and
// collects every error on the way. A chain that cannot even be attempted (no memory) is a
// partial chain. Keys under 1024 RSA bits and certificates signed with MD5 are weak
// (CERT_TRUST_HAS_WEAK_SIGNATURE); certificates signed with SHA-1 are accepted, for the files
// signed with them, and reported in `sha1Signed`. Against the anchors trustAnchorStore keeps,
// the check is kept too, by purpose and the SHA-256 of `cert` and of every certificate of
// `untrusted`, and given again for any time within the validity of the whole chain; new
// anchors start afresh.
ChainCheck checkChain(X509_STORE* anchors, X509* cert, STACK_OF(X509) * untrusted,
                      const ChainRequest& request = {});
// The same against the trust anchors of `certificateFolder`.
ChainCheck checkChain(X509* cert, STACK_OF(X509) * untrusted, const std::string& certificateFolder,
                      const ChainRequest& request = {});

// checkChain's status at the current time with no usage requirement; `sha1Signed` (when
// given) says that the chain holds a certificate signed with SHA-1.
LONG chainTrustStatus(X509* cert, STACK_OF(X509) * untrusted, const std::string& certificateFolder,
                      bool* sha1Signed = nullptr);

// CERT_TRUST_IS_NOT_VALID_FOR_USAGE for a certificate that is not meant for signing: its key
// usage, when it has one, allows neither digitalSignature nor nonRepudiation, or its extended
// key usage, when it has one, names none of emailProtection, codeSigning, document signing
// (1.3.6.1.5.5.7.3.36 and the platform's 1.3.6.1.4.1.311.10.3.12) and anyExtendedKeyUsage.
// A certificate without those extensions may sign.
LONG signingUsageStatus(X509* cert);

}  // namespace vexamor::signcore
