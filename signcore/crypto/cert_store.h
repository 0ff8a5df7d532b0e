// The user's certificate stores: folders of PEM files under one certificate folder.
//
//   <certificate folder>/My/    the personal store: <thumbprint>.pem certificates and, when
//                               the user holds the private key, <thumbprint>.key (mode 0600)
//   <certificate folder>/CA/    intermediate authorities that chains may pass through
//   <certificate folder>/Root/  the user's own trust anchors (the system CA bundle is
//                               trusted as well, see trust_chain.h)
//
// The certificate folder is $VEXAMOR_CERTIFICATES when that is set (tests point it at a
// folder of their own), else $XDG_DATA_HOME/vexamor/certificates, else
// ~/.local/share/vexamor/certificates. The thumbprint is the SHA-1 of the certificate's DER
// encoding in lower-case hexadecimal, and store order is file-name order.
//
// Only `dxsign certs import` and `remove` write a store. Every file is replaced whole, and a
// certificate with its key is added key first and removed certificate first: the certificate
// file is what makes an entry exist, so a change cut short leaves the old entry or the new
// one, at most with a key file that no certificate names (which is never read).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/win32_types.h"
#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::signcore {

inline constexpr const char* kCertificateFolderVariable = "VEXAMOR_CERTIFICATES";

// The folder holding My/, CA/ and Root/ (see above).
std::string certificateFolder();

enum class StoreName { My, CA, Root };
const char* storeFolderName(StoreName name);  // "My", "CA", "Root"

struct StoredCertificate {
  std::string thumbprint;
  ossl::X509Ptr cert;
  bool hasKey = false;
};

class CertStore {
 public:
  explicit CertStore(StoreName name,
                     const std::string& certificateFolder = signcore::certificateFolder());

  const std::string& folder() const { return folder_; }

  // Every certificate in store order. A store that does not exist yet is empty; a file that
  // does not hold a PEM certificate is passed over.
  std::vector<StoredCertificate> certificates() const;
  // The certificates alone, for chain building.
  ossl::X509Stack certificateStack() const;

  // The private key held for a certificate; null when there is none or it cannot be read.
  ossl::PKey privateKey(const std::string& thumbprint) const;

  // Adds a certificate, with its private key when `key` is not null (which must belong to it).
  // An entry that is already there is replaced. ERROR_SUCCESS or a Win32 code.
  DWORD add(X509* cert, EVP_PKEY* key) const;
  // Removes a certificate and its key. ERROR_FILE_NOT_FOUND when the store has no such entry.
  DWORD remove(const std::string& thumbprint) const;

  static std::string thumbprint(X509* cert);

 private:
  std::string certificatePath(const std::string& thumbprint) const;
  std::string keyPath(const std::string& thumbprint) const;

  std::string folder_;
};

// The first certificate of the store, in store order, that the three texts name: `subject`
// a case-insensitive part of its subject, `issuer` and `serial` its issuer display name and
// serial text ignoring case (cert_text.h).
std::optional<StoredCertificate> findCertificate(const CertStore& store,
                                                 std::u16string_view subject,
                                                 std::u16string_view issuer,
                                                 std::u16string_view serial);

}  // namespace vexamor::signcore
