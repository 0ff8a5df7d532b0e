// VexaSecurity as a client sees it: created through CoCreateInstance with the registry that
// setup writes for the build tree, its records and buffers owned as the interface says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/task_mem.h"
#include "platform/registry/reg_import.h"
#include "platform/registry/registry.h"
#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/csp/provider_table.h"
#include "signcore/crypto/csp/testing/known_answers.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore {
namespace {

using com::Bstr;
using com::ComPtr;
using csp::testing::bytes;
using csp::testing::bytesOf;
using csp::testing::hexOf;
using csp::testing::kPassword;
using csp::testing::kPlain;

// A CIPHER record that the test owns, with its strings.
struct Cipher {
  Cipher() = default;
  Cipher(DWORD type, std::u16string_view provider, ULONG algId, ULONG keyLen = 0) {
    c.cbSize = kCipherSize;
    c.dwProvType = type;
    c.bstrProvName = provider.empty() ? nullptr : Bstr(provider).detach();
    c.algId = algId;
    c.dwDefaultKeyLen = keyLen;
  }
  Cipher(const Cipher&) = delete;
  ~Cipher() {
    SysFreeString(c.bstrProvName);
    SysFreeString(c.bstrAlgName);
  }
  CIPHER c{};
};

std::u16string provName(const CIPHER& c) {
  return std::u16string(c.bstrProvName, SysStringLen(c.bstrProvName));
}

std::string algName(const CIPHER& c) {
  Bstr copy(std::u16string_view(c.bstrAlgName, SysStringLen(c.bstrAlgName)));
  return copy.utf8();
}

// Takes over an array of records handed out by an enumeration.
std::vector<CIPHER> takeRecords(LONG count, CIPHER** array,
                                std::vector<std::unique_ptr<Cipher>>* owned) {
  std::vector<CIPHER> out;
  for (LONG i = 0; i < count; ++i) {
    out.push_back(*array[i]);
    owned->push_back(std::make_unique<Cipher>());
    owned->back()->c = *array[i];
    CoTaskMemFree(array[i]);
  }
  CoTaskMemFree(array);
  return out;
}

// A data buffer from the task allocator, as the methods take and hand back.
struct Buffer {
  explicit Buffer(const std::vector<uint8_t>& bytes)
      : data(static_cast<BYTE*>(CoTaskMemAlloc(bytes.size()))),
        count(static_cast<LONG>(bytes.size())) {
    std::copy(bytes.begin(), bytes.end(), data);
  }
  Buffer(const Buffer&) = delete;
  ~Buffer() { CoTaskMemFree(data); }
  std::vector<uint8_t> bytes() const { return {data, data + count}; }
  BYTE* data;
  LONG count;
};

class Security : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.importBuildTree();
    CLSID clsid{};  // as a client that knows the ProgID only
    ASSERT_EQ(CLSIDFromProgID(u"DxSignCore.VexaSecurity.1", &clsid), S_OK);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IVexaSecurity,
                               security_.outVoid()),
              S_OK);
  }

  std::vector<CIPHER> allCiphers() {
    LONG count = -1;
    CIPHER** array = nullptr;
    EXPECT_EQ(security_->EnumerateAllCiphers(&count, &array), S_OK);
    return takeRecords(count, array, &owned_);
  }

  HRESULT encrypt(const CIPHER& cipher, Buffer& buffer, std::u16string_view password = kPassword) {
    CIPHER copy = cipher;
    return security_->EncryptData(Bstr(password).get(), &copy, &buffer.count, &buffer.data);
  }
  HRESULT decrypt(const CIPHER& cipher, Buffer& buffer, std::u16string_view password = kPassword) {
    CIPHER copy = cipher;
    return security_->DecryptData(Bstr(password).get(), &copy, &buffer.count, &buffer.data);
  }

  // The error object of the last failure: "description|source", or "" when there is none.
  static std::string lastError() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK) return "";
    Bstr description, source;
    info->GetDescription(description.out());
    info->GetSource(source.out());
    return description.utf8() + "|" + source.utf8();
  }

  registry::TempRegistry registry_;
  ComPtr<IVexaSecurity> security_;
  std::vector<std::unique_ptr<Cipher>> owned_;
};

TEST_F(Security, TheDefaultCipherIsTheBaseProvidersRc4) {
  Cipher record;
  record.c.pvReserved = reinterpret_cast<VARIANT*>(0x1);  // an [out] record: overwritten
  ASSERT_EQ(security_->GetDefaultCipher(&record.c), S_OK);
  EXPECT_EQ(record.c.cbSize, 40u);
  EXPECT_EQ(record.c.dwFlags, 0u);
  EXPECT_EQ(record.c.dwProvType, 1u);
  EXPECT_EQ(provName(record.c), u"Microsoft Base Cryptographic Provider v1.0");
  EXPECT_EQ(record.c.algId, 0x6801u);
  EXPECT_EQ(algName(record.c), "RC4");
  EXPECT_EQ(record.c.dwDefaultKeyLen, 40u);
  EXPECT_EQ(record.c.dwMinKeyLen, 40u);
  EXPECT_EQ(record.c.dwMaxKeyLen, 56u);
  EXPECT_EQ(record.c.pvReserved, nullptr);
  EXPECT_EQ(security_->GetDefaultCipher(nullptr), E_POINTER);
}

TEST_F(Security, EnumeratesEveryCipherInProviderThenAlgorithmOrder) {
  std::string listing;
  for (const CIPHER& c : allCiphers()) {
    EXPECT_EQ(c.cbSize, 40u);
    EXPECT_EQ(c.pvReserved, nullptr);
    Bstr prov(provName(c));
    listing += prov.utf8() + " " + std::to_string(c.dwProvType) + ": " + algName(c) + " " +
               std::to_string(c.algId) + " " + std::to_string(c.dwDefaultKeyLen) + "/" +
               std::to_string(c.dwMinKeyLen) + "/" + std::to_string(c.dwMaxKeyLen) + "\n";
  }
  const std::string enhanced =
      "RC2 26114 128/40/128\n"
      "RC4 26625 128/40/128\n"
      "DES 26113 56/56/56\n"
      "3DES TWO KEY 26121 112/112/112\n"
      "3DES 26115 168/168/168\n";
  auto each = [&](const std::string& provider, std::string lines) {
    std::string out;
    for (size_t at = 0; at < lines.size();) {
      const size_t end = lines.find('\n', at) + 1;
      out += provider + ": " + lines.substr(at, end - at);
      at = end;
    }
    return out;
  };
  EXPECT_EQ(listing, each("Microsoft Base Cryptographic Provider v1.0 1",
                          "RC2 26114 40/40/56\nRC4 26625 40/40/56\nDES 26113 56/56/56\n") +
                         each("Microsoft Enhanced Cryptographic Provider v1.0 1", enhanced) +
                         each("Microsoft Enhanced RSA and AES Cryptographic Provider 24",
                              enhanced + "AES 128 26126 128/128/128\nAES 192 26127 192/192/192\n"
                                         "AES 256 26128 256/256/256\n") +
                         each("Microsoft Strong Cryptographic Provider 1", enhanced));
}

TEST_F(Security, EnumeratesTheRc4CiphersOfEveryProvider) {
  LONG count = 0;
  CIPHER** array = nullptr;
  ASSERT_EQ(security_->EnumerateRC4Ciphers(&count, &array), S_OK);
  const auto records = takeRecords(count, array, &owned_);
  ASSERT_EQ(records.size(), 4u);
  for (const CIPHER& c : records) EXPECT_EQ(c.algId, 0x6801u);
  EXPECT_EQ(records[0].dwDefaultKeyLen, 40u);
  EXPECT_EQ(records[3].dwDefaultKeyLen, 128u);
  EXPECT_EQ(security_->EnumerateRC4Ciphers(nullptr, &array), E_POINTER);
  EXPECT_EQ(security_->EnumerateAllCiphers(&count, nullptr), E_POINTER);
}

TEST_F(Security, ProvidersThatCannotOpenAreSkipped) {
  const std::string key =
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\";
  const auto result = registry::importRegText(
      "Windows Registry Editor Version 5.00\n\n" + key +
      "Acme Provider]\n\"Type\"=dword:00000001\n\n" + key +
      "Microsoft Strong Cryptographic Provider]\n\"Type\"=dword:00000018\n\n" + key +
      "Microsoft Enhanced Cryptographic Provider v1.0]\n\"Type\"=\"1\"\n");
  ASSERT_EQ(result.error, 0);
  const auto records = allCiphers();
  ASSERT_EQ(records.size(), 3u + 8u);  // Base and the AES provider are left
  EXPECT_EQ(provName(records.front()), u"Microsoft Base Cryptographic Provider v1.0");
  EXPECT_EQ(provName(records.back()), u"Microsoft Enhanced RSA and AES Cryptographic Provider");
}

TEST_F(Security, NoProviderInstalledListsNothing) {
  ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Cryptography"), 0);
  LONG count = 5;
  CIPHER** array = reinterpret_cast<CIPHER**>(0x1);
  EXPECT_EQ(security_->EnumerateAllCiphers(&count, &array), S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(array, nullptr);
  Cipher record;
  EXPECT_EQ(security_->GetDefaultCipher(&record.c), NTE_KEYSET_NOT_DEF);
  EXPECT_EQ(lastError(), "The keyset is not defined.|DxSignCore.VexaSecurity.1");
  EXPECT_EQ(record.c.bstrProvName, nullptr);
  EXPECT_EQ(record.c.cbSize, 40u);
}

TEST_F(Security, SupportedMeansItEncryptsItsProviderOpensAndAKeyDerives) {
  LONG supported = -1;
  auto isSupported = [&](Cipher& cipher) {
    supported = -1;
    EXPECT_EQ(security_->IsCipherSupported(&cipher.c, &supported), S_OK);
    return supported;
  };
  Cipher rc4(1, u"Microsoft Base Cryptographic Provider v1.0", 0x6801, 40);
  EXPECT_EQ(isSupported(rc4), 1);
  Cipher noProvider(0, u"", 0x6801, 56);
  EXPECT_EQ(isSupported(noProvider), 1);
  Cipher typeZero(0, u"Microsoft Enhanced RSA and AES Cryptographic Provider", 0x6610, 256);
  EXPECT_EQ(isSupported(typeZero), 0);  // type 0 is the Base provider, which has no AES
  Cipher aes(24, u"Microsoft Enhanced RSA and AES Cryptographic Provider", 0x6610, 256);
  EXPECT_EQ(isSupported(aes), 1);
  Cipher md5(24, u"Microsoft Enhanced RSA and AES Cryptographic Provider", 0x8003, 128);
  EXPECT_EQ(isSupported(md5), 0);
  Cipher sha(1, u"Microsoft Enhanced Cryptographic Provider v1.0", 0x8004, 160);
  EXPECT_EQ(isSupported(sha), 0);
  Cipher tooLong(1, u"Microsoft Base Cryptographic Provider v1.0", 0x6602, 128);
  EXPECT_EQ(isSupported(tooLong), 0);
  Cipher unknown(1, u"Microsoft Imaginary Provider", 0x6801, 40);
  EXPECT_EQ(isSupported(unknown), 0);
  Cipher wrongType(1, u"Microsoft Enhanced RSA and AES Cryptographic Provider", 0x660E, 128);
  EXPECT_EQ(isSupported(wrongType), 0);
  rc4.c.cbSize = 36;  // only IsEqualCipher looks at the size
  EXPECT_EQ(isSupported(rc4), 1);
  EXPECT_EQ(security_->IsCipherSupported(nullptr, &supported), E_POINTER);
}

TEST_F(Security, EqualCiphersShareAlgorithmProviderTypeAndExactName) {
  Cipher a(1, u"Microsoft Enhanced Cryptographic Provider v1.0", 0x6602, 128);
  Cipher b(1, u"Microsoft Enhanced Cryptographic Provider v1.0", 0x6602, 40);
  b.c.dwMinKeyLen = 7;
  b.c.dwFlags = 3;
  b.c.bstrAlgName = Bstr(std::string_view("anything")).detach();
  LONG equal = -1;
  ASSERT_EQ(security_->IsEqualCipher(&a.c, &b.c, &equal), S_OK);
  EXPECT_EQ(equal, 1);
  Cipher lower(1, u"microsoft enhanced cryptographic provider v1.0", 0x6602, 128);
  ASSERT_EQ(security_->IsEqualCipher(&a.c, &lower.c, &equal), S_OK);
  EXPECT_EQ(equal, 0);
  Cipher otherAlg(1, u"Microsoft Enhanced Cryptographic Provider v1.0", 0x6801, 128);
  ASSERT_EQ(security_->IsEqualCipher(&a.c, &otherAlg.c, &equal), S_OK);
  EXPECT_EQ(equal, 0);
  Cipher otherType(24, u"Microsoft Enhanced Cryptographic Provider v1.0", 0x6602, 128);
  ASSERT_EQ(security_->IsEqualCipher(&a.c, &otherType.c, &equal), S_OK);
  EXPECT_EQ(equal, 0);

  b.c.cbSize = 36;
  equal = -1;
  EXPECT_EQ(security_->IsEqualCipher(&a.c, &b.c, &equal), E_INVALIDARG);
  EXPECT_EQ(equal, 0);
  EXPECT_EQ(lastError(), "The parameter is incorrect.|DxSignCore.VexaSecurity.1");
  LONG supported = 0;
  EXPECT_EQ(security_->IsCipherSupported(&b.c, &supported), S_OK);
  EXPECT_EQ(supported, 1);
  EXPECT_EQ(security_->IsEqualCipher(&a.c, nullptr, &equal), E_POINTER);
}

// The bytes are those of the independent known answers, for every listed cipher.
TEST_F(Security, EveryListedCipherGivesTheKnownBytesAndRoundTrips) {
  const auto records = allCiphers();
  ASSERT_EQ(records.size(), 21u);
  for (const CIPHER& cipher : records) {
    SCOPED_TRACE(algName(cipher) + " of " + Bstr(provName(cipher)).utf8());
    const csp::testing::KnownAnswer* answer = nullptr;
    for (const auto& a : csp::testing::kAnswers) {
      if (a.algId == cipher.algId && a.bits == cipher.dwDefaultKeyLen) answer = &a;
    }
    ASSERT_NE(answer, nullptr);
    Buffer buffer(bytesOf(kPlain));
    ASSERT_EQ(encrypt(cipher, buffer), S_OK);
    EXPECT_EQ(hexOf(buffer.bytes()), answer->ciphertext);
    ASSERT_EQ(decrypt(cipher, buffer), S_OK);
    EXPECT_EQ(buffer.bytes(), bytesOf(kPlain));
  }
}

TEST_F(Security, ANamelessCipherUsesTheDefaultProvider) {
  Cipher nameless(1, u"", 0x6801, 56);
  Cipher typeZero(0, u"Microsoft Strong Cryptographic Provider", 0x6801, 56);
  Buffer a(bytesOf(kPlain)), b(bytesOf(kPlain));
  ASSERT_EQ(encrypt(nameless.c, a), S_OK);
  ASSERT_EQ(encrypt(typeZero.c, b), S_OK);
  EXPECT_EQ(hexOf(a.bytes()), "35f9e135c873c23a68638879a7249fa2563df91c");
  EXPECT_EQ(a.bytes(), b.bytes());
  Cipher aesTypeZero(0, u"Microsoft Enhanced RSA and AES Cryptographic Provider", 0x660E, 128);
  EXPECT_EQ(encrypt(aesTypeZero.c, a), NTE_BAD_ALGID);
}

TEST_F(Security, ABlockCipherPadsNoDataToOneBlock) {
  Cipher aes(24, u"Microsoft Enhanced RSA and AES Cryptographic Provider", 0x6610, 256);
  Buffer buffer({});
  ASSERT_EQ(encrypt(aes.c, buffer), S_OK);
  EXPECT_EQ(hexOf(buffer.bytes()), "625ca2c2a80c4f0c6f4f459d13c34eb4");
  ASSERT_EQ(decrypt(aes.c, buffer), S_OK);
  EXPECT_EQ(buffer.count, 0);

  Cipher des(1, u"", 0x6601, 56);
  CoTaskMemFree(buffer.data);
  buffer.data = nullptr;  // a null buffer of no bytes encrypts too
  ASSERT_EQ(encrypt(des.c, buffer), S_OK);
  EXPECT_EQ(hexOf(buffer.bytes()), "b71578be8b26c34d");
}

TEST_F(Security, AWrongPasswordUnderRc4GivesOtherBytesOfTheSameLength) {
  Cipher rc4(1, u"", 0x6801, 40);
  Buffer buffer(bytesOf(kPlain));
  ASSERT_EQ(encrypt(rc4.c, buffer), S_OK);
  ASSERT_EQ(decrypt(rc4.c, buffer, u"wrong"), S_OK);
  EXPECT_EQ(buffer.count, static_cast<LONG>(kPlain.size()));
  EXPECT_NE(buffer.bytes(), bytesOf(kPlain));
}

TEST_F(Security, AFailureLeavesTheCallersBufferAndReportsThePlatformError) {
  Cipher aes(24, u"Microsoft Enhanced RSA and AES Cryptographic Provider", 0x660E, 128);
  Buffer buffer(bytesOf(kPlain));
  ASSERT_EQ(encrypt(aes.c, buffer), S_OK);
  const BYTE* before = buffer.data;
  const auto sealed = buffer.bytes();
  EXPECT_EQ(decrypt(aes.c, buffer, u"Pässwörd"), NTE_BAD_DATA);
  EXPECT_EQ(lastError(), "Bad Data.|DxSignCore.VexaSecurity.1");
  EXPECT_EQ(buffer.data, before);
  EXPECT_EQ(buffer.bytes(), sealed);

  buffer.count -= 1;  // not a whole number of blocks
  EXPECT_EQ(decrypt(aes.c, buffer), NTE_BAD_DATA);
  buffer.count = 0;
  EXPECT_EQ(decrypt(aes.c, buffer), NTE_BAD_DATA);
  EXPECT_EQ(buffer.count, 0);
  EXPECT_EQ(buffer.data, before);
}

TEST_F(Security, BadCiphersGiveThePlatformsCodes) {
  struct Case {
    DWORD type;
    std::u16string_view provider;
    ULONG algId;
    ULONG keyLen;
    HRESULT expected;
    const char* text;
  };
  const Case cases[] = {
      {1, u"Microsoft Imaginary Provider", 0x6801, 40, NTE_KEYSET_NOT_DEF,
       "The keyset is not defined."},
      {24, u"Microsoft Strong Cryptographic Provider", 0x6801, 40, NTE_PROV_TYPE_NO_MATCH,
       "Provider type does not match registered value."},
      {1, u"Microsoft Enhanced Cryptographic Provider v1.0", 0x6699, 0, NTE_BAD_ALGID,
       "Invalid algorithm specified."},
      {1, u"Microsoft Enhanced Cryptographic Provider v1.0", 0x8003, 128, NTE_BAD_ALGID,
       "Invalid algorithm specified."},
      {1, u"Microsoft Base Cryptographic Provider v1.0", 0x6801, 128, NTE_BAD_FLAGS,
       "Invalid flags specified."},
      {24, u"Microsoft Enhanced RSA and AES Cryptographic Provider", 0x6603, 192, NTE_BAD_FLAGS,
       "Invalid flags specified."},
  };
  for (const Case& test : cases) {
    Cipher cipher(test.type, test.provider, test.algId, test.keyLen);
    for (bool encrypting : {true, false}) {
      Buffer buffer(bytes("00112233445566778899aabbccddeeff"));
      EXPECT_EQ(encrypting ? encrypt(cipher.c, buffer) : decrypt(cipher.c, buffer), test.expected)
          << std::hex << test.algId;
      EXPECT_EQ(lastError(), std::string(test.text) + "|DxSignCore.VexaSecurity.1");
      EXPECT_EQ(buffer.count, 16);
    }
  }
}

TEST_F(Security, AnEmptyPasswordFailsWithoutAnErrorObject) {
  Cipher rc4(1, u"", 0x6801, 40);
  Buffer buffer(bytesOf(kPlain));
  Cipher unknown(1, u"Microsoft Imaginary Provider", 0x6801, 40);
  EXPECT_EQ(encrypt(unknown.c, buffer, u""), NTE_KEYSET_NOT_DEF);  // the provider comes first
  EXPECT_EQ(encrypt(rc4.c, buffer, u""), E_FAIL);
  EXPECT_EQ(lastError(), "");
  EXPECT_EQ(decrypt(rc4.c, buffer, u""), E_FAIL);
  EXPECT_EQ(buffer.bytes(), bytesOf(kPlain));
}

TEST_F(Security, NullAndNegativeArgumentsAreRefused) {
  Cipher rc4(1, u"", 0x6801, 40);
  Buffer buffer(bytesOf(kPlain));
  Bstr password(kPassword);
  EXPECT_EQ(security_->EncryptData(nullptr, &rc4.c, &buffer.count, &buffer.data), E_POINTER);
  EXPECT_EQ(lastError(), "Invalid pointer|DxSignCore.VexaSecurity.1");
  EXPECT_EQ(security_->EncryptData(password.get(), nullptr, &buffer.count, &buffer.data),
            E_POINTER);
  EXPECT_EQ(security_->DecryptData(password.get(), &rc4.c, nullptr, &buffer.data), E_POINTER);
  EXPECT_EQ(security_->DecryptData(password.get(), &rc4.c, &buffer.count, nullptr), E_POINTER);
  BYTE* none = nullptr;
  LONG count = 4;
  EXPECT_EQ(security_->EncryptData(password.get(), &rc4.c, &count, &none), E_POINTER);
  count = -1;
  EXPECT_EQ(security_->EncryptData(password.get(), &rc4.c, &count, &buffer.data), E_INVALIDARG);
  EXPECT_EQ(buffer.bytes(), bytesOf(kPlain));
}

}  // namespace
}  // namespace vexamor::signcore
