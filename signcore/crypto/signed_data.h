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
#include "signcore/crypto/note_text.h"
#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::signcore {

// Whether a message digest is too weak to bind a signature to its content (MD2, MD4, MD5).
bool isWeakDigest(int digestNid);

// The digest named by the certificate's own signature algorithm. Algorithms that name none
// of their own (RSA-PSS carries it in parameters, Ed25519 and Ed448 hash internally), weak
// ones and unknown ones sign with SHA-256.
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
  // Keeps the parsed message for the next reader of the same bytes (see parse()).
  ~SignatureBlob();

  // CRYPT_E_ASN1_EOD for a blob cut short, CRYPT_E_ASN1_BADTAG for other bytes that are no
  // DER message, CRYPT_E_INVALID_MSG_TYPE for a message that is not SignedData. A message
  // parsed a moment ago from the very same bytes is taken over instead of parsed again:
  // clients read a file's blob to verify it and then to show who signed it, and parsing
  // the certificate inside costs more than everything else about a small file.
  HRESULT parse(const BYTE* data, size_t size);

  // The certificate of the first signer (found by issuer and serial number among the blob's
  // certificates); without such a signer the blob's first certificate; null when it carries
  // none.
  X509* signerCertificate() const;
  STACK_OF(X509) * certificates() const;
  // The first signer; null when there is none.
  PKCS7_SIGNER_INFO* signerInfo() const { return signer_; }

  // The note bytes: the value of the first signer's unauthenticated attribute 2.5.29.14.
  // Nothing when there is no such attribute; CRYPT_E_ASN1_BADTAG when there are two, or its
  // value is not one OCTET STRING.
  HRESULT note(std::optional<std::string>* bytes) const;

  // Verification of the first signer over the content fed through update(), with the note
  // (when there is one) as the last block. CRYPT_E_NO_SIGNER, CRYPT_E_SIGNER_NOT_FOUND (its
  // certificate is not in the blob), CRYPT_E_INVALID_MSG_TYPE for a blob that carries
  // content of its own, NTE_BAD_ALGID for an MD2, MD4 or MD5 digest, NTE_BAD_SIGNATURE for an
  // unauthenticated attribute other than the note and a time-stamp token, CRYPT_E_UNKNOWN_ALGO;
  // then at the end NTE_BAD_SIGNATURE for a stored note that is not exactly the one
  // signing makes of its parts, NTE_BAD_SIGNATURE or CRYPT_E_HASH_VALUE for content that
  // does not match.
  HRESULT beginVerify();
  HRESULT update(const BYTE* data, size_t size);
  HRESULT finishVerify();
  // Why the last refusal happened, in words, where its code alone does not say it.
  const std::u16string& reason() const { return reason_; }

 private:
  ossl::Pkcs7 p7_;
  std::string bytes_;  // what p7_ was parsed from
  ossl::Bio digest_;
  PKCS7_SIGNER_INFO* signer_ = nullptr;
  X509* signerCert_ = nullptr;
  std::u16string reason_;
};

}  // namespace vexamor::signcore
