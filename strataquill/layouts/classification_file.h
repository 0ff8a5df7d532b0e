#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sq::layouts {

// The three catalogues of the classification file.
enum class ClassKind { kLithology, kCompletion, kSamples };

// "Lithology", "Completion" or "Samples".
const char* classTableName(ClassKind kind);

// The statement of a data-entry drop-down list: the class names in ascending
// order ("SELECT Lithology.Description FROM Lithology ORDER BY
// Lithology.Description;").
std::string classListSql(ClassKind kind);

// The statement the renderer looks classes up with ("SELECT
// Lithology.Description, Lithology.FileName FROM Lithology;").
std::string classLookupSql(ClassKind kind);

// The class names of one catalogue in list order; empty when the file
// cannot be read.
std::vector<std::string> readClassList(const std::string& classificationFile, ClassKind kind);

// One pattern of a class: a picture file in the pattern folder and the share
// of the column width it fills.
struct PatternSlice {
  std::string fileName;
  float percent = 0;
  friend bool operator==(const PatternSlice&, const PatternSlice&) = default;
};

// Splits a pattern list "name1:percent1:name2:percent2" into slices. Every
// name followed by a colon makes a slice whose percent is the number read
// from the text up to the next colon (text that is not a number reads as 0);
// a name without a colon behind it makes none, so a bare file name fills
// nothing.
std::vector<PatternSlice> parsePatternList(std::string_view list);

// The pattern list of the first row of the catalogue whose Description
// equals `classText` exactly (case and blanks count); nothing when no row
// matches or the file cannot be read.
std::optional<std::string> lookupPatternList(const std::string& classificationFile, ClassKind kind,
                                             std::string_view classText);

// All (Description, FileName) rows of a catalogue in stored order, for
// callers that look up many classes: the first match wins.
std::vector<std::pair<std::string, std::string>> readClassTable(
    const std::string& classificationFile, ClassKind kind);

// Path of a pattern picture: the pattern folder, a separator and the name
// (backslashes in names written on other systems become "/").
std::string patternPath(const std::string& patternFolder, std::string_view name);

}  // namespace sq::layouts
