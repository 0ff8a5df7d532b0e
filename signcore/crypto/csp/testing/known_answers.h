// Known answers of the key derivation and the ciphers, computed without the code under test
// by known_answers.py beside this file (the `openssl` command, and reference RC2 and RC4 for
// the key lengths that `openssl enc` lacks).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "signcore/crypto/csp/provider_table.h"

namespace vexamor::csp::testing {

constexpr std::u16string_view kPassword = u"P\u00e4ssw\u00f6rd \u20ac1";
constexpr std::string_view kPlain = "Twenty bytes of data";

struct KnownAnswer {
  ALG_ID algId;
  DWORD bits;
  const char* key;
  const char* ciphertext;  // of kPlain under kPassword
};

constexpr KnownAnswer kAnswers[] = {
    {CALG_RC2, 40, "d2b2486ed2", "9db8e78adbf6dedaa0068e6280f2d254873f88197403616a"},
    {CALG_RC2, 56, "d2b2486ed2761f", "cad0a188d82258dff3baede44b006f86cdcef0f057d93035"},
    {CALG_RC2, 128, "d2b2486ed2761f58384feaace5a2bd99",
     "c0a3f4fc64863562f85c445747602947b6cc49046be82362"},
    {CALG_RC4, 40, "d2b2486ed2", "4076c49642b0011923fc1bcba194bce618f839ee"},
    {CALG_RC4, 56, "d2b2486ed2761f", "35f9e135c873c23a68638879a7249fa2563df91c"},
    {CALG_RC4, 128, "d2b2486ed2761f58384feaace5a2bd99", "93a5b2b84f1970caed6b816b4888979578612b46"},
    {CALG_DES, 56, "d2b2486ed2761f58", "eb4d953c902ebe4cb540fcc5de5148d0e049753ec57ee92c"},
    {CALG_3DES_112, 112, "d2b2486ed2761f58384feaace5a2bd99",
     "667c177dbf7794386bc7e0532dad538ec5aed3a52e8fc4d6"},
    {CALG_3DES, 168, "20d18143b8ee00deb661627371bacf98cb22d25ff8db5329",
     "284af38b50520b45409230aaf24bc832666d807bf1110c81"},
    {CALG_AES_128, 128, "20d18143b8ee00deb661627371bacf98",
     "4a992b1f5554e025e285df47198b597460c9762eb248129f5fb97f646a8337cc"},
    {CALG_AES_192, 192, "20d18143b8ee00deb661627371bacf98cb22d25ff8db5329",
     "08f0d10a9c30116132daabb1a75c6ed6004b1bd235126db7d3875f3c991556bf"},
    {CALG_AES_256, 256, "20d18143b8ee00deb661627371bacf98cb22d25ff8db5329588fe22ba7097efc",
     "a50c12bc10aadaffc96f8149333c729e353c2e7592367fddda74478019bc70ea"},
};

inline std::vector<uint8_t> bytes(std::string_view hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return out;
}

inline std::vector<uint8_t> bytesOf(std::string_view text) {
  return {text.begin(), text.end()};
}

inline std::string hexOf(std::span<const uint8_t> data) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : data) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

}  // namespace vexamor::csp::testing
