// dxsign as a user runs it: a fresh registry set up with vexareg, then the commands.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/testing/loopback_time_server.h"
#include "signcore/handlers/testing/drawing_files.h"

namespace {

using vexamor::registry::binDir;
using vexamor::signcore::testing::LoopbackTimeServer;

struct Outcome {
  int status;
  std::string out;  // standard output and error together
};

Outcome run(const std::string& command) {
  FILE* pipe = popen((binDir() + "/" + command + " 2>&1").c_str(), "r");
  Outcome result{-1, ""};
  if (pipe == nullptr) return result;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

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
            ".drx\t{72EC5935-3EC3-4E94-A3F1-D2FC478521C2}\n"
            ".drt\t{72EC5935-3EC3-4E94-A3F1-D2FC478521C2}\n"
            ".drs\t{72EC5935-3EC3-4E94-A3F1-D2FC478521C2}\n"
            ".zip\t{BF7227D0-D41D-48FC-B545-8263F2CDA621}\n"
            ".exe\t{BF7227D0-D41D-48FC-B545-8263F2CDA621}\n");
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
}

TEST(DxsignUnregistered, ExplainsAMissingRegistration) {
  vexamor::registry::TempRegistry empty;
  const Outcome list = run("dxsign ext list");
  EXPECT_EQ(list.status, 1);
  EXPECT_EQ(list.out,
            "dxsign: creating VexaFindSignFile failed: Class not registered (0x80040154)\n");
}

}  // namespace
