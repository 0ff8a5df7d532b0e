// dxsign as a user runs it: a fresh registry set up with vexareg, then the commands.
#include <gtest/gtest.h>

#include <string>

#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/testing/loopback_time_server.h"
#include "tools/dxsign/testing/run_dxsign.h"

namespace {

using vexamor::dxsign::testing::Outcome;
using vexamor::dxsign::testing::run;
using vexamor::registry::binDir;
using vexamor::dxsign::testing::Outcome;
using vexamor::dxsign::testing::run;
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

TEST(DxsignUnregistered, ExplainsAMissingRegistration) {
  vexamor::registry::TempRegistry empty;
  const Outcome list = run("dxsign ext list");
  EXPECT_EQ(list.status, 1);
  EXPECT_EQ(list.out,
            "dxsign: creating VexaFindSignFile failed: Class not registered (0x80040154)\n");
}

}  // namespace
