// Printing to a real printer: a CUPS scheduler of the test's own with a cups-pdf queue, the
// demo project's logs sent to it by strataquill-log --print and by the preview's Print
// button, and the printed PDFs read back. Where the scheduler cannot start, the tests fail
// and say why.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "strataquill/app/testing/scratch_cups.h"
#include "strataquill/render/frm_print_preview.h"
#include "strataquill/render/log_export.h"
#include "strataquill/render/print_context.h"
#include "strataquill/render/print_options.h"
#include "strataquill/render/print_run.h"
#include "strataquill/shell/test_home.h"

namespace {

namespace fs = std::filesystem;
using sq::testing::pdfPageCount;
using sq::testing::runShell;
using sq::testing::ScratchCups;

const std::string kBin = VEXAMOR_TEST_BIN_DIR;
const std::string kDemo = kBin + "/demo/Demo.sq2";

std::string quote(const std::string& s) {
  return "'" + s + "'";
}

int totalPages(const std::vector<std::string>& pdfs) {
  int total = 0;
  for (const std::string& pdf : pdfs) total += pdfPageCount(pdf);
  return total;
}

// The demo project on the system's printer, with the program folder of the build.
class DemoContext : public sq::render::PrintContext {
 public:
  explicit DemoContext(std::vector<std::string> borings) : borings_(std::move(borings)) {}
  std::vector<std::string> boringNames() const override { return borings_; }
  std::string currentBoring() const override { return borings_.front(); }
  std::string projectPath() const override { return kDemo; }
  std::string designerLayoutPath() const override { return {}; }
  std::string classificationFile() const override { return kBin + "/Classification.sqc"; }
  std::string patternFolder() const override { return kBin + "/Patterns"; }
  void saveOpenEditors() override {}
  sq::render::PrinterChoice& printerChoice() override { return printer_; }
  void printSetup() override {}
  QWidget* mainWindow() const override { return nullptr; }

 private:
  std::vector<std::string> borings_;
  sq::render::PrinterChoice printer_ = sq::render::PrinterChoice::systemDefault();
};

class RealPrinter : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    cups_ = new ScratchCups;
    started_ = cups_->start(&why_);
    // Every client of this process, and the programs it starts, print on the scratch queue.
    ::setenv("CUPS_SERVER", cups_->socket().c_str(), 1);
    ::setenv("LPDEST", ScratchCups::kQueue, 1);
    ::unsetenv("PRINTER");
  }
  static void TearDownTestSuite() {
    delete cups_;  // stops cupsd
    cups_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(started_) << "cupsd cannot start: " << why_;
    cups_->clearOutput();
  }

  static ScratchCups* cups_;
  static bool started_;
  static std::string why_;
  sq::TestHome home_;
};

ScratchCups* RealPrinter::cups_ = nullptr;
bool RealPrinter::started_ = false;
std::string RealPrinter::why_;

TEST_F(RealPrinter, StrataquillLogPrintsEveryBoringOfTheDemo) {
  std::string out;
  const std::string pdf = home_.path("Demo.pdf");
  ASSERT_EQ(runShell(quote(kBin + "/strataquill-log") + " " + quote(kDemo) + " -o " + quote(pdf),
                     &out),
            0)
      << out;
  const int expected = pdfPageCount(pdf);
  ASSERT_GT(expected, 0);

  ASSERT_EQ(runShell(quote(kBin + "/strataquill-log") + " " + quote(kDemo) + " --print", &out), 0)
      << out;
  std::vector<std::string> all, borings;
  std::string error;
  ASSERT_TRUE(sq::render::chooseBorings(kDemo, {}, all, borings, error)) << error;
  // One print job a boring, each a PDF of its own.
  const std::vector<std::string> printed = cups_->waitForPdfs(borings.size(), 120);
  ASSERT_EQ(printed.size(), borings.size()) << cups_->logTail();
  EXPECT_EQ(totalPages(printed), expected) << "printed pages differ from the PDF written";
}

TEST_F(RealPrinter, ThePreviewsPrintButtonPrintsWhatItShows) {
  ASSERT_TRUE(QPrinterInfo::availablePrinterNames().contains(ScratchCups::kQueue))
      << "Qt does not see the scratch queue";
  std::vector<std::string> all, borings;
  std::string error;
  ASSERT_TRUE(sq::render::chooseBorings(kDemo, {}, all, borings, error)) << error;
  DemoContext context(all);
  ASSERT_EQ(context.printerChoice().printerName.toStdString(), ScratchCups::kQueue);

  sq::render::PrintOptions options;
  options.firstPageLayoutFile = kBin + "/LogFirstPage.sqf";
  options.additionalPageLayoutFile = kBin + "/LogAdditionalPages.sqf";
  options.useAdditionalPageLayout = true;
  static int shown = 0;
  shown = 0;
  // Instead of waiting for a user, the shown preview gets its Print button pressed.
  sq::render::setPreviewHook([](sq::render::frmPrintPreview& preview) {
    shown = preview.pageCount();
    preview.cmdPrint()->click();
  });
  const sq::render::RunResult result =
      sq::render::drawPages(context, options, borings.front(), sq::render::kToPreview, "Demo.sq2",
                            sq::render::kBoringLog, false);
  sq::render::setPreviewHook(nullptr);
  ASSERT_TRUE(result.ok()) << result.message;
  ASSERT_GT(shown, 1) << "the demo's first boring runs over more than one page";

  const std::vector<std::string> printed = cups_->waitForPdfs(1, 120);
  ASSERT_EQ(printed.size(), 1u) << cups_->logTail();
  EXPECT_EQ(pdfPageCount(printed.front()), shown);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
