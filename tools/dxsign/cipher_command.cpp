// dxsign ciphers | encrypt | decrypt: the usable ciphers of the installed providers, and
// files encrypted and decrypted with a password through VexaSecurity.
#include <string.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

#include "platform/com/com_ptr.h"
#include "platform/com/message_table.h"
#include "platform/com/task_mem.h"
#include "platform/com/utf.h"
#include "platform/fileio/replace_file.h"
#include "signcore/idl/dxsigncore16.h"
#include "tools/dxsign/com_failure.h"
#include "tools/dxsign/commands.h"
#include "tools/dxsign/password_input.h"

namespace vexamor::dxsign {
namespace {

using com::Bstr;
using com::ComPtr;

// The records of an enumeration, freed with their strings.
class CipherList {
 public:
  CipherList() = default;
  CipherList(const CipherList&) = delete;
  ~CipherList() {
    for (CIPHER* c : records_) {
      SysFreeString(c->bstrProvName);
      SysFreeString(c->bstrAlgName);
      CoTaskMemFree(c);
    }
  }
  HRESULT load(IVexaSecurity* security) {
    LONG count = 0;
    CIPHER** array = nullptr;
    const HRESULT hr = security->EnumerateAllCiphers(&count, &array);
    if (FAILED(hr)) return hr;
    records_.assign(array, array + count);
    CoTaskMemFree(array);
    return hr;
  }
  const std::vector<CIPHER*>& records() const { return records_; }

 private:
  std::vector<CIPHER*> records_;
};

std::string utf8(BSTR s) {
  return text::utf16ToUtf8(std::u16string_view(s != nullptr ? s : u"", SysStringLen(s)));
}

std::string hexId(ULONG algId) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(algId));
  return text;
}

// The constant names that users know the algorithms by, besides the providers' short names.
struct ConstantName {
  ULONG algId;
  const char* name;
};
constexpr ConstantName kConstantNames[] = {
    {0x6601, "DES"},     {0x6602, "RC2"},     {0x6603, "3DES"},    {0x6609, "3DES_112"},
    {0x660E, "AES_128"}, {0x660F, "AES_192"}, {0x6610, "AES_256"}, {0x6801, "RC4"},
};

const char* constantName(ULONG algId) {
  for (const ConstantName& c : kConstantNames) {
    if (c.algId == algId) return c.name;
  }
  return "";
}

// Lower case without blanks, '_' and '-', so "AES 256", "aes_256" and "AES-256" match.
std::string folded(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (c == ' ' || c == '_' || c == '-') continue;
    out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return out;
}

bool algorithmMatches(const CIPHER& c, const std::string& wanted) {
  const std::string want = folded(wanted);
  if (want == folded(utf8(c.bstrAlgName)) || want == folded(constantName(c.algId))) return true;
  char* end = nullptr;
  errno = 0;
  const unsigned long id = std::strtoul(wanted.c_str(), &end, 0);
  return !wanted.empty() && *end == 0 && errno == 0 && id == c.algId;
}

// The order of preference among ciphers: AES, then three-key and two-key 3DES, then the old
// stream and block ciphers by key length, DES last.
ULONG preference(const CIPHER& c, ULONG bits) {
  switch (c.algId) {
    case 0x660E:
    case 0x660F:
    case 0x6610:
      return 1000 + bits;
    case 0x6603:
      return 900;
    case 0x6609:
      return 800;
    case 0x6601:
      return 0;
    default:
      return bits;
  }
}

struct CipherOptions {
  std::optional<std::string> provider;
  std::optional<std::string> algorithm;
  std::optional<ULONG> keyLen;
  PasswordSource password;
  std::vector<std::string> files;
};

bool parseKeyLen(const std::string& text, ULONG* out) {
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || text[0] == '-' || *end != 0 || errno != 0 || value == 0 || value > 65535) {
    return false;
  }
  *out = static_cast<ULONG>(value);
  return true;
}

// Returns false (after printing why) on a malformed command line.
bool parseOptions(const std::vector<std::string>& args, CipherOptions* options) {
  for (size_t i = 0; i < args.size();) {
    std::string error;
    if (takePasswordOption(args, i, options->password, error)) {
      if (!error.empty()) {
        std::cerr << "dxsign: " << error << '\n';
        return false;
      }
      continue;
    }
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--provider" && hasValue) {
      options->provider = args[i + 1];
    } else if (arg == "--alg" && hasValue) {
      options->algorithm = args[i + 1];
    } else if (arg == "--keylen" && hasValue) {
      ULONG bits = 0;
      if (!parseKeyLen(args[i + 1], &bits)) {
        std::cerr << "dxsign: --keylen takes a key length in bits\n";
        return false;
      }
      options->keyLen = bits;
    } else if (arg.starts_with("--")) {
      printUsage(true);
      return false;
    } else {
      options->files.push_back(arg);
      ++i;
      continue;
    }
    i += 2;
  }
  if (options->files.size() != 2) {
    printUsage(true);
    return false;
  }
  return true;
}

// The listed cipher that the options name: the most preferred of those that fit them (of all
// ciphers without options); ties go to the first in the list. nullopt when none fits.
std::optional<CIPHER> chooseCipher(const CipherList& list, const CipherOptions& options) {
  const CIPHER* best = nullptr;
  ULONG bestBits = 0;
  for (const CIPHER* c : list.records()) {
    if (options.provider &&
        !text::equalsIgnoreCase(
            text::utf8ToUtf16(*options.provider),
            std::u16string_view(c->bstrProvName, SysStringLen(c->bstrProvName)))) {
      continue;
    }
    if (options.algorithm && !algorithmMatches(*c, *options.algorithm)) continue;
    const ULONG bits = options.keyLen.value_or(c->dwDefaultKeyLen);
    if (bits < c->dwMinKeyLen || bits > c->dwMaxKeyLen) continue;
    if (best == nullptr || preference(*c, bits) > preference(*best, bestBits)) {
      best = c;
      bestBits = bits;
    }
  }
  if (best == nullptr) return std::nullopt;
  CIPHER chosen = *best;  // the strings stay owned by the list
  chosen.dwDefaultKeyLen = bestBits;
  return chosen;
}

std::string describeCipher(const CIPHER& c) {
  return utf8(c.bstrAlgName) + " (" + std::to_string(c.dwDefaultKeyLen) + "-bit key) of " +
         utf8(c.bstrProvName);
}

int fail(const std::string& message) {
  std::cerr << "dxsign: " << message << '\n';
  return kFailure;
}

// The password as the cipher takes it: UTF-16, from text that must be UTF-8. Every copy made
// on the way is wiped; only the BSTR handed out holds the password, and its caller wipes it.
std::optional<Bstr> passwordFor(const CipherOptions& options, bool encrypting, std::string* error) {
  const bool prompting =
      options.password.file.empty() && !options.password.fromStdin && ::isatty(STDIN_FILENO);
  std::optional<std::string> password = readPassword(options.password, "Password: ", *error);
  if (!password) return std::nullopt;
  std::optional<Bstr> out;
  if (encrypting && prompting) {
    // A mistyped password would lock the data away for good.
    std::optional<std::string> again =
        readPassword(options.password, "Repeat the password: ", *error);
    if (!again) {
      wipe(*password);
      return std::nullopt;
    }
    if (*again != *password) *error = "the two passwords differ";
    wipe(*again);
  }
  if (error->empty()) {
    std::u16string wide = text::utf8ToUtf16(*password);
    std::string back = text::utf16ToUtf8(wide);
    if (password->empty()) {
      *error = "the password is empty";
    } else if (back != *password) {
      *error = "the password is not UTF-8 text";
    } else {
      out.emplace(std::u16string_view(wide));
    }
    wipe(back);
    wipe(wide);
  }
  wipe(*password);
  return out;
}

int listCiphers(IVexaSecurity* security) {
  CipherList list;
  const HRESULT hr = list.load(security);
  if (FAILED(hr)) return fail(describeFailure("listing the ciphers", hr));
  if (list.records().empty()) {
    std::cout << "No usable cipher: no cryptographic provider is installed.\n";
    return kSuccess;
  }
  std::string provider;
  for (const CIPHER* c : list.records()) {
    const std::string name = utf8(c->bstrProvName);
    if (name != provider) {
      provider = name;
      std::cout << provider << " (type " << c->dwProvType << ")\n";
    }
    std::string line = "  " + hexId(c->algId) + "  " + utf8(c->bstrAlgName);
    line.resize(std::max<size_t>(line.size() + 1, 24), ' ');
    line += std::to_string(c->dwDefaultKeyLen) + "-bit key";
    if (c->dwMinKeyLen != c->dwMaxKeyLen) {
      line += " (" + std::to_string(c->dwMinKeyLen) + " to " + std::to_string(c->dwMaxKeyLen) +
              " bits)";
    }
    std::cout << line << '\n';
  }
  return kSuccess;
}

// The whole file, which must fit one call: the component takes at most 2 GB at once.
bool readWholeFile(const std::string& path, std::vector<uint8_t>* out, std::string* error) {
  constexpr uintmax_t kLargest = static_cast<uintmax_t>(INT32_MAX) - 64;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::error_code ignored;
  const uintmax_t size = std::filesystem::file_size(path, ignored);
  if (!ignored && size > kLargest) {
    *error = path + " is too large: at most 2 GB can be encrypted or decrypted at once";
    return false;
  }
  out->assign(std::istreambuf_iterator<char>(in), {});
  if (in.bad() || out->size() > kLargest) {
    *error = "cannot read " + path;
    return false;
  }
  return true;
}

int transformFile(bool encrypting, const std::vector<std::string>& args) {
  CipherOptions options;
  if (!parseOptions(args, &options)) return kUsage;
  const std::string& inPath = options.files[0];
  const std::string& outPath = options.files[1];

  ComPtr<IVexaSecurity> security;
  HRESULT hr = com::createInstance<IVexaSecurity>(CLSID_VexaSecurity, &security);
  if (FAILED(hr)) return fail(describeFailure("creating VexaSecurity", hr));
  CipherList list;
  hr = list.load(security.get());
  if (FAILED(hr)) return fail(describeFailure("listing the ciphers", hr));
  const std::optional<CIPHER> chosen = chooseCipher(list, options);
  if (!chosen) {
    return fail("no usable cipher fits the options given; `dxsign ciphers` lists them");
  }
  CIPHER cipher = *chosen;
  if (cipher.dwDefaultKeyLen < 128) {
    std::cerr << "dxsign: warning: " << describeCipher(cipher)
              << " is weak: a key under 128 bits can be found by trying them all. Choose it "
                 "only for a reader that knows no other.\n";
  }

  std::vector<uint8_t> data;
  std::string error;
  if (!readWholeFile(inPath, &data, &error)) return fail(error);
  const std::optional<Bstr> password = passwordFor(options, encrypting, &error);
  if (!password) return fail(error);

  LONG count = static_cast<LONG>(data.size());
  BYTE* buffer = static_cast<BYTE*>(CoTaskMemAlloc(data.size()));
  if (buffer == nullptr) return fail("out of memory");
  std::copy(data.begin(), data.end(), buffer);
  explicit_bzero(data.data(), data.size());
  hr = encrypting ? security->EncryptData(password->get(), &cipher, &count, &buffer)
                  : security->DecryptData(password->get(), &cipher, &count, &buffer);
  explicit_bzero(password->get(), password->length() * sizeof(OLECHAR));
  if (FAILED(hr)) {
    CoTaskMemFree(buffer);
    const std::string what = (encrypting ? "encrypting " : "decrypting ") + inPath;
    std::cerr << "dxsign: " << describeFailure(what, hr) << '\n';
    if (!encrypting && hr == NTE_BAD_DATA) {
      std::cerr << "dxsign: the password is wrong, or " << inPath << " was not encrypted with "
                << describeCipher(cipher) << '\n';
    }
    return kFailure;
  }
  // Plaintext that did not exist before is the user's alone; an output that is already there
  // keeps the mode its owner gave it.
  fileio::ReplaceMode mode;
  if (!encrypting) mode.newFileMode = 0600;
  const DWORD written = fileio::replaceFile(
      outPath, [&](int fd) { return fileio::writeAll(fd, buffer, static_cast<size_t>(count)); },
      mode);
  explicit_bzero(buffer, static_cast<size_t>(count));
  CoTaskMemFree(buffer);
  if (written != ERROR_SUCCESS) {
    const auto text = win32::systemMessage(written);
    return fail("cannot write " + outPath + ": " +
                (text ? vexamor::text::utf16ToUtf8(*text) : "error " + std::to_string(written)));
  }
  std::cout << (encrypting ? "Encrypted " : "Decrypted ") << inPath << " to " << outPath << " ("
            << count << " bytes) with " << describeCipher(cipher) << ".\n";
  return kSuccess;
}

}  // namespace

int runCipherCommand(const std::string& verb, const std::vector<std::string>& args) {
  if (verb == "ciphers") {
    if (!args.empty()) {
      printUsage(true);
      return kUsage;
    }
    ComPtr<IVexaSecurity> security;
    const HRESULT hr = com::createInstance<IVexaSecurity>(CLSID_VexaSecurity, &security);
    if (FAILED(hr)) return fail(describeFailure("creating VexaSecurity", hr));
    return listCiphers(security.get());
  }
  return transformFile(verb == "encrypt", args);
}

}  // namespace vexamor::dxsign
