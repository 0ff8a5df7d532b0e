// The signature blob: a DER detached PKCS #7 SignedData with one signer, the signer's
// certificate and nothing else, no authenticated attributes, and optionally the note (the
// time stamp and comment) both as the one unauthenticated attribute and as the last block of
// the signed content. Signing and verifying stream: every block goes into the digest as it
// arrives and nothing of the content is kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/com/win32_types.h"
#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::signcore {

inline constexpr size_t kCommentLimit = 8192;    // characters of a comment that are signed
inline constexpr size_t kTimestampLimit = 1024;  // characters of a time stamp read back

// The note text: the time stamp's length in decimal, ";", the time stamp, then the comment
// cut to kCommentLimit characters. Empty when both are empty. Each text ends at its first
// zero character.
std::u16string makeNote(std::u16string_view timestamp, std::u16string_view comment);
// The note as it is signed and stored: UTF-16LE with the terminating zero character.
std::string noteBytes(std::u16string_view note);

struct NoteParts {
  std::u16string timestamp;
  std::u16string comment;
};
// Reads stored note bytes back: a decimal number n, one separator character (whatever it
// is), n characters of time stamp (at most kTimestampLimit kept), the rest the comment. A
// number larger than what follows takes what there is; text without a leading number is all
// comment.
NoteParts parseNote(std::string_view bytes);

// The digest named by the certificate's own signature algorithm. Algorithms that name none
// of their own (RSA-PSS carries it in parameters, Ed25519 and Ed448 hash internally) and
// unknown ones sign with SHA-256.
const EVP_MD* signingDigest(X509* cert);

// Makes a blob: begin, update with every block, finish.
class SignatureWriter {
 public:
  SignatureWriter() = default;
  SignatureWriter(const SignatureWriter&) = delete;
  SignatureWriter& operator=(const SignatureWriter&) = delete;

  // NTE_BAD_KEYSET when the key cannot sign for this certificate.
  HRESULT begin(X509* cert, EVP_PKEY* key);
  HRESULT update(const BYTE* data, size_t size);
  // Signs the note bytes last (when not empty), stores them as the note attribute and
  // encodes the blob.
  HRESULT finish(const std::string& note, std::string* der);

 private:
  ossl::Pkcs7 p7_;
  ossl::Bio digest_;
  PKCS7_SIGNER_INFO* signer_ = nullptr;  // owned by p7_
};

// A blob read back: its signer's certificate, its note, and streaming verification.
class SignatureBlob {
 public:
  SignatureBlob() = default;
  SignatureBlob(const SignatureBlob&) = delete;
  SignatureBlob& operator=(const SignatureBlob&) = delete;

  // CRYPT_E_ASN1_EOD for a blob cut short, CRYPT_E_ASN1_BADTAG for other bytes that are no
  // DER message, CRYPT_E_INVALID_MSG_TYPE for a message that is not SignedData.
  HRESULT parse(const BYTE* data, size_t size);

  // The certificate of the first signer (found by issuer and serial number among the blob's
  // certificates); without such a signer the blob's first certificate; null when it carries
  // none.
  X509* signerCertificate() const;
  STACK_OF(X509) * certificates() const;

  // The note bytes: the first value of the first signer's first unauthenticated attribute.
  // Nothing when there is no such attribute; CRYPT_E_ASN1_BADTAG when its value is not an
  // OCTET STRING.
  HRESULT note(std::optional<std::string>* bytes) const;

  // Verification of the first signer over the content fed through update(), with the note
  // bytes (when there are any) as the last block. CRYPT_E_NO_SIGNER, CRYPT_E_SIGNER_NOT_FOUND
  // (its certificate is not in the blob), CRYPT_E_UNKNOWN_ALGO, then at the end
  // NTE_BAD_SIGNATURE or CRYPT_E_HASH_VALUE for content that does not match.
  HRESULT beginVerify();
  HRESULT update(const BYTE* data, size_t size);
  HRESULT finishVerify();

 private:
  ossl::Pkcs7 p7_;
  ossl::Bio digest_;
  PKCS7_SIGNER_INFO* signer_ = nullptr;
  X509* signerCert_ = nullptr;
};

}  // namespace vexamor::signcore
