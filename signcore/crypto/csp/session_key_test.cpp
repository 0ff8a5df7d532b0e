// Key derivation and the ciphers against answers computed without this code
// (testing/known_answers.py prints every value below).
#include "signcore/crypto/csp/session_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "signcore/crypto/csp/testing/known_answers.h"

namespace vexamor::csp {
namespace {

const ProviderInfo& aesProvider() {
  return *findKnownProvider(MS_ENH_RSA_AES_PROV);
}

const ProviderInfo& baseProvider() {
  return *findKnownProvider(MS_DEF_PROV);
}

using testing::bytes;
using testing::bytesOf;
using testing::hexOf;
using testing::kAnswers;
using testing::KnownAnswer;
using testing::kPassword;
using testing::kPlain;

Md5Digest passwordDigest() {
  Md5Digest hash{};
  EXPECT_EQ(passwordHash(kPassword, &hash), S_OK);
  return hash;
}

SessionKey keyFor(const ProviderInfo& provider, ALG_ID algId, DWORD bits,
                  std::u16string_view password = kPassword) {
  Md5Digest hash{};
  EXPECT_EQ(passwordHash(password, &hash), S_OK);
  SessionKey key;
  EXPECT_EQ(SessionKey::derive(provider, algId, bits, hash, &key), S_OK) << std::hex << algId;
  return key;
}

std::vector<uint8_t> encrypt(const SessionKey& key, std::span<const uint8_t> plain) {
  std::vector<uint8_t> out(key.encryptedSize(plain.size()));
  size_t written = 0;
  EXPECT_EQ(key.encrypt(plain, out, &written), S_OK);
  out.resize(written);
  return out;
}

HRESULT decrypt(const SessionKey& key, std::span<const uint8_t> data, std::vector<uint8_t>* out) {
  out->assign(data.size(), 0);
  size_t written = 0;
  const HRESULT hr = key.decrypt(data, *out, &written);
  out->resize(SUCCEEDED(hr) ? written : 0);
  return hr;
}

TEST(KeyDerivation, HashesTheUtf16CodeUnitsOfThePassword) {
  EXPECT_EQ(hexOf(passwordDigest()), "d2b2486ed2761f58384feaace5a2bd99");
  Md5Digest empty{};
  ASSERT_EQ(passwordHash(u"", &empty), S_OK);
  EXPECT_EQ(hexOf(empty), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(KeyDerivation, ThePlatformsPublishedAes128Example) {
  const auto digest = bytes("0ea0407255e54ceb79cb48c3d1b1d0f4");
  Md5Digest hash{};
  std::copy(digest.begin(), digest.end(), hash.begin());
  SessionKey key;
  ASSERT_EQ(SessionKey::derive(aesProvider(), CALG_AES_128, 128, hash, &key), S_OK);
  EXPECT_EQ(hexOf(key.keyBytes()), "40d6b80b3435bf2059439a9eb72384f9");
  EXPECT_EQ(hexOf(encrypt(key, bytes("21222324"))), "976692026dec33f84e821120c7e2e6e8");
}

// Every cipher of every provider whose key lengths allow it gives the same, known bytes.
TEST(KeyDerivation, KnownKeysAndCiphertextsInEveryProvider) {
  const Md5Digest hash = passwordDigest();
  int checked = 0;
  for (const ProviderInfo& provider : knownProviders()) {
    for (const KnownAnswer& answer : kAnswers) {
      const AlgorithmInfo* alg = findAlgorithm(provider, answer.algId);
      if (alg == nullptr || answer.bits < alg->minLen || answer.bits > alg->maxLen) continue;
      SCOPED_TRACE(std::string(alg->name) + " " + std::to_string(answer.bits));
      SessionKey key;
      ASSERT_EQ(SessionKey::derive(provider, answer.algId, answer.bits, hash, &key), S_OK);
      EXPECT_EQ(hexOf(key.keyBytes()), answer.key);
      EXPECT_EQ(hexOf(encrypt(key, bytesOf(kPlain))), answer.ciphertext);
      std::vector<uint8_t> plain;
      ASSERT_EQ(decrypt(key, bytes(answer.ciphertext), &plain), S_OK);
      EXPECT_EQ(plain, bytesOf(kPlain));
      ++checked;
    }
  }
  EXPECT_EQ(checked, 5 + 9 + 9 + 12);  // Base, Enhanced, Strong, Enhanced RSA and AES
}

TEST(KeyDerivation, ZeroBitsTakeTheDefaultLength) {
  const SessionKey base = keyFor(baseProvider(), CALG_RC4, 0);
  EXPECT_EQ(base.bits(), 40u);
  EXPECT_EQ(hexOf(base.keyBytes()), "d2b2486ed2");
  EXPECT_EQ(keyFor(aesProvider(), CALG_RC2, 0).keyBytes().size(), 16u);
}

TEST(KeyDerivation, RefusesWhatTheProviderDoesNotOffer) {
  const Md5Digest hash = passwordDigest();
  SessionKey key;
  EXPECT_EQ(SessionKey::derive(baseProvider(), CALG_AES_256, 256, hash, &key), NTE_BAD_ALGID);
  EXPECT_EQ(SessionKey::derive(baseProvider(), CALG_3DES, 168, hash, &key), NTE_BAD_ALGID);
  EXPECT_EQ(SessionKey::derive(aesProvider(), CALG_MD5, 128, hash, &key), NTE_BAD_ALGID);
  EXPECT_EQ(SessionKey::derive(aesProvider(), CALG_RSA_KEYX, 1024, hash, &key), NTE_BAD_ALGID);
  EXPECT_EQ(SessionKey::derive(aesProvider(), 0x6611, 128, hash, &key), NTE_BAD_ALGID);
  EXPECT_EQ(SessionKey::derive(baseProvider(), CALG_RC4, 128, hash, &key), NTE_BAD_FLAGS);
  EXPECT_EQ(SessionKey::derive(baseProvider(), CALG_RC2, 32, hash, &key), NTE_BAD_FLAGS);
  EXPECT_EQ(SessionKey::derive(aesProvider(), CALG_RC2, 44, hash, &key), NTE_BAD_FLAGS);
  EXPECT_EQ(SessionKey::derive(aesProvider(), CALG_DES, 64, hash, &key), NTE_BAD_FLAGS);
  EXPECT_EQ(SessionKey::derive(aesProvider(), CALG_AES_128, 256, hash, &key), NTE_BAD_FLAGS);
  EXPECT_EQ(key.keyBytes().size(), 0u);
}

TEST(BlockCiphers, PadWithAWholeBlockWhenTheDataFillsItsBlocks) {
  const SessionKey des = keyFor(baseProvider(), CALG_DES, 56);
  EXPECT_EQ(hexOf(encrypt(des, {})), "b71578be8b26c34d");
  const SessionKey aes256 = keyFor(aesProvider(), CALG_AES_256, 256);
  EXPECT_EQ(hexOf(encrypt(aes256, {})), "625ca2c2a80c4f0c6f4f459d13c34eb4");
  const SessionKey aes128 = keyFor(aesProvider(), CALG_AES_128, 128);
  const auto sixteen = encrypt(aes128, bytesOf("Sixteen bytes!!!"));
  EXPECT_EQ(hexOf(sixteen), "938a6f9c7e4d59844dfbae6e36205921773ccb90587d507127504c6e8790fc00");

  std::vector<uint8_t> plain{1};
  ASSERT_EQ(decrypt(aes256, bytes("625ca2c2a80c4f0c6f4f459d13c34eb4"), &plain), S_OK);
  EXPECT_TRUE(plain.empty());
  EXPECT_EQ(des.encryptedSize(7), 8u);
  EXPECT_EQ(des.encryptedSize(8), 16u);
  EXPECT_EQ(aes128.encryptedSize(17), 32u);
}

TEST(BlockCiphers, RejectDataThatIsNotWholeBlocksOrBadlyPadded) {
  const SessionKey des = keyFor(baseProvider(), CALG_DES, 56);
  std::vector<uint8_t> plain;
  EXPECT_EQ(decrypt(des, {}, &plain), NTE_BAD_DATA);
  EXPECT_EQ(decrypt(des, bytes("eb4d953c902ebe4cb540fcc5de5148d0e0"), &plain), NTE_BAD_DATA);

  // The first block of a CBC ciphertext under a zero IV decrypts to the first plaintext
  // block alone, which makes its last bytes the padding to check.
  const auto cut = [&](std::string_view block) {
    auto data = encrypt(des, bytesOf(block));
    data.resize(8);
    return data;
  };
  ASSERT_EQ(decrypt(des, cut(std::string_view("abcdefg\x01", 8)), &plain), S_OK);
  EXPECT_EQ(plain, bytesOf("abcdefg"));
  ASSERT_EQ(decrypt(des, cut(std::string_view("abcd\x04\x04\x04\x04", 8)), &plain), S_OK);
  EXPECT_EQ(plain, bytesOf("abcd"));
  EXPECT_EQ(decrypt(des, cut(std::string_view("abcde\x03\x02\x03", 8)), &plain), NTE_BAD_DATA);
  EXPECT_EQ(decrypt(des, cut(std::string_view("abcdefg\x00", 8)), &plain), NTE_BAD_DATA);
  EXPECT_EQ(decrypt(des, cut(std::string_view("abcdefg\x09", 8)), &plain), NTE_BAD_DATA);
}

TEST(BlockCiphers, AWrongPasswordFailsThePaddingCheck) {
  const SessionKey right = keyFor(aesProvider(), CALG_3DES, 168);
  const SessionKey wrong = keyFor(aesProvider(), CALG_3DES, 168, u"Passw\u00f6rd \u20ac1");
  std::vector<uint8_t> plain;
  EXPECT_EQ(decrypt(wrong, encrypt(right, bytesOf(kPlain)), &plain), NTE_BAD_DATA);
  EXPECT_TRUE(plain.empty());
}

TEST(StreamCipher, AWrongPasswordGivesOtherBytesOfTheSameLength) {
  const SessionKey right = keyFor(baseProvider(), CALG_RC4, 40);
  const SessionKey wrong = keyFor(baseProvider(), CALG_RC4, 40, u"password");
  const auto data = encrypt(right, bytesOf(kPlain));
  EXPECT_EQ(data.size(), kPlain.size());
  std::vector<uint8_t> plain;
  ASSERT_EQ(decrypt(wrong, data, &plain), S_OK);
  EXPECT_EQ(plain.size(), kPlain.size());
  EXPECT_NE(plain, bytesOf(kPlain));
  ASSERT_EQ(decrypt(right, {}, &plain), S_OK);
  EXPECT_TRUE(plain.empty());
}

TEST(Ciphers, RefuseAnOutputBufferTooSmall) {
  const SessionKey aes = keyFor(aesProvider(), CALG_AES_192, 192);
  std::vector<uint8_t> out(kPlain.size() + 8);  // 28 bytes: the ciphertext needs 32
  size_t written = 0;
  EXPECT_EQ(aes.encrypt(bytesOf(kPlain), out, &written), HRESULT_FROM_WIN32(ERROR_MORE_DATA));
  out.resize(16);
  EXPECT_EQ(aes.decrypt(bytes("4a992b1f5554e025e285df47198b597460c9762eb248129f5fb97f646a8337cc"),
                        out, &written),
            HRESULT_FROM_WIN32(ERROR_MORE_DATA));
}

// Every cipher of every provider, at each key length it allows, for sizes around the blocks.
TEST(Ciphers, RoundTripEveryCipherAtEveryKeyLength) {
  std::vector<uint8_t> data(70);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
  for (const ProviderInfo& provider : knownProviders()) {
    for (const AlgorithmInfo& alg : provider.algorithms) {
      if (!isDataEncryption(alg.algId)) continue;
      for (DWORD bits = alg.minLen; bits <= alg.maxLen; bits += 8) {
        const SessionKey key = keyFor(provider, alg.algId, bits);
        for (size_t size : {0, 1, 7, 8, 15, 16, 17, 70}) {
          SCOPED_TRACE(std::string(alg.name) + " " + std::to_string(bits) + " bits, " +
                       std::to_string(size) + " bytes");
          const std::span<const uint8_t> plain(data.data(), size);
          const auto sealed = encrypt(key, plain);
          ASSERT_EQ(sealed.size(), key.encryptedSize(size));
          if (size > 0) {
            EXPECT_FALSE(std::equal(plain.begin(), plain.end(), sealed.begin()));
          }
          std::vector<uint8_t> opened;
          ASSERT_EQ(decrypt(key, sealed, &opened), S_OK);
          EXPECT_TRUE(std::equal(plain.begin(), plain.end(), opened.begin(), opened.end()));
        }
      }
    }
  }
}

}  // namespace
}  // namespace vexamor::csp
