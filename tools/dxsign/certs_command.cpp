// dxsign certs: the user's certificate stores. Listing, importing and removing work on the
// store folders themselves (they are the only writers of a store); checking a chain goes
// through VexaSignature::VerifyCertificate, as every client's check does.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

#include "platform/com/com_ptr.h"
#include "platform/com/utf.h"
#include "signcore/crypto/cert_import.h"
#include "signcore/crypto/cert_store.h"
#include "signcore/crypto/cert_text.h"
#include "signcore/crypto/trust_chain.h"
#include "signcore/idl/dxsigncore16.h"
#include "tools/dxsign/com_failure.h"
#include "tools/dxsign/commands.h"
#include "tools/dxsign/password_input.h"
#include "tools/dxsign/printable.h"

namespace vexamor::dxsign {
namespace {

using signcore::CertStore;
using signcore::StoreName;

// A text of a certificate as it may be printed.
std::string utf8(const std::u16string& text) {
  return printable(vexamor::text::utf16ToUtf8(text));
}

// "SUBJECT (issuer ISSUER, serial SERIAL)"
std::string identity(X509* cert) {
  return utf8(signcore::subjectDisplayName(cert)) + " (issuer " +
         utf8(signcore::issuerDisplayName(cert)) + ", serial " + utf8(signcore::serialText(cert)) +
         ")";
}

std::string expiry(X509* cert) {
  SYSTEMTIME t{};
  if (!signcore::certificateTime(X509_get0_notAfter(cert), &t)) return "?";
  char text[48];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u UTC", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  return text;
}

// Takes "--ca" or "--root" from the arguments: the store that a command works on.
StoreName takeStoreOption(std::vector<std::string>& args) {
  StoreName store = StoreName::My;
  for (auto it = args.begin(); it != args.end();) {
    if (*it == "--root" || *it == "--ca") {
      store = *it == "--root" ? StoreName::Root : StoreName::CA;
      it = args.erase(it);
    } else {
      ++it;
    }
  }
  return store;
}

int list(StoreName store) {
  const CertStore certs(store);
  const auto entries = certs.certificates();
  if (entries.empty()) {
    std::cerr << "dxsign: no certificates in " << certs.folder() << '\n';
    return kSuccess;
  }
  for (const auto& entry : entries) {
    X509* cert = entry.cert.get();
    std::cout << utf8(signcore::subjectDisplayName(cert)) << '\t'
              << utf8(signcore::issuerDisplayName(cert)) << '\t' << utf8(signcore::serialText(cert))
              << '\t' << expiry(cert) << '\t' << (entry.hasKey ? "private key" : "no private key")
              << '\n';
  }
  return kSuccess;
}

int storeFailure(const std::string& what, DWORD code) {
  std::cerr << "dxsign: " << describeFailure(what, HRESULT_FROM_WIN32(code)) << '\n';
  return kFailure;
}

int importFile(const std::string& path, bool asRoot, const PasswordSource& passwordSource) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "dxsign: cannot read " << path << ": " << std::strerror(errno) << '\n';
    return kFailure;
  }
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const bool passwordGiven = passwordSource.fromStdin || !passwordSource.file.empty();
  std::optional<std::string> password;
  std::string error;
  if (passwordGiven) {
    password = readPassword(passwordSource, "", error);
    if (!password) {
      std::cerr << "dxsign: " << error << '\n';
      return kFailure;
    }
  }
  signcore::CertificateBundle bundle;
  auto result = signcore::readCertificateFile(bytes, password ? &*password : nullptr, &bundle);
  if (result == signcore::BundleResult::kNeedsPassword) {
    if (password) wipe(*password);
    password = readPassword(passwordSource, "Password for " + path + ": ", error);
    if (!password) {
      std::cerr << "dxsign: " << path << " is protected by a password: " << error << '\n';
      return kFailure;
    }
    result = signcore::readCertificateFile(bytes, &*password, &bundle);
  }
  if (password) wipe(*password);
  switch (result) {
    case signcore::BundleResult::kOk:
      break;
    case signcore::BundleResult::kNeedsPassword:
    case signcore::BundleResult::kWrongPassword:
      std::cerr << "dxsign: the password for " << path << " is wrong\n";
      return kFailure;
    case signcore::BundleResult::kNotCertificates:
      std::cerr << "dxsign: " << path
                << " is neither a PKCS #12 file nor a PEM or DER certificate\n";
      return kFailure;
    case signcore::BundleResult::kKeyWithoutCertificate:
      std::cerr << "dxsign: " << path << " holds a private key but no certificate\n";
      return kFailure;
    case signcore::BundleResult::kKeyDoesNotMatch:
      std::cerr << "dxsign: the private key in " << path
                << " belongs to none of its certificates\n";
      return kFailure;
  }

  std::vector<X509*> all{bundle.leaf.get()};
  for (const auto& other : bundle.others) all.push_back(other.get());
  if (asRoot) {
    // Trust anchors only: roots, never a key, an intermediate or an end entity.
    int imported = 0;
    for (X509* cert : all) {
      if (!signcore::isSelfSigned(cert)) continue;
      if (DWORD rc = CertStore(StoreName::Root).add(cert, nullptr); rc != ERROR_SUCCESS) {
        return storeFailure("adding " + identity(cert) + " to Root", rc);
      }
      std::cout << "trusted in Root: " << identity(cert) << '\n';
      ++imported;
    }
    if (imported == 0) {
      std::cerr << "dxsign: " << path << " holds no root certificate to trust\n";
      return kFailure;
    }
    return kSuccess;
  }

  if (DWORD rc = CertStore(StoreName::My).add(bundle.leaf.get(), bundle.key.get());
      rc != ERROR_SUCCESS) {
    return storeFailure("adding " + identity(bundle.leaf.get()) + " to My", rc);
  }
  std::cout << "imported into My: " << identity(bundle.leaf.get())
            << (bundle.key ? ", with its private key" : ", without a private key") << '\n';
  for (const auto& other : bundle.others) {
    X509* cert = other.get();
    if (signcore::isSelfSigned(cert)) {
      // A root in someone's file is not trusted just because it came along.
      std::cout << "not trusted: " << identity(cert) << " (trust it with: dxsign certs import "
                << path << " --root)\n";
      continue;
    }
    if (DWORD rc = CertStore(StoreName::CA).add(cert, nullptr); rc != ERROR_SUCCESS) {
      return storeFailure("adding " + identity(cert) + " to CA", rc);
    }
    std::cout << "imported into CA: " << identity(cert) << '\n';
  }
  return kSuccess;
}

int verify(const std::vector<std::string>& names) {
  com::ComPtr<IVexaSignature> signature;
  HRESULT hr = com::createInstance<IVexaSignature>(CLSID_VexaSignature, &signature);
  if (FAILED(hr)) {
    std::cerr << "dxsign: " << describeFailure("creating VexaSignature", hr) << '\n';
    return kFailure;
  }
  LONG result = 0;
  LONG status = 0;
  hr = signature->VerifyCertificate(com::Bstr(names[0]).get(), com::Bstr(names[1]).get(),
                                    com::Bstr(names[2]).get(), &result, &status);
  if (FAILED(hr)) {
    std::cerr << "dxsign: " << describeFailure("checking " + names[0], hr) << '\n';
    return kFailure;
  }
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status));
  if (result != 0) {
    std::cout << "valid: the chain has no error (status " << code << ")\n";
    return kSuccess;
  }
  std::cout << "not valid: " << signcore::trustStatusWords(status) << " (status " << code << ")\n";
  return kFailure;
}

int remove(const std::vector<std::string>& names, StoreName store) {
  const CertStore certs(store);
  const auto found = signcore::findCertificate(certs, vexamor::text::utf8ToUtf16(names[0]),
                                               vexamor::text::utf8ToUtf16(names[1]),
                                               vexamor::text::utf8ToUtf16(names[2]));
  if (!found) {
    std::cerr << "dxsign: no certificate in " << signcore::storeFolderName(store) << " is named "
              << printable(names[0]) << ", " << printable(names[1]) << ", " << printable(names[2])
              << '\n';
    return kFailure;
  }
  if (DWORD rc = certs.remove(found->thumbprint); rc != ERROR_SUCCESS) {
    return storeFailure("removing " + identity(found->cert.get()), rc);
  }
  std::cout << "removed from " << signcore::storeFolderName(store) << ": "
            << identity(found->cert.get()) << (found->hasKey ? ", with its private key" : "")
            << '\n';
  return kSuccess;
}

}  // namespace

int runCertsCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  const std::string verb = args.empty() ? "" : args[0];
  if (!args.empty()) args.erase(args.begin());
  const StoreName store = takeStoreOption(args);

  if (verb == "list" && args.empty()) return list(store);
  if (verb == "verify" && args.size() == 3 && store == StoreName::My) return verify(args);
  if (verb == "remove" && args.size() == 3) return remove(args, store);
  if (verb == "import" && (store == StoreName::My || store == StoreName::Root)) {
    PasswordSource password;
    std::string file;
    for (size_t i = 0; i < args.size();) {
      std::string error;
      if (takePasswordOption(args, i, password, error)) {
        if (!error.empty()) {
          std::cerr << "dxsign: " << error << '\n';
          return kUsage;
        }
      } else if (file.empty() && !args[i].starts_with("--")) {
        file = args[i++];
      } else {
        printUsage(true);
        return kUsage;
      }
    }
    if (!file.empty()) return importFile(file, store == StoreName::Root, password);
  }
  printUsage(true);
  return kUsage;
}

}  // namespace vexamor::dxsign
