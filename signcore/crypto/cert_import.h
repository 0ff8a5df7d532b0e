// Reading the files that users bring certificates in: PKCS #12 (.p12, .pfx) with its
// password, and PEM or DER certificates with or without a PEM private key.
#pragma once

#include <string>
#include <vector>

#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::signcore {

struct CertificateBundle {
  ossl::X509Ptr leaf;  // the certificate the key belongs to; without a key, the first one
  ossl::PKey key;      // null when the file holds none
  std::vector<ossl::X509Ptr> others;  // the rest, usually the issuers of `leaf`
};

enum class BundleResult {
  kOk,
  kNeedsPassword,          // a password-protected file, and no password was given
  kWrongPassword,          // the password does not open it (or its integrity check fails)
  kNotCertificates,        // neither PKCS #12 nor a PEM or DER certificate
  kKeyWithoutCertificate,  // a private key alone
  kKeyDoesNotMatch,        // a private key that belongs to none of its certificates
};

// Reads `bytes`. `password` null means none was given: a PKCS #12 file protected by the empty
// password opens without one.
BundleResult readCertificateFile(const std::string& bytes, const std::string* password,
                                 CertificateBundle* out);

// Whether a certificate is signed by its own key: a root.
bool isSelfSigned(X509* cert);

}  // namespace vexamor::signcore
