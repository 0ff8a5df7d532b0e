// dxsign ciphers, encrypt and decrypt as a user runs them, on a registry set up with vexareg.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/com/utf.h"
#include "signcore/crypto/csp/testing/known_answers.h"
#include "tools/dxsign/testing/run_dxsign.h"

namespace vexamor::dxsign {
namespace {

using csp::testing::hexOf;
using testing::Outcome;
using testing::run;

constexpr const char* kAes = "Microsoft Enhanced RSA and AES Cryptographic Provider";
constexpr const char* kBase = "Microsoft Base Cryptographic Provider v1.0";

class DxsignCiphers : public ::testing::Test {
 protected:
  void SetUp() override {
    const Outcome setup = run("vexareg import " + registry::binDir() + "/DxSignCore16.reg");
    ASSERT_EQ(setup.status, 0) << setup.out;
    std::string pattern = registry_.folder() + "/files.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    write("plain", std::string(csp::testing::kPlain));
    write("pw", text::utf16ToUtf8(csp::testing::kPassword) + "\n");
    write("other-pw", "another password\n");
  }

  std::string path(const std::string& name) const { return "'" + dir_ + "/" + name + "'"; }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(dir_ + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  size_t fileCount() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_), {}));
  }
  // "dxsign VERB IN OUT OPTIONS --password-file pw"
  Outcome crypt(const std::string& verb, const std::string& in, const std::string& out,
                const std::string& options = "", const std::string& password = "pw") const {
    return run("dxsign " + verb + " " + path(in) + " " + path(out) + " " + options +
               " --password-file " + path(password));
  }

  registry::TempRegistry registry_;
  std::string dir_;
};

std::string hexOf(const std::string& bytes) {
  return csp::testing::hexOf({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

const std::string kEnhancedLines =
    "  0x6602  RC2           128-bit key (40 to 128 bits)\n"
    "  0x6801  RC4           128-bit key (40 to 128 bits)\n"
    "  0x6601  DES           56-bit key\n"
    "  0x6609  3DES TWO KEY  112-bit key\n"
    "  0x6603  3DES          168-bit key\n";

TEST_F(DxsignCiphers, ListsTheCiphersOfTheFourProviders) {
  const Outcome list = run("dxsign ciphers");
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out,
            "Microsoft Base Cryptographic Provider v1.0 (type 1)\n"
            "  0x6602  RC2           40-bit key (40 to 56 bits)\n"
            "  0x6801  RC4           40-bit key (40 to 56 bits)\n"
            "  0x6601  DES           56-bit key\n"
            "Microsoft Enhanced Cryptographic Provider v1.0 (type 1)\n" +
                kEnhancedLines +
                "Microsoft Enhanced RSA and AES Cryptographic Provider (type 24)\n" +
                kEnhancedLines +
                "  0x660E  AES 128       128-bit key\n"
                "  0x660F  AES 192       192-bit key\n"
                "  0x6610  AES 256       256-bit key\n"
                "Microsoft Strong Cryptographic Provider (type 1)\n" +
                kEnhancedLines);
  EXPECT_EQ(run("dxsign ciphers extra").status, 2);
}

// The command line gives the bytes that a client of the component gets: the known answers.
TEST_F(DxsignCiphers, RoundTripsAFileWithEveryListedCipher) {
  std::map<std::pair<unsigned, unsigned>, std::string> known;
  for (const auto& answer : csp::testing::kAnswers) {
    known[{answer.algId, answer.bits}] = answer.ciphertext;
  }
  const Outcome list = run("dxsign ciphers");
  ASSERT_EQ(list.status, 0);
  std::string provider;
  int ciphers = 0;
  for (size_t at = 0; at < list.out.size();) {
    const size_t end = list.out.find('\n', at);
    const std::string line = list.out.substr(at, end - at);
    at = end + 1;
    if (!line.starts_with("  ")) {
      provider = line.substr(0, line.rfind(" (type"));
      continue;
    }
    const unsigned algId = std::stoul(line.substr(2, 6), nullptr, 16);
    const unsigned bits = std::stoul(line.substr(24));
    SCOPED_TRACE(provider + line);
    const std::string options = "--provider '" + provider + "' --alg " + line.substr(2, 6);
    const Outcome sealed = crypt("encrypt", "plain", "sealed", options);
    ASSERT_EQ(sealed.status, 0) << sealed.out;
    EXPECT_EQ(hexOf(read("sealed")), (known[{algId, bits}]));
    const Outcome opened = crypt("decrypt", "sealed", "opened", options);
    ASSERT_EQ(opened.status, 0) << opened.out;
    EXPECT_EQ(read("opened"), csp::testing::kPlain);
    ++ciphers;
  }
  EXPECT_EQ(ciphers, 21);
}

TEST_F(DxsignCiphers, EncryptsWithAes256UnlessToldOtherwise) {
  const Outcome sealed = crypt("encrypt", "plain", "sealed");
  ASSERT_EQ(sealed.status, 0) << sealed.out;
  EXPECT_EQ(sealed.out, "Encrypted " + dir_ + "/plain to " + dir_ +
                            "/sealed (32 bytes) with AES 256 (256-bit key) of " + kAes + ".\n");
  EXPECT_EQ(hexOf(read("sealed")),
            "a50c12bc10aadaffc96f8149333c729e353c2e7592367fddda74478019bc70ea");

  std::string binary(100000, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 131 + (i >> 9));
  write("binary", binary);
  ASSERT_EQ(crypt("encrypt", "binary", "binary.sealed").status, 0);
  EXPECT_EQ(read("binary.sealed").size(), 100000u + 16u - 100000u % 16u);
  const Outcome opened = crypt("decrypt", "binary.sealed", "binary.opened");
  ASSERT_EQ(opened.status, 0) << opened.out;
  EXPECT_EQ(read("binary.opened"), binary);
}

TEST_F(DxsignCiphers, SaysPlainlyWhenAKeyIsUnder128Bits) {
  const Outcome des = crypt("encrypt", "plain", "des", "--alg DES");
  EXPECT_EQ(des.status, 0);
  EXPECT_EQ(des.out.substr(0, des.out.find('\n') + 1),
            "dxsign: warning: DES (56-bit key) of Microsoft Base Cryptographic Provider v1.0 is "
            "weak: a key under 128 bits can be found by trying them all. Choose it only for a "
            "reader that knows no other.\n");  // the first provider of equal choices
  const Outcome rc4 =
      crypt("encrypt", "plain", "rc4", std::string("--provider '") + kBase + "' --alg rc4");
  EXPECT_EQ(rc4.status, 0);
  EXPECT_NE(rc4.out.find("warning: RC4 (40-bit key) of " + std::string(kBase)), std::string::npos);
  EXPECT_EQ(hexOf(read("rc4")), "4076c49642b0011923fc1bcba194bce618f839ee");
  const Outcome rc4Longer = crypt("encrypt", "plain", "rc4", "--alg RC4 --keylen 56");
  EXPECT_NE(rc4Longer.out.find("warning: RC4 (56-bit key)"), std::string::npos);
  EXPECT_EQ(hexOf(read("rc4")), "35f9e135c873c23a68638879a7249fa2563df91c");
  const Outcome aes = crypt("encrypt", "plain", "aes", "--alg aes_128");
  EXPECT_EQ(aes.status, 0);
  EXPECT_EQ(aes.out.find("warning"), std::string::npos) << aes.out;
}

TEST_F(DxsignCiphers, AFailureLeavesTheOutputAsItWas) {
  ASSERT_EQ(crypt("encrypt", "plain", "sealed").status, 0);
  write("out", "old contents");
  const size_t files = fileCount();
  const Outcome wrong = crypt("decrypt", "sealed", "out", "", "other-pw");
  EXPECT_EQ(wrong.status, 1);
  EXPECT_EQ(wrong.out, "dxsign: decrypting " + dir_ +
                           "/sealed failed: Bad Data. (0x80090005, DxSignCore.VexaSecurity.1)\n"
                           "dxsign: the password is wrong, or " +
                           dir_ + "/sealed was not encrypted with AES 256 (256-bit key) of " +
                           kAes + "\n");
  EXPECT_EQ(read("out"), "old contents");
  write("short", "12345");
  EXPECT_EQ(crypt("decrypt", "short", "out").status, 1);
  EXPECT_EQ(read("out"), "old contents");
  EXPECT_EQ(fileCount(), files + 1);  // "short" only: no temporary file is left behind
}

TEST_F(DxsignCiphers, TakesThePasswordFromAFileOrStandardInputNeverTheCommandLine) {
  ASSERT_EQ(crypt("encrypt", "plain", "by-file").status, 0);
  const Outcome byStdin = run("dxsign encrypt " + path("plain") + " " + path("by-stdin") +
                              " --password-stdin < " + path("pw"));
  EXPECT_EQ(byStdin.status, 0) << byStdin.out;
  EXPECT_EQ(read("by-stdin"), read("by-file"));

  const Outcome inline_ =
      run("dxsign encrypt " + path("plain") + " " + path("x") + " --password secret");
  EXPECT_EQ(inline_.status, 2);
  EXPECT_EQ(inline_.out,
            "dxsign: a password is never taken from the command line; use --password-file or "
            "--password-stdin\n");
  const Outcome none = run("dxsign encrypt " + path("plain") + " " + path("x") + " < /dev/null");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "dxsign: no password given: use --password-file FILE or --password-stdin\n");
  write("empty-pw", "\n");
  const Outcome empty = crypt("encrypt", "plain", "x", "", "empty-pw");
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.out, "dxsign: the password is empty\n");
  write("latin1-pw", "P\xe4sswort\n");
  EXPECT_EQ(crypt("encrypt", "plain", "x", "", "latin1-pw").out,
            "dxsign: the password is not UTF-8 text\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/x"));
}

TEST_F(DxsignCiphers, RefusesBadOptions) {
  EXPECT_EQ(run("dxsign encrypt " + path("plain")).status, 2);
  EXPECT_EQ(run("dxsign decrypt a b c --password-stdin").status, 2);
  EXPECT_EQ(crypt("encrypt", "plain", "x", "--keylen many").status, 2);
  EXPECT_EQ(crypt("encrypt", "plain", "x", "--cipher rc4").status, 2);
  const Outcome unfit = crypt("encrypt", "plain", "x", "--alg AES_256 --keylen 128");
  EXPECT_EQ(unfit.status, 1);
  EXPECT_EQ(unfit.out,
            "dxsign: no usable cipher fits the options given; `dxsign ciphers` lists them\n");
  EXPECT_EQ(crypt("encrypt", "plain", "x", "--provider 'Acme Provider'").status, 1);
  EXPECT_EQ(crypt("encrypt", "plain", "x", "--alg MD5").status, 1);
  const Outcome missing = crypt("encrypt", "missing", "x");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "dxsign: cannot read " + dir_ + "/missing: No such file or directory\n");
}

TEST(DxsignCiphersUnregistered, ExplainsAMissingRegistration) {
  registry::TempRegistry empty;
  const Outcome list = run("dxsign ciphers");
  EXPECT_EQ(list.status, 1);
  EXPECT_EQ(list.out, "dxsign: creating VexaSecurity failed: Class not registered (0x80040154)\n");
}

}  // namespace
}  // namespace vexamor::dxsign
