// The shipped log layouts, read back the way the log reads them: the pair
// that prints elevations, groundwater and N-values, and the classic pair.

#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "strataquill/layouts/layout_codes.h"
#include "strataquill/layouts/layout_file.h"

namespace sq::layouts {
namespace {

constexpr double kPageWidth = 8.5;  // US Letter, inches
constexpr double kPageHeight = 11;

const std::string kBin = VEXAMOR_TEST_BIN_DIR;

// Fonts are measured at 1440 units per inch, the unit the log prints in.
QFont printFont(const LayoutFont& f) {
  static int argc = 1;
  static char name[] = "sq_data_test";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app =
      QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);  // lives for the run
  (void)app;
  QFont font(f.name == "Arial" ? "Liberation Sans" : QString::fromStdString(f.name));
  font.setPixelSize(int(std::lround(f.size * 20)));
  font.setBold(f.bold);
  font.setItalic(f.italic);
  return font;
}

// Every token a header text may be; the combined ones are written exactly
// so, blanks and plus signs included.
std::set<std::string> knownPlaceholders() {
  std::set<std::string> tokens;
  std::istringstream singles(
      "COMPANY NAME|COMPANY ADDRESS|COMPANY CITY|COMPANY STATE|COMPANY ZIP|COMPANY COUNTRY|"
      "PAGE NUMBER|FILE NAME|FILE PATH|PRINT DATE|PRINT TIME|PROJECT NUMBER|PROJECT NAME|CLIENT|"
      "CLIENT CONTACT|CLIENT PHONE|CLIENT ADDRESS 1|CLIENT ADDRESS 2|CLIENT CITY|CLIENT STATE|"
      "CLIENT ZIP|CLIENT COUNTY|SITE ADDRESS 1|SITE ADDRESS 2|SITE CITY|SITE STATE|SITE ZIP|"
      "SITE COUNTY|CASE NUMBER|LEAD AGENCY|FACILITY NUMBER|LOCATION CODE|QTR SECTION SECONDARY|"
      "QTR SECTION PRIMARY|SECTION|TOWNSHIP|TOWNSHIP DIRECTION|RANGE|RANGE DIRECTION|"
      "USGS LOCATION|BORING NAME|SUPERVISOR|DATE START|DATE END|NORTHING|NORTHING UNITS|EASTING|"
      "EASTING UNITS|DEPTH UNITS|GROUND ELEVATION|DRILLED WATER|POTENTIOMETRIC WATER|"
      "STATIC WATER|TOTAL DEPTH|BORING DIAMETER|BORING DIAMETER UNITS|DRILL RIG|"
      "DRILLING CONTRACTOR|DRILLER|DRILL METHOD|LICENSE NUMBER|COMPLETION|TREND|PLUNGE|"
      "STATE PLANE NORTHING|STATE PLANE EASTING|LATITUDE|LONGITUDE|FACILITY WELL NAME|"
      "STATE WELL NAME|COMMON WELL NAME|PAGE COUNT|BOTTOM DEPTH");
  for (std::string t; std::getline(singles, t, '|');) tokens.insert("<<" + t + ">>");
  for (int i = 1; i <= 10; ++i) tokens.insert("<<USER " + std::to_string(i) + ">>");
  for (const char* who : {"COMPANY", "CLIENT", "SITE"}) {
    const std::string w = who;
    tokens.insert("<<" + w + " CITY>> + <<" + w + " STATE>>");
    tokens.insert("<<" + w + " CITY>> + <<" + w + " STATE>> + <<" + w + " ZIP>>");
  }
  for (const char* field :
       {"GROUND ELEVATION", "DRILLED WATER", "POTENTIOMETRIC WATER", "STATIC WATER", "TOTAL DEPTH"})
    tokens.insert("<<" + std::string(field) + ">> + <<DEPTH UNITS>>");
  tokens.insert("<<PRINT DATE>> + <<PRINT TIME>>");
  tokens.insert("<<NORTHING>> + <<NORTHING UNITS>>");
  tokens.insert("<<EASTING>> + <<EASTING UNITS>>");
  tokens.insert("<<BORING DIAMETER>> + <<BORING DIAMETER UNITS>>");
  tokens.insert("<<BOTTOM DEPTH>> + <<DEPTH UNITS>>");
  return tokens;
}

std::string upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

bool onPage(const LayoutBox& b) {
  return std::min(b.x, b.xx) >= 0 && std::max(b.x, b.xx) <= kPageWidth &&
         std::min(b.y, b.yy) >= 0 && std::max(b.y, b.yy) <= kPageHeight;
}

// Tokens written inside a fixed text, each in angle brackets.
std::vector<std::string> embeddedTokens(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t open = text.find("<<"); open != std::string::npos;
       open = text.find("<<", open + 2)) {
    const std::size_t close = text.find(">>", open);
    if (close == std::string::npos) break;
    out.push_back(text.substr(open, close + 2 - open));
  }
  return out;
}

struct Shipped {
  const char* file;
  bool classic;
};

std::ostream& operator<<(std::ostream& os, const Shipped& s) {
  return os << s.file;
}

class ShippedLayoutTest : public ::testing::TestWithParam<Shipped> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(readLayoutForPrint(kBin + "/" + GetParam().file, layout_)) << GetParam().file;
  }
  LayoutForPrint layout_;
};

const std::vector<std::string> kClassicColumns = {"Depth",       "Sample Symbol", "Blow Count",
                                                  "UserText1",   "Lithology",     "Classification",
                                                  "Description", "Completion"};
const std::vector<std::string> kColumns = {
    "Elevation", "Depth",     "Sample Symbol",  "Blow Count",  "N Value",     "N Graph",
    "UserText1", "Lithology", "Classification", "Description", "Water Level", "Completion"};

TEST_P(ShippedLayoutTest, TheLogColumnsShareOneDepthWindowAndFitThePage) {
  const bool classic = GetParam().classic;
  EXPECT_FALSE(layout_.options.truncateUpperUnitText);
  EXPECT_EQ(layout_.options.truncateLowerUnitText, classic)
      << "the new pair labels the bottom depth of every page";
  EXPECT_EQ(layout_.options.endOfBoringNote, !classic);
  EXPECT_FLOAT_EQ(layout_.options.majorTickWidth, classic ? 0.15f : 0.08f);

  std::map<std::string, LayoutColumn> byName;
  for (const LayoutColumn& c : layout_.columns)
    EXPECT_TRUE(byName.emplace(c.name, c).second) << "two columns " << c.name;
  const std::vector<std::string>& names = classic ? kClassicColumns : kColumns;
  ASSERT_EQ(byName.size(), names.size());
  const LayoutBox window = layout_.columns.front().box;
  EXPECT_GE(window.yy - window.y, 6) << "a tall depth window keeps 40 ft readable";
  std::vector<LayoutBox> boxes;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(byName.count(name));
    const LayoutColumn& c = byName[name];
    EXPECT_FLOAT_EQ(c.box.y, window.y);
    EXPECT_FLOAT_EQ(c.box.yy, window.yy);
    EXPECT_LT(c.box.x, c.box.xx);
    EXPECT_TRUE(onPage(c.box));
    EXPECT_GE(c.font.size, classic ? 7 : 6);
    EXPECT_LE(c.font.size, 8);
    EXPECT_EQ(GetPenStyle(c.penStyle), 0);
    boxes.push_back(c.box);
  }
  std::sort(boxes.begin(), boxes.end(), [](auto& a, auto& b) { return a.x < b.x; });
  for (std::size_t i = 1; i < boxes.size(); ++i)
    EXPECT_LE(boxes[i - 1].xx, boxes[i].x + 1e-4) << "columns overlap";

  // Descriptions wrap between X + 0.3 and XX - 0.3: leave them room.
  const LayoutBox& d = byName["Description"].box;
  EXPECT_GE(d.xx - d.x - 0.6, classic ? 2.5 : 1.6);
  // A three-digit depth label, and an elevation, fit between the major ticks
  // of both edges.
  const double tick = layout_.options.majorTickWidth;
  auto fits = [&](const LayoutColumn& column, const char* label) {
    return QFontMetricsF(printFont(column.font)).horizontalAdvance(label) / 1440 <=
           column.box.xx - column.box.x - 2 * tick;
  };
  EXPECT_TRUE(fits(byName["Depth"], " 115"));
  if (!classic) {
    EXPECT_TRUE(fits(byName["Elevation"], " 1742.3"));
  }
  // The N graph's row gives no maximum: it plots 0 to 50 with labels of its
  // size.
  if (!classic) {
    EXPECT_LT(byName["N Graph"].font.size, 20);
  }
  // The scale of the N graph stands above the log, below the heading rule.
  if (!classic) {
    double rule = 0;
    for (const LayoutLine& l : layout_.lines)
      if (l.box.y == l.box.yy && l.box.y < window.y) rule = std::max<double>(rule, l.box.y);
    QFontMetricsF label(printFont(byName["N Graph"].font));
    EXPECT_GE(window.y - rule, label.height() / 1440 + 0.02);
  }

  // A separator line runs down every boundary between two columns.
  for (std::size_t i = 1; i < boxes.size(); ++i) {
    const float x = boxes[i].x;
    const bool ruled = std::any_of(layout_.lines.begin(), layout_.lines.end(), [&](auto& l) {
      return std::fabs(l.box.x - x) < 1e-4 && std::fabs(l.box.xx - x) < 1e-4 &&
             std::min(l.box.y, l.box.yy) <= window.y && std::max(l.box.y, l.box.yy) >= window.yy;
    });
    EXPECT_TRUE(ruled) << "no separator at x = " << x;
  }
}

TEST_P(ShippedLayoutTest, TextsPrintWhereTheyAreMeant) {
  const std::set<std::string> tokens = knownPlaceholders();
  for (const LayoutText& t : layout_.texts) {
    SCOPED_TRACE(t.text);
    EXPECT_TRUE(onPage(t.box));
    EXPECT_TRUE(t.box.x < t.box.xx && t.box.y < t.box.yy) << "a boxed text";
    EXPECT_EQ(GetColor(t.textColor), 0u);
    ASSERT_GE(t.alignment.size(), 2u);
    EXPECT_TRUE(t.alignment[0] >= '1' && t.alignment[0] <= '3');
    EXPECT_GE(t.font.size, 6);
    if (t.text.rfind("<<", 0) == 0) {
      EXPECT_TRUE(tokens.count(upper(t.text))) << "unknown token";
    }
    // A fixed text prints the tokens written in it; measured with two-digit
    // values.
    std::string fixed = t.text;
    for (const std::string& token : embeddedTokens(t.text)) {
      EXPECT_TRUE(tokens.count(upper(token))) << "unknown token " << token;
      if (t.text.rfind("<<", 0) != 0) fixed.replace(fixed.find(token), token.size(), "00");
    }

    // Boxed text prints only the part that fits: a fixed text must fit
    // whole (with a little to spare for other printers' metrics), and a
    // placeholder's box must hold at least one line of its font.
    const QFont font = printFont(t.font);
    const QFontMetricsF metrics(font);
    const double w = (t.box.xx - t.box.x) * 1440;
    const double h = (t.box.yy - t.box.y) * 1440;
    if (t.text.rfind("<<", 0) == 0) {
      EXPECT_GE(h, metrics.height());
    } else {
      const QRectF need =
          metrics.boundingRect(QRectF(0, 0, w / 1.05, 1e6), Qt::TextWordWrap | Qt::AlignLeft,
                               QString::fromStdString(fixed));
      EXPECT_LE(need.width(), w / 1.05);
      EXPECT_LE(need.height(), h);
    }
  }
  EXPECT_EQ(QFontInfo(printFont({"Arial", 8})).family(), "Liberation Sans")
      << "fits were measured with a stand-in font";
}

TEST_P(ShippedLayoutTest, LinesStayOnThePage) {
  ASSERT_FALSE(layout_.lines.empty());
  for (const LayoutLine& l : layout_.lines) {
    EXPECT_TRUE(onPage(l.box));
    EXPECT_TRUE(l.box.x == l.box.xx || l.box.y == l.box.yy) << "rules are straight";
    EXPECT_GE(l.penWidth, 0);
    EXPECT_LE(l.penWidth, 30) << "twips";
    EXPECT_EQ(GetPenStyle(l.penStyle), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedLayoutTest,
                         ::testing::Values(Shipped{"LogFirstPage.sqf", false},
                                           Shipped{"LogAdditionalPages.sqf", false},
                                           Shipped{"LogFirstPage (classic).sqf", true},
                                           Shipped{"LogAdditionalPages (classic).sqf", true}));

class ShippedPairTest : public ::testing::TestWithParam<bool> {};

TEST_P(ShippedPairTest, FirstPageCarriesTheCompanyAndBoringHeader) {
  const bool classic = GetParam();
  const std::string suffix = classic ? " (classic).sqf" : ".sqf";
  LayoutForPrint first, more;
  ASSERT_TRUE(readLayoutForPrint(kBin + "/LogFirstPage" + suffix, first));
  ASSERT_TRUE(readLayoutForPrint(kBin + "/LogAdditionalPages" + suffix, more));
  std::set<std::string> texts;
  for (const LayoutText& t : first.texts) texts.insert(upper(t.text));
  std::set<std::string> moreTexts;
  for (const LayoutText& t : more.texts) moreTexts.insert(upper(t.text));
  if (!classic) {
    for (const char* wanted : {"PAGE <<PAGE NUMBER>> OF <<PAGE COUNT>>", "ELEV.", "SPT N-VALUE"}) {
      EXPECT_TRUE(texts.count(wanted)) << wanted;
      EXPECT_TRUE(moreTexts.count(wanted)) << wanted;
    }
    texts.insert("<<PAGE NUMBER>>");  // within "Page n of m"
  }
  for (const char* wanted : {"<<COMPANY NAME>>",
                             "<<COMPANY ADDRESS>>",
                             "<<COMPANY CITY>> + <<COMPANY STATE>> + <<COMPANY ZIP>>",
                             "LOG OF BORING",
                             "<<BORING NAME>>",
                             "<<PROJECT NAME>>",
                             "<<PROJECT NUMBER>>",
                             "<<CLIENT>>",
                             "<<DATE START>>",
                             "<<DATE END>>",
                             "<<DRILLING CONTRACTOR>>",
                             "<<DRILLER>>",
                             "<<DRILL METHOD>>",
                             "<<DRILL RIG>>",
                             "<<BORING DIAMETER>> + <<BORING DIAMETER UNITS>>",
                             "<<GROUND ELEVATION>> + <<DEPTH UNITS>>",
                             "<<STATIC WATER>> + <<DEPTH UNITS>>",
                             "<<TOTAL DEPTH>> + <<DEPTH UNITS>>",
                             "<<SUPERVISOR>>",
                             "<<USGS LOCATION>>",
                             "<<NORTHING>> + <<NORTHING UNITS>>",
                             "<<PAGE NUMBER>>",
                             "<<USER 1>>"})
    EXPECT_TRUE(texts.count(wanted)) << wanted;
  // Later pages give the log more of the page.
  ASSERT_FALSE(first.columns.empty());
  ASSERT_FALSE(more.columns.empty());
  EXPECT_GT(more.columns[0].box.yy - more.columns[0].box.y,
            first.columns[0].box.yy - first.columns[0].box.y + 1.5);
}

INSTANTIATE_TEST_SUITE_P(NewAndClassic, ShippedPairTest, ::testing::Bool());

}  // namespace
}  // namespace sq::layouts
