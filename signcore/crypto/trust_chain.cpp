#include "signcore/crypto/trust_chain.h"

#include <dirent.h>
#include <sys/stat.h>

#include <openssl/x509v3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <utility>

#include "signcore/crypto/cert_store.h"

namespace vexamor::signcore {
namespace {

struct ErrorBit {
  int error;
  LONG bit;
};

// Every OpenSSL verification error that a chain can meet here, with the trust bit it sets.
// Revocation is checked apart from the chain (revocation.h), with no CRLs in the store, so the
// CRL errors can only come from a caller's own CRLs; they stand for an unknown revocation
// status.
constexpr ErrorBit kErrorBits[] = {
    {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT, CERT_TRUST_IS_PARTIAL_CHAIN},
    {X509_V_ERR_UNABLE_TO_GET_CRL, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_UNABLE_TO_DECRYPT_CERT_SIGNATURE, CERT_TRUST_IS_NOT_SIGNATURE_VALID},
    {X509_V_ERR_UNABLE_TO_DECRYPT_CRL_SIGNATURE, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_UNABLE_TO_DECODE_ISSUER_PUBLIC_KEY, CERT_TRUST_IS_NOT_SIGNATURE_VALID},
    {X509_V_ERR_CERT_SIGNATURE_FAILURE, CERT_TRUST_IS_NOT_SIGNATURE_VALID},
    {X509_V_ERR_CRL_SIGNATURE_FAILURE, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_CERT_NOT_YET_VALID, CERT_TRUST_IS_NOT_TIME_VALID},
    {X509_V_ERR_CERT_HAS_EXPIRED, CERT_TRUST_IS_NOT_TIME_VALID},
    {X509_V_ERR_CRL_NOT_YET_VALID, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_CRL_HAS_EXPIRED, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD, CERT_TRUST_IS_NOT_TIME_VALID},
    {X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD, CERT_TRUST_IS_NOT_TIME_VALID},
    {X509_V_ERR_ERROR_IN_CRL_LAST_UPDATE_FIELD, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_ERROR_IN_CRL_NEXT_UPDATE_FIELD, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT, CERT_TRUST_IS_UNTRUSTED_ROOT},
    {X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN, CERT_TRUST_IS_UNTRUSTED_ROOT},
    {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY, CERT_TRUST_IS_PARTIAL_CHAIN},
    {X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE, CERT_TRUST_IS_PARTIAL_CHAIN},
    {X509_V_ERR_CERT_CHAIN_TOO_LONG, CERT_TRUST_IS_PARTIAL_CHAIN},
    {X509_V_ERR_CERT_REVOKED, CERT_TRUST_IS_REVOKED},
    {X509_V_ERR_INVALID_CA, CERT_TRUST_INVALID_BASIC_CONSTRAINTS},
    {X509_V_ERR_PATH_LENGTH_EXCEEDED, CERT_TRUST_INVALID_BASIC_CONSTRAINTS},
    {X509_V_ERR_INVALID_PURPOSE, CERT_TRUST_IS_NOT_VALID_FOR_USAGE},
    {X509_V_ERR_CERT_UNTRUSTED, CERT_TRUST_IS_NOT_VALID_FOR_USAGE},
    {X509_V_ERR_CERT_REJECTED, CERT_TRUST_IS_EXPLICIT_DISTRUST},
    {X509_V_ERR_SUBJECT_ISSUER_MISMATCH, CERT_TRUST_IS_PARTIAL_CHAIN},
    {X509_V_ERR_AKID_SKID_MISMATCH, CERT_TRUST_IS_PARTIAL_CHAIN},
    {X509_V_ERR_AKID_ISSUER_SERIAL_MISMATCH, CERT_TRUST_IS_PARTIAL_CHAIN},
    {X509_V_ERR_KEYUSAGE_NO_CERTSIGN, CERT_TRUST_IS_NOT_VALID_FOR_USAGE},
    {X509_V_ERR_UNABLE_TO_GET_CRL_ISSUER, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_UNHANDLED_CRITICAL_EXTENSION, CERT_TRUST_INVALID_EXTENSION},
    {X509_V_ERR_KEYUSAGE_NO_CRL_SIGN, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_UNHANDLED_CRITICAL_CRL_EXTENSION, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_INVALID_NON_CA, CERT_TRUST_INVALID_BASIC_CONSTRAINTS},
    {X509_V_ERR_PROXY_PATH_LENGTH_EXCEEDED, CERT_TRUST_INVALID_BASIC_CONSTRAINTS},
    {X509_V_ERR_KEYUSAGE_NO_DIGITAL_SIGNATURE, CERT_TRUST_IS_NOT_VALID_FOR_USAGE},
    {X509_V_ERR_PROXY_CERTIFICATES_NOT_ALLOWED, CERT_TRUST_INVALID_EXTENSION},
    {X509_V_ERR_INVALID_EXTENSION, CERT_TRUST_INVALID_EXTENSION},
    {X509_V_ERR_INVALID_POLICY_EXTENSION, CERT_TRUST_INVALID_POLICY_CONSTRAINTS},
    {X509_V_ERR_NO_EXPLICIT_POLICY, CERT_TRUST_INVALID_POLICY_CONSTRAINTS},
    {X509_V_ERR_DIFFERENT_CRL_SCOPE, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_UNSUPPORTED_EXTENSION_FEATURE, CERT_TRUST_INVALID_EXTENSION},
    {X509_V_ERR_UNNESTED_RESOURCE, CERT_TRUST_INVALID_EXTENSION},
    {X509_V_ERR_PERMITTED_VIOLATION, CERT_TRUST_HAS_NOT_PERMITTED_NAME_CONSTRAINT},
    {X509_V_ERR_EXCLUDED_VIOLATION, CERT_TRUST_HAS_EXCLUDED_NAME_CONSTRAINT},
    {X509_V_ERR_SUBTREE_MINMAX, CERT_TRUST_HAS_NOT_SUPPORTED_NAME_CONSTRAINT},
    {X509_V_ERR_UNSUPPORTED_CONSTRAINT_TYPE, CERT_TRUST_HAS_NOT_SUPPORTED_NAME_CONSTRAINT},
    {X509_V_ERR_UNSUPPORTED_CONSTRAINT_SYNTAX, CERT_TRUST_HAS_NOT_SUPPORTED_NAME_CONSTRAINT},
    {X509_V_ERR_UNSUPPORTED_NAME_SYNTAX, CERT_TRUST_INVALID_NAME_CONSTRAINTS},
    {X509_V_ERR_CRL_PATH_VALIDATION_ERROR, CERT_TRUST_REVOCATION_STATUS_UNKNOWN},
    {X509_V_ERR_PATH_LOOP, CERT_TRUST_IS_CYCLIC},
    {X509_V_ERR_EE_KEY_TOO_SMALL, CERT_TRUST_HAS_WEAK_SIGNATURE},
    {X509_V_ERR_CA_KEY_TOO_SMALL, CERT_TRUST_HAS_WEAK_SIGNATURE},
    {X509_V_ERR_CA_MD_TOO_WEAK, CERT_TRUST_HAS_WEAK_SIGNATURE},
    {X509_V_ERR_PROXY_SUBJECT_NAME_VIOLATION, CERT_TRUST_INVALID_EXTENSION},
    {X509_V_ERR_UNSUPPORTED_SIGNATURE_ALGORITHM, CERT_TRUST_IS_NOT_SIGNATURE_VALID},
    {X509_V_ERR_SIGNATURE_ALGORITHM_MISMATCH, CERT_TRUST_IS_NOT_SIGNATURE_VALID},
    {X509_V_ERR_SIGNATURE_ALGORITHM_INCONSISTENCY, CERT_TRUST_IS_NOT_SIGNATURE_VALID},
};

struct BitWords {
  LONG bit;
  const char* words;
};

constexpr BitWords kBitWords[] = {
    {CERT_TRUST_IS_NOT_TIME_VALID, "not time valid"},
    {CERT_TRUST_IS_REVOKED, "revoked"},
    {CERT_TRUST_IS_NOT_SIGNATURE_VALID, "signature not valid"},
    {CERT_TRUST_IS_NOT_VALID_FOR_USAGE, "not valid for usage"},
    {CERT_TRUST_IS_UNTRUSTED_ROOT, "untrusted root"},
    {CERT_TRUST_REVOCATION_STATUS_UNKNOWN, "revocation status unknown"},
    {CERT_TRUST_IS_CYCLIC, "cyclic"},
    {CERT_TRUST_INVALID_EXTENSION, "invalid extension"},
    {CERT_TRUST_INVALID_POLICY_CONSTRAINTS, "invalid policy constraints"},
    {CERT_TRUST_INVALID_BASIC_CONSTRAINTS, "invalid basic constraints"},
    {CERT_TRUST_INVALID_NAME_CONSTRAINTS, "invalid name constraints"},
    {CERT_TRUST_HAS_NOT_SUPPORTED_NAME_CONSTRAINT, "unsupported name constraint"},
    {CERT_TRUST_HAS_NOT_PERMITTED_NAME_CONSTRAINT, "name not permitted"},
    {CERT_TRUST_HAS_EXCLUDED_NAME_CONSTRAINT, "name excluded"},
    {CERT_TRUST_IS_PARTIAL_CHAIN, "partial chain"},
    {CERT_TRUST_HAS_WEAK_SIGNATURE, "weak signature"},
    {CERT_TRUST_IS_EXPLICIT_DISTRUST, "explicitly distrusted"},
};

// What a chain check gathers besides the status: whether a certificate of the chain was
// signed with SHA-1, which is let through.
struct ChainFindings {
  LONG status = CERT_TRUST_NO_ERROR;
  bool sha1 = false;
};

bool signedWithSha1(X509* cert) {
  int digestNid = NID_undef;
  return cert != nullptr &&
         X509_get_signature_info(cert, &digestNid, nullptr, nullptr, nullptr) == 1 &&
         digestNid == NID_sha1;
}

int recordError(int ok, X509_STORE_CTX* ctx) {
  if (ok == 0) {
    auto* findings = static_cast<ChainFindings*>(X509_STORE_CTX_get_app_data(ctx));
    const int error = X509_STORE_CTX_get_error(ctx);
    // Authorities signed with SHA-1 for years, and files that peers signed with such
    // certificates must keep verifying; MD5 and short keys stay weak.
    if (error == X509_V_ERR_CA_MD_TOO_WEAK &&
        signedWithSha1(X509_STORE_CTX_get_current_cert(ctx))) {
      findings->sha1 = true;
    } else {
      findings->status |= trustStatusForVerifyError(error);
    }
  }
  return 1;  // go on, so that every error of the chain is seen
}

// Whether the extended key usage extension names `oid` (dotted).
bool namesUsage(const EXTENDED_KEY_USAGE* usages, const char* oid) {
  char text[80];
  for (int i = 0; i < sk_ASN1_OBJECT_num(usages); ++i) {
    if (OBJ_obj2txt(text, sizeof text, sk_ASN1_OBJECT_value(usages, i), 1) > 0 &&
        std::strcmp(text, oid) == 0) {
      return true;
    }
  }
  return false;
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool exists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

// What a file or folder looks like from outside: enough to see that it was replaced (a new
// inode), rewritten (size, modification time) or removed.
void appendState(std::string* key, const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) {
    *key += "-\n";
    return;
  }
  char text[128];
  std::snprintf(text, sizeof text, "%llu:%llu:%lld:%lld.%09ld\n",
                static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino), static_cast<long long>(st.st_size),
                static_cast<long long>(st.st_mtim.tv_sec), static_cast<long>(st.st_mtim.tv_nsec));
  *key += text;
}

struct SystemAnchors {
  std::string folder;  // looked up by subject hash when a chain needs it
  std::string file;    // loaded whole
};

SystemAnchors systemAnchors() {
  SystemAnchors system;
  system.folder = environment(X509_get_default_cert_dir_env());
  if (system.folder.empty()) system.folder = X509_get_default_cert_dir();
  system.file = environment(X509_get_default_cert_file_env());
  if (system.file.empty() && !exists(system.folder)) system.file = X509_get_default_cert_file();
  return system;
}

// The state of everything the trust anchors are read from: the Root store folder and each of
// its files, the system folder and the system file. Any import into or removal from the
// store, and any change of the system certificates, gives a different key. A handful of
// stat calls, against the tens of milliseconds that parsing the system bundle costs.
std::string anchorStateKey(const std::string& rootFolder, const SystemAnchors& system) {
  std::string key = rootFolder + "\n";
  appendState(&key, rootFolder);
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(rootFolder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    key += name + "=";
    appendState(&key, rootFolder + "/" + name);
  }
  key += system.folder + "\n";
  appendState(&key, system.folder);
  key += system.file + "\n";
  appendState(&key, system.file);
  return key;
}

// The trust anchors: the user's Root store, then the system's certificates. The system
// folder is looked up by subject hash only when a chain needs it.
ossl::X509Store loadTrustAnchors(const std::string& certificateFolder,
                                 const SystemAnchors& system) {
  ossl::X509Store store(X509_STORE_new());
  if (!store) return store;
  for (const StoredCertificate& root : CertStore(StoreName::Root, certificateFolder).certificates()) {
    X509_STORE_add_cert(store.get(), root.cert.get());
  }
  if (exists(system.folder)) X509_STORE_load_path(store.get(), system.folder.c_str());
  if (exists(system.file)) X509_STORE_load_file(store.get(), system.file.c_str());
  // OpenSSL works out a certificate's extensions (key identifiers, constraints) on first use
  // and keeps them in the certificate. Done here, before the store is shared, rather than by
  // whichever threads first build a chain through them at the same time.
  STACK_OF(X509_OBJECT)* objects = X509_STORE_get0_objects(store.get());
  for (int i = 0; i < sk_X509_OBJECT_num(objects); ++i) {
    if (X509* cert = X509_OBJECT_get0_X509(sk_X509_OBJECT_value(objects, i))) {
      X509_check_purpose(cert, -1, 0);
    }
  }
  ERR_clear_error();
  return store;
}

// The last trust anchors built, shared by every thread until what they were read from
// changes. An X509_STORE is safe to verify against from many threads at once (OpenSSL locks
// its own lookups). Its lifetime is a shared_ptr's rather than OpenSSL's reference count, so
// that a store replaced while another thread still builds a chain on it is freed only after
// that chain, visibly so to the thread sanitizer.
struct AnchorCache {
  std::mutex mutex;
  std::string key;
  SharedAnchors store;
};

AnchorCache& anchorCache() {
  static AnchorCache* cache = new AnchorCache;  // never destroyed: threads may outlive exit
  return *cache;
}

}  // namespace

SharedAnchors trustAnchorStore(const std::string& certificateFolder) {
  const std::string rootFolder = CertStore(StoreName::Root, certificateFolder).folder();
  const SystemAnchors system = systemAnchors();
  std::string key = anchorStateKey(rootFolder, system);
  AnchorCache& cache = anchorCache();
  {
    std::lock_guard lock(cache.mutex);
    if (cache.store && cache.key == key) return cache.store;
  }
  // Built outside the lock, so that threads with anchors of their own are not held up; when
  // two threads build the same anchors at once, the last one is kept.
  SharedAnchors store(loadTrustAnchors(certificateFolder, system).release(), X509_STORE_free);
  if (!store) return store;
  SharedAnchors replaced;  // freed after the lock is let go
  std::lock_guard lock(cache.mutex);
  replaced = std::exchange(cache.store, store);
  cache.key = std::move(key);
  return store;
}

LONG trustStatusForVerifyError(int error) {
  for (const ErrorBit& row : kErrorBits) {
    if (row.error == error) return row.bit;
  }
  return CERT_TRUST_IS_NOT_SIGNATURE_VALID;
}

std::string trustStatusWords(LONG status) {
  std::string words;
  LONG named = 0;
  for (const BitWords& row : kBitWords) {
    if ((status & row.bit) == 0) continue;
    if (!words.empty()) words += ", ";
    words += row.words;
    named |= row.bit;
  }
  if ((status & ~named) != 0) {
    char rest[32];
    std::snprintf(rest, sizeof rest, "%sother 0x%x", words.empty() ? "" : ", ",
                  static_cast<unsigned>(status & ~named));
    words += rest;
  }
  return words.empty() ? "no error" : words;
}

LONG signingUsageStatus(X509* cert) {
  // Key usage: digitalSignature or nonRepudiation, when the extension is there.
  int critical = -1;
  auto* keyUsage =
      static_cast<ASN1_BIT_STRING*>(X509_get_ext_d2i(cert, NID_key_usage, &critical, nullptr));
  if (keyUsage == nullptr && critical != -1) return CERT_TRUST_IS_NOT_VALID_FOR_USAGE;
  if (keyUsage != nullptr) {
    const bool signs = ASN1_BIT_STRING_get_bit(keyUsage, 0) == 1 ||  // digitalSignature
                       ASN1_BIT_STRING_get_bit(keyUsage, 1) == 1;    // nonRepudiation
    ASN1_BIT_STRING_free(keyUsage);
    if (!signs) return CERT_TRUST_IS_NOT_VALID_FOR_USAGE;
  }
  // Extended key usage: one of the purposes that mean signing documents, when it is there.
  critical = -1;
  auto* usages = static_cast<EXTENDED_KEY_USAGE*>(
      X509_get_ext_d2i(cert, NID_ext_key_usage, &critical, nullptr));
  if (usages == nullptr && critical != -1) return CERT_TRUST_IS_NOT_VALID_FOR_USAGE;
  if (usages != nullptr) {
    static constexpr const char* kSigningUsages[] = {
        "1.3.6.1.5.5.7.3.4",        // emailProtection
        "1.3.6.1.5.5.7.3.3",        // codeSigning
        "1.3.6.1.5.5.7.3.36",       // documentSigning
        "1.3.6.1.4.1.311.10.3.12",  // the platform's document signing
        "2.5.29.37.0",              // anyExtendedKeyUsage
    };
    bool signs = false;
    for (const char* oid : kSigningUsages) signs = signs || namesUsage(usages, oid);
    sk_ASN1_OBJECT_pop_free(usages, ASN1_OBJECT_free);
    if (!signs) return CERT_TRUST_IS_NOT_VALID_FOR_USAGE;
  }
  ERR_clear_error();
  return CERT_TRUST_NO_ERROR;
}

ossl::X509Stack chainCandidates(const std::string& certificateFolder, STACK_OF(X509) * carried) {
  ossl::X509Stack all = CertStore(StoreName::My, certificateFolder).certificateStack();
  ossl::X509Stack ca = CertStore(StoreName::CA, certificateFolder).certificateStack();
  if (!all || !ca) return all;
  while (X509* cert = sk_X509_shift(ca.get())) {
    if (sk_X509_push(all.get(), cert) <= 0) X509_free(cert);
  }
  for (int i = 0; i < sk_X509_num(carried); ++i) {
    X509* cert = sk_X509_value(carried, i);
    if (X509_up_ref(cert) == 1 && sk_X509_push(all.get(), cert) <= 0) X509_free(cert);
  }
  return all;
}

ChainCheck checkChain(X509_STORE* anchors, X509* cert, STACK_OF(X509) * untrusted,
                      const ChainRequest& request) {
  ChainCheck check;
  ossl::X509StoreCtx ctx(X509_STORE_CTX_new());
  if (anchors == nullptr || !ctx || X509_STORE_CTX_init(ctx.get(), anchors, cert, untrusted) != 1) {
    ERR_clear_error();
    check.status = CERT_TRUST_IS_PARTIAL_CHAIN;
    return check;
  }
  ChainFindings findings;
  X509_STORE_CTX_set_app_data(ctx.get(), &findings);
  X509_STORE_CTX_set_verify_cb(ctx.get(), recordError);
  if (request.purpose != 0) X509_STORE_CTX_set_purpose(ctx.get(), request.purpose);
  X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(ctx.get());
  if (request.at) X509_VERIFY_PARAM_set_time(param, static_cast<time_t>(*request.at));
  // Level 1: keys of less than 80 bits of security (RSA under 1024 bits) and certificate
  // signatures under that strength are weak. OpenSSL 3 counts MD5 there and SHA-1 too (63
  // bits); recordError lets SHA-1 through and says so.
  X509_VERIFY_PARAM_set_auth_level(param, 1);
  const int verified = X509_verify_cert(ctx.get());
  if (verified <= 0 && findings.status == CERT_TRUST_NO_ERROR && !findings.sha1) {
    findings.status = CERT_TRUST_IS_PARTIAL_CHAIN;
  }
  check.status = findings.status;
  check.sha1Signed = findings.sha1;
  check.chain.reset(X509_STORE_CTX_get1_chain(ctx.get()));
  ERR_clear_error();
  return check;
}

ChainCheck checkChain(X509* cert, STACK_OF(X509) * untrusted, const std::string& certificateFolder,
                      const ChainRequest& request) {
  const SharedAnchors anchors = trustAnchorStore(certificateFolder);
  return checkChain(anchors.get(), cert, untrusted, request);
}

LONG chainTrustStatus(X509* cert, STACK_OF(X509) * untrusted, const std::string& certificateFolder,
                      bool* sha1Signed) {
  const ChainCheck check = checkChain(cert, untrusted, certificateFolder);
  if (sha1Signed != nullptr) *sha1Signed = check.sha1Signed;
  return check.status;
}

}  // namespace vexamor::signcore
