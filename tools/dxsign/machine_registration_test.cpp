// dxsign on a machine where the package registered the core for everyone: an ordinary user
// lists the machine's file types, adds types of their own without touching the machine's
// hives, and is told plainly that the machine's types are not theirs to remove.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/registry/testing/temp_registry.h"
#include "tools/dxsign/testing/run_dxsign.h"

namespace {

using vexamor::dxsign::testing::Outcome;
using vexamor::dxsign::testing::run;
using vexamor::registry::binDir;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string{std::istreambuf_iterator<char>(in), {}};
}

class DxsignMachineRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    // The machine's hives filled as setup fills them, in a folder of this test's own.
    const Outcome setup = vexamor::signcore::testing::runCommand(
        "VEXAMOR_REGISTRY=" + registry_.machineFolder() + " " + binDir() +
        "/vexareg import " + binDir() + "/DxSignCore16.reg");
    ASSERT_EQ(setup.status, 0) << setup.out;
    machineBefore_ = machineHive();
  }
  std::string machineHive() const {
    return readFile(registry_.machineFolder() + "/HKEY_CLASSES_ROOT.reg");
  }

  vexamor::registry::TempRegistry registry_;
  std::string machineBefore_;
};

TEST_F(DxsignMachineRegistration, UsersAddTypesOfTheirOwnAndCannotRemoveTheMachines) {
  const Outcome list = run("dxsign ext list");
  ASSERT_EQ(list.status, 0) << list.out;
  EXPECT_EQ(list.out.substr(0, 4), ".drx") << list.out;
  const std::string machineList = list.out;

  ASSERT_EQ(run("dxsign ext register .txt DxSignCore.VexaSystemTime.1").status, 0);
  const Outcome more = run("dxsign ext list");
  EXPECT_EQ(more.out.substr(0, machineList.size()), machineList);
  EXPECT_NE(more.out.find(".txt\t{88A10E3A-F60F-473A-80EB-9CC16BA1F489}"), std::string::npos)
      << more.out;
  EXPECT_EQ(machineHive(), machineBefore_);
  EXPECT_NE(registry_.readHiveFile("HKEY_CLASSES_ROOT").find(".txt"), std::string::npos);

  const Outcome remove = run("dxsign ext unregister .zip");
  EXPECT_EQ(remove.status, 1);
  EXPECT_EQ(remove.out,
            "dxsign: unregistering .zip failed: Access is denied. "
            "(0x80070005, DxSignCore.VexaFindSignFile.1)\n");
  EXPECT_EQ(run("dxsign ext lookup .zip").status, 0);
  EXPECT_EQ(run("dxsign ext unregister .txt").status, 0);
  EXPECT_EQ(run("dxsign ext list").out, machineList);
  EXPECT_EQ(machineHive(), machineBefore_);
}

}  // namespace
