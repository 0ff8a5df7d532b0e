// dxsign as a user runs it: a fresh registry set up with vexareg, then the commands.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/testing/loopback_time_server.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/handlers/testing/drawing_files.h"
#include "tools/dxsign/testing/run_dxsign.h"

namespace {

using vexamor::dxsign::testing::Outcome;
using vexamor::dxsign::testing::run;
using vexamor::registry::binDir;
using vexamor::signcore::testing::LoopbackTimeServer;

class Dxsign : public ::testing::Test {
 protected:
  void SetUp() override {
    const Outcome setup = run("vexareg import " + binDir() + "/DxSignCore16.reg");
    ASSERT_EQ(setup.status, 0) << setup.out;
  }
  vexamor::registry::TempRegistry registry_;
};

TEST_F(Dxsign, ListsTheDefaultFileTypesOfAFreshSetup) {
  const Outcome list = run("dxsign ext list");
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out,
            ".drx\t{72EC5935-3EC3-4E94-A3F1-D2FC478521C2}\tDxSignCore.VexaSignDRX.1\n"
            ".drt\t{72EC5935-3EC3-4E94-A3F1-D2FC478521C2}\tDxSignCore.VexaSignDRX.1\n"
            ".drs\t{72EC5935-3EC3-4E94-A3F1-D2FC478521C2}\tDxSignCore.VexaSignDRX.1\n"
            ".zip\t{BF7227D0-D41D-48FC-B545-8263F2CDA621}\tDxSignCore.VexaSignAppend.1\n"
            ".exe\t{BF7227D0-D41D-48FC-B545-8263F2CDA621}\tDxSignCore.VexaSignAppend.1\n");
  const Outcome lookup = run("dxsign ext lookup .DRS");
  EXPECT_EQ(lookup.out, "{72EC5935-3EC3-4E94-A3F1-D2FC478521C2}\tDxSignCore.VexaSignDRX.1\n");
}

TEST_F(Dxsign, RegistersLooksUpAndUnregistersFileTypes) {
  EXPECT_EQ(run("dxsign ext register .TXT DxSignCore.VexaSystemTime.1").status, 0);
  const Outcome lookup = run("dxsign ext lookup .txt");
  EXPECT_EQ(lookup.status, 0);
  EXPECT_EQ(lookup.out, "{88A10E3A-F60F-473A-80EB-9CC16BA1F489}\tDxSignCore.VexaSystemTime.1\n");
  EXPECT_EQ(run("dxsign ext unregister .txt").status, 0);

  const Outcome missing = run("dxsign ext lookup .txt");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out,
            "dxsign: looking up .txt failed: The system cannot find the file specified. "
            "(0x80070002, DxSignCore.VexaFindSignFile.1)\n");
  const Outcome badClass = run("dxsign ext register .txt {not-a-clsid}");
  EXPECT_EQ(badClass.status, 1);
  EXPECT_NE(badClass.out.find("Invalid class string (0x800401F3)"), std::string::npos)
      << badClass.out;
  EXPECT_EQ(run("dxsign ext lookup ''").status, 1);
}

TEST_F(Dxsign, PrintsTheTimeOfALoopbackServer) {
  LoopbackTimeServer server(std::string("\xC1\xF5\x3A\xAB", 4));
  ASSERT_TRUE(server.listening());
  const Outcome time = run("dxsign time " + server.address() + " --timeout 3000");
  EXPECT_EQ(time.status, 0) << time.out;
  EXPECT_EQ(time.out, "2003-02-12 21:27:07 UTC\n");
  EXPECT_EQ(run("dxsign time").status, 0);  // the local clock
}

TEST_F(Dxsign, UsesTheTimeProtocolPortByDefault) {
  LoopbackTimeServer server(std::string("\xC1\xF5\x3A\xAB", 4),
                            LoopbackTimeServer::Behaviour::kReply, 37);
  if (!server.listening()) GTEST_SKIP() << "port 37 cannot be bound here";
  const Outcome time = run("dxsign time 127.0.0.1");
  EXPECT_EQ(time.status, 0) << time.out;
  EXPECT_EQ(time.out, "2003-02-12 21:27:07 UTC\n");
}

TEST_F(Dxsign, ReportsATimeoutAndRefusesBadUsage) {
  LoopbackTimeServer silent("", LoopbackTimeServer::Behaviour::kNeverAnswer);
  const Outcome time = run("dxsign time --timeout 200 " + silent.address());
  EXPECT_EQ(time.status, 1);
  EXPECT_EQ(time.out, "dxsign: asking " + silent.address() +
                          " for the time failed: This operation returned because the timeout "
                          "period expired. (0x800705B4, DxSignCore.VexaSignature.1)\n");
  EXPECT_EQ(run("dxsign --help").status, 0);
  EXPECT_EQ(run("dxsign").status, 2);
  EXPECT_EQ(run("dxsign ext").status, 2);
  EXPECT_EQ(run("dxsign ext register .x").status, 2);
  EXPECT_EQ(run("dxsign time --timeout soon").status, 2);
  EXPECT_EQ(run("dxsign time a b").status, 2);
}

class DxsignFiles : public Dxsign {
 protected:
  void SetUp() override {
    Dxsign::SetUp();
    dir_ = std::filesystem::temp_directory_path() / ("dxsign." + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string file(const std::string& name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST_F(DxsignFiles, VerifyAndInfoSayWhatIsNotSigned) {
  namespace samples = vexamor::signcore::testing;
  ASSERT_TRUE(samples::writeClassicDrawing(file("a.drx"), 20000));
  ASSERT_EQ(samples::writeContainerDrawing(file("b.DRS"), samples::dozenStreams()), 0u);
  ASSERT_TRUE(samples::writeFile(file("c.zip"), {'P', 'K'}));

  const Outcome verify =
      run("dxsign verify " + file("a.drx") + " " + file("b.DRS") + " " + file("c.zip"));
  EXPECT_EQ(verify.status, 3);
  EXPECT_EQ(verify.out, file("a.drx") + ": not signed\n" + file("b.DRS") + ": not signed\n" +
                            file("c.zip") + ": not signed\n");
  const Outcome info = run("dxsign info " + file("b.DRS"));
  EXPECT_EQ(info.status, 3);
  EXPECT_EQ(info.out, file("b.DRS") + ": not signed\n");
}

TEST_F(DxsignFiles, SaysPlainlyWhenNoHandlerCanBeFound) {
  namespace samples = vexamor::signcore::testing;
  ASSERT_TRUE(samples::writeFile(file("notes.txt"), {'x'}));
  ASSERT_TRUE(samples::writeFile(file("README"), {'x'}));
  ASSERT_TRUE(samples::writeFile(file("c.zip"), {'P', 'K'}));
  const Outcome verify = run("dxsign verify " + file("notes.txt") + " " + file("README") + " " +
                             file("c.zip") + " " + file("gone.drx"));
  EXPECT_EQ(verify.status, 1);  // a failure outweighs "not signed"
  EXPECT_EQ(verify.out,
            file("notes.txt") + ": no signature handler is registered for \".txt\" files\n" +
                file("README") +
                ": the file name has no extension, so no signature handler can be chosen\n" +
                file("c.zip") + ": not signed\n" + file("gone.drx") +
                ": verification failed: The system cannot find the file specified. "
                "(0x80070002, DxSignCore.VexaSignDRX.1)\n");
  const Outcome info = run("dxsign info " + file("notes.txt"));
  EXPECT_EQ(info.status, 1);
  EXPECT_EQ(info.out, "dxsign: " + file("notes.txt") +
                          ": no signature handler is registered for \".txt\" files\n");
}

TEST_F(DxsignFiles, RefusesBadUsageOfTheFileCommands) {
  EXPECT_EQ(run("dxsign sign " + file("a.drx")).status, 2);  // no certificate
  EXPECT_EQ(run("dxsign sign --cert x").status, 2);          // no file
  EXPECT_EQ(run("dxsign sign a.drx --cert x --timeout soon").status, 2);
  EXPECT_EQ(run("dxsign sign a.drx --cert x --colour red").status, 2);
  EXPECT_EQ(run("dxsign verify").status, 2);
  EXPECT_EQ(run("dxsign verify --all").status, 2);
  EXPECT_EQ(run("dxsign info").status, 2);
  EXPECT_EQ(run("dxsign info a.drx b.drx").status, 2);
  // A policy asks an authority for something, so it needs one; revocation has three modes.
  EXPECT_EQ(run("dxsign sign a.drx --cert x --tsa-policy 1.2.3").status, 2);
  EXPECT_EQ(run("dxsign sign a.drx --cert x --tsa").status, 2);
  EXPECT_EQ(run("dxsign verify a.drx --revocation strict").status, 2);
  EXPECT_EQ(run("dxsign verify a.drx --revocation").status, 2);
  EXPECT_EQ(run("dxsign info a.drx --revocation none b.drx").status, 2);
}

class DxsignSigning : public DxsignFiles {
 protected:
  void SetUp() override {
    DxsignFiles::SetUp();
    certificates_.installStandardSet();
  }
  vexamor::signcore::testing::TempCertificateFolder certificates_;
};

TEST_F(DxsignSigning, SignsVerifiesAndShowsThreeKindsOfFile) {
  namespace samples = vexamor::signcore::testing;
  const auto& signer = samples::TestPki::get().rsaSigner;
  ASSERT_TRUE(samples::writeClassicDrawing(file("plan.drx"), 30000));
  ASSERT_EQ(samples::writeContainerDrawing(file("site.drs"), samples::dozenStreams(), 128), 0u);
  ASSERT_TRUE(samples::writeFile(file("bundle.zip"), samples::sampleBytes(5000, 1)));
  const std::string all = file("plan.drx") + " " + file("site.drs") + " " + file("bundle.zip");
  LoopbackTimeServer server(std::string("\xC1\xF5\x3A\xAB", 4));
  ASSERT_TRUE(server.listening());

  const Outcome sign = run("dxsign sign " + all + " --cert " + signer.serialUtf8() +
                           " --comment 'Issued for permit' --time-server " + server.address());
  ASSERT_EQ(sign.status, 0) << sign.out;
  EXPECT_EQ(sign.out, file("plan.drx") + ": signed\n" + file("site.drs") + ": signed\n" +
                          file("bundle.zip") + ": signed\n");
  // Valid; whether a certificate was revoked cannot be learnt, since none of the chain names
  // where to ask: a warning by default.
  const std::string valid =
      "signature valid, revocation unknown: Vexamor Test RSA Signer, the certificate names no "
      "OCSP responder and no CRL; Vexamor Test Intermediate, the certificate names no OCSP "
      "responder and no CRL\n";
  const Outcome verify = run("dxsign verify " + all);
  EXPECT_EQ(verify.status, 0) << verify.out;
  EXPECT_EQ(verify.out, file("plan.drx") + ": " + valid + file("site.drs") + ": " + valid +
                            file("bundle.zip") + ": " + valid);

  const Outcome info = run("dxsign info " + file("site.drs"));
  EXPECT_EQ(info.status, 0) << info.out;
  EXPECT_EQ(info.out, "Signature:   " + valid.substr(10) + "File:        " + file("site.drs") +
                          "\n" +
                          "Signer:      Vexamor Test RSA Signer\n"
                          "Issuer:      Vexamor Test Intermediate\n"
                          "E-mail:      \n"
                          "Serial:      0a1b2c3d4e5f\n"
                          "X.500 name:  C=US; O=Vexamor Test; CN=Vexamor Test RSA Signer\n"
                          "Valid from:  2020-01-01 00:00:00 UTC\n"
                          "Valid to:    2099-12-31 23:59:59 UTC\n"
                          "Comment:     Issued for permit\n"
                          "Time stamp:  2003-02-12 21:27:07 UTC\n"
                          "Time server: " +
                          server.address() +
                          "\n"
                          "TSA:         none\n");

  // One changed byte in each file: every one fails, with the reason.
  samples::writeFile(file("plan.drx"), [&] {
    auto b = samples::readFile(file("plan.drx"));
    b[20000] ^= 1;
    return b;
  }());
  auto zip = samples::readFile(file("bundle.zip"));
  zip[10] ^= 1;
  samples::writeFile(file("bundle.zip"), zip);
  auto objects = samples::readContainerStreams(file("site.drs"))[2].second;
  objects[7] ^= 1;
  ASSERT_EQ(samples::rewriteContainerStream(file("site.drs"), "DxDb:Objects", objects), 0u);
  const Outcome changed = run("dxsign verify " + all);
  EXPECT_EQ(changed.status, 1) << changed.out;
  EXPECT_NE(changed.out.find(file("plan.drx") + ": verification failed: "), std::string::npos)
      << changed.out;
  EXPECT_NE(changed.out.find(file("site.drs") + ": verification failed: "), std::string::npos);
  EXPECT_NE(changed.out.find(file("bundle.zip") + ": verification failed: "), std::string::npos);
  EXPECT_NE(changed.out.find("DxSignCore.VexaSign"), std::string::npos);
}

TEST_F(DxsignSigning, ChoosesTheCertificateBySubjectPartOrByItsThreeTexts) {
  namespace samples = vexamor::signcore::testing;
  const auto& ec = samples::TestPki::get().ecSigner;
  ASSERT_TRUE(samples::writeFile(file("a.zip"), {'a'}));
  EXPECT_EQ(run("dxsign sign " + file("a.zip") + " --cert 'ec signer'").status, 0);
  const Outcome info = run("dxsign info " + file("a.zip"));
  EXPECT_NE(info.out.find("Signer:      Vexamor Test EC Signer\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("Time stamp:  2"), std::string::npos) << "the local clock's time";
  EXPECT_NE(info.out.find("Time server: none\n"), std::string::npos);

  const Outcome texts = run("dxsign sign " + file("a.zip") + " --cert '" + ec.subjectUtf8() + "|" +
                            ec.issuerUtf8() + "|" + ec.serialUtf8() + "'");
  EXPECT_EQ(texts.status, 0) << texts.out;

  const Outcome ambiguous = run("dxsign sign " + file("a.zip") + " --cert Signer");
  EXPECT_EQ(ambiguous.status, 1);
  EXPECT_NE(ambiguous.out.find("\"Signer\" is part of the subject of "), std::string::npos)
      << ambiguous.out;
  EXPECT_NE(ambiguous.out.find("0a1b2c3d4e5f  Vexamor Test RSA Signer"), std::string::npos);
  const Outcome none = run("dxsign sign " + file("a.zip") + " --cert nobody");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "dxsign: no certificate with a private key has the serial number or a "
                      "subject containing \"nobody\" (dxsign certs list shows them)\n");
  const Outcome expired = run("dxsign sign " + file("a.zip") + " --cert 'expired signer'");
  EXPECT_EQ(expired.status, 1);
  // Refused before any file is touched, with the chain's problem in words.
  EXPECT_NE(expired.out.find("cannot sign: "), std::string::npos) << expired.out;
  EXPECT_NE(expired.out.find("(status 0x00000001)\n"), std::string::npos) << expired.out;
  EXPECT_EQ(expired.out.find("signing failed"), std::string::npos) << expired.out;
  const Outcome broken = run("dxsign sign " + file("a.zip") + " --cert 'Broken Chain'");
  EXPECT_EQ(broken.status, 1);
  EXPECT_NE(broken.out.find("cannot sign: "), std::string::npos) << broken.out;
}

TEST(DxsignUnregistered, ExplainsAMissingRegistration) {
  vexamor::registry::TempRegistry empty;
  const Outcome list = run("dxsign ext list");
  EXPECT_EQ(list.status, 1);
  EXPECT_EQ(list.out,
            "dxsign: creating VexaFindSignFile failed: Class not registered (0x80040154)\n");
}

}  // namespace
