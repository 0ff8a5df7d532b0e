#include "signcore/crypto/vexa_security.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "platform/com/task_mem.h"
#include "signcore/crypto/csp/provider.h"
#include "signcore/crypto/csp/session_key.h"
#include "signcore/idl/dxsigncore16.h"
#include "signcore/module/error_report.h"

namespace vexamor::signcore {
namespace {

using csp::ProviderInfo;

std::u16string_view view(BSTR s) {
  return {s != nullptr ? s : u"", SysStringLen(s)};
}

void freeCipher(CIPHER* cipher) {
  if (cipher == nullptr) return;
  SysFreeString(cipher->bstrProvName);
  SysFreeString(cipher->bstrAlgName);
  CoTaskMemFree(cipher);
}

struct CipherDeleter {
  void operator()(CIPHER* cipher) const { freeCipher(cipher); }
};
using CipherPtr = std::unique_ptr<CIPHER, CipherDeleter>;

// Fills a cleared record with a provider's algorithm; on failure the record holds no strings.
HRESULT fillCipher(DWORD provType, std::u16string_view provName, const csp::AlgorithmInfo& alg,
                   CIPHER* out) {
  const std::u16string algName(alg.name.begin(), alg.name.end());  // the short names are ASCII
  BSTR prov = SysAllocStringLen(provName.data(), static_cast<UINT>(provName.size()));
  BSTR name = SysAllocStringLen(algName.data(), static_cast<UINT>(algName.size()));
  if (prov == nullptr || name == nullptr) {
    SysFreeString(prov);
    SysFreeString(name);
    return E_OUTOFMEMORY;
  }
  *out = CIPHER{};
  out->cbSize = kCipherSize;
  out->dwProvType = provType;
  out->bstrProvName = prov;
  out->algId = alg.algId;
  out->bstrAlgName = name;
  out->dwMinKeyLen = alg.minLen;
  out->dwMaxKeyLen = alg.maxLen;
  out->dwDefaultKeyLen = alg.defaultLen;
  return S_OK;
}

HRESULT newCipher(DWORD provType, std::u16string_view provName, const csp::AlgorithmInfo& alg,
                  CipherPtr* out) {
  CipherPtr record(static_cast<CIPHER*>(CoTaskMemAlloc(sizeof(CIPHER))));
  if (record == nullptr) return E_OUTOFMEMORY;
  *record = CIPHER{};
  const HRESULT hr = fillCipher(provType, provName, alg, record.get());
  if (SUCCEEDED(hr)) *out = std::move(record);
  return hr;
}

// The provider that a record names, or the default provider when it names none.
HRESULT openCipherProvider(const CIPHER& cipher, const ProviderInfo** out) {
  const std::u16string_view name = view(cipher.bstrProvName);
  if (cipher.dwProvType == 0 || name.empty()) {
    return csp::openProvider(csp::MS_DEF_PROV, csp::PROV_RSA_FULL, out);
  }
  return csp::openProvider(name, cipher.dwProvType, out);
}

// A cipher is usable when it encrypts data, its provider opens and a key of its default
// length derives from the hash of a few random bytes.
bool isUsable(const CIPHER& cipher) {
  if (!csp::isDataEncryption(cipher.algId)) return false;
  const ProviderInfo* provider = nullptr;
  if (FAILED(openCipherProvider(cipher, &provider))) return false;
  std::array<uint8_t, 8> random{};
  csp::Md5Digest hash{};
  csp::SessionKey key;
  return SUCCEEDED(csp::randomBytes(random)) && SUCCEEDED(csp::md5(random, &hash)) &&
         SUCCEEDED(
             csp::SessionKey::derive(*provider, cipher.algId, cipher.dwDefaultKeyLen, hash, &key));
}

// Every usable cipher of every installed provider that `keep` accepts, in provider order and
// then in each provider's algorithm order.
template <class Keep>
HRESULT enumerateCiphers(LONG* pElems, CIPHER*** rgCipher, Keep keep) {
  if (pElems == nullptr || rgCipher == nullptr) return E_POINTER;
  *pElems = 0;
  *rgCipher = nullptr;
  std::vector<CipherPtr> kept;
  for (const csp::InstalledProvider& installed : csp::installedProviders()) {
    const ProviderInfo* provider = nullptr;
    if (FAILED(csp::openProvider(installed.name, installed.type, &provider))) continue;
    for (const csp::AlgorithmInfo& alg : provider->algorithms) {
      if (!keep(alg.algId)) continue;
      CipherPtr record;
      const HRESULT hr = newCipher(installed.type, installed.name, alg, &record);
      if (FAILED(hr)) return hr;
      if (isUsable(*record)) kept.push_back(std::move(record));
    }
  }
  if (kept.empty()) return S_OK;
  auto** array = static_cast<CIPHER**>(CoTaskMemAlloc(kept.size() * sizeof(CIPHER*)));
  if (array == nullptr) return E_OUTOFMEMORY;
  for (size_t i = 0; i < kept.size(); ++i) array[i] = kept[i].release();
  *rgCipher = array;
  *pElems = static_cast<LONG>(kept.size());
  return S_OK;
}

// EncryptData and DecryptData: the caller's buffer is replaced only when the whole operation
// succeeded.
HRESULT transform(bool encrypting, BSTR bstrPassword, CIPHER* pCipher, LONG* pcElems,
                  BYTE** rgbData) {
  if (bstrPassword == nullptr || pCipher == nullptr || pcElems == nullptr || rgbData == nullptr) {
    return E_POINTER;
  }
  const LONG count = *pcElems;
  if (count < 0) return E_INVALIDARG;
  if (count > 0 && *rgbData == nullptr) return E_POINTER;

  const ProviderInfo* provider = nullptr;
  HRESULT hr = openCipherProvider(*pCipher, &provider);
  if (FAILED(hr)) return hr;
  const std::u16string_view password = view(bstrPassword);
  if (password.empty()) {
    // The one failure without an error object; none left over from an earlier call either.
    SetErrorInfo(0, nullptr);
    throw UnreportedFailure{E_FAIL};
  }
  csp::Md5Digest hash{};
  hr = csp::passwordHash(password, &hash);
  csp::SessionKey key;
  if (SUCCEEDED(hr)) {
    hr = csp::SessionKey::derive(*provider, pCipher->algId, pCipher->dwDefaultKeyLen, hash, &key);
  }
  OPENSSL_cleanse(hash.data(), hash.size());
  if (FAILED(hr)) return hr;

  const auto size = static_cast<size_t>(count);
  size_t capacity = size;
  if (encrypting) {
    // Room for a whole block of padding. A fixed 8 bytes would serve the 8-byte blocks of
    // RC2, DES and 3DES only, and keep every AES cipher from encrypting at all.
    capacity = size + std::max<size_t>(8, key.blockSize());
    if (key.encryptedSize(size) > static_cast<size_t>(LONG_MAX)) return NTE_BAD_LEN;
  }
  BYTE* out = static_cast<BYTE*>(CoTaskMemAlloc(capacity));
  if (out == nullptr) return E_OUTOFMEMORY;
  const std::span<const uint8_t> in(*rgbData, size);
  size_t written = 0;
  hr = encrypting ? key.encrypt(in, {out, capacity}, &written)
                  : key.decrypt(in, {out, capacity}, &written);
  if (FAILED(hr)) {
    CoTaskMemFree(out);
    return hr;
  }
  if (encrypting && size > 0) OPENSSL_cleanse(*rgbData, size);  // the plaintext goes away
  CoTaskMemFree(*rgbData);
  *rgbData = out;
  *pcElems = static_cast<LONG>(written);
  return S_OK;
}

class VexaSecurity final : public ComObject<VexaSecurity, IVexaSecurity> {
 public:
  HRESULT IsCipherSupported(CIPHER* pCipher, LONG* bResult) override {
    return runMethod(kVexaSecurityClass, [&]() -> HRESULT {
      if (pCipher == nullptr || bResult == nullptr) return E_POINTER;
      *bResult = isUsable(*pCipher) ? 1 : 0;
      return S_OK;
    });
  }

  HRESULT EnumerateAllCiphers(LONG* pElems, CIPHER*** rgCipher) override {
    return runMethod(kVexaSecurityClass, [&] {
      return enumerateCiphers(pElems, rgCipher,
                              [](csp::ALG_ID id) { return csp::isDataEncryption(id); });
    });
  }

  HRESULT EnumerateRC4Ciphers(LONG* pElems, CIPHER*** rgCipher) override {
    return runMethod(kVexaSecurityClass, [&] {
      return enumerateCiphers(pElems, rgCipher, [](csp::ALG_ID id) { return id == csp::CALG_RC4; });
    });
  }

  HRESULT GetDefaultCipher(CIPHER* pCipher) override {
    return runMethod(kVexaSecurityClass, [&]() -> HRESULT {
      if (pCipher == nullptr) return E_POINTER;
      *pCipher = CIPHER{};
      pCipher->cbSize = kCipherSize;
      const ProviderInfo* provider = nullptr;
      const HRESULT hr = csp::openProvider(csp::MS_DEF_PROV, csp::PROV_RSA_FULL, &provider);
      if (FAILED(hr)) return hr;
      const csp::AlgorithmInfo* rc4 = csp::findAlgorithm(*provider, csp::CALG_RC4);
      if (rc4 == nullptr) return NTE_BAD_ALGID;
      return fillCipher(provider->type, provider->name, *rc4, pCipher);
    });
  }

  HRESULT IsEqualCipher(CIPHER* pCipher1, CIPHER* pCipher2, LONG* bResult) override {
    return runMethod(kVexaSecurityClass, [&]() -> HRESULT {
      if (pCipher1 == nullptr || pCipher2 == nullptr || bResult == nullptr) return E_POINTER;
      *bResult = 0;
      if (pCipher1->cbSize != kCipherSize || pCipher2->cbSize != kCipherSize) return E_INVALIDARG;
      *bResult = pCipher1->algId == pCipher2->algId &&
                         pCipher1->dwProvType == pCipher2->dwProvType &&
                         view(pCipher1->bstrProvName) == view(pCipher2->bstrProvName)
                     ? 1
                     : 0;
      return S_OK;
    });
  }

  HRESULT EncryptData(BSTR bstrPassword, CIPHER* pCipher, LONG* pcElems, BYTE** rgbData) override {
    return runMethod(kVexaSecurityClass,
                     [&] { return transform(true, bstrPassword, pCipher, pcElems, rgbData); });
  }

  HRESULT DecryptData(BSTR bstrPassword, CIPHER* pCipher, LONG* pcElems, BYTE** rgbData) override {
    return runMethod(kVexaSecurityClass,
                     [&] { return transform(false, bstrPassword, pCipher, pcElems, rgbData); });
  }
};

HRESULT create(REFIID riid, void** ppv) {
  return createObject<VexaSecurity>(riid, ppv);
}

}  // namespace

const ClassInfo kVexaSecurityClass = {CLSID_VexaSecurity, IID_IVexaSecurity, kProgIdVexaSecurity,
                                      "VexaSecurity",     "IVexaSecurity",   create};

}  // namespace vexamor::signcore
