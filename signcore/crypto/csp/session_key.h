// Session keys of the provider emulation: key derivation from a hash value and the cipher
// operations, with the platform's semantics, so that data encrypted here decrypts there and
// the other way round.
//
// Derivation, with no salt: the key is the hash's first bytes when the hash is long enough;
// otherwise, and for every AES key, it is taken from MD5(B1) || MD5(B2), where B1 and B2 are
// 64 bytes of 0x36 and of 0x5C with the hash XOR-ed into their first bytes. DES keys are
// 8 bytes (their parity bits are not used), two-key 3DES keys 16 (K1 K2 K1), 3DES keys 24.
//
// Ciphers: RC4 as a stream; the block ciphers in CBC mode with an all-zero IV and PKCS #5
// padding (a whole block of padding when the data fills its blocks, so 0 bytes encrypt to one
// block). RC2's effective key length is its key length. Every call is one final step.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "signcore/crypto/csp/provider_table.h"
#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::csp {

using Md5Digest = std::array<uint8_t, 16>;

// MD5 over data; NTE_FAIL when OpenSSL cannot hash.
HRESULT md5(std::span<const uint8_t> data, Md5Digest* out);

// MD5 over the password's UTF-16LE code units, without a terminator.
HRESULT passwordHash(std::u16string_view password, Md5Digest* out);

// The first keyBytes bytes that the derivation takes from `hash` (see above).
// REQUIRES: keyBytes <= 32.
HRESULT keyFromHash(const Md5Digest& hash, size_t keyBytes, bool alwaysExpand,
                    std::vector<uint8_t>* out);

class SessionKey {
 public:
  SessionKey() = default;
  SessionKey(SessionKey&&) noexcept = default;
  SessionKey& operator=(SessionKey&&) noexcept;
  ~SessionKey();

  // Derives a key of algId with `bits` bits from the hash value, as the platform does with
  // the no-salt flag; 0 bits take the algorithm's default length. NTE_BAD_ALGID for an
  // algorithm the provider has no cipher for, NTE_BAD_FLAGS for a length outside its range
  // (or not a whole number of bytes).
  static HRESULT derive(const ProviderInfo& provider, ALG_ID algId, DWORD bits,
                        const Md5Digest& hash, SessionKey* out);

  ALG_ID algId() const { return algId_; }
  DWORD bits() const { return bits_; }
  std::span<const uint8_t> keyBytes() const { return key_; }
  // Bytes per block; 0 for a stream cipher.
  size_t blockSize() const { return blockSize_; }

  // The length of the ciphertext of `plainSize` bytes.
  size_t encryptedSize(size_t plainSize) const;

  // Encrypts `in` into `out` in one final step; ERROR_MORE_DATA (as an HRESULT) when `out`
  // is shorter than encryptedSize(in.size()).
  HRESULT encrypt(std::span<const uint8_t> in, std::span<uint8_t> out, size_t* written) const;

  // Decrypts `in` into `out` (at least in.size() bytes) in one final step and removes the
  // padding. NTE_BAD_DATA for a block cipher's data that is not a whole, non-zero number of
  // blocks or whose padding is wrong (a wrong password, mostly).
  HRESULT decrypt(std::span<const uint8_t> in, std::span<uint8_t> out, size_t* written) const;

 private:
  HRESULT run(bool encrypting, std::span<const uint8_t> in, uint8_t* out, size_t* written) const;

  ALG_ID algId_ = 0;
  DWORD bits_ = 0;
  size_t blockSize_ = 0;
  std::vector<uint8_t> key_;
  ossl::Cipher cipher_;
};

}  // namespace vexamor::csp
