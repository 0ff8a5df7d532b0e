// dxsign emblems as a user runs it in a desktop session: every step under dbus-run-session
// with gvfs keeping the metadata and the overlay handler loaded from the registry, in front
// of a fake core (signicon/testing/fake_core.h) that decides which files are signed, and at
// the end in front of the real one.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/testing/run_command.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/handlers/testing/drawing_files.h"
#include "signicon/testing/overlay_testing.h"

namespace {

using namespace vexamor::signicon::testing;
using vexamor::registry::binDir;

using Outcome = vexamor::signcore::testing::CommandOutcome;
using vexamor::signcore::testing::runCommand;

std::string shellQuoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a shell script in a D-Bus session of its own; the session bus's own chatter (on the
// daemon's standard error) is left out.
Outcome inSession(const std::string& script) {
  return runCommand("{ dbus-run-session -- bash -c " + shellQuoted(script + " 2>&1") +
                    " 2>/dev/null; }");
}

class Emblems : public ::testing::Test {
 protected:
  void SetUp() override {
    // The metadata store of this test alone: concurrent sessions never share one.
    setenv("XDG_DATA_HOME", (folder_.path() + "/data").c_str(), 1);
    registry_.importBuildTree();
    registerOverlay();
    registerFakeCore(true);
    files_ = folder_.path() + "/files";
    std::filesystem::create_directories(files_ + "/site.d");
  }

  std::string dxsign() const { return shellQuoted(binDir() + "/dxsign"); }

  // The emblems that GIO reports for the file, as `gio info` prints them ("" for none).
  std::string emblemsOf(const std::string& path) {
    const Outcome info = inSession("gio info -a metadata::emblems " + shellQuoted(path));
    const std::string key = "metadata::emblems: ";
    const size_t at = info.out.find(key);
    if (at == std::string::npos) return "";
    return info.out.substr(at + key.size(), info.out.find('\n', at) - at - key.size());
  }

  vexamor::registry::TempRegistry registry_;
  TempFolder folder_;
  std::string files_;
};

TEST_F(Emblems, SignedFilesGetTheBadgeAndLoseItWhenTheyStopVerifying) {
  const std::string drawing = files_ + "/site plan.fake";
  const std::string tampered = files_ + "/site.d/boring B-1.fake";
  const std::string letter = files_ + "/letter.txt";
  writeFile(drawing, signedAnswers());
  writeFile(tampered, tamperedAnswers());
  writeFile(letter, signedAnswers());
  writeFile(files_ + "/README", signedAnswers());
  ASSERT_EQ(inSession("gio set -t stringv " + shellQuoted(drawing) +
                      " metadata::emblems emblem-important && gio set -t stringv " +
                      shellQuoted(letter) + " metadata::emblems emblem-favorite")
                .status,
            0);

  Outcome run = inSession(dxsign() + " emblems " + shellQuoted(files_));
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "+ " + drawing + "\n4 files, 1 signed; badges: 1 added, 0 removed\n");
  EXPECT_EQ(emblemsOf(drawing), "[emblem-important, emblem-dxsign-signed]");
  EXPECT_EQ(emblemsOf(tampered), "");
  EXPECT_EQ(emblemsOf(letter), "[emblem-favorite]");

  // Unchanged files are left alone; a file that no longer verifies loses only our badge.
  run = inSession(dxsign() + " emblems " + shellQuoted(files_));
  EXPECT_EQ(run.out, "4 files, 1 signed; badges: 0 added, 0 removed\n");
  writeFile(drawing, tamperedAnswers());
  writeFile(tampered, signedAnswers());
  run = inSession(dxsign() + " emblems " + shellQuoted(drawing) + " " + shellQuoted(tampered));
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "- " + drawing + "\n+ " + tampered +
                         "\n2 files, 1 signed; badges: 1 added, 1 removed\n");
  EXPECT_EQ(emblemsOf(drawing), "[emblem-important]");
  EXPECT_EQ(emblemsOf(tampered), "[emblem-dxsign-signed]");

  // The last badge gone, the attribute goes too.
  writeFile(tampered, unsignedAnswers());
  EXPECT_EQ(inSession(dxsign() + " emblems " + shellQuoted(tampered)).status, 0);
  EXPECT_EQ(emblemsOf(tampered), "");
}

TEST_F(Emblems, SymbolicLinksAreNeverFollowedOutOfTheTree) {
  const std::string outside = folder_.path() + "/elsewhere";
  std::filesystem::create_directories(outside);
  const std::string target = outside + "/report.fake";
  writeFile(target, signedAnswers());
  const std::string inside = files_ + "/site.d/report.fake";
  const std::string named = files_ + "/named.fake";
  std::filesystem::create_symlink(target, inside);
  std::filesystem::create_symlink(target, named);
  std::filesystem::create_directory_symlink(outside, files_ + "/elsewhere.d");
  const std::string own = files_ + "/own.fake";
  writeFile(own, signedAnswers());

  const Outcome run =
      inSession(dxsign() + " emblems " + shellQuoted(files_) + " " + shellQuoted(named));
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "dxsign: " + named + ": a symbolic link, passed over\n+ " + own +
                         "\n1 file, 1 signed; badges: 1 added, 0 removed\n");
  EXPECT_EQ(emblemsOf(target), "");
  EXPECT_EQ(emblemsOf(own), "[emblem-dxsign-signed]");
}

TEST_F(Emblems, ThousandsOfFilesAcrossAllCores) {
  for (int i = 0; i < 2000; ++i) {
    const std::string folder = files_ + "/batch" + std::to_string(i % 10);
    std::filesystem::create_directories(folder);
    writeFile(folder + "/f" + std::to_string(i) + ".fake",
              i % 4 == 0 ? signedAnswers() : i % 4 == 1 ? tamperedAnswers() : unsignedAnswers());
  }
  const Outcome run = inSession(dxsign() + " emblems " + shellQuoted(files_) + " >/dev/null; " +
                                dxsign() + " emblems " + shellQuoted(files_));
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "2000 files, 500 signed; badges: 0 added, 0 removed\n");
  EXPECT_EQ(emblemsOf(files_ + "/batch4/f1004.fake"), "[emblem-dxsign-signed]");
  EXPECT_EQ(emblemsOf(files_ + "/batch5/f1005.fake"), "");
}

TEST_F(Emblems, WatchFollowsWritesRenamesAndNewFolders) {
  const std::string drawing = files_ + "/plan.fake";
  writeFile(drawing, unsignedAnswers());
  const std::string moved = files_ + "/site.d/moved.fake";
  const std::string later = files_ + "/later.d/new.fake";
  // Waits until gio shows the wanted emblems (ten seconds at most).
  const std::string waitFor =
      "waitfor() { for i in $(seq 100); do gio info -a metadata::emblems \"$1\" | grep -qF "
      "\"$2\" && return 0; sleep 0.1; done; echo \"timed out: $1 $2\"; }; ";
  const std::string script =
      waitFor + dxsign() + " emblems --watch " + shellQuoted(files_) +
      " > watch.log 2>&1 & pid=$!; "
      "for i in $(seq 100); do grep -q watching watch.log && break; sleep 0.1; done; " +
      "printf '%s' " + shellQuoted(signedAnswers()) + " > " + shellQuoted(drawing) + "; " +
      "waitfor " + shellQuoted(drawing) + " '[emblem-dxsign-signed]'; " +
      "printf '%s' " + shellQuoted(signedAnswers()) + " > outside.tmp && mv outside.tmp " +
      shellQuoted(moved) + "; " + "waitfor " + shellQuoted(moved) + " '[emblem-dxsign-signed]'; " +
      "mkdir " + shellQuoted(files_ + "/later.d") + " && printf '%s' " + shellQuoted(signedAnswers()) +
      " > " + shellQuoted(later) + "; waitfor " + shellQuoted(later) + " '[emblem-dxsign-signed]'; " +
      "printf '%s' " + shellQuoted(tamperedAnswers()) + " > " + shellQuoted(drawing) + "; " +
      "for i in $(seq 100); do gio info -a metadata::emblems " + shellQuoted(drawing) +
      " | grep -q emblem-dxsign && sleep 0.1; done; "
      "kill -INT $pid; wait $pid; echo \"status $?\"; cat watch.log";
  const Outcome run = inSession("cd " + shellQuoted(folder_.path()) + " && " + script);
  EXPECT_EQ(run.out.find("timed out"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("status 0\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("- " + drawing + "\n"), std::string::npos) << run.out;
  EXPECT_EQ(emblemsOf(drawing), "");
  EXPECT_EQ(emblemsOf(later), "[emblem-dxsign-signed]");
}

TEST_F(Emblems, SwitchedOffForTheUserEveryBadgeGoesAtTheNextRun) {
  const std::string drawing = files_ + "/plan.fake";
  writeFile(drawing, signedAnswers());
  ASSERT_EQ(inSession(dxsign() + " emblems " + shellQuoted(files_)).status, 0);
  ASSERT_EQ(emblemsOf(drawing), "[emblem-dxsign-signed]");
  setEnabledValue(0);
  const Outcome run = inSession(dxsign() + " emblems " + shellQuoted(files_));
  EXPECT_EQ(run.out, "- " + drawing + "\n1 file, 0 signed; badges: 0 added, 1 removed\n");
  EXPECT_EQ(emblemsOf(drawing), "");
}

TEST_F(Emblems, ExplainsWhatIsMissingAndGoesOnWithTheRest) {
  const std::string drawing = files_ + "/plan.fake";
  writeFile(drawing, signedAnswers());
  Outcome run = inSession(dxsign() + " emblems " + shellQuoted(files_ + "/gone.fake") + " " +
                          shellQuoted(drawing));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "dxsign: " + files_ + "/gone.fake: No such file or directory\n+ " +
                         drawing + "\n1 file, 1 signed; badges: 1 added, 0 removed\n");

  // Outside a desktop session GIO has nowhere to keep the badge.
  run = runCommand("env -u DBUS_SESSION_BUS_ADDRESS " + dxsign() + " emblems " +
                   shellQuoted(drawing));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("dxsign: the badges cannot be stored: "), std::string::npos) << run.out;

  registry_.writeHiveFile("HKEY_CLASSES_ROOT", "Windows Registry Editor Version 5.00\n\n");
  run = inSession(dxsign() + " emblems " + shellQuoted(drawing));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "dxsign: creating VexaSignIconOverlay failed: Class not registered (0x80040154)\n");

  EXPECT_EQ(runCommand(dxsign() + " emblems").status, 2);
  EXPECT_EQ(runCommand(dxsign() + " emblems --now " + shellQuoted(drawing)).status, 2);
}

// The new user's road: files signed with `dxsign sign` through the real handlers, badged by
// `dxsign emblems`, then one byte of one file changed.
class EmblemsOfSignedFiles : public Emblems {
 protected:
  void SetUp() override {
    setenv("XDG_DATA_HOME", (folder_.path() + "/data").c_str(), 1);
    registry_.importBuildTree();
    registerOverlay();
    certificates_.installStandardSet();
    files_ = folder_.path() + "/Deliveries";
    std::filesystem::create_directories(files_);
  }
  vexamor::signcore::testing::TempCertificateFolder certificates_;
};

TEST_F(EmblemsOfSignedFiles, ADrawingAndAZipFileSignedThenOneChanged) {
  namespace samples = vexamor::signcore::testing;
  const std::string drawing = files_ + "/site plan.drx";
  const std::string bundle = files_ + "/logs.zip";
  ASSERT_TRUE(samples::writeClassicDrawing(drawing, 48 * 1024));
  ASSERT_TRUE(samples::writeFile(bundle, samples::sampleBytes(20 * 1024, 11)));
  writeFile(files_ + "/notes.txt", "unsigned\n");
  const std::string serial = samples::TestPki::get().rsaSigner.serialUtf8();
  const Outcome signing = runCommand(dxsign() + " sign " + shellQuoted(drawing) + " " +
                                     shellQuoted(bundle) + " --cert " + shellQuoted(serial));
  ASSERT_EQ(signing.status, 0) << signing.out;

  Outcome run = inSession(dxsign() + " emblems " + shellQuoted(files_));
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "+ " + bundle + "\n+ " + drawing +
                         "\n3 files, 2 signed; badges: 2 added, 0 removed\n");
  EXPECT_EQ(emblemsOf(drawing), "[emblem-dxsign-signed]");
  EXPECT_EQ(emblemsOf(bundle), "[emblem-dxsign-signed]");

  std::vector<uint8_t> bytes = samples::readFile(bundle);
  bytes[5000] ^= 0x20;
  ASSERT_TRUE(samples::writeFile(bundle, bytes));
  run = inSession(dxsign() + " emblems " + shellQuoted(files_));
  EXPECT_EQ(run.out, "- " + bundle + "\n3 files, 1 signed; badges: 0 added, 1 removed\n");
  EXPECT_EQ(emblemsOf(bundle), "");
  EXPECT_EQ(emblemsOf(drawing), "[emblem-dxsign-signed]");
}

}  // namespace
