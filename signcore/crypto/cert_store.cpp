#include "signcore/crypto/cert_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/pem.h>
#include <openssl/sha.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/com/last_error.h"
#include "platform/fileio/replace_file.h"
#include "signcore/crypto/cert_text.h"

namespace vexamor::signcore {
namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Creates a folder and its parents, private to the user (certificates name the user, keys are
// secret). Folders that exist keep their mode.
DWORD makeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      return win32::errorFromErrno(errno);
    }
    if (slash == std::string::npos) return ERROR_SUCCESS;
  }
}

DWORD flushFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return win32::errorFromErrno(errno);
  ::fsync(fd);  // a file system that cannot flush a folder gives what it gives
  ::close(fd);
  return ERROR_SUCCESS;
}

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ossl::Bio memoryBio(const std::string& bytes) {
  return ossl::Bio(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
}

std::string bioContents(BIO* bio) {
  char* data = nullptr;
  const long n = BIO_get_mem_data(bio, &data);
  return std::string(data, static_cast<size_t>(n));
}

// Writes `bytes` as the whole new content of `path`; `mode` 0 keeps the file's mode. The mode
// is the temporary file's from the start, so a key is never readable by others on its way.
DWORD writeStoreFile(const std::string& path, const std::string& bytes, mode_t mode) {
  fileio::ReplaceMode replaceMode;
  if (mode != 0) replaceMode.mode = mode;
  return fileio::replaceFile(
      path, [&](int fd) { return fileio::writeAll(fd, bytes.data(), bytes.size()); }, replaceMode);
}

constexpr const char* kCertificateSuffix = ".pem";
constexpr const char* kKeySuffix = ".key";

}  // namespace

std::string certificateFolder() {
  if (std::string folder = environment(kCertificateFolderVariable); !folder.empty()) {
    return folder;
  }
  if (std::string data = environment("XDG_DATA_HOME"); !data.empty()) {
    return data + "/vexamor/certificates";
  }
  return environment("HOME") + "/.local/share/vexamor/certificates";
}

const char* storeFolderName(StoreName name) {
  switch (name) {
    case StoreName::My:
      return "My";
    case StoreName::CA:
      return "CA";
    case StoreName::Root:
      return "Root";
  }
  return "My";
}

CertStore::CertStore(StoreName name, const std::string& certificateFolder)
    : folder_(certificateFolder + "/" + storeFolderName(name)) {}

std::string CertStore::certificatePath(const std::string& thumbprint) const {
  return folder_ + "/" + thumbprint + kCertificateSuffix;
}

std::string CertStore::keyPath(const std::string& thumbprint) const {
  return folder_ + "/" + thumbprint + kKeySuffix;
}

std::string CertStore::thumbprint(X509* cert) {
  unsigned char digest[SHA_DIGEST_LENGTH];
  unsigned int length = 0;
  if (X509_digest(cert, EVP_sha1(), digest, &length) != 1) return {};
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

namespace {

// What a store folder holds, file by file: enough to see that a file was added, removed,
// replaced (a new inode) or rewritten (size, modification time).
struct FolderListing {
  struct Entry {
    std::string name;
    mode_t mode = 0;  // 0: not there any more (or not to be looked at)
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const Entry& o) const {
      return name == o.name && mode == o.mode && device == o.device && inode == o.inode &&
             size == o.size && modified.tv_sec == o.modified.tv_sec &&
             modified.tv_nsec == o.modified.tv_nsec;
    }
  };
  std::vector<Entry> entries;  // in name order
  bool operator==(const FolderListing&) const = default;
};

FolderListing listFolder(const std::string& folder) {
  FolderListing listing;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return listing;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    FolderListing::Entry e;
    e.name = entry->d_name;
    struct stat st {};
    if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0) {
      e = {e.name, st.st_mode, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    }
    listing.entries.push_back(std::move(e));
  }
  ::closedir(dir);
  std::sort(
      listing.entries.begin(), listing.entries.end(),
      [](const FolderListing::Entry& a, const FolderListing::Entry& b) { return a.name < b.name; });
  return listing;
}

// The certificates of a store folder as parsed from a listing of it.
struct ParsedStore {
  FolderListing listing;
  std::vector<StoredCertificate> certificates;  // the cache's own references
};

std::vector<StoredCertificate> parseStore(const std::string& folder, const FolderListing& listing) {
  std::vector<StoredCertificate> result;
  for (const FolderListing::Entry& entry : listing.entries) {
    const std::string& name = entry.name;
    if (name.size() <= 4 || !name.ends_with(kCertificateSuffix)) continue;
    std::string thumbprint = name.substr(0, name.size() - 4);
    const std::string pem = readWholeFile(folder + "/" + name);
    ossl::Bio bio = memoryBio(pem);
    ossl::X509Ptr cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    if (!cert) continue;
    // OpenSSL works out a certificate's extensions on first use and keeps them in it; done
    // here, before the certificate is shared by threads.
    X509_check_purpose(cert.get(), -1, 0);
    const std::string key = thumbprint + kKeySuffix;
    const bool hasKey = std::any_of(
        listing.entries.begin(), listing.entries.end(),
        [&](const FolderListing::Entry& e) { return e.name == key && S_ISREG(e.mode); });
    result.push_back({std::move(thumbprint), std::move(cert), hasKey});
  }
  ERR_clear_error();
  return result;
}

// The stores parsed last, by folder, shared by every thread. Parsing certificates costs far
// more than listing a folder, and the overlay verifies a signature for every signed file it
// is asked about; a store is parsed again when anything in its folder changed.
struct StoreCache {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<const ParsedStore>> stores;
};

StoreCache& storeCache() {
  static auto* cache = new StoreCache;  // never destroyed: threads may outlive exit
  return *cache;
}

std::shared_ptr<const ParsedStore> parsedStore(const std::string& folder) {
  FolderListing listing = listFolder(folder);
  StoreCache& cache = storeCache();
  {
    std::lock_guard lock(cache.mutex);
    const auto found = cache.stores.find(folder);
    if (found != cache.stores.end() && found->second->listing == listing) return found->second;
  }
  auto parsed = std::make_shared<ParsedStore>();
  parsed->certificates = parseStore(folder, listing);
  parsed->listing = std::move(listing);
  std::shared_ptr<const ParsedStore> replaced;  // freed after the lock is let go
  std::lock_guard lock(cache.mutex);
  std::shared_ptr<const ParsedStore>& slot = cache.stores[folder];
  replaced = std::exchange(slot, std::move(parsed));
  return slot;
}

}  // namespace

std::vector<StoredCertificate> CertStore::certificates() const {
  const std::shared_ptr<const ParsedStore> store = parsedStore(folder_);
  std::vector<StoredCertificate> result;
  result.reserve(store->certificates.size());
  for (const StoredCertificate& entry : store->certificates) {
    X509_up_ref(entry.cert.get());
    result.push_back({entry.thumbprint, ossl::X509Ptr(entry.cert.get()), entry.hasKey});
  }
  return result;
}

ossl::X509Stack CertStore::certificateStack() const {
  ossl::X509Stack stack(sk_X509_new_null());
  if (!stack) return stack;
  for (StoredCertificate& entry : certificates()) {
    if (sk_X509_push(stack.get(), entry.cert.get()) > 0) entry.cert.release();
  }
  return stack;
}

ossl::PKey CertStore::privateKey(const std::string& thumbprint) const {
  const std::string pem = readWholeFile(keyPath(thumbprint));
  if (pem.empty()) return {};
  ossl::Bio bio = memoryBio(pem);
  // An empty password callback: a key file that wants a password is unreadable here rather
  // than a prompt inside a COM server.
  ossl::PKey key(PEM_read_bio_PrivateKey(
      bio.get(), nullptr, [](char*, int, int, void*) { return 0; }, nullptr));
  ERR_clear_error();
  return key;
}

DWORD CertStore::add(X509* cert, EVP_PKEY* key) const {
  const std::string name = thumbprint(cert);
  if (name.empty()) return ERROR_INVALID_DATA;
  if (key != nullptr && X509_check_private_key(cert, key) != 1) {
    ERR_clear_error();
    return ERROR_INVALID_DATA;
  }
  if (DWORD rc = makeFolders(folder_); rc != ERROR_SUCCESS) return rc;

  if (key != nullptr) {
    ossl::Bio keyPem(BIO_new(BIO_s_mem()));
    if (!keyPem || PEM_write_bio_PKCS8PrivateKey(keyPem.get(), key, nullptr, nullptr, 0, nullptr,
                                                 nullptr) != 1) {
      return ERROR_NOT_ENOUGH_MEMORY;
    }
    if (DWORD rc = writeStoreFile(keyPath(name), bioContents(keyPem.get()), 0600);
        rc != ERROR_SUCCESS) {
      return rc;
    }
  }
  ossl::Bio certPem(BIO_new(BIO_s_mem()));
  if (!certPem || PEM_write_bio_X509(certPem.get(), cert) != 1) return ERROR_NOT_ENOUGH_MEMORY;
  return writeStoreFile(certificatePath(name), bioContents(certPem.get()), 0);
}

DWORD CertStore::remove(const std::string& thumbprint) const {
  if (thumbprint.empty() || thumbprint.find('/') != std::string::npos) {
    return ERROR_FILE_NOT_FOUND;
  }
  if (::unlink(certificatePath(thumbprint).c_str()) != 0) return win32::errorFromErrno(errno);
  if (::unlink(keyPath(thumbprint).c_str()) != 0 && errno != ENOENT) {
    return win32::errorFromErrno(errno);
  }
  return flushFolder(folder_);
}

std::optional<StoredCertificate> findCertificate(const CertStore& store,
                                                 std::u16string_view subject,
                                                 std::u16string_view issuer,
                                                 std::u16string_view serial) {
  for (StoredCertificate& entry : store.certificates()) {
    if (matchesCertificate(entry.cert.get(), subject, issuer, serial)) return std::move(entry);
  }
  return std::nullopt;
}

}  // namespace vexamor::signcore
