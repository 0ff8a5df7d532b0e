#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/start_folder.h"
#include "strataquill/shell/test_home.h"
#include "strataquill/shell/window_placement.h"

namespace sq {
namespace {

TEST(WindowPlacementTest, AWindowNeverOutgrowsOrLeavesTheScreen) {
  const QMargins frame(8, 32, 8, 8);
  // 1024 x 768 with a 40-pixel panel at the bottom.
  const QRect screen(0, 0, 1024, 728);
  const QRect big = fitToScreen(QRect(100, 10, 1180, 780), screen, frame);
  EXPECT_EQ(big, QRect(8, 32, 1008, 688)) << "the frame and the title bar fit too";
  EXPECT_TRUE(screen.contains(big.marginsAdded(frame)));
  // A place remembered on a larger screen comes back onto this one.
  const QRect gone = fitToScreen(QRect(1500, 900, 600, 400), screen, frame);
  EXPECT_EQ(gone.size(), QSize(600, 400));
  EXPECT_TRUE(screen.contains(gone.marginsAdded(frame)));
  // A window that fits stays where it was.
  EXPECT_EQ(fitToScreen(QRect(50, 60, 600, 400), screen, frame), QRect(50, 60, 600, 400));
  // A second screen to the left has negative coordinates.
  const QRect left(-1280, 0, 1280, 1024);
  EXPECT_EQ(fitToScreen(QRect(-1200, 100, 800, 600), left, frame), QRect(-1200, 100, 800, 600));
}

TEST(StartFolderTest, PreferenceThenOpenFileThenDocuments) {
  TestHome home;
  const std::filesystem::path docs = home.root() / "Papers";
  std::filesystem::create_directories(docs);
  std::filesystem::create_directories(home.root() / "config");
  std::ofstream(home.root() / "config" / "user-dirs.dirs")
      << "XDG_DOCUMENTS_DIR=\"" << docs.string() << "\"\n";
  EXPECT_EQ(documentsFolder(), docs.string());
  EXPECT_EQ(startFolder("DefaultSQFileDir", "???"), docs.string()) << "nothing open, nothing named";

  const std::filesystem::path sites = home.root() / "sites";
  std::filesystem::create_directories(sites);
  EXPECT_EQ(startFolder("DefaultSQFileDir", (sites / "Site42.sq2").string()), sites.string());

  const std::filesystem::path named = home.root() / "projects";
  std::filesystem::create_directories(named);
  ASSERT_TRUE(SaveSetting("Files", "DefaultSQFileDir", named.string()));
  EXPECT_EQ(startFolder("DefaultSQFileDir", (sites / "Site42.sq2").string()), named.string());
  ASSERT_TRUE(SaveSetting("Files", "DefaultSQFileDir", (home.root() / "gone").string()));
  EXPECT_EQ(startFolder("DefaultSQFileDir", "???"), docs.string()) << "a vanished folder";
}

}  // namespace
}  // namespace sq
