// The providers that this emulation stands in for: the four classic RSA providers of the
// platform, with their names, types and algorithm tables as the platform's extended
// algorithm enumeration reports them (identifier, short name, key lengths in bits).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/com/win32_types.h"

namespace vexamor::csp {

using ALG_ID = uint32_t;

// Data-encryption algorithms.
constexpr ALG_ID CALG_DES = 0x6601;
constexpr ALG_ID CALG_RC2 = 0x6602;
constexpr ALG_ID CALG_3DES = 0x6603;
constexpr ALG_ID CALG_3DES_112 = 0x6609;
constexpr ALG_ID CALG_AES_128 = 0x660E;
constexpr ALG_ID CALG_AES_192 = 0x660F;
constexpr ALG_ID CALG_AES_256 = 0x6610;
constexpr ALG_ID CALG_RC4 = 0x6801;
// Hashes, signature and key exchange: listed by the providers, never used to encrypt.
constexpr ALG_ID CALG_MD2 = 0x8001;
constexpr ALG_ID CALG_MD4 = 0x8002;
constexpr ALG_ID CALG_MD5 = 0x8003;
constexpr ALG_ID CALG_SHA1 = 0x8004;
constexpr ALG_ID CALG_MAC = 0x8005;
constexpr ALG_ID CALG_SSL3_SHAMD5 = 0x8008;
constexpr ALG_ID CALG_HMAC = 0x8009;
constexpr ALG_ID CALG_SHA_256 = 0x800C;
constexpr ALG_ID CALG_SHA_384 = 0x800D;
constexpr ALG_ID CALG_SHA_512 = 0x800E;
constexpr ALG_ID CALG_RSA_SIGN = 0x2400;
constexpr ALG_ID CALG_RSA_KEYX = 0xA400;

// The class bits of an algorithm identifier.
constexpr bool isDataEncryption(ALG_ID algId) {
  return (algId & 0xE000u) == 0x6000u;
}

constexpr DWORD PROV_RSA_FULL = 1;
constexpr DWORD PROV_RSA_AES = 24;

constexpr std::u16string_view MS_DEF_PROV = u"Microsoft Base Cryptographic Provider v1.0";
constexpr std::u16string_view MS_ENHANCED_PROV = u"Microsoft Enhanced Cryptographic Provider v1.0";
constexpr std::u16string_view MS_STRONG_PROV = u"Microsoft Strong Cryptographic Provider";
constexpr std::u16string_view MS_ENH_RSA_AES_PROV =
    u"Microsoft Enhanced RSA and AES Cryptographic Provider";

struct AlgorithmInfo {
  ALG_ID algId;
  std::string_view name;  // the short name, at most 19 characters
  DWORD defaultLen;
  DWORD minLen;
  DWORD maxLen;
};

struct ProviderInfo {
  std::u16string_view name;
  DWORD type;
  std::span<const AlgorithmInfo> algorithms;  // in the provider's enumeration order
};

// The four providers, Base, Enhanced, Strong, Enhanced RSA and AES.
std::span<const ProviderInfo> knownProviders();

// The provider of that name, compared without regard to case as the registry compares the
// names it is installed under; null for a provider that the emulation does not know.
const ProviderInfo* findKnownProvider(std::u16string_view name);

// The provider's entry for algId; null when the provider has no such algorithm.
const AlgorithmInfo* findAlgorithm(const ProviderInfo& provider, ALG_ID algId);

}  // namespace vexamor::csp
