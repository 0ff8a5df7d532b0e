#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include <fstream>
#include <functional>

#include "strataquill/render/frm_print.h"
#include "strataquill/render/frm_print_preview.h"
#include "strataquill/render/print_run.h"
#include "strataquill/render/render_test_support.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/scripted_prompts.h"
#include "strataquill/shell/settings_store.h"

namespace sq::render {
namespace {

// A document of `pages` empty pages on Letter paper.
SurfaceDocument emptyDocument(int pages) {
  PrintSurface s;
  s.startDoc();
  for (int i = 1; i < pages; ++i) s.newPage();
  s.endDoc();
  return s.document();
}

TEST(PrintPreviewTest, OnePageDocument) {
  const SurfaceDocument doc = emptyDocument(1);
  frmPrintPreview preview(doc, nullptr);
  preview.UpdatePreviewButtons();
  EXPECT_EQ(preview.lblPage()->text(), "Page 1 of 1");
  EXPECT_FALSE(preview.cmdPageDown()->isEnabled());
  EXPECT_FALSE(preview.cmdPageUp()->isEnabled());
  EXPECT_EQ(preview.cmdPrint()->toolTip(), "Print");
  EXPECT_EQ(preview.cmdCopy()->toolTip(), "Copy To Clipboard");
}

TEST(PrintPreviewTest, PagingThroughThreePages) {
  const SurfaceDocument doc = emptyDocument(3);
  frmPrintPreview preview(doc, nullptr);
  EXPECT_EQ(preview.lblPage()->text(), "Page 1 of 3");
  preview.cmdPageUp()->click();
  preview.cmdPageUp()->click();
  EXPECT_EQ(preview.lblPage()->text(), "Page 3 of 3");
  EXPECT_FALSE(preview.cmdPageUp()->isEnabled());
  EXPECT_TRUE(preview.cmdPageDown()->isEnabled());
  preview.cmdPageUp_Click();
  EXPECT_EQ(preview.previewPage(), 3) << "not beyond the last page";
  preview.cmdPageDown()->click();
  EXPECT_EQ(preview.lblPage()->text(), "Page 2 of 3");
}

TEST(PrintPreviewTest, ZoomStepsInTwenties) {
  const SurfaceDocument doc = emptyDocument(1);
  frmPrintPreview preview(doc, nullptr);
  preview.setZoom(40);
  preview.cmdZoomOut()->click();
  EXPECT_EQ(preview.zoom(), 20);
  EXPECT_FALSE(preview.cmdZoomOut()->isEnabled());
  std::vector<int> seen;
  while (preview.cmdZoomIn()->isEnabled()) {
    preview.cmdZoomIn()->click();
    seen.push_back(preview.zoom());
  }
  EXPECT_EQ(seen, (std::vector<int>{40, 60, 80, 100, 120, 140, 160, 180, 200}));
  EXPECT_TRUE(preview.cmdZoomOut()->isEnabled());
  preview.cmdZoomFull()->click();
  EXPECT_EQ(preview.zoom(), 40);
  EXPECT_TRUE(preview.cmdZoomIn()->isEnabled() && preview.cmdZoomOut()->isEnabled());
}

TEST(PrintPreviewTest, CopyPutsThePageOnTheClipboard) {
  PrintSurface s;
  s.startDoc();
  s.pen.width = 100;
  s.drawLine(0, 0, s.pageWidth(), s.pageHeight());
  s.endDoc();
  frmPrintPreview preview(s.document(), nullptr);
  QApplication::clipboard()->clear();
  preview.cmdCopy()->click();
  const QImage copied = QApplication::clipboard()->image();
  ASSERT_FALSE(copied.isNull());
  EXPECT_NEAR(copied.width() / static_cast<double>(copied.height()), 8.5 / 11, 0.01);
  EXPECT_NE(copied.pixelColor(copied.width() / 2, copied.height() / 2), QColor(Qt::white))
      << "the diagonal crosses the middle";
  EXPECT_EQ(copied.pixelColor(copied.width() - 5, 5), QColor(Qt::white));
}

TEST(PrintPreviewTest, SurfaceKeepsTheWindowsLayout) {
  const SurfaceDocument doc = emptyDocument(1);
  frmPrintPreview preview(doc, nullptr);
  preview.show();
  preview.resize(1000, 800);
  QApplication::processEvents();
  const QRect r = preview.surfaceArea()->geometry();
  EXPECT_EQ(r.left(), 5);                // 68 twips
  EXPECT_EQ(r.top(), 33);                // 495 twips
  EXPECT_EQ(r.width(), 1000 - 18);       // inner width - 270 twips
  EXPECT_EQ(r.height(), 800 - 33 - 31);  // inner height - 495 - 460 twips
}

// A program around the print dialog: the fixture's project, a PDF printer.
struct TestPaths {
  std::string project, layout, classification, patterns, printed;
};

class TestContext : public PrintContext {
 public:
  explicit TestContext(TestPaths paths) : paths_(std::move(paths)) {
    printer_.printerName.clear();
    printer_.pdfFile = QString::fromStdString(paths_.printed);
  }
  std::vector<std::string> boringNames() const override { return borings; }
  std::string currentBoring() const override { return current; }
  std::string projectPath() const override { return paths_.project; }
  std::string designerLayoutPath() const override { return paths_.layout; }
  std::string classificationFile() const override { return paths_.classification; }
  std::string patternFolder() const override { return paths_.patterns; }
  void saveOpenEditors() override { ++saves; }
  PrinterChoice& printerChoice() override { return printer_; }
  void printSetup() override {}
  QWidget* mainWindow() const override { return nullptr; }

  std::vector<std::string> borings{"B-1", "B-2", "B-3"};
  std::string current = "B-2";
  int saves = 0;

 private:
  TestPaths paths_;
  PrinterChoice printer_ = PrinterChoice::systemDefault();
};

int pdfPages(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string pdf((std::istreambuf_iterator<char>(in)), {});
  int pages = 0;
  for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
       at = pdf.find("/Type /Page", at + 1))
    pages += pdf.compare(at, 12, "/Type /Pages") != 0;
  return pages;
}

class PrintDialogTest : public RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    for (const char* b : {"B-1", "B-2", "B-3"}) {
      addBoring(b);
      addLithology(b, 0, 50, "clay", "x");
    }
    addColumn("Depth", 1, 2, 1.5, 10);
    ASSERT_TRUE(PrintOptions::saveFirstPageLayout(layout_, "log.sqf"));
    setPreviewHook([](frmPrintPreview& p) { shown().push_back(p.pageCount()); });
    shown().clear();
  }
  void TearDown() override { setPreviewHook(nullptr); }
  TestPaths paths() {
    return {project_, layout_, classification_, patterns_, home_.path("printed.pdf")};
  }
  static std::vector<int>& shown() {
    static std::vector<int> pages;
    return pages;
  }
  ScriptedPrompts prompts_;
};

TEST_F(PrintDialogTest, EnablingFollowsDestinationAndReportType) {
  TestContext ctx(paths());
  frmPrint dialog(ctx);
  struct Case {
    int destination, reportType;
    bool borings, layouts, copies;
  };
  for (const Case& c : {Case{0, 1, false, true, false}, Case{0, 2, false, false, false},
                        Case{1, 1, true, true, true}, Case{1, 2, false, false, true}}) {
    dialog.prepare(c.destination, "site.sq2", c.reportType);
    EXPECT_EQ(dialog.lsvMultipleBorings()->isEnabled(), c.borings);
    EXPECT_EQ(dialog.cmdAll()->isEnabled(), c.borings);
    EXPECT_EQ(dialog.optMultipleBorings()->isEnabled(), c.borings);
    EXPECT_EQ(dialog.cmdChooseFirstPageLayout()->isEnabled(), c.layouts);
    EXPECT_EQ(dialog.txtUnitsPerAdditionalPage()->isEnabled(), c.layouts);
    EXPECT_EQ(dialog.chkUseAdditionalPageLayout()->isEnabled(), c.layouts);
    EXPECT_EQ(dialog.txtNumberOfCopies()->isEnabled(), c.copies);
  }
}

TEST_F(PrintDialogTest, LoadsTheListAndTheRememberedOptions) {
  TestContext ctx(paths());
  ASSERT_TRUE(SaveSetting("PrintOptions", "UnitsPerFirstPage", "25"));
  ASSERT_TRUE(PrintOptions::saveAdditionalPageLayout(home_.path("gone.sqf"), "gone.sqf"));
  ASSERT_TRUE(SaveSetting("PrintOptions", "UseAdditionalPageLayout", "True"));
  frmPrint dialog(ctx);
  dialog.prepare(1, "site.sq2", 1);
  ASSERT_EQ(dialog.lsvMultipleBorings()->count(), 3);
  EXPECT_EQ(dialog.itemIcon(0), 1);
  EXPECT_EQ(dialog.itemIcon(1), 2) << "the current boring is selected";
  EXPECT_EQ(dialog.txtUnitsPerFirstPage()->text(), "25");
  EXPECT_EQ(dialog.txtPatternScaleFactor()->text(), "0.333");
  EXPECT_EQ(dialog.txtNumberOfCopies()->text(), "1");
  EXPECT_EQ(dialog.cmdChooseFirstPageLayout()->text(), "log.sqf");
  EXPECT_EQ(dialog.cmdChooseAdditionalPageLayout()->text(), "???") << "a vanished file";
  EXPECT_FALSE(dialog.chkUseAdditionalPageLayout()->isChecked());
}

TEST_F(PrintDialogTest, OpensCentredAndWhollyOnTheScreen) {
  TestContext ctx(paths());
  frmPrint dialog(ctx);
  dialog.prepare(1, "site.sq2", 1);
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect placed = dialog.geometry();
  EXPECT_TRUE(available.contains(placed)) << "placed at the size its controls need";
  EXPECT_GE(placed.height(), std::min(dialog.sizeHint().height(), available.height()));
  EXPECT_LE(std::abs(placed.center().x() - available.center().x()), 1);
  const QPoint at = dialog.pos();
  dialog.show();
  EXPECT_EQ(dialog.pos(), at) << "showing it does not move it";
}

TEST_F(PrintDialogTest, AllThenClickingOneLeavesTheOthersSelected) {
  TestContext ctx(paths());
  frmPrint dialog(ctx);
  dialog.prepare(1, "site.sq2", 1);
  dialog.cmdAll()->click();
  EXPECT_TRUE(dialog.optMultipleBorings()->isChecked());
  dialog.lsvMultipleBorings_ItemClick(1);
  EXPECT_EQ(dialog.itemIcon(0), 2);
  EXPECT_EQ(dialog.itemIcon(1), 1);
  EXPECT_EQ(dialog.itemIcon(2), 2);
  dialog.cmdNone()->click();
  EXPECT_EQ(dialog.itemIcon(0) + dialog.itemIcon(2), 2);
}

TEST_F(PrintDialogTest, LayoutChecksShowTheirMessagesAndKeepTheDialogOpen) {
  TestContext ctx(paths());
  const std::string invalid =
      "The file you selected as the first page layout file is not valid.  Please select a new "
      "one.";
  {
    // Without shipped layouts to fall back to.
    setProgramFolder(home_.root().string());
    ASSERT_TRUE(PrintOptions::saveFirstPageLayout("???", "???"));
    frmPrint dialog(ctx);
    dialog.prepare(1, "site.sq2", 1);
    dialog.cmdOK_Click();
    setProgramFolder("");
    EXPECT_EQ(prompts_.messageTexts().back(), "You must select a layout file before printing.");
    EXPECT_EQ(prompts_.seen().back().title, "Strataquill");
    EXPECT_TRUE(dialog.runs().empty());
  }
  {
    ASSERT_TRUE(PrintOptions::saveFirstPageLayout(layout_, "log.sqf"));
    frmPrint dialog(ctx);
    dialog.prepare(1, "site.sq2", 1);
    std::filesystem::remove(layout_);
    dialog.cmdOK_Click();
    EXPECT_EQ(prompts_.messageTexts().back(), invalid);
  }
  {
    ASSERT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/Format.tpl", layout_, false));
    frmPrint dialog(ctx);
    dialog.prepare(1, "site.sq2", 1);
    dialog.chkUseAdditionalPageLayout()->setChecked(true);
    dialog.cmdOK_Click();
    EXPECT_EQ(prompts_.messageTexts().back(),
              "You must select a layout file for additional pages, or do not select to use "
              "additional page layouts.");
  }
  {
    const std::string extra = home_.path("extra.sqf");
    ASSERT_TRUE(copyFile(layout_, extra, false));
    ASSERT_TRUE(PrintOptions::saveAdditionalPageLayout(extra, "extra.sqf"));
    frmPrint dialog(ctx);
    dialog.prepare(1, "site.sq2", 1);
    dialog.chkUseAdditionalPageLayout()->setChecked(true);
    std::filesystem::remove(extra);
    dialog.cmdOK_Click();
    EXPECT_EQ(prompts_.messageTexts().back(), invalid);
  }
}

TEST_F(PrintDialogTest, ANewUserPrintsWithTheShippedLayouts) {
  setProgramFolder(VEXAMOR_TEST_BIN_DIR);
  ASSERT_TRUE(PrintOptions::saveFirstPageLayout("???", "???"));
  TestContext ctx(paths());
  frmPrint dialog(ctx);
  dialog.prepare(0, "site.sq2", 1);
  EXPECT_EQ(dialog.cmdChooseFirstPageLayout()->text(), "LogFirstPage.sqf");
  EXPECT_EQ(dialog.cmdChooseAdditionalPageLayout()->text(), "LogAdditionalPages.sqf");
  EXPECT_TRUE(dialog.chkUseAdditionalPageLayout()->isChecked());
  dialog.cmdOK_Click();
  setProgramFolder("");
  EXPECT_TRUE(prompts_.messageTexts().empty()) << prompts_.messageTexts().front();
  EXPECT_EQ(shown(), std::vector<int>{2});
}

TEST_F(PrintDialogTest, TheDialogShowsWhereThePagesGo) {
  TestContext ctx(paths());
  frmPrint dialog(ctx);
  dialog.prepare(1, "site.sq2", 1);
  EXPECT_EQ(dialog.cmdPrintSetup()->text().toStdString(), "PDF file " + home_.path("printed.pdf"));
  ctx.printerChoice().printerName = "Office";
  dialog.prepare(1, "site.sq2", 1);
  EXPECT_EQ(dialog.cmdPrintSetup()->text(), "Office");
}

TEST_F(PrintDialogTest, PreviewShowsTheCurrentBoringOnce) {
  TestContext ctx(paths());
  frmPrint dialog(ctx);
  dialog.prepare(0, "site.sq2", 1);
  dialog.cmdAll_Click();
  dialog.txtNumberOfCopies()->setText("3");
  dialog.txtPatternScaleFactor()->setText("-2");
  dialog.txtMajorTickInterval()->setText("10.5");
  dialog.cmdOK_Click();
  EXPECT_EQ(dialog.runs(), (std::vector<std::pair<std::string, bool>>{{"B-2", false}}));
  EXPECT_EQ(shown(), std::vector<int>{2}) << "0-40 and 40-80";
  EXPECT_EQ(ctx.saves, 1) << "open editors save before the log is read";
  EXPECT_EQ(GetSetting("PrintOptions", "PatternScaleFactor", ""), "0.1");
  EXPECT_EQ(GetSetting("PrintOptions", "MajorTickInterval", ""), "10") << "halves to even";
}

TEST_F(PrintDialogTest, PrinterRunsEveryChosenBoringAndTellsWhoFollows) {
  TestContext ctx(paths());
  frmPrint dialog(ctx);
  dialog.prepare(1, "site.sq2", 1);
  dialog.cmdAll_Click();
  dialog.lsvMultipleBorings_ItemClick(2);  // the last one is not chosen
  dialog.cmdOK_Click();
  EXPECT_EQ(dialog.runs(),
            (std::vector<std::pair<std::string, bool>>{{"B-1", true}, {"B-2", true}}));
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(pdfPages(home_.path("printed.pdf")), 4) << "both borings, two pages each";
}

TEST_F(PrintDialogTest, SeveralBoringsToAPdfFileMakeOneDocumentWrittenWhole) {
  TestContext ctx(paths());
  // What the file held before stays until the new one is complete.
  std::ofstream(home_.path("printed.pdf")) << "an older log";
  frmPrint dialog(ctx);
  dialog.prepare(1, "site.sq2", 1);
  dialog.cmdAll_Click();
  dialog.cmdOK_Click();
  EXPECT_EQ(pdfPages(home_.path("printed.pdf")), 6) << "three borings of two pages each";
  EXPECT_EQ(ctx.saves, 1) << "the editors save once for the one document";
  for (const auto& entry : std::filesystem::directory_iterator(home_.root()))
    EXPECT_EQ(entry.path().filename().string().find("printed.pdf."), std::string::npos)
        << "no temporary file is left: " << entry.path();
}

// Watches the progress window while a run goes on: records what it says and
// presses its Cancel button once `when` says so.
class ProgressWatcher {
 public:
  explicit ProgressWatcher(std::function<bool(const QString& label)> when)
      : when_(std::move(when)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
    timer_.start(0);
  }
  const QStringList& labels() const { return labels_; }
  bool cancelled() const { return cancelled_; }
  static QProgressDialog* visibleWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible()) return d;
    return nullptr;
  }

 private:
  void look() {
    QProgressDialog* d = visibleWindow();
    if (!d) return;
    if (labels_.isEmpty() || labels_.back() != d->labelText()) labels_ << d->labelText();
    if (cancelled_ || !when_(d->labelText())) return;
    for (QPushButton* b : d->findChildren<QPushButton*>())
      if (b->text() == "Cancel") {
        b->click();
        cancelled_ = true;
      }
  }
  std::function<bool(const QString&)> when_;
  QTimer timer_;
  QStringList labels_;
  bool cancelled_ = false;
};

TEST_F(PrintDialogTest, ProgressWindowCancelStopsTheWholeRun) {
  TestContext ctx(paths());
  frmPrint dialog(ctx);
  dialog.prepare(1, "site.sq2", 1);
  dialog.cmdAll_Click();
  dialog.txtUnitsPerFirstPage()->setText("1");  // 50 pages a boring
  ProgressWatcher watcher([](const QString& label) { return label.endsWith("page 5"); });
  dialog.cmdOK_Click();
  ASSERT_TRUE(watcher.cancelled()) << watcher.labels().join(" | ").toStdString();
  EXPECT_TRUE(watcher.labels().contains("B-1 -- site.sq2\nBoring 1 of 3\nComposing page 2"))
      << watcher.labels().join(" | ").toStdString();
  for (const QString& label : watcher.labels())
    EXPECT_FALSE(label.contains("Boring 2 of 3")) << "the later borings are not started";
  EXPECT_TRUE(dialog.options().printCancelled);
  EXPECT_FALSE(std::filesystem::exists(home_.path("printed.pdf"))) << "nothing was printed";
  EXPECT_EQ(ProgressWatcher::visibleWindow(), nullptr) << "the window closes with the run";
}

TEST_F(PrintDialogTest, CancelWhilePrintingDiscardsTheDocument) {
  TestContext ctx(paths());
  frmPrint dialog(ctx);
  dialog.prepare(1, "site.sq2", 1);
  dialog.txtUnitsPerFirstPage()->setText("1");
  ProgressWatcher watcher([](const QString& label) { return label.contains("Printing page 10"); });
  dialog.cmdOK_Click();
  ASSERT_TRUE(watcher.cancelled()) << watcher.labels().join(" | ").toStdString();
  EXPECT_TRUE(watcher.labels().contains("B-2 -- site.sq2\nBoring 1 of 1\nPrinting page 9 of 50"));
  EXPECT_FALSE(std::filesystem::exists(home_.path("printed.pdf")));
  EXPECT_TRUE(prompts_.messageTexts().empty()) << "a cancel is no failure";
}

TEST_F(PrintDialogTest, OnePageRunShowsNoProgressWindow) {
  TestContext ctx(paths());
  frmPrint dialog(ctx);
  dialog.prepare(0, "site.sq2", 1);
  dialog.txtUnitsPerFirstPage()->setText("60");
  ProgressWatcher watcher([](const QString&) { return false; });
  dialog.cmdOK_Click();
  EXPECT_EQ(shown(), std::vector<int>{1});
  EXPECT_TRUE(watcher.labels().isEmpty()) << watcher.labels().join(" | ").toStdString();
}

TEST_F(PrintDialogTest, APrinterThatCannotStartIsReportedAndNothingCountsAsPrinted) {
  TestPaths p = paths();
  p.printed = home_.path("no/such/folder/printed.pdf");
  TestContext ctx(p);
  PrintOptions options = PrintOptions::load();
  const RunResult result =
      drawPages(ctx, options, "B-1", kToPrinter, "site.sq2", kBoringLog, false);
  EXPECT_EQ(result.outcome, RunResult::Outcome::kNotStarted);
  ASSERT_EQ(prompts_.messageTexts().size(), 1u);
  EXPECT_EQ(prompts_.messageTexts()[0], "The document B-1 -- site.sq2 was not printed: the file " +
                                            p.printed + " could not be opened.");
  EXPECT_EQ(prompts_.seen()[0].title, "Strataquill");

  // The chosen borings are one document for the file, and one message.
  frmPrint dialog(ctx);
  dialog.prepare(1, "site.sq2", 1);
  dialog.cmdAll_Click();
  dialog.cmdOK_Click();
  EXPECT_EQ(prompts_.messageTexts().size(), 2u);
  EXPECT_EQ(prompts_.messageTexts()[1], "The document site.sq2 was not printed: the file " +
                                            p.printed + " could not be opened.");
}

TEST_F(PrintDialogTest, CopiesArePrintedOnePassEachWhenThePrinterDoesNotMakeThem) {
  TestContext ctx(paths());
  ASSERT_FALSE(ctx.printerChoice().makePrinter()->supportsMultipleCopies())
      << "PDF output makes no copies";
  frmPrint dialog(ctx);
  dialog.prepare(1, "site.sq2", 1);
  dialog.txtNumberOfCopies()->setText("3");
  dialog.cmdOK_Click();
  EXPECT_EQ(pdfPages(home_.path("printed.pdf")), 6) << "two pages, three times";
}

TEST_F(PrintDialogTest, ImpossibleNumbersAreRefusedBeforeAnythingIsDrawn) {
  TestContext ctx(paths());
  frmPrint dialog(ctx);
  dialog.prepare(0, "site.sq2", 1);
  dialog.txtUnitsPerFirstPage()->setText("zero");
  dialog.cmdOK_Click();
  EXPECT_EQ(prompts_.messageTexts().back(),
            "The depth units per first page must be greater than 0.");
  EXPECT_TRUE(shown().empty());
}

TEST_F(PrintDialogTest, TheLegendPageChoiceIsRememberedAndAddsAPageToEachBoring) {
  TestContext ctx(paths());
  {
    frmPrint dialog(ctx);
    dialog.prepare(1, "site.sq2", 1);
    EXPECT_FALSE(dialog.chkLegendPage()->isChecked()) << "off until chosen";
    EXPECT_EQ(dialog.chkLegendPage()->text(), "Legend page");
    dialog.chkLegendPage()->setChecked(true);
    dialog.cmdOK_Click();
  }
  EXPECT_EQ(GetSetting("PrintOptions", "LegendPage", ""), "True");
  EXPECT_EQ(pdfPages(home_.path("printed.pdf")), 3) << "two pages of B-2 and its legend";
  frmPrint again(ctx);
  again.prepare(1, "site.sq2", 1);
  EXPECT_TRUE(again.chkLegendPage()->isChecked());
}

TEST(PrintDialogParsingTest, NumericBoxes) {
  EXPECT_EQ(parseUnits("40 ft"), 40);
  EXPECT_EQ(parseUnits("abc"), 0);
  EXPECT_EQ(parseTickInterval("2.5"), 2);
  EXPECT_EQ(parseTickInterval("3.5"), 4);
  EXPECT_EQ(parseTickInterval("99999"), 32767);
  EXPECT_EQ(parseCopies("2.9"), 2);
  EXPECT_EQ(parseCopies("0"), 1);
  EXPECT_EQ(parseCopies("-4"), 1);
  EXPECT_EQ(parsePatternScale("0"), 0.1f);
  EXPECT_EQ(parsePatternScale("0.5"), 0.5f);
}

}  // namespace
}  // namespace sq::render

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
