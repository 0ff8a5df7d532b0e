// The shipped classification file and pattern library, as the build leaves
// them in the program folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "strataquill/data/tile_seams.h"
#include "strataquill/layouts/classification_file.h"

namespace sq::patterns {
namespace {

using layouts::ClassKind;

const std::string kBin = VEXAMOR_TEST_BIN_DIR;
const std::string kClassification = kBin + "/Classification.sqc";
const std::string kPatterns = kBin + "/Patterns";

struct Catalogue {
  ClassKind kind;
  const char* table;
};
const Catalogue kCatalogues[] = {{ClassKind::kLithology, "Lithology"},
                                 {ClassKind::kCompletion, "Completion"},
                                 {ClassKind::kSamples, "Samples"}};

// Pictures whose emptiness is the symbol: the inside of a blank casing.
const std::set<std::string> kBlankByDesign = {"well_casing.png"};

TEST(ShippedClassesTest, EveryCatalogueHasUniqueNamesThatFitTheProject) {
  for (const auto& cat : kCatalogues) {
    const auto rows = layouts::readClassTable(kClassification, cat.kind);
    ASSERT_FALSE(rows.empty()) << cat.table;
    std::set<std::string> names;
    for (const auto& [name, list] : rows) {
      EXPECT_TRUE(names.insert(name).second) << cat.table << " repeats " << name;
      EXPECT_EQ(name.find_first_of("\"\t\r\n"), std::string::npos) << name;
      EXPECT_TRUE(!name.empty() && name.front() != ' ' && name.back() != ' ') << "[" << name << "]";
      // A lithology class is stored in the project's Text(50) Classification
      // field; a longer name could not be picked.
      if (cat.kind == ClassKind::kLithology) {
        EXPECT_LE(name.size(), 50u) << name;
      }
    }
    // The drop-down list shows each of them once.
    EXPECT_EQ(layouts::readClassList(kClassification, cat.kind).size(), rows.size()) << cat.table;
  }
}

TEST(ShippedClassesTest, TheLibraryCoversSoilsRocksWellsAndSamples) {
  std::map<ClassKind, std::set<std::string>> names;
  for (const auto& cat : kCatalogues)
    for (const auto& row : layouts::readClassTable(kClassification, cat.kind))
      names[cat.kind].insert(row.first);
  auto hasSymbol = [&](const std::string& symbol) {
    const std::string prefix = symbol + " - ";
    for (const std::string& n : names[ClassKind::kLithology])
      if (n.rfind(prefix, 0) == 0) return true;
    return false;
  };
  for (const char* symbol :
       {"GW", "GP", "GM", "GC", "SW",    "SP",    "SM",    "SC",    "ML",    "CL",   "OL",
        "MH", "CH", "OH", "PT", "SW-SM", "SP-SM", "SP-SC", "GP-GM", "CL-ML", "SM-SC"})
    EXPECT_TRUE(hasSymbol(symbol)) << symbol;
  for (const char* name : {"Fill", "Topsoil", "Asphalt", "Concrete", "Sandstone", "Siltstone",
                           "Shale", "Claystone", "Limestone", "Dolomite", "Conglomerate",
                           "Igneous rock", "Metamorphic rock", "Weathered bedrock"})
    EXPECT_TRUE(names[ClassKind::kLithology].count(name)) << name;
  for (const char* name : {"Blank casing", "Screen", "Filter pack sand", "Bentonite seal",
                           "Bentonite chips", "Cement grout", "Native backfill"})
    EXPECT_TRUE(names[ClassKind::kCompletion].count(name)) << name;
  for (const char* name : {"Split spoon (SPT)", "Thin-walled tube (Shelby)", "Grab sample",
                           "Rock core", "Auger cuttings", "No recovery"})
    EXPECT_TRUE(names[ClassKind::kSamples].count(name)) << name;
}

TEST(ShippedClassesTest, EveryClassFillsItsColumnWithPicturesThatLoad) {
  std::set<std::string> used;
  for (const auto& cat : kCatalogues) {
    for (const auto& [name, list] : layouts::readClassTable(kClassification, cat.kind)) {
      const auto slices = layouts::parsePatternList(list);
      ASSERT_FALSE(slices.empty()) << name << ": " << list;
      float total = 0;
      for (const auto& slice : slices) {
        EXPECT_GT(slice.percent, 0) << name;
        total += slice.percent;
        const QImage image(QString::fromStdString(layouts::patternPath(kPatterns, slice.fileName)));
        ASSERT_FALSE(image.isNull()) << name << ": " << slice.fileName;
        EXPECT_GT(image.width(), 0);
        EXPECT_GT(image.height(), 0);
        used.insert(slice.fileName);
      }
      EXPECT_FLOAT_EQ(total, 100) << name << ": " << list;
    }
  }
  // No picture is drawn for nothing: each file of the folder serves a class.
  for (const auto& entry : std::filesystem::directory_iterator(kPatterns))
    EXPECT_TRUE(used.count(entry.path().filename().string())) << entry.path();
}

TEST(ShippedClassesTest, TilesRepeatSeamlesslyAtASensiblePrintSize) {
  int checked = 0;
  for (const QString& file : QDir(QString::fromStdString(kPatterns)).entryList({"*.png"})) {
    SCOPED_TRACE(file.toStdString());
    const QImage tile(QString::fromStdString(kPatterns) + "/" + file);
    ASSERT_FALSE(tile.isNull());
    ++checked;

    // The stored resolution makes the tile a half to one inch across, a
    // sixth to a third of an inch at the default pattern scale.
    ASSERT_GT(tile.dotsPerMeterX(), 0);
    ASSERT_GT(tile.dotsPerMeterY(), 0);
    const double inchesWide = tile.width() / (tile.dotsPerMeterX() * 0.0254);
    const double inchesHigh = tile.height() / (tile.dotsPerMeterY() * 0.0254);
    EXPECT_GE(inchesWide, 0.5);
    EXPECT_LE(inchesWide, 1.05);
    EXPECT_GE(inchesHigh, 0.5);
    EXPECT_LE(inchesHigh, 1.05);

    const SeamMeasure seams = measureSeams(tile);
    EXPECT_TRUE(seams.seamless()) << "vertical seam " << seams.verticalSeam << " inside at most "
                                  << seams.maxInsideColumns << "; horizontal seam "
                                  << seams.horizontalSeam << " inside at most "
                                  << seams.maxInsideRows;

    const double ink = inkCoverage(tile);
    if (kBlankByDesign.count(file.toStdString()))
      EXPECT_LT(ink, 0.001);
    else
      EXPECT_GT(ink, 0.03) << "too faint to read at a third of its size";
  }
  EXPECT_GE(checked, 50);
}

}  // namespace
}  // namespace sq::patterns
