#include "strataquill/app/system_report.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <fstream>

#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/test_home.h"

namespace sq {
namespace {

QString valueOf(const std::vector<ReportSection>& report, const QString& section,
                const QString& name) {
  for (const ReportSection& s : report)
    if (s.title == section)
      for (const auto& [n, v] : s.items)
        if (n == name) return v;
  return "<absent>";
}

TEST(SystemReportTest, TellsWhatIsInstalledAndWhatIsMissing) {
  TestHome home;
  std::ofstream(home.path("File.tpl")) << "template";
  setProgramFolder(home.root().string());
  ASSERT_TRUE(SaveSetting("Preferences", "CompanyName", "Terra Drilling"));
  qputenv("VEXAMOR_REGISTRY", QByteArray::fromStdString(home.path("registry")));

  const std::vector<ReportSection> report = systemReport();
  QStringList titles;
  for (const ReportSection& s : report) titles << s.title;
  EXPECT_EQ(titles, (QStringList{"Program", "Qt", "Operating system", "Processor and memory",
                                 "Printers", "Fonts", "Settings", "Registry"}));
  EXPECT_TRUE(valueOf(report, "Program", "File.tpl").startsWith("8 bytes"));
  EXPECT_EQ(valueOf(report, "Program", "Format.tpl"), "missing");
  EXPECT_EQ(valueOf(report, "Program", "Patterns"), "missing");
  EXPECT_EQ(valueOf(report, "Program", "Version"), "1.0 (build 0)");
  EXPECT_EQ(valueOf(report, "Settings", "Preferences / CompanyName"), "Terra Drilling");
  EXPECT_EQ(valueOf(report, "Registry", "Registry folder"),
            QString::fromStdString(home.path("registry")));
  EXPECT_EQ(valueOf(report, "Qt", "Run-time version"), QString::fromLatin1(qVersion()));

  const QString text = reportText(report);
  EXPECT_TRUE(text.startsWith("Program\n  Name: Strataquill\n"));
  EXPECT_TRUE(text.contains("\nSettings\n")) << "one title line per section";
  setProgramFolder("");
}

}  // namespace
}  // namespace sq

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  sq::setApplicationName("Strataquill");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
