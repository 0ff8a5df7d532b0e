#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "strataquill/layouts/classification_file.h"

namespace sq::db {
class Database;
}

namespace sq::render {

struct LithologyRow {
  float from = 0, to = 0;
  std::string description, classification, separatorType;
};

struct SampleRow {
  float from = 0, to = 0;
  std::string sampleType, blowCounts;
  std::array<std::string, 10> userText;
};

struct CompletionRow {
  float from = 0, to = 0;
  std::string classification;
};

// Rows of one boring in query order (ascending From, then To) with an index
// that finds the rows touching a depth window without walking the whole
// boring, so drawing a page costs the same on page 1 and page 100.
template <class Row>
class DepthRows {
 public:
  DepthRows() = default;
  explicit DepthRows(std::vector<Row> rows);

  const std::vector<Row>& rows() const { return rows_; }
  // Indexes, in query order, of every row whose interval (either way round)
  // touches [top, bottom]. Rows outside are never returned; callers apply
  // their own exact conditions to what is returned.
  std::vector<std::size_t> touching(double top, double bottom) const;
  // Indexes, in query order, of the rows with top <= From < bottom.
  std::vector<std::size_t> startingIn(double top, double bottom) const;

 private:
  std::vector<Row> rows_;
  std::vector<std::size_t> ordered_;   // rows with From <= To, by From
  std::vector<float> prefixMaxTo_;     // running maximum of To over ordered_
  std::vector<std::size_t> reversed_;  // rows with From > To (damaged data)
  std::vector<std::size_t> byFrom_;    // all rows by From
};

// A groundwater level recorded as a number of depth units.
struct WaterLevel {
  enum class Kind { kWhileDrilling, kStatic, kPotentiometric } kind;
  float depth = 0;
  std::string typed;  // the depth as typed, blanks around it removed
  std::string date;   // the boring's DateStart while drilling, DateEnd static, else ""
};

// A point of the N-value plot: N at the middle of a sample interval, or a
// refusal there.
struct NPoint {
  float depth = 0;
  int n = 0;
  bool refusal = false;
};

// Everything a print run reads from the project for one boring, read once
// at the start of the run with the program's queries.
struct BoringData {
  DepthRows<LithologyRow> lithology;
  DepthRows<SampleRow> samples;
  DepthRows<CompletionRow> completion;
  // Field name -> text of the boring's record, the project's first record
  // and the first row of the sample labels; empty when unreadable.
  std::map<std::string, std::string> boringFields, projectFields, labelFields;
  bool boringFound = false;

  // Read from the fields above when the data is loaded.
  // GroundElevation when it is a number.
  std::optional<double> groundElevation;
  // Water levels that are numbers, in the order drilled, static,
  // potentiometric; the texts of those that are not ("Dry"), each once.
  std::vector<WaterLevel> waterLevels;
  std::vector<std::string> waterNotes;
  // The N-value plot's points by depth, from the samples' blow counts.
  std::vector<NPoint> nPoints;
  // Whether some blow counts give N from two increments, or a refusal.
  bool partialN = false, refusalN = false;
  // The deepest To of the lithology, when there is any.
  std::optional<float> bottomDepth;
};

// A number as field crews type depths and elevations: the whole text a
// number, blanks around it and a unit after it allowed ("742.3",
// " 18.5 ft", "16'", "5.2 m"); nothing for anything else ("Dry", "").
std::optional<double> measuredNumber(const std::string& text);

// Reads the boring's rows. Rows with a null From or To cannot be placed on
// the depth scale and are left out. A file that cannot be read gives empty
// data.
BoringData loadBoringData(const std::string& projectPath, const std::string& boring);
BoringData loadBoringData(const db::Database& database, const std::string& boring);

// The deepest depth recorded for the boring: the largest non-null result of
// the six Max queries, at least 0.
float GetMaxDepth(const std::string& projectPath, const std::string& boring);
float GetMaxDepth(const db::Database& database, const std::string& boring);

// The catalogues of the classification file with their pattern lists split
// into slices, read once per run.
struct Catalogue {
  using Classes = std::vector<std::pair<std::string, std::vector<layouts::PatternSlice>>>;
  Classes lithology, completion, samples;

  static Catalogue load(const std::string& classificationFile);
  // The slices of the first class that equals `classText` exactly.
  const std::vector<layouts::PatternSlice>* find(layouts::ClassKind kind,
                                                 const std::string& classText) const;
};

}  // namespace sq::render
