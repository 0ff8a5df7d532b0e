// Installed providers and opening them. The platform's provider enumeration function is not
// here, so the installed providers are read as the platform reads them without it: the
// subkeys of HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Cryptography\Defaults\Provider, each named
// after a provider and holding its type as the REG_DWORD value "Type". Setup writes them
// (providerRegistrationText).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "signcore/crypto/csp/provider_table.h"

namespace vexamor::csp {

constexpr std::u16string_view kProviderKeyPath =
    u"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider";

struct InstalledProvider {
  std::u16string name;  // as the registry spells it
  DWORD type;
};

// The installed providers in registry order. A provider whose "Type" is missing or not a
// REG_DWORD is left out; no key at all means no provider.
std::vector<InstalledProvider> installedProviders();

// Opens a provider for verification only (no key container): it must be installed under
// `name` with `type`, and be one of the providers that the emulation knows. Failures:
// NTE_BAD_PROV_TYPE for type 0, NTE_KEYSET_NOT_DEF when no provider is installed under the
// name, NTE_PROV_TYPE_ENTRY_BAD when its "Type" is unreadable, NTE_PROV_TYPE_NO_MATCH when
// it is another type, NTE_PROV_DLL_NOT_FOUND when the emulation has no such provider.
HRESULT openProvider(std::u16string_view name, DWORD type, const ProviderInfo** out);

// Random bytes from the provider's generator; NTE_FAIL when it has none to give.
HRESULT randomBytes(std::span<uint8_t> out);

// The ".reg" lines that install the known providers.
std::string providerRegistrationText();

}  // namespace vexamor::csp
