// dxsign against hostile files and certificates, as a user meets them: forged files of the
// three layouts fail `verify` with the reason, `info` says its verdict first and prints what a
// file or certificate holds without terminal controls, a decrypted file is its user's alone,
// a weak but accepted chain draws a warning, and an interrupted password prompt gives the
// terminal its echo back.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/handlers/testing/drawing_files.h"
#include "signcore/handlers/testing/forgery.h"
#include "tools/dxsign/testing/run_dxsign.h"

namespace {

namespace fs = std::filesystem;
namespace samples = vexamor::signcore::testing;
using vexamor::dxsign::testing::Outcome;
using vexamor::dxsign::testing::run;
using vexamor::registry::binDir;

std::string quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

class DxsignTrust : public ::testing::Test {
 protected:
  void SetUp() override {
    const Outcome setup = run("vexareg import " + binDir() + "/DxSignCore16.reg");
    ASSERT_EQ(setup.status, 0) << setup.out;
    dir_ = fs::temp_directory_path() / ("dxsign_trust." + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    certificates_.installStandardSet();
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string file(const std::string& name) const { return (dir_ / name).string(); }

  // A signed file of each layout, made and signed with dxsign.
  void signThree() {
    ASSERT_TRUE(samples::writeClassicDrawing(file("plan.drx"), 30000));
    ASSERT_EQ(samples::writeContainerDrawing(file("site.drs"), samples::dozenStreams()), 0u);
    ASSERT_TRUE(samples::writeFile(file("bundle.zip"), samples::sampleBytes(20000, 3)));
    const Outcome sign =
        run("dxsign sign " + all() + " --cert " + samples::TestPki::get().rsaSigner.serialUtf8() +
            " --comment 'Issued for permit'");
    ASSERT_EQ(sign.status, 0) << sign.out;
  }
  std::string all() const {
    return quoted(file("plan.drx")) + " " + quoted(file("site.drs")) + " " +
           quoted(file("bundle.zip"));
  }
  Outcome verifyAll() const { return run("dxsign verify " + all()); }

  vexamor::registry::TempRegistry registry_;
  samples::TempCertificateFolder certificates_;
  fs::path dir_;
};

// The line `verify` printed for `path`.
std::string lineFor(const std::string& out, const std::string& path) {
  const size_t at = out.find(path + ": ");
  return at == std::string::npos ? "" : out.substr(at, out.find('\n', at) - at);
}

TEST_F(DxsignTrust, ForgedFilesOfEveryLayoutFailVerifyWithTheReason) {
  signThree();
  ASSERT_EQ(verifyAll().status, 0);
  const std::string names[] = {"plan.drx", "site.drs", "bundle.zip"};

  // Cut short, the tail moved into the note.
  for (const std::string& name : names) ASSERT_TRUE(samples::moveTailIntoNote(file(name), 600));
  Outcome verify = verifyAll();
  EXPECT_EQ(verify.status, 1);
  for (const std::string& name : names) {
    EXPECT_EQ(lineFor(verify.out, file(name)),
              file(name) +
                  ": verification failed: Invalid Signature. The comment and time stamp stored "
                  "with it are not the ones that were signed. (0x80090006, DxSignCore.VexaSign" +
                  (name == "bundle.zip" ? "Append" : "DRX") + ".1)");
  }

  // Signed again, then given an MD5 signature made over the same bytes.
  signThree();
  for (const std::string& name : names) {
    const auto parts = samples::signedPartsOf(file(name));
    ASSERT_TRUE(parts);
    const std::string_view content(reinterpret_cast<const char*>(parts->content.data()),
                                   parts->content.size());
    ASSERT_TRUE(samples::replaceBlob(
        file(name),
        samples::opensslSignature(samples::TestPki::get().rsaSigner, content, EVP_md5())));
  }
  verify = verifyAll();
  EXPECT_EQ(verify.status, 1);
  for (const std::string& name : names) {
    EXPECT_NE(lineFor(verify.out, file(name))
                  .find("Invalid algorithm specified. The signature was made with the MD5 "
                        "message digest"),
              std::string::npos)
        << verify.out;
  }

  // A second archive behind the zip's signature; a stream added to the container.
  signThree();
  std::vector<uint8_t> zip = samples::readFile(file("bundle.zip"));
  const std::string second = "PK\x03\x04 another archive";
  zip.insert(zip.end(), second.begin(), second.end());
  ASSERT_TRUE(samples::writeFile(file("bundle.zip"), zip));
  ASSERT_TRUE(
      samples::addContainerStream(file("site.drs"), "Later:Macro", samples::sampleBytes(300, 1)));
  verify = run("dxsign verify " + quoted(file("bundle.zip")) + " " + quoted(file("site.drs")));
  EXPECT_EQ(verify.status, 1);
  EXPECT_EQ(verify.out,
            file("bundle.zip") +
                ": verification failed: Invalid Signature. The file has data after its "
                "signature. (0x80090006, DxSignCore.VexaSignAppend.1)\n" +
                file("site.drs") +
                ": verification failed: Invalid Signature. The drawing holds a stream that its "
                "signature does not cover. (0x80090006, DxSignCore.VexaSignDRX.1)\n");
}

TEST_F(DxsignTrust, FilesThatTheOpensslToolSignedOverTheSameBytesVerify) {
  signThree();
  const auto& signer = samples::TestPki::get().rsaSigner;
  const std::string cert = file("signer.pem");
  const std::string key = file("signer.key");
  const std::string certPem = signer.certificatePem();
  const std::string keyPem = signer.keyPem();
  ASSERT_TRUE(samples::writeFile(cert, {certPem.begin(), certPem.end()}));
  ASSERT_TRUE(samples::writeFile(key, {keyPem.begin(), keyPem.end()}));
  for (const std::string digest : {"sha256", "sha1", "md5"}) {
    for (const std::string name : {"plan.drx", "site.drs", "bundle.zip"}) {
      const auto parts = samples::signedPartsOf(file(name));
      ASSERT_TRUE(parts);
      ASSERT_TRUE(samples::writeFile(file("content.bin"), parts->content));
      const auto openssl = vexamor::signcore::testing::runCommand(
          "openssl smime -sign -binary -noattr -md " + digest + " -outform DER -in " +
          quoted(file("content.bin")) + " -signer " + quoted(cert) + " -inkey " + quoted(key) +
          " -out " + quoted(file("blob.p7s")));
      ASSERT_EQ(openssl.status, 0) << openssl.out;
      const auto blob = samples::readFile(file("blob.p7s"));
      ASSERT_TRUE(samples::replaceBlob(file(name), std::string(blob.begin(), blob.end())));
    }
    const Outcome verify = verifyAll();
    if (digest == "md5") {
      EXPECT_EQ(verify.status, 1) << verify.out;
      EXPECT_NE(verify.out.find("Invalid algorithm specified."), std::string::npos);
    } else {
      EXPECT_EQ(verify.status, 0) << digest << ": " << verify.out;
      const std::string valid = ": signature valid, revocation not checked\n";
      const Outcome unchecked = run("dxsign verify " + all() + " --revocation none");
      EXPECT_EQ(unchecked.out,
                file("plan.drx") + valid + file("site.drs") + valid + file("bundle.zip") + valid);
    }
  }
}

TEST_F(DxsignTrust, InfoGivesItsVerdictFirstAndEscapesWhatTheFileHolds) {
  // A certificate whose name carries terminal controls: an escape sequence (C0) and the
  // one-character control sequence introducer (C1).
  samples::CertificateSpec certSpec = samples::signerSpec(
      "Jane \x1B]2;owned\x07 Roe \xC2\x9B"
      "2J",
      &samples::TestPki::get().intermediate, "6001");
  const samples::TestCertificate odd = samples::makeCertificate(certSpec);
  certificates_.add(vexamor::signcore::StoreName::My, odd, true);
  const std::string path = file("odd\x1B[31mname.zip");
  ASSERT_TRUE(samples::writeFile(path, samples::sampleBytes(3000, 1)));
  Outcome sign =
      run("dxsign sign " + quoted(path) + " --cert 6001 --comment \"$(printf 'ok\\033[2J\\177')\"");
  ASSERT_EQ(sign.status, 0) << sign.out;
  EXPECT_EQ(sign.out.find('\x1B'), std::string::npos) << sign.out;

  Outcome info = run("dxsign info " + quoted(path));
  EXPECT_EQ(info.status, 0) << info.out;
  EXPECT_TRUE(
      info.out.starts_with("Signature:   valid, revocation unknown: Jane \\x1B]2;owned\\x07 "
                           "Roe \\u009B2J, the certificate names no OCSP responder and no "
                           "CRL; Vexamor Test Intermediate, the certificate names no OCSP "
                           "responder and no CRL\nFile:        " +
                           file("odd\\x1B[31mname.zip") + "\n"))
      << info.out;
  EXPECT_NE(info.out.find("Signer:      Jane \\x1B]2;owned\\x07 Roe \\u009B2J\n"),
            std::string::npos)
      << info.out;
  EXPECT_NE(info.out.find("Comment:     ok\\x1B[2J\\x7F\n"), std::string::npos) << info.out;
  for (char control : {'\x1B', '\x07', '\x7F'}) {
    EXPECT_EQ(info.out.find(control), std::string::npos) << int(control);
  }
  EXPECT_EQ(info.out.find("\xC2\x9B"), std::string::npos);

  const Outcome list = run("dxsign certs list");
  EXPECT_NE(list.out.find("Jane \\x1B]2;owned\\x07 Roe \\u009B2J\t"), std::string::npos)
      << list.out;
  EXPECT_EQ(list.out.find('\x1B'), std::string::npos);

  // Not valid: said first, and the exit status says it too.
  std::vector<uint8_t> bytes = samples::readFile(path);
  bytes.push_back('!');
  ASSERT_TRUE(samples::writeFile(path, bytes));
  info = run("dxsign info " + quoted(path));
  EXPECT_EQ(info.status, 1);
  EXPECT_TRUE(
      info.out.starts_with("Signature:   NOT VALID: Invalid Signature. The file has data "
                           "after its signature. (0x80090006, "
                           "DxSignCore.VexaSignAppend.1)\nFile:        "))
      << info.out;
}

TEST_F(DxsignTrust, AChainSignedWithSha1SignsWithAWarning) {
  samples::CertificateSpec certSpec =
      samples::authoritySpec("Vexamor Test SHA-1 CA", &samples::TestPki::get().root, "6101");
  certSpec.digest = EVP_sha1();
  const samples::TestCertificate ca = samples::makeCertificate(certSpec);
  certSpec = samples::signerSpec("Vexamor Test SHA-1 Holder", &ca, "6102");
  certSpec.digest = EVP_sha1();
  const samples::TestCertificate holder = samples::makeCertificate(certSpec);
  certificates_.add(vexamor::signcore::StoreName::CA, ca, false);
  certificates_.add(vexamor::signcore::StoreName::My, holder, true);
  ASSERT_TRUE(samples::writeFile(file("a.zip"), {'a', 'b'}));

  const Outcome sign = run("dxsign sign " + quoted(file("a.zip")) + " --cert 6102");
  EXPECT_EQ(sign.status, 0) << sign.out;
  EXPECT_NE(sign.out.find("dxsign: warning: the chain of Vexamor Test SHA-1 Holder is signed "
                          "with SHA-1, which is weak"),
            std::string::npos)
      << sign.out;
  EXPECT_EQ(run("dxsign verify " + quoted(file("a.zip"))).status, 0);
  // No warning for a chain that needs none.
  const Outcome plain = run("dxsign sign " + quoted(file("a.zip")) + " --cert " +
                            samples::TestPki::get().rsaSigner.serialUtf8());
  EXPECT_EQ(plain.out, file("a.zip") + ": signed\n");
}

TEST_F(DxsignTrust, ADecryptedFileIsItsUsersAlone) {
  ASSERT_TRUE(samples::writeFile(file("plain"), {'s', 'e', 'c', 'r', 'e', 't'}));
  ASSERT_TRUE(samples::writeFile(file("pw"), {'p', 'w', '\n'}));
  const std::string pw = " --password-file " + quoted(file("pw"));
  ASSERT_EQ(run("dxsign encrypt " + quoted(file("plain")) + " " + quoted(file("enc")) + pw).status,
            0);
  // A new file: readable by its owner only, whatever the umask lets through.
  ASSERT_EQ(
      vexamor::signcore::testing::runCommand("umask 022; " + binDir() + "/dxsign decrypt " +
                                             quoted(file("enc")) + " " + quoted(file("out")) + pw)
          .status,
      0);
  struct stat st {};
  ASSERT_EQ(::stat(file("out").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  // A file that is already there keeps the mode its owner gave it.
  ASSERT_EQ(::chmod(file("out").c_str(), 0640), 0);
  ASSERT_EQ(run("dxsign decrypt " + quoted(file("enc")) + " " + quoted(file("out")) + pw).status,
            0);
  ASSERT_EQ(::stat(file("out").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(samples::readFile(file("out")), samples::readFile(file("plain")));
}

TEST_F(DxsignTrust, CtrlCAtThePasswordPromptGivesTheTerminalItsEchoBack) {
  ASSERT_TRUE(samples::writeFile(file("plain"), {'x'}));
  int master = -1;
  const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string dxsign = binDir() + "/dxsign";
    ::execl(dxsign.c_str(), "dxsign", "encrypt", file("plain").c_str(), file("enc").c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Wait for the prompt, then type Ctrl+C as a user would.
  std::string seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (seen.find("Password: ") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    char buffer[256];
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(master, &ready);
    timeval wait{0, 100000};
    if (::select(master + 1, &ready, nullptr, nullptr, &wait) > 0) {
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n <= 0) break;
      seen.append(buffer, static_cast<size_t>(n));
    }
  }
  ASSERT_NE(seen.find("Password: "), std::string::npos) << seen;
  termios during{};
  ASSERT_EQ(::tcgetattr(master, &during), 0);
  EXPECT_EQ(during.c_lflag & ECHO, 0u) << "no echo while the password is typed";
  ASSERT_EQ(::write(master, "\x03", 1), 1);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  termios after{};
  ASSERT_EQ(::tcgetattr(master, &after), 0);
  EXPECT_NE(after.c_lflag & ECHO, 0u) << "the terminal was left without echo";
  ::close(master);
  EXPECT_FALSE(fs::exists(file("enc")));
}

}  // namespace
