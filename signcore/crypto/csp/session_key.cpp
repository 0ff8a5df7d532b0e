#include "signcore/crypto/csp/session_key.h"

#include <openssl/crypto.h>

#include <climits>

#include "signcore/crypto/csp/openssl_context.h"

namespace vexamor::csp {
namespace {

// How each data-encryption algorithm maps onto an OpenSSL cipher.
struct CipherShape {
  ALG_ID algId;
  const char* opensslName;
  size_t fixedKeyBytes;  // 0: the key has bits / 8 bytes
  bool alwaysExpand;     // the key never is the bare hash
};

constexpr CipherShape kShapes[] = {
    {CALG_RC2, "RC2-CBC", 0, false},         {CALG_RC4, "RC4", 0, false},
    {CALG_DES, "DES-CBC", 8, false},         {CALG_3DES_112, "DES-EDE-CBC", 16, false},
    {CALG_3DES, "DES-EDE3-CBC", 24, false},  {CALG_AES_128, "AES-128-CBC", 16, true},
    {CALG_AES_192, "AES-192-CBC", 24, true}, {CALG_AES_256, "AES-256-CBC", 32, true},
};

const CipherShape* findShape(ALG_ID algId) {
  for (const CipherShape& shape : kShapes) {
    if (shape.algId == algId) return &shape;
  }
  return nullptr;
}

constexpr size_t kPadBufferSize = 64;

}  // namespace

HRESULT md5(std::span<const uint8_t> data, Md5Digest* out) {
  OSSL_LIB_CTX* libctx = opensslContext();
  if (libctx == nullptr) return NTE_FAIL;
  ossl::Md md(EVP_MD_fetch(libctx, "MD5", nullptr));
  unsigned int length = 0;
  if (md == nullptr ||
      EVP_Digest(data.data(), data.size(), out->data(), &length, md.get(), nullptr) != 1 ||
      length != out->size()) {
    return NTE_FAIL;
  }
  return S_OK;
}

HRESULT passwordHash(std::u16string_view password, Md5Digest* out) {
  std::vector<uint8_t> bytes;
  bytes.reserve(password.size() * 2);
  for (char16_t unit : password) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  const HRESULT hr = md5(bytes, out);
  OPENSSL_cleanse(bytes.data(), bytes.size());
  return hr;
}

HRESULT keyFromHash(const Md5Digest& hash, size_t keyBytes, bool alwaysExpand,
                    std::vector<uint8_t>* out) {
  if (keyBytes > 2 * hash.size()) return NTE_BAD_LEN;
  if (keyBytes <= hash.size() && !alwaysExpand) {
    out->assign(hash.begin(), hash.begin() + static_cast<std::ptrdiff_t>(keyBytes));
    return S_OK;
  }
  std::array<uint8_t, kPadBufferSize> inner, outer;
  inner.fill(0x36);
  outer.fill(0x5C);
  for (size_t i = 0; i < hash.size(); ++i) {
    inner[i] ^= hash[i];
    outer[i] ^= hash[i];
  }
  Md5Digest first, second;
  HRESULT hr = md5(inner, &first);
  if (SUCCEEDED(hr)) hr = md5(outer, &second);
  if (SUCCEEDED(hr)) {
    out->assign(first.begin(), first.end());
    out->insert(out->end(), second.begin(), second.end());
    out->resize(keyBytes);
  }
  OPENSSL_cleanse(inner.data(), inner.size());
  OPENSSL_cleanse(outer.data(), outer.size());
  OPENSSL_cleanse(first.data(), first.size());
  OPENSSL_cleanse(second.data(), second.size());
  return hr;
}

SessionKey& SessionKey::operator=(SessionKey&& other) noexcept {
  if (this != &other) {
    OPENSSL_cleanse(key_.data(), key_.size());
    algId_ = other.algId_;
    bits_ = other.bits_;
    blockSize_ = other.blockSize_;
    key_ = std::move(other.key_);
    cipher_ = std::move(other.cipher_);
  }
  return *this;
}

SessionKey::~SessionKey() {
  OPENSSL_cleanse(key_.data(), key_.size());
}

HRESULT SessionKey::derive(const ProviderInfo& provider, ALG_ID algId, DWORD bits,
                           const Md5Digest& hash, SessionKey* out) {
  const AlgorithmInfo* info = findAlgorithm(provider, algId);
  const CipherShape* shape = findShape(algId);
  if (info == nullptr || shape == nullptr) return NTE_BAD_ALGID;
  if (bits == 0) bits = info->defaultLen;
  if (bits < info->minLen || bits > info->maxLen || bits % 8 != 0) return NTE_BAD_FLAGS;

  OSSL_LIB_CTX* libctx = opensslContext();
  if (libctx == nullptr) return NTE_FAIL;
  // A missing OpenSSL legacy provider leaves RC2, RC4 and DES without an implementation.
  ossl::Cipher cipher(EVP_CIPHER_fetch(libctx, shape->opensslName, nullptr));
  if (cipher == nullptr) return NTE_BAD_ALGID;

  SessionKey key;
  const size_t keyBytes = shape->fixedKeyBytes != 0 ? shape->fixedKeyBytes : bits / 8;
  const HRESULT hr = keyFromHash(hash, keyBytes, shape->alwaysExpand, &key.key_);
  if (FAILED(hr)) return hr;
  const int blockSize = EVP_CIPHER_get_block_size(cipher.get());
  key.algId_ = algId;
  key.bits_ = bits;
  key.blockSize_ = blockSize > 1 ? static_cast<size_t>(blockSize) : 0;
  key.cipher_ = std::move(cipher);
  *out = std::move(key);
  return S_OK;
}

size_t SessionKey::encryptedSize(size_t plainSize) const {
  if (blockSize_ == 0) return plainSize;
  return (plainSize / blockSize_ + 1) * blockSize_;
}

HRESULT SessionKey::encrypt(std::span<const uint8_t> in, std::span<uint8_t> out,
                            size_t* written) const {
  if (out.size() < encryptedSize(in.size())) return HRESULT_FROM_WIN32(ERROR_MORE_DATA);
  return run(true, in, out.data(), written);
}

HRESULT SessionKey::decrypt(std::span<const uint8_t> in, std::span<uint8_t> out,
                            size_t* written) const {
  if (blockSize_ != 0 && (in.empty() || in.size() % blockSize_ != 0)) return NTE_BAD_DATA;
  if (out.size() < in.size()) return HRESULT_FROM_WIN32(ERROR_MORE_DATA);
  const HRESULT hr = run(false, in, out.data(), written);
  // Whatever a failed decryption wrote may be plaintext under a wrong key, or the right one.
  if (FAILED(hr)) OPENSSL_cleanse(out.data(), in.size());
  return hr;
}

HRESULT SessionKey::run(bool encrypting, std::span<const uint8_t> in, uint8_t* out,
                        size_t* written) const {
  if (cipher_ == nullptr) return NTE_BAD_KEY;
  if (in.size() > static_cast<size_t>(INT_MAX) - 2 * kPadBufferSize) return NTE_BAD_LEN;
  ossl::CipherCtx ctx(EVP_CIPHER_CTX_new());
  if (ctx == nullptr) return NTE_NO_MEMORY;
  const int enc = encrypting ? 1 : 0;
  const std::array<uint8_t, 16> zeroIv{};
  // The key length and RC2's effective bits are settled before the key goes in.
  if (EVP_CipherInit_ex2(ctx.get(), cipher_.get(), nullptr, nullptr, enc, nullptr) != 1 ||
      EVP_CIPHER_CTX_set_key_length(ctx.get(), static_cast<int>(key_.size())) != 1 ||
      (algId_ == CALG_RC2 && EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_SET_RC2_KEY_BITS,
                                                 static_cast<int>(bits_), nullptr) <= 0) ||
      EVP_CipherInit_ex2(ctx.get(), nullptr, key_.data(), blockSize_ != 0 ? zeroIv.data() : nullptr,
                         enc, nullptr) != 1) {
    return NTE_FAIL;
  }
  const HRESULT failure = encrypting ? NTE_FAIL : NTE_BAD_DATA;
  int head = 0;
  if (!in.empty() &&
      EVP_CipherUpdate(ctx.get(), out, &head, in.data(), static_cast<int>(in.size())) != 1) {
    return failure;
  }
  int tail = 0;
  if (EVP_CipherFinal_ex(ctx.get(), out + head, &tail) != 1) return failure;
  *written = static_cast<size_t>(head) + static_cast<size_t>(tail);
  return S_OK;
}

}  // namespace vexamor::csp
