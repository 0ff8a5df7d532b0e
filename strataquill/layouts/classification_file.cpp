#include "strataquill/layouts/classification_file.h"

#include "strataquill/db/database.h"

namespace sq::layouts {

const char* classTableName(ClassKind kind) {
  switch (kind) {
    case ClassKind::kLithology:
      return "Lithology";
    case ClassKind::kCompletion:
      return "Completion";
    case ClassKind::kSamples:
      return "Samples";
  }
  return "Lithology";
}

std::string classListSql(ClassKind kind) {
  const std::string t = classTableName(kind);
  return "SELECT " + t + ".Description FROM " + t + " ORDER BY " + t + ".Description;";
}

std::string classLookupSql(ClassKind kind) {
  const std::string t = classTableName(kind);
  return "SELECT " + t + ".Description, " + t + ".FileName FROM " + t + ";";
}

std::vector<std::string> readClassList(const std::string& classificationFile, ClassKind kind) {
  std::vector<std::string> names;
  auto database = db::Database::open(classificationFile);
  if (!database.ok()) return names;
  auto rs = database->openRecordset(classListSql(kind));
  if (!rs.ok()) return names;
  for (rs->moveFirst(); !rs->eof(); (void)rs->moveNext()) names.push_back(rs->text("Description"));
  return names;
}

std::vector<PatternSlice> parsePatternList(std::string_view list) {
  std::vector<PatternSlice> slices;
  for (;;) {
    std::size_t colon = list.find(':');
    if (colon == std::string_view::npos) break;
    PatternSlice slice;
    slice.fileName = std::string(list.substr(0, colon));
    list.remove_prefix(colon + 1);
    std::size_t next = list.find(':');
    slice.percent = static_cast<float>(db::parseLeadingNumber(list.substr(0, next)));
    slices.push_back(std::move(slice));
    if (next == std::string_view::npos) break;
    list.remove_prefix(next + 1);
  }
  return slices;
}

std::vector<std::pair<std::string, std::string>> readClassTable(
    const std::string& classificationFile, ClassKind kind) {
  std::vector<std::pair<std::string, std::string>> rows;
  auto database = db::Database::open(classificationFile);
  if (!database.ok()) return rows;
  auto rs = database->openRecordset(classLookupSql(kind));
  if (!rs.ok()) return rows;
  for (rs->moveFirst(); !rs->eof(); (void)rs->moveNext())
    rows.emplace_back(rs->text("Description"), rs->text("FileName"));
  return rows;
}

std::optional<std::string> lookupPatternList(const std::string& classificationFile, ClassKind kind,
                                             std::string_view classText) {
  for (auto& [description, fileName] : readClassTable(classificationFile, kind))
    if (description == classText) return fileName;
  return std::nullopt;
}

std::string patternPath(const std::string& patternFolder, std::string_view name) {
  std::string path = patternFolder;
  if (path.empty() || path.back() != '/') path += '/';
  for (char c : name) path += c == '\\' ? '/' : c;
  return path;
}

}  // namespace sq::layouts
