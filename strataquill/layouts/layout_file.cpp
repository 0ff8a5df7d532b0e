#include "strataquill/layouts/layout_file.h"

#include "strataquill/db/database.h"
#include "strataquill/layouts/layout_codes.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/resume_next.h"

namespace sq::layouts {

const char* const kTextRecordSource =
    "SELECT Text.FontBold, Text.FontItalic, Text.FontName, Text.FontSize, Text.FontUnderline, "
    "Text.TextColor, Text.Text, Text.Alignment, Text.Angle, Text.X, Text.Y, Text.XX, Text.YY "
    "From [Text] ORDER BY Text.X, Text.Y, Text.XX, Text.YY; ";
const char* const kLinesRecordSource =
    "SELECT Lines.PenStyle, Lines.PenWidth, Lines.PenColor, Lines.X, Lines.Y, Lines.XX, Lines.YY "
    "From Lines ORDER BY Lines.X, Lines.Y, Lines.XX, Lines.YY;";
const char* const kGraphicsRecordSource =
    "SELECT Graphics.FileName, Graphics.X, Graphics.Y, Graphics.XX, Graphics.YY From Graphics "
    "ORDER BY Graphics.X, Graphics.Y, Graphics.XX, Graphics.YY;";
const char* const kColumnGraphicsRecordSource =
    "SELECT ColumnGraphics.PenColor, ColumnGraphics.PenStyle, ColumnGraphics.PenWidth, "
    "ColumnGraphics.FontBold, ColumnGraphics.FontItalic, ColumnGraphics.FontName, "
    "ColumnGraphics.FontSize, ColumnGraphics.FontUnderline, ColumnGraphics.TextColor, "
    "ColumnGraphics.Name, ColumnGraphics.X, ColumnGraphics.Y, ColumnGraphics.XX, "
    "ColumnGraphics.YY From ColumnGraphics ORDER BY ColumnGraphics.X, ColumnGraphics.Y, "
    "ColumnGraphics.XX, ColumnGraphics.YY;";

namespace {

// Field readers that give the default for a missing field or a null.
struct RowReader {
  const db::Recordset& rs;

  std::string text(const char* field) const { return rs.text(field); }
  float number(const char* field) const {
    auto v = rs.value(field);
    return v.ok() ? v->toFloat() : 0.0f;
  }
  bool yesNo(const char* field) const { return GetYesNo(rs.text(field)); }
  LayoutBox box() const { return {number("X"), number("Y"), number("XX"), number("YY")}; }
  LayoutFont font() const {
    return {text("FontName"), number("FontSize"), yesNo("FontBold"), yesNo("FontItalic"),
            yesNo("FontUnderline")};
  }
};

// Calls `read` for every row of `table` in stored order.
template <class Read>
void forEachRow(const db::Database& database, const char* table, Read read) {
  auto rs = database.openRecordset(table);
  if (!rs.ok()) return;
  for (rs->moveFirst(); !rs->eof(); (void)rs->moveNext()) read(RowReader{rs.value()});
}

}  // namespace

bool readLayoutForPrint(const std::string& path, LayoutForPrint& layout) {
  layout = {};
  auto database = db::Database::open(path);
  if (!database.ok()) return false;
  auto options = database->openRecordset("Options");
  if (options.ok() && !options->eof()) {
    RowReader row{options.value()};
    layout.options = {row.yesNo("TruncateUpperUnitText"), row.yesNo("TruncateLowerUnitText"),
                      row.number("MajorTickWidth"), row.number("MinorTickWidth"),
                      row.yesNo(kEndOfBoringNoteField)};
  }
  forEachRow(*database, "Graphics", [&](const RowReader& row) {
    layout.graphics.push_back({row.text("FileName"), row.box()});
  });
  forEachRow(*database, "ColumnGraphics", [&](const RowReader& row) {
    layout.columns.push_back({row.text("Name"), row.box(), row.font(), row.text("TextColor"),
                              row.text("PenStyle"), row.number("PenWidth"), row.text("PenColor")});
  });
  forEachRow(*database, "Text", [&](const RowReader& row) {
    layout.texts.push_back({row.text("Text"), row.box(), row.font(), row.text("TextColor"),
                            row.text("Alignment"), row.number("Angle")});
  });
  forEachRow(*database, "Lines", [&](const RowReader& row) {
    layout.lines.push_back(
        {row.text("PenStyle"), row.number("PenWidth"), row.text("PenColor"), row.box()});
  });
  return true;
}

bool CreateLayoutFile(const std::string& target) {
  return copyTemplateAsking(programFolder() + "Format.tpl", target);
}

void CheckFileFormat(const std::string& path) {
  auto database = db::Database::open(path);
  if (!database.ok()) return;
  ResumeNext resume;
  for (const std::string& table : database->tableNames()) {
    auto def = database->tableDef(table);
    if (!def.ok()) continue;
    // A layout made before the end-of-boring note gets its switch, off.
    if (db::equalsIgnoreCase(table, "Options") && !def->field(kEndOfBoringNoteField))
      resume([&] {
        return database->appendField(
            table, db::FieldDef{kEndOfBoringNoteField, db::DaoType::kBoolean, 1, false});
      });
    for (const db::FieldDef& field : def->fields)
      if (field.isTextual() && !field.allowZeroLength)
        resume([&] { return database->setAllowZeroLength(table, field.name, true); });
  }
}

}  // namespace sq::layouts
