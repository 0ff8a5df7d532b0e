#include "signcore/crypto/csp/provider_table.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "platform/com/utf.h"

namespace vexamor::csp {
namespace {

template <size_t... N>
constexpr auto join(const AlgorithmInfo (&... parts)[N]) {
  std::array<AlgorithmInfo, (N + ...)> out{};
  size_t at = 0;
  ((std::copy(std::begin(parts), std::end(parts), out.begin() + at), at += N), ...);
  return out;
}

constexpr AlgorithmInfo kBaseCiphers[] = {
    {CALG_RC2, "RC2", 40, 40, 56},
    {CALG_RC4, "RC4", 40, 40, 56},
    {CALG_DES, "DES", 56, 56, 56},
};
constexpr AlgorithmInfo kEnhancedCiphers[] = {
    {CALG_RC2, "RC2", 128, 40, 128},    {CALG_RC4, "RC4", 128, 40, 128},
    {CALG_DES, "DES", 56, 56, 56},      {CALG_3DES_112, "3DES TWO KEY", 112, 112, 112},
    {CALG_3DES, "3DES", 168, 168, 168},
};
constexpr AlgorithmInfo kAesCiphers[] = {
    {CALG_AES_128, "AES 128", 128, 128, 128},
    {CALG_AES_192, "AES 192", 192, 192, 192},
    {CALG_AES_256, "AES 256", 256, 256, 256},
};
constexpr AlgorithmInfo kSha1[] = {{CALG_SHA1, "SHA-1", 160, 160, 160}};
constexpr AlgorithmInfo kSha2[] = {
    {CALG_SHA_256, "SHA-256", 256, 256, 256},
    {CALG_SHA_384, "SHA-384", 384, 384, 384},
    {CALG_SHA_512, "SHA-512", 512, 512, 512},
};
constexpr AlgorithmInfo kOlderHashes[] = {
    {CALG_MD2, "MD2", 128, 128, 128}, {CALG_MD4, "MD4", 128, 128, 128},
    {CALG_MD5, "MD5", 128, 128, 128}, {CALG_SSL3_SHAMD5, "SSL3 SHAMD5", 288, 288, 288},
    {CALG_MAC, "MAC", 0, 0, 0},
};
// The Base provider keeps its RSA keys short.
constexpr AlgorithmInfo kBaseRsa[] = {
    {CALG_RSA_SIGN, "RSA_SIGN", 512, 384, 16384},
    {CALG_RSA_KEYX, "RSA_KEYX", 512, 384, 1024},
    {CALG_HMAC, "HMAC", 0, 0, 0},
};
constexpr AlgorithmInfo kEnhancedRsa[] = {
    {CALG_RSA_SIGN, "RSA_SIGN", 1024, 384, 16384},
    {CALG_RSA_KEYX, "RSA_KEYX", 1024, 384, 16384},
    {CALG_HMAC, "HMAC", 0, 0, 0},
};

constexpr auto kBase = join(kBaseCiphers, kSha1, kOlderHashes, kBaseRsa);
constexpr auto kEnhanced = join(kEnhancedCiphers, kSha1, kOlderHashes, kEnhancedRsa);
constexpr auto kAes = join(kEnhancedCiphers, kAesCiphers, kSha1, kSha2, kOlderHashes, kEnhancedRsa);

constexpr ProviderInfo kProviders[] = {
    {MS_DEF_PROV, PROV_RSA_FULL, kBase},
    {MS_ENHANCED_PROV, PROV_RSA_FULL, kEnhanced},
    {MS_STRONG_PROV, PROV_RSA_FULL, kEnhanced},
    {MS_ENH_RSA_AES_PROV, PROV_RSA_AES, kAes},
};

}  // namespace

std::span<const ProviderInfo> knownProviders() {
  return kProviders;
}

const ProviderInfo* findKnownProvider(std::u16string_view name) {
  for (const ProviderInfo& provider : kProviders) {
    if (text::equalsIgnoreCase(provider.name, name)) return &provider;
  }
  return nullptr;
}

const AlgorithmInfo* findAlgorithm(const ProviderInfo& provider, ALG_ID algId) {
  for (const AlgorithmInfo& alg : provider.algorithms) {
    if (alg.algId == algId) return &alg;
  }
  return nullptr;
}

}  // namespace vexamor::csp
