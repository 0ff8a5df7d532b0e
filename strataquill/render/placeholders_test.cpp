#include "strataquill/render/placeholders.h"

#include "strataquill/render/render_test_support.h"
#include "strataquill/shell/settings_store.h"

namespace sq::render {
namespace {

class PlaceholdersTest : public RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    sql(project_,
        "INSERT INTO [Project Information] (ProjectName, ProjectNumber, SiteCity, "
        "SiteState, SiteZip, ClientCity, ClientState, QtrSectionSecond, "
        "QtrSectionPrimary, Section, Township, TownshipDirection, Range, "
        "RangeDirection) VALUES (\"Riverside Plaza\", \"2026-117\", \"Springfield\", "
        "\"IL\", \"62701\", \"Peoria\", \"IL\", \"NE\", \"SW\", \"12\", \"4\", \"N\", "
        "\"3\", \"W\")");
    sql(project_,
        "INSERT INTO [Boring Information] (BoringName, StaticWater, DepthUnits, "
        "Northing, BoringDiameter) VALUES (\"B-1\", \"12.5\", \"Feet\", \"1000\", \"8\")");
    sql(project_,
        "INSERT INTO [Sample User Label] (UserLabel1, UserLabel10) VALUES (\"PID "
        "(ppm)\", \"Recovery\")");
    data_ = loadBoringData(project_, "B-1");
    run_ = {project_, 3, 0, [] { return std::string("12/7/2026"); },
            [] { return std::string("8:15:00 PM"); }};
  }
  std::string value(const std::string& token) { return getVariableText(data_, run_, token); }

  BoringData data_;
  PlaceholderRun run_;
};

TEST(PrintTimeTest, TheLocalesTimeWithSecondsAndWithoutTheZone) {
  const QTime time(23, 39, 59);
  auto at = [&](const char* locale) {
    return QString::fromStdString(printTimeText(QLocale(locale), time))
        .replace(QChar(0x202F), ' ')
        .toStdString();
  };
  EXPECT_EQ(at("en_US"), "11:39:59 PM");
  EXPECT_EQ(at("de_DE"), "23:39:59");
  EXPECT_EQ(at("zh_CN"), "23:39:59") << "a zone in front";
  EXPECT_EQ(at("fa_IR"), "۲۳:۳۹:۵۹") << "a zone in brackets";
  EXPECT_EQ(at("ko_KR"), "오후 11시 39분 59초");
  EXPECT_EQ(timeFormatWithoutZone("h 'at' t"), "h 'at'") << "quoted text stays";
  EXPECT_EQ(timeFormatWithoutZone("HH:mm 'tt' t ss"), "HH:mm 'tt' ss");
  for (const QLocale& locale :
       QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
    const QString format = timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
    EXPECT_EQ(format, format.trimmed()) << locale.name().toStdString();
    EXPECT_FALSE(format.contains("  ")) << locale.name().toStdString();
    bool quoted = false, zone = false;
    for (QChar c : format) {
      if (c == '\'') quoted = !quoted;
      zone |= !quoted && c == 't';
    }
    EXPECT_FALSE(zone) << locale.name().toStdString() << ": " << format.toStdString();
    const std::string text = printTimeText(locale, time);
    EXPECT_FALSE(text.empty()) << locale.name().toStdString();
  }
  EXPECT_EQ(printDateText(QLocale("en_US"), QDate(2026, 12, 7)), "12/7/26");
  EXPECT_EQ(printDateText(QLocale("de_DE"), QDate(2026, 12, 7)), "07.12.26");
}

TEST_F(PlaceholdersTest, CompanyValuesUseTheRenderersDefaultsUntilSaved) {
  EXPECT_EQ(value("<<Company Name>>"), "Quality Consulting");
  EXPECT_EQ(value("<<COMPANY CITY>>"), "Your Favorite City");
  EXPECT_EQ(value("<<Company State>>"), "Any State");
  EXPECT_EQ(value("<<Company City>> + <<Company State>> + <<Company Zip>>"),
            "Your Favorite City, Any State  01234");
  ASSERT_TRUE(SaveSetting("Preferences", "CompanyCity", ""));
  EXPECT_EQ(value("<<Company City>>"), "") << "an empty stored value is not the default";
  ASSERT_TRUE(SaveSetting("Preferences", "CompanyState", "Oregon"));
  EXPECT_EQ(value("<<Company City>> + <<Company State>>"), ", Oregon");
}

TEST_F(PlaceholdersTest, ProjectBoringAndLabelValues) {
  EXPECT_EQ(value("<<project name>>"), "Riverside Plaza");
  EXPECT_EQ(value("<<Site City>> + <<Site State>> + <<Site Zip>>"), "Springfield, IL  62701");
  EXPECT_EQ(value("<<Client City>> + <<Client State>>"), "Peoria, IL");
  EXPECT_EQ(value("<<USGS Location>>"), "NE 1/4 of SW 1/4 of Section 12, T. 4 N, R. 3 W");
  EXPECT_EQ(value("<<Boring Name>>"), "B-1");
  EXPECT_EQ(value("<<Static Water>> + <<Depth Units>>"), "12.5 Feet");
  EXPECT_EQ(value("<<Northing>> + <<Northing Units>>"), "1000 ") << "a null unit adds nothing";
  EXPECT_EQ(value("<<Boring Diameter>> + <<Boring Diameter Units>>"), "8 ");
  EXPECT_EQ(value("<<Total Depth>>"), "");
  EXPECT_EQ(value("<<User 1>>"), "PID (ppm)");
  EXPECT_EQ(value("<<User 10>>"), "Recovery");
  EXPECT_EQ(value("<<User 2>>"), "");
  EXPECT_EQ(value("<<Page Number>>"), "3");
  EXPECT_EQ(value("<<File Name>>"), "site.sq2");
  EXPECT_EQ(value("<<File Path>>"), project_);
  EXPECT_EQ(value("<<Print Date>> + <<Print Time>>"), "12/7/2026 8:15:00 PM");
}

TEST_F(PlaceholdersTest, OnlyWholeTokensAreReplaced) {
  EXPECT_EQ(value("Project: <<Project Name>>"), "");
  EXPECT_EQ(value("<<Project Name>> "), "");
  EXPECT_EQ(value("<<Site City>>+<<Site State>>"), "");
  EXPECT_EQ(value("<<No Such Thing>>"), "");
  EXPECT_EQ(value("<<User 11>>"), "");
  EXPECT_EQ(value("<<User 01>>"), "");
}

TEST_F(PlaceholdersTest, TheLegalLocationLeavesOutWhatIsNotGiven) {
  EXPECT_EQ(value("<<USGS Location>>"), "NE 1/4 of SW 1/4 of Section 12, T. 4 N, R. 3 W");
  auto location = [&](const char* assignments) {
    sql(project_, std::string("UPDATE [Project Information] SET ") + assignments);
    data_ = loadBoringData(project_, "B-1");
    return value("<<USGS Location>>");
  };
  EXPECT_EQ(location("QtrSectionSecond = \" \", QtrSectionPrimary = Null"),
            "Section 12, T. 4 N, R. 3 W");
  EXPECT_EQ(location("Section = \"\", Range = Null, RangeDirection = \" \""), "T. 4 N");
  EXPECT_EQ(location("Township = \" \", TownshipDirection = Null"), "") << "nothing at all";
}

TEST_F(PlaceholdersTest, TokensInsideATextAreFilledIn) {
  run_.pageCount = 3;
  EXPECT_EQ(fillText(data_, run_, "Page <<Page Number>> of <<Page Count>>"), "Page 3 of 3");
  EXPECT_EQ(fillText(data_, run_, "<<Page Count>>"), "3");
  EXPECT_EQ(fillText(data_, run_, "Water at <<static water>> <<Depth Units>>."),
            "Water at 12.5 Feet.");
  EXPECT_EQ(fillText(data_, run_, "a <<b <<Boring Name>> c>> <<"), "a <<b B-1 c>> <<")
      << "what is no token stays as typed";
  EXPECT_EQ(fillText(data_, run_, "<<Boring Name>> here"), "") << "a placeholder is one token";
  EXPECT_EQ(fillText(data_, run_, "No tokens"), "No tokens");
  run_.pageCount = 0;
  EXPECT_EQ(value("<<Page Count>>"), "") << "not known yet";
  EXPECT_TRUE(needsPageCount("Page <<page count>>"));
  EXPECT_FALSE(needsPageCount("<<Page Number>>"));
}

TEST_F(PlaceholdersTest, UnreadableProjectGivesEmptyValues) {
  BoringData none = loadBoringData(home_.path("missing.sq2"), "B-1");
  EXPECT_EQ(getVariableText(none, run_, "<<Project Name>>"), "");
  EXPECT_EQ(getVariableText(none, run_, "<<Site City>> + <<Site State>>"), ", ");
  EXPECT_EQ(getVariableText(none, run_, "<<Company Name>>"), "Quality Consulting");
}

class TextItemsTest : public RenderFixture {};

TEST_F(TextItemsTest, PointTextHangsFromItsReferencePoint) {
  addBoring("B-1");
  addText("Right end", 4, 1, 0, 0, "3 - Right");
  addText("Middle", 4, 2, 0, 0, "2 - Center");
  addText("Left end", 4, 3, 0, 0, "1 - Left");
  compose("B-1");
  PrintSurface probe;
  probe.font.size = 10;
  auto ops = textOps(0);
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_NEAR(ops[0].origin.x() + probe.textWidth("Right end"), 4 * 1440, 0.5);
  EXPECT_NEAR(ops[1].origin.x() + probe.textWidth("Middle") / 2, 4 * 1440, 0.5);
  EXPECT_NEAR(ops[2].origin.x(), 4 * 1440, 0.5);
  EXPECT_NEAR(ops[2].origin.y(), 3 * 1440, 0.5);
}

TEST_F(TextItemsTest, BoxTextLosesCharactersUntilItFits) {
  addBoring("B-1");
  sql(project_,
      "INSERT INTO [Project Information] (ProjectName) VALUES (\"A very long project "
      "name that cannot fit\")");
  PrintSurface probe;
  probe.font.size = 10;
  const double oneLine = probe.textHeight() / 1440 + 0.001;
  const double width = probe.textWidth("A very long") / 1440 + 0.001;
  addText("<<Project Name>>", 1, 1, 1 + width, 1 + oneLine);
  addText("Too small", 1, 3, 1.001, 3 + oneLine);
  addText("Flat", 1, 4, 3, 4.01);
  addText(" ", 1, 5, 3, 6);
  addText("<<Nothing>>", 1, 6, 3, 7);
  compose("B-1");
  // A box that takes no whole character shows the start of its text cut
  // off at the box, so the item does not vanish; blank and empty texts
  // print nothing.
  EXPECT_EQ(texts(0), (std::vector<std::string>{"A very long", "T", "Flat"}));
  const auto ops = textOps(0);
  EXPECT_TRUE(ops[0].clip.isNull()) << "a text that fits is not clipped";
  EXPECT_NEAR(ops[2].clip.height(), 0.01 * 1440, 0.01);
}

TEST_F(TextItemsTest, PlaceholderPointTextInALayoutSampleIsTreatedAsABox) {
  addBoring("B-1");
  addText("<<Boring Name>>", 4, 1, 0, 0);
  addText("Label", 4, 2, 0, 0);
  compose("B-1", kLayoutSample);
  EXPECT_EQ(texts(0), std::vector<std::string>{"Label"});
}

}  // namespace
}  // namespace sq::render
