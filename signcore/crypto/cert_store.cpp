#include "signcore/crypto/cert_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/pem.h>
#include <openssl/sha.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/com/last_error.h"
#include "platform/fileio/replace_file.h"
#include "signcore/crypto/cert_text.h"

namespace vexamor::signcore {
namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
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

std::vector<StoredCertificate> CertStore::certificates() const {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder_.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() > 4 && !name.starts_with('.') && name.ends_with(kCertificateSuffix)) {
        names.push_back(name.substr(0, name.size() - 4));
      }
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());

  std::vector<StoredCertificate> result;
  for (std::string& name : names) {
    const std::string pem = readWholeFile(certificatePath(name));
    ossl::Bio bio = memoryBio(pem);
    ossl::X509Ptr cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    if (!cert) continue;
    const bool hasKey = isFile(keyPath(name));
    result.push_back({std::move(name), std::move(cert), hasKey});
  }
  ERR_clear_error();
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
