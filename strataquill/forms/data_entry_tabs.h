#pragma once

#include <QString>

#include "strataquill/forms/field_binding.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

namespace sq::widgets {
class BoundGrid;
}

namespace sq::forms {

// The controls of the data entry window: five tabs (Lithology, Samples,
// Completion, Boring Info., Project Info.), the three grids with their
// columns, and the text boxes and lists bound to the fields of the boring's
// and the project's rows.
struct DataEntryTabs {
  QTabWidget* tabs = nullptr;
  widgets::BoundGrid* lithology = nullptr;
  widgets::BoundGrid* sample = nullptr;
  widgets::BoundGrid* completion = nullptr;
  QPlainTextEdit* completionNotes = nullptr;
  QWidget* boringTab = nullptr;
  QWidget* projectTab = nullptr;
  FieldBinding projectFields;
  FieldBinding boringFields;
};

// Builds the tabs into `tabs` (already made, inside the window).
void buildDataEntryTabs(QTabWidget* tabs, DataEntryTabs& out);

// The separator line types of the lithology grid's "Line Type" list.
extern const char* const kSeparatorTypes;

}  // namespace sq::forms
