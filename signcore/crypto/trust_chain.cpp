#include "signcore/crypto/trust_chain.h"

#include <dirent.h>
#include <sys/stat.h>

#include <openssl/x509v3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
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
  uint64_t generation = 0;  // counts the stores built, so that a verdict names its anchors
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
  ++cache.generation;
  return store;
}

namespace {

// The chains built before and their verdicts, so that a file manager that verifies every
// signed file it shows does not build the same chain again for each (a few milliseconds of
// signature checks apiece). A verdict is found by the trust anchors it was reached with (any
// change of the Root folder or of the system certificates makes new anchors), the purpose,
// and the SHA-256 of the certificate and of every candidate on the way (the personal and CA
// stores as they are now, and what the signature carries). It holds for any time within the
// validity of every certificate of the chain built, and only there. Revocation is no part of
// it: it is checked on the chain each time.
struct KeptChain {
  LONG status = CERT_TRUST_NO_ERROR;
  bool sha1Signed = false;
  ossl::X509Stack chain;       // the cache's own references
  time_t from = 0, until = 0;  // the time of the check must lie in [from, until)
};

struct ChainCache {
  static constexpr size_t kCapacity = 256;
  std::mutex mutex;
  std::map<std::string, KeptChain> chains;
  std::deque<std::string> order;  // oldest first, for eviction
};

ChainCache& chainCache() {
  static auto* cache = new ChainCache;  // never destroyed: threads may outlive exit
  return *cache;
}

// The number of `anchors` when they are the anchors kept now; 0 (nothing to be kept) for any
// other store. The caller holds `anchors` alive, so while the cache holds them too no other
// store can have their address.
uint64_t keptAnchorsNumber(X509_STORE* anchors) {
  AnchorCache& cache = anchorCache();
  std::lock_guard lock(cache.mutex);
  return anchors != nullptr && cache.store.get() == anchors ? cache.generation : 0;
}

bool appendFingerprint(std::string* key, X509* cert) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (X509_digest(cert, EVP_sha256(), digest, &length) != 1) return false;
  key->append(reinterpret_cast<const char*>(digest), length);
  return true;
}

// The key of a chain; empty when nothing may be kept (other anchors than the kept ones, or a
// certificate that cannot be hashed).
std::string chainKey(X509_STORE* anchors, X509* cert, STACK_OF(X509) * untrusted, int purpose) {
  const uint64_t number = keptAnchorsNumber(anchors);
  if (number == 0) return {};
  std::string key = std::to_string(number) + ":" + std::to_string(purpose) + ":";
  bool ok = appendFingerprint(&key, cert);
  for (int i = 0; ok && i < sk_X509_num(untrusted); ++i) {
    ok = appendFingerprint(&key, sk_X509_value(untrusted, i));
  }
  ERR_clear_error();
  return ok ? key : std::string();
}

time_t secondsOf(const ASN1_TIME* time, bool* ok) {
  struct tm parts {};
  if (time == nullptr || ASN1_TIME_to_tm(time, &parts) != 1) {
    *ok = false;
    return 0;
  }
  return timegm(&parts);
}

// When the verdict reached over `chain` holds: the latest start and the earliest end of
// validity of its certificates. Nothing when a time cannot be read.
std::optional<std::pair<time_t, time_t>> verdictWindow(STACK_OF(X509) * chain) {
  if (sk_X509_num(chain) <= 0) return std::nullopt;
  time_t from = std::numeric_limits<time_t>::min();
  time_t until = std::numeric_limits<time_t>::max();
  bool ok = true;
  for (int i = 0; i < sk_X509_num(chain); ++i) {
    X509* cert = sk_X509_value(chain, i);
    from = std::max(from, secondsOf(X509_get0_notBefore(cert), &ok));
    // notAfter is the last second of validity.
    until = std::min(until, secondsOf(X509_get0_notAfter(cert), &ok) + 1);
  }
  if (!ok) return std::nullopt;
  return std::make_pair(from, until);
}

// The kept check of `cert` for `key` at `at`, its chain beginning with `cert` itself (the
// caller's object, which callers may look for by address) and going on with the kept ones.
bool findKept(const std::string& key, X509* cert, time_t at, ChainCheck* check) {
  if (key.empty()) return false;
  ChainCache& cache = chainCache();
  std::lock_guard lock(cache.mutex);
  const auto found = cache.chains.find(key);
  if (found == cache.chains.end() || at < found->second.from || at >= found->second.until) {
    return false;
  }
  STACK_OF(X509)* kept = found->second.chain.get();
  ossl::X509Stack chain(sk_X509_new_reserve(nullptr, sk_X509_num(kept)));
  if (!chain || X509_add_cert(chain.get(), cert, X509_ADD_FLAG_UP_REF) != 1) return false;
  for (int i = 1; i < sk_X509_num(kept); ++i) {
    if (X509_add_cert(chain.get(), sk_X509_value(kept, i), X509_ADD_FLAG_UP_REF) != 1) {
      return false;
    }
  }
  check->status = found->second.status;
  check->sha1Signed = found->second.sha1Signed;
  check->chain = std::move(chain);
  return true;
}

void keep(std::string key, time_t at, const ChainCheck& check) {
  if (key.empty()) return;
  const std::optional<std::pair<time_t, time_t>> window = verdictWindow(check.chain.get());
  if (!window || at < window->first || at >= window->second) return;
  ossl::X509Stack chain(X509_chain_up_ref(check.chain.get()));
  if (!chain) return;
  KeptChain kept{check.status, check.sha1Signed, std::move(chain), window->first, window->second};
  KeptChain dropped;  // freed after the lock is let go
  ChainCache& cache = chainCache();
  std::lock_guard lock(cache.mutex);
  const auto found = cache.chains.find(key);
  if (found != cache.chains.end()) {
    dropped = std::exchange(found->second, std::move(kept));
    return;
  }
  if (cache.chains.size() >= ChainCache::kCapacity) {
    const auto oldest = cache.chains.find(cache.order.front());
    dropped = std::move(oldest->second);
    cache.chains.erase(oldest);
    cache.order.pop_front();
  }
  cache.order.push_back(key);
  cache.chains.emplace(std::move(key), std::move(kept));
}

}  // namespace

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
  const time_t at = request.at ? static_cast<time_t>(*request.at) : std::time(nullptr);
  const std::string key = chainKey(anchors, cert, untrusted, request.purpose);
  if (findKept(key, cert, at, &check)) return check;
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
  // The time the verdict is kept for, rather than OpenSSL's own reading of the clock.
  X509_VERIFY_PARAM_set_time(param, at);
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
  keep(key, at, check);
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
