// Signatures meet a client we did not write: the openssl command verifies what
// ComputeSignature makes and makes what VerifySignature checks. The way a new user goes, too:
// a PKCS #12 file imported with dxsign, then signing through the class's ProgID.
#include <fstream>

#include "platform/com/utf.h"
#include "signcore/crypto/crypt_codes.h"
#include "signcore/crypto/signature_fixture.h"
#include "signcore/crypto/testing/run_command.h"

namespace vexamor::signcore {
namespace {

using testing::TestCertificate;

using Shell = testing::CommandOutcome;

Shell shell(const std::string& command) {
  return testing::runCommand(command);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Interop : public SignatureTest {
 protected:
  void SetUp() override {
    if (shell("openssl version").status != 0) GTEST_SKIP() << "no openssl command here";
    SignatureTest::SetUp();
    certificates_.installStandardSet();
    rootPem_ = write("root.pem", pki().root.certificatePem());
    // openssl takes untrusted certificates only from the signature itself, so the
    // intermediate goes into its trusted file beside the root.
    caFile_ = write("ca.pem", pki().root.certificatePem() + pki().intermediate.certificatePem());
  }

  std::string write(const std::string& name, const std::string& bytes) const {
    const std::string path = certificates_.folder() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // openssl smime -verify of a detached DER blob over `content`; -noverify unless the test
  // root is given as the trust anchor.
  Shell smimeVerify(const std::string& blob, const std::string& content, bool withCa) {
    const std::string blobPath = write("blob.p7s", blob);
    const std::string contentPath = write("content.bin", content);
    std::string command = "openssl smime -verify -inform DER -binary -in " + blobPath +
                          " -content " + contentPath + " -out /dev/null";
    command += withCa ? " -CAfile " + caFile_ : " -noverify";
    return shell(command);
  }

  const std::string data_ = std::string(20000, 'd') + "end of the file";
  std::string rootPem_, caFile_;
};

TEST_F(Interop, OpensslVerifiesOurSignatures) {
  for (const TestCertificate* signer : {&pki().rsaSigner, &pki().ecSigner}) {
    std::string blob;
    ASSERT_EQ(signWith(*signer, data_, &blob), S_OK);
    Shell run = smimeVerify(blob, data_, false);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("Verification successful"), std::string::npos) << run.out;
    run = smimeVerify(blob, data_, true);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(smimeVerify(blob, data_ + "x", false).status, 0);
  }
}

TEST_F(Interop, TheNoteIsSignedLastAndShownAsTheOneUnsignedAttribute) {
  const std::u16string comment = u"Reviewed";
  const std::u16string timestamp = u"1/2/2003/4/5/6/time";
  std::string blob;
  ASSERT_EQ(signWith(pki().rsaSigner, data_, &blob, &comment, &timestamp), S_OK);
  const std::string note = testing::storedNote(u"19;" + timestamp + comment);
  Shell run = smimeVerify(blob, data_ + note, true);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(smimeVerify(blob, data_, false).status, 0);

  run = shell("openssl cms -cmsout -print -inform DER -in " + write("blob.p7s", blob));
  ASSERT_EQ(run.status, 0) << run.out;
  const size_t attributes = run.out.find("unsignedAttrs:");
  ASSERT_NE(attributes, std::string::npos) << run.out;
  const std::string unsignedPart = run.out.substr(attributes);
  EXPECT_NE(unsignedPart.find("(2.5.29.14)"), std::string::npos) << unsignedPart;
  EXPECT_NE(unsignedPart.find("OCTET STRING:"), std::string::npos) << unsignedPart;
  size_t objects = 0;
  for (size_t at = unsignedPart.find("object:"); at != std::string::npos;
       at = unsignedPart.find("object:", at + 1)) {
    ++objects;
  }
  EXPECT_EQ(objects, 1u) << unsignedPart;
  EXPECT_NE(run.out.find("signedAttrs:\n          <ABSENT>"), std::string::npos) << run.out;
}

TEST_F(Interop, WeVerifyDetachedSignaturesMadeByOpenssl) {
  const TestCertificate& signer = pki().ecSigner;
  const std::string content = write("content.bin", data_);
  const std::string cert = write("signer.pem", signer.certificatePem());
  const std::string key = write("signer.key", signer.keyPem());
  const std::string out = certificates_.folder() + "/openssl.p7s";
  for (const std::string& extra : {std::string(" -noattr"), std::string()}) {
    const Shell run = shell("openssl cms -sign -binary -outform DER -in " + content + " -signer " +
                            cert + " -inkey " + key + " -out " + out + extra);
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string blob = readFile(out);
    LONG result = 0;
    EXPECT_EQ(verify(blob, data_, &result), S_OK) << extra;
    EXPECT_EQ(result, 1);
    // Without signed attributes the signature itself fails; with them, the content's digest.
    EXPECT_EQ(verify(blob, data_ + "x", &result),
              extra.empty() ? CRYPT_E_HASH_VALUE : NTE_BAD_SIGNATURE);
  }
  // A signature that leaves out the signer's certificate names a signer we cannot find.
  const Shell run = shell("openssl cms -sign -binary -noattr -nocerts -outform DER -in " + content +
                          " -signer " + cert + " -inkey " + key + " -out " + out);
  ASSERT_EQ(run.status, 0) << run.out;
  LONG result = 0;
  EXPECT_EQ(verify(readFile(out), data_, &result), CRYPT_E_SIGNER_NOT_FOUND);
}

// A new user's way: import a PKCS #12 file, list it, sign through the ProgID, verify here and
// with openssl, read the signer back.
TEST_F(Interop, ImportedPkcs12SignsThroughTheProgId) {
  testing::TempCertificateFolder fresh;
  const std::string p12 =
      write("me.p12", testing::makePkcs12(pki().ecSigner, "pass word", {&pki().intermediate}));
  const std::string password = write("password", "pass word\n");
  const std::string dxsign = registry::binDir() + "/dxsign certs ";
  Shell run = shell(dxsign + "import " + p12 + " --password-file " + password);
  ASSERT_EQ(run.status, 0) << run.out;
  run = shell(dxsign + "import " + rootPem_ + " --root");
  ASSERT_EQ(run.status, 0) << run.out;
  run = shell(dxsign + "list");
  EXPECT_EQ(run.out,
            "Vexamor Test EC Signer\tVexamor Test Intermediate\t0080c0ffee\t"
            "2099-12-31 23:59:59 UTC\tprivate key\n");

  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(u"DxSignCore.VexaSignature.1", &clsid), S_OK);
  com::ComPtr<IVexaSignature> byProgId;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IVexaSignature,
                             byProgId.outVoid()),
            S_OK);
  signature_ = byProgId;
  std::string blob;
  const std::u16string comment = u"first signature";
  ASSERT_EQ(sign(u"EC Signer", u"Vexamor Test Intermediate", u"0080C0FFEE", data_, &blob, &comment),
            S_OK);
  LONG result = 0;
  EXPECT_EQ(verify(blob, data_, &result), S_OK);
  EXPECT_EQ(result, 1);
  run = smimeVerify(blob, data_ + testing::storedNote(u"0;" + comment), true);
  EXPECT_EQ(run.status, 0) << run.out;

  const Extracted info = extract(blob);
  EXPECT_EQ(info.subject, u"Vexamor Test EC Signer");
  EXPECT_EQ(info.issuer, u"Vexamor Test Intermediate");
  EXPECT_EQ(info.serial, u"0080c0ffee");
  EXPECT_EQ(info.x500, u"C=US; O=Vexamor Test; CN=Vexamor Test EC Signer");
  EXPECT_EQ(info.comment, comment);
  EXPECT_EQ(info.notAfter, "2099-12-31 23:59:59");
}

}  // namespace
}  // namespace vexamor::signcore
