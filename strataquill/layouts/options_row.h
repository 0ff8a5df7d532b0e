#pragma once

#include <optional>

#include "strataquill/db/database.h"
#include "strataquill/layouts/layout_file.h"

namespace sq::layouts {

// The one row of a layout's Options table as the layout designer edits it:
// the page options it holds, and the two truncation switches written back.
class OptionsRow {
 public:
  // The first row of the Options table. A layout without one gets it on the
  // spot when `writable`; nothing when the table cannot be read or holds no
  // row.
  static std::optional<OptionsRow> open(const db::Database& database, bool writable);

  const LayoutOptions& stored() const { return stored_; }
  // Stores the two switches.
  db::Status write(bool truncateUpper, bool truncateLower);

 private:
  explicit OptionsRow(db::Recordset rs);

  db::Recordset rs_;
  LayoutOptions stored_;
};

}  // namespace sq::layouts
