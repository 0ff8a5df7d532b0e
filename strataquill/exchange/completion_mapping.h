#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sq::exchange {

// Where a completion interval goes in an AGS file: a PIPE row (with its
// PIPE_TYPE, "PLAIN" or "SLOTTED"), a BKFL row (with its BKFL_LEG code,
// "901" sand ... "906" concrete), both (a pipe in its annulus), or neither.
struct CompletionTarget {
  std::string pipe;      // "" for no PIPE row
  std::string backfill;  // "" for no BKFL row
  friend bool operator==(const CompletionTarget&, const CompletionTarget&) = default;
  bool none() const { return pipe.empty() && backfill.empty(); }
};

// Text form, as stored and typed: "PIPE PLAIN + BKFL 904", "BKFL 903",
// "PIPE SLOTTED", "none".
std::string formatTarget(const CompletionTarget& target);
// Reads the text form; nothing when it is not one. PIPE types are PLAIN or
// SLOTTED; a BKFL code is any code without blanks.
std::optional<CompletionTarget> parseTarget(std::string_view text);

// The target a class name suggests: its default. The shipped classes have
// theirs; for others the name's words tell (screen -> slotted pipe; casing,
// riser, pipe -> plain pipe; concrete, grout or cement, bentonite, sand or
// filter, gravel, cuttings or native -> that backfill).
CompletionTarget defaultTarget(std::string_view className);

// The settings section that holds the user's own targets, one key per
// class name.
inline constexpr const char* kCompletionSection = "AGS Completion";

// The completion classes of the classification file with the target of
// each: the user's own where one is stored, else the default.
class CompletionMapping {
 public:
  struct Entry {
    std::string className;
    CompletionTarget target;
    bool stored = false;  // the user's own, not the default
  };

  CompletionMapping() = default;
  explicit CompletionMapping(std::vector<Entry> entries) : entries_(std::move(entries)) {}
  // Reads the stored targets of `classes` (in classification order).
  static CompletionMapping load(const std::vector<std::string>& classes);

  const std::vector<Entry>& entries() const { return entries_; }
  // The target of a class; the default for a class not in the list.
  CompletionTarget target(std::string_view className) const;
  // The first class (in list order) whose target is exactly `target`.
  std::optional<std::string> classFor(const CompletionTarget& target) const;

 private:
  std::vector<Entry> entries_;
};

// Stores the user's target for a class; nullopt restores the default.
bool SaveCompletionTarget(std::string_view className,
                          const std::optional<CompletionTarget>& target);

}  // namespace sq::exchange
