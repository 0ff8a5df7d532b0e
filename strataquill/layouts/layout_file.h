#pragma once

#include <string>
#include <vector>

namespace sq::layouts {

// Font of a text item or a data column, as stored.
struct LayoutFont {
  std::string name;
  float size = 0;
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

struct LayoutOptions {
  bool truncateUpperUnitText = false;
  bool truncateLowerUnitText = false;
  float majorTickWidth = 0;  // inches
  float minorTickWidth = 0;  // inches
  // "Boring terminated at 65 feet." below the last interval's description.
  bool endOfBoringNote = false;
};

// The Options field of the end-of-boring note, which layout files made
// before it existed gain from the structure check (off).
inline constexpr const char* kEndOfBoringNoteField = "EndOfBoringNote";

// The four corners of every drawable row, inches from the page's top-left.
struct LayoutBox {
  float x = 0, y = 0, xx = 0, yy = 0;
};

struct LayoutGraphic {
  std::string fileName;
  LayoutBox box;
};

struct LayoutColumn {
  std::string name;
  LayoutBox box;
  LayoutFont font;
  std::string textColor;  // colour code as stored
  std::string penStyle;   // pen-style code as stored
  float penWidth = 0;
  std::string penColor;
};

struct LayoutText {
  std::string text;
  LayoutBox box;
  LayoutFont font;
  std::string textColor;
  std::string alignment;  // alignment code as stored
  float angle = 0;        // degrees
};

struct LayoutLine {
  std::string penStyle;
  float penWidth = 0;
  std::string penColor;
  LayoutBox box;  // from (x, y) to (xx, yy)
};

// One page layout as the renderer draws it: the first Options row, then the
// rows of Graphics, ColumnGraphics, Text and Lines in stored order.
struct LayoutForPrint {
  LayoutOptions options;
  std::vector<LayoutGraphic> graphics;
  std::vector<LayoutColumn> columns;
  std::vector<LayoutText> texts;
  std::vector<LayoutLine> lines;
};

// Reads a layout file for printing. A damaged file gives what can be read:
// a missing table gives no rows, a missing or unreadable field its default
// (empty text, 0, no). False only when the file cannot be opened at all.
bool readLayoutForPrint(const std::string& path, LayoutForPrint& layout);

// Copies "Format.tpl" from the program folder to `target`, asking before it
// replaces an existing file. True when the new layout file is ready.
bool CreateLayoutFile(const std::string& target);

// Lets every Text and Memo field of every table of a layout or
// classification file hold a zero-length value, and gives a layout's
// Options table the fields that newer layouts have. Each failing step is
// skipped.
void CheckFileFormat(const std::string& path);

// The record sources of the layout designer's grids.
extern const char* const kTextRecordSource;
extern const char* const kLinesRecordSource;
extern const char* const kGraphicsRecordSource;
extern const char* const kColumnGraphicsRecordSource;
inline constexpr const char* kOptionsRecordSource = "Options";

}  // namespace sq::layouts
