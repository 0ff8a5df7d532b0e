#include "strataquill/layouts/options_row.h"

#include <algorithm>

#include "strataquill/db/value.h"
#include "strataquill/layouts/layout_codes.h"

namespace sq::layouts {

OptionsRow::OptionsRow(db::Recordset rs) : rs_(std::move(rs)) {
  rs_.moveFirst();
  stored_ = {GetYesNo(rs_.text("TruncateUpperUnitText")),
             GetYesNo(rs_.text("TruncateLowerUnitText")),
             static_cast<float>(db::parseLeadingNumber(rs_.text("MajorTickWidth"))),
             static_cast<float>(db::parseLeadingNumber(rs_.text("MinorTickWidth"))),
             GetYesNo(rs_.text(kEndOfBoringNoteField))};
}

std::optional<OptionsRow> OptionsRow::open(const db::Database& database, bool writable) {
  auto rs = database.openRecordset(kOptionsRecordSource);
  if (!rs.ok()) return std::nullopt;
  if (rs->bof() && rs->eof() && writable) {
    if (rs->addNew().ok() && rs->update().ok()) {
      rs->requery();
    } else {
      rs->cancelUpdate();
    }
  }
  rs->moveFirst();
  if (rs->eof()) return std::nullopt;
  return OptionsRow(std::move(rs.value()));
}

db::Status OptionsRow::write(bool truncateUpper, bool truncateLower, bool endOfBoringNote) {
  const std::vector<std::string> fields = rs_.fieldNames();
  const bool hasNote = std::any_of(fields.begin(), fields.end(), [](const std::string& f) {
    return db::equalsIgnoreCase(f, kEndOfBoringNoteField);
  });
  rs_.moveFirst();
  db::Status s = rs_.edit();
  if (s.ok())
    s = rs_.setField("TruncateUpperUnitText", db::Value::text(truncateUpper ? "True" : "False"));
  if (s.ok())
    s = rs_.setField("TruncateLowerUnitText", db::Value::text(truncateLower ? "True" : "False"));
  if (s.ok() && hasNote)
    s = rs_.setField(kEndOfBoringNoteField, db::Value::text(endOfBoringNote ? "True" : "False"));
  if (s.ok()) s = rs_.update();
  if (!s.ok()) {
    rs_.cancelUpdate();
    return s;
  }
  stored_.truncateUpperUnitText = truncateUpper;
  stored_.truncateLowerUnitText = truncateLower;
  if (hasNote) stored_.endOfBoringNote = endOfBoringNote;
  return s;
}

}  // namespace sq::layouts
