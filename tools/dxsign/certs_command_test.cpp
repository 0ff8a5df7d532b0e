// dxsign certs as a user runs it: files brought in, listed, checked and removed, with the
// exact texts the user reads.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include <openssl/pem.h>

#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/testing/test_pki.h"
#include "tools/dxsign/testing/run_dxsign.h"

namespace vexamor::dxsign {
namespace {

using signcore::testing::TestCertificate;
using signcore::testing::TestPki;
using testing::Outcome;
using testing::run;

class DxsignCerts : public ::testing::Test {
 protected:
  void SetUp() override {
    const Outcome setup = run("vexareg import " + registry::binDir() + "/DxSignCore16.reg");
    ASSERT_EQ(setup.status, 0) << setup.out;
  }

  // Writes a file beside the stores and returns its path.
  std::string file(const std::string& name, const std::string& bytes) const {
    const std::string path = certificates_.folder() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  static Outcome certs(const std::string& args) { return run("dxsign certs " + args); }

  static const TestPki& pki() { return TestPki::get(); }

  static std::string identity(const TestCertificate& c) {
    return c.subjectUtf8() + " (issuer " + c.issuerUtf8() + ", serial " + c.serialUtf8() + ")";
  }

  registry::TempRegistry registry_;
  signcore::testing::TempCertificateFolder certificates_;
};

TEST_F(DxsignCerts, ImportsAPkcs12FileWithItsPasswordAndTrustsItsRootOnlyWhenAsked) {
  const std::string p12 =
      file("signer.p12", signcore::testing::makePkcs12(pki().rsaSigner, "correct horse",
                                                       {&pki().intermediate, &pki().root}));
  const std::string right = file("right.txt", "correct horse\n");
  const std::string wrong = file("wrong.txt", "battery staple\n");

  Outcome out = certs("import " + p12);
  EXPECT_EQ(out.status, 1);
  EXPECT_EQ(out.out, "dxsign: " + p12 +
                         " is protected by a password: no password given: use --password-file "
                         "FILE or --password-stdin\n");
  out = run("dxsign certs import " + p12 + " --password-stdin <" + wrong);
  EXPECT_EQ(out.status, 1);
  EXPECT_EQ(out.out, "dxsign: the password for " + p12 + " is wrong\n");

  out = certs("import " + p12 + " --password-file " + right);
  EXPECT_EQ(out.status, 0) << out.out;
  EXPECT_EQ(out.out, "imported into My: " + identity(pki().rsaSigner) +
                         ", with its private key\n"
                         "imported into CA: " +
                         identity(pki().intermediate) +
                         "\n"
                         "not trusted: " +
                         identity(pki().root) + " (trust it with: dxsign certs import " + p12 +
                         " --root)\n");
  out = certs("list");
  EXPECT_EQ(out.out,
            "Vexamor Test RSA Signer\tVexamor Test Intermediate\t0a1b2c3d4e5f\t"
            "2099-12-31 23:59:59 UTC\tprivate key\n");

  const std::string names = "'RSA Signer' 'Vexamor Test Intermediate' 0A1B2C3D4E5F";
  out = certs("verify " + names);
  EXPECT_EQ(out.status, 1);
  EXPECT_EQ(out.out, "not valid: partial chain (status 0x00010000)\n");

  out = run("dxsign certs import " + p12 + " --root --password-stdin <" + right);
  EXPECT_EQ(out.status, 0) << out.out;
  EXPECT_EQ(out.out, "trusted in Root: " + identity(pki().root) + "\n");
  out = certs("verify " + names);
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(out.out, "valid: the chain has no error (status 0x00000000)\n");
}

TEST_F(DxsignCerts, KeysAreKeptPrivateToTheUser) {
  const TestCertificate& signer = pki().ecSigner;
  const Outcome out =
      certs("import " + file("pair.pem", signer.certificatePem() + signer.keyPem()));
  ASSERT_EQ(out.status, 0) << out.out;
  const std::string base =
      certificates_.folder() + "/My/" + signcore::CertStore::thumbprint(signer.cert.get());
  struct stat st {};
  ASSERT_EQ(::stat((base + ".key").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat((certificates_.folder() + "/My").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0077, 0u);
}

TEST_F(DxsignCerts, ImportsPemAndDerCertificatesWithOrWithoutAKey) {
  const TestCertificate& ec = pki().ecSigner;
  Outcome out = certs("import " + file("ec.pem", ec.keyPem() + ec.certificatePem()));
  EXPECT_EQ(out.out, "imported into My: " + identity(ec) + ", with its private key\n");

  unsigned char* der = nullptr;
  const int n = i2d_X509(pki().noKey.cert.get(), &der);
  out = certs("import " + file("keyless.cer", std::string(reinterpret_cast<char*>(der), n)));
  OPENSSL_free(der);
  EXPECT_EQ(out.out, "imported into My: " + identity(pki().noKey) + ", without a private key\n");

  // An encrypted key asks for its password.
  ossl::Bio bio(BIO_new(BIO_s_mem()));
  const TestCertificate& rsa = pki().rsaSigner;
  ASSERT_EQ(PEM_write_bio_PKCS8PrivateKey(bio.get(), rsa.key.get(), EVP_aes_256_cbc(), nullptr, 0,
                                          nullptr, const_cast<char*>("pem secret")),
            1);
  char* text = nullptr;
  const long size = BIO_get_mem_data(bio.get(), &text);
  const std::string encrypted = file("rsa.pem", rsa.certificatePem() + std::string(text, size));
  EXPECT_EQ(certs("import " + encrypted + " --password-file " + file("p", "nope")).out,
            "dxsign: the password for " + encrypted + " is wrong\n");
  out = certs("import " + encrypted + " --password-file " + file("p", "pem secret"));
  EXPECT_EQ(out.out, "imported into My: " + identity(rsa) + ", with its private key\n");

  out = certs("list");
  EXPECT_NE(out.out.find("Vexamor Test Keyless\tVexamor Test Intermediate\t1004\t"
                         "2099-12-31 23:59:59 UTC\tno private key\n"),
            std::string::npos)
      << out.out;
}

TEST_F(DxsignCerts, FilesThatHoldNoUsableCertificateAreRefusedPlainly) {
  const std::string text = file("notes.txt", "just some words\n");
  Outcome out = certs("import " + text);
  EXPECT_EQ(out.status, 1);
  EXPECT_EQ(out.out,
            "dxsign: " + text + " is neither a PKCS #12 file nor a PEM or DER certificate\n");

  const std::string keyOnly = file("key.pem", pki().ecSigner.keyPem());
  EXPECT_EQ(certs("import " + keyOnly).out,
            "dxsign: " + keyOnly + " holds a private key but no certificate\n");
  const std::string mismatch =
      file("mixed.pem", pki().ecSigner.certificatePem() + pki().rsaSigner.keyPem());
  EXPECT_EQ(certs("import " + mismatch).out,
            "dxsign: the private key in " + mismatch + " belongs to none of its certificates\n");
  EXPECT_EQ(certs("import " + mismatch + " --root").out,
            "dxsign: the private key in " + mismatch + " belongs to none of its certificates\n");
  EXPECT_EQ(
      certs("import " + file("root.pem", pki().intermediate.certificatePem()) + " --root").out,
      "dxsign: " + certificates_.folder() + "/root.pem holds no root certificate to trust\n");
  EXPECT_EQ(certs("import /nonexistent/file.p12").out,
            "dxsign: cannot read /nonexistent/file.p12: No such file or directory\n");

  out = certs("list");
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(out.out, "dxsign: no certificates in " + certificates_.folder() + "/My\n");
}

TEST_F(DxsignCerts, RemovesACertificateWithItsKey) {
  certificates_.installStandardSet();
  const std::string base =
      certificates_.folder() + "/My/" + signcore::CertStore::thumbprint(pki().ecSigner.cert.get());
  Outcome out = certs("remove 'ec sign' 'VEXAMOR TEST INTERMEDIATE' 0080C0FFEE");
  EXPECT_EQ(out.status, 0) << out.out;
  EXPECT_EQ(out.out, "removed from My: " + identity(pki().ecSigner) + ", with its private key\n");
  struct stat st {};
  EXPECT_NE(::stat((base + ".pem").c_str(), &st), 0);
  EXPECT_NE(::stat((base + ".key").c_str(), &st), 0);

  out = certs("remove 'ec sign' 'Vexamor Test Intermediate' 0080c0ffee");
  EXPECT_EQ(out.status, 1);
  EXPECT_EQ(out.out,
            "dxsign: no certificate in My is named ec sign, Vexamor Test Intermediate, "
            "0080c0ffee\n");
  out = certs("remove Root 'Vexamor Test Root' 01 --root");
  EXPECT_EQ(out.out, "removed from Root: " + identity(pki().root) + "\n");
}

TEST_F(DxsignCerts, VerifyNamesEveryProblemOfTheChain) {
  certificates_.installStandardSet();
  auto verify = [](const TestCertificate& c) {
    return certs("verify '" + c.subjectUtf8() + "' '" + c.issuerUtf8() + "' " + c.serialUtf8());
  };
  Outcome out = verify(pki().expired);
  EXPECT_EQ(out.status, 1);
  EXPECT_EQ(out.out, "not valid: not time valid (status 0x00000001)\n");
  EXPECT_EQ(verify(pki().brokenChain).out, "not valid: partial chain (status 0x00010000)\n");
  EXPECT_EQ(verify(pki().noKey).status, 0);

  out = certs("verify Nobody 'Vexamor Test Intermediate' 01");
  EXPECT_EQ(out.status, 1);
  EXPECT_EQ(out.out,
            "dxsign: checking Nobody failed: Cannot find object or property. (0x80092004, "
            "DxSignCore.VexaSignature.1)\n");
}

TEST_F(DxsignCerts, RefusesBadUsage) {
  EXPECT_EQ(certs("").status, 2);
  EXPECT_EQ(certs("import").status, 2);
  EXPECT_EQ(certs("verify a b").status, 2);
  EXPECT_EQ(certs("list extra").status, 2);
  const Outcome out = certs("import x.p12 --password secret");
  EXPECT_EQ(out.status, 2);
  EXPECT_EQ(out.out,
            "dxsign: a password is never taken from the command line; use --password-file or "
            "--password-stdin\n");
}

}  // namespace
}  // namespace vexamor::dxsign
