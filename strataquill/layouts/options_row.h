#pragma once

#include <optional>

#include "strataquill/db/database.h"
#include "strataquill/layouts/layout_file.h"

namespace sq::layouts {

// The one row of a layout's Options table as the layout designer edits it:
// the page options it holds, and the switches written back.
class OptionsRow {
 public:
  // The first row of the Options table. A layout without one gets it on the
  // spot when `writable`; nothing when the table cannot be read or holds no
  // row.
  static std::optional<OptionsRow> open(const db::Database& database, bool writable);

  const LayoutOptions& stored() const { return stored_; }
  // Stores the switches; the end-of-boring note only where the file has its
  // field.
  db::Status write(bool truncateUpper, bool truncateLower, bool endOfBoringNote);

 private:
  explicit OptionsRow(db::Recordset rs);

  db::Recordset rs_;
  LayoutOptions stored_;
};

}  // namespace sq::layouts
