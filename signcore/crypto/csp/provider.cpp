#include "signcore/crypto/csp/provider.h"

#include <openssl/rand.h>

#include <cstdio>

#include "platform/com/utf.h"
#include "platform/registry/dword_value.h"
#include "platform/registry/registry.h"
#include "platform/registry/unique_key.h"
#include "signcore/crypto/csp/openssl_context.h"

namespace vexamor::csp {
namespace {

// Reads the "Type" of an installed provider's key.
bool readType(HKEY providerKey, DWORD* type) {
  const std::optional<DWORD> value = registry::queryDwordValue(providerKey, u"Type");
  if (value) *type = *value;
  return value.has_value();
}

}  // namespace

std::vector<InstalledProvider> installedProviders() {
  std::vector<InstalledProvider> out;
  registry::UniqueKey root;
  const std::u16string path(kProviderKeyPath);
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, root.out()) != ERROR_SUCCESS) {
    return out;
  }
  for (DWORD index = 0;; ++index) {
    WCHAR name[kMaxKeyNameLength + 1];
    DWORD length = kMaxKeyNameLength + 1;
    if (RegEnumKeyExW(root.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    registry::UniqueKey provider;
    DWORD type = 0;
    if (RegOpenKeyExW(root.get(), name, 0, KEY_QUERY_VALUE, provider.out()) == ERROR_SUCCESS &&
        readType(provider.get(), &type)) {
      out.push_back({std::u16string(name, length), type});
    }
  }
  return out;
}

HRESULT openProvider(std::u16string_view name, DWORD type, const ProviderInfo** out) {
  *out = nullptr;
  if (type == 0) return NTE_BAD_PROV_TYPE;
  const std::u16string path = std::u16string(kProviderKeyPath) + u"\\" + std::u16string(name);
  registry::UniqueKey key;
  if (name.empty() || name.find(u'\\') != std::u16string_view::npos ||
      name.find(u'\0') != std::u16string_view::npos ||
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.out()) !=
          ERROR_SUCCESS) {
    return NTE_KEYSET_NOT_DEF;
  }
  DWORD registeredType = 0;
  if (!readType(key.get(), &registeredType)) return NTE_PROV_TYPE_ENTRY_BAD;
  if (registeredType != type) return NTE_PROV_TYPE_NO_MATCH;
  const ProviderInfo* provider = findKnownProvider(name);
  if (provider == nullptr || provider->type != type) return NTE_PROV_DLL_NOT_FOUND;
  *out = provider;
  return S_OK;
}

HRESULT randomBytes(std::span<uint8_t> out) {
  OSSL_LIB_CTX* libctx = opensslContext();
  if (libctx == nullptr || RAND_bytes_ex(libctx, out.data(), out.size(), 0) != 1) return NTE_FAIL;
  return S_OK;
}

std::string providerRegistrationText() {
  std::string out;
  for (const ProviderInfo& provider : knownProviders()) {
    char type[32];
    std::snprintf(type, sizeof type, "\"Type\"=dword:%08x\n\n",
                  static_cast<unsigned>(provider.type));
    out += "[HKEY_LOCAL_MACHINE\\" + text::utf16ToUtf8(kProviderKeyPath) + "\\" +
           text::utf16ToUtf8(provider.name) + "]\n" + type;
  }
  return out;
}

}  // namespace vexamor::csp
