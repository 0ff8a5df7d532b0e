#include "strataquill/exchange/completion_mapping.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "strataquill/shell/settings_store.h"

namespace sq::exchange {
namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool has(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

std::vector<std::string> tokens(std::string_view text) {
  std::vector<std::string> out;
  std::string current;
  for (char c : text) {
    if (c == ' ' || c == '+' || c == '\t') {
      if (!current.empty()) out.push_back(std::move(current));
      current.clear();
    } else {
      current += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  if (!current.empty()) out.push_back(std::move(current));
  return out;
}

}  // namespace

std::string formatTarget(const CompletionTarget& t) {
  if (t.none()) return "none";
  std::string out;
  if (!t.pipe.empty()) out = "PIPE " + t.pipe;
  if (!t.backfill.empty()) out += (out.empty() ? "" : " + ") + std::string("BKFL ") + t.backfill;
  return out;
}

std::optional<CompletionTarget> parseTarget(std::string_view text) {
  const std::vector<std::string> t = tokens(text);
  if (t.size() == 1 && t[0] == "NONE") return CompletionTarget{};
  CompletionTarget target;
  std::size_t i = 0;
  while (i < t.size()) {
    if (i + 1 >= t.size()) return std::nullopt;
    if (t[i] == "PIPE" && target.pipe.empty() && (t[i + 1] == "PLAIN" || t[i + 1] == "SLOTTED"))
      target.pipe = t[i + 1];
    else if (t[i] == "BKFL" && target.backfill.empty())
      target.backfill = t[i + 1];
    else
      return std::nullopt;
    i += 2;
  }
  if (target.none()) return std::nullopt;
  return target;
}

CompletionTarget defaultTarget(std::string_view className) {
  // The shipped classes whose words alone would not say it all.
  if (className == "Screen") return {"SLOTTED", "901"};
  const std::string n = lower(className);
  CompletionTarget t;
  if (has(n, "screen") || has(n, "slotted")) t.pipe = "SLOTTED";
  else if (has(n, "casing") || has(n, "riser") || has(n, "pipe")) t.pipe = "PLAIN";
  if (has(n, "concrete")) t.backfill = "906";
  else if (has(n, "grout") || has(n, "cement")) t.backfill = "904";
  else if (has(n, "bentonite")) t.backfill = "903";
  else if (has(n, "sand") || has(n, "filter")) t.backfill = "901";
  else if (has(n, "gravel")) t.backfill = "902";
  else if (has(n, "cuttings") || has(n, "native") || has(n, "arisings") || has(n, "spoil"))
    t.backfill = "905";
  else if (has(n, "asphalt")) t.backfill = "907";
  return t;
}

CompletionMapping CompletionMapping::load(const std::vector<std::string>& classes) {
  std::vector<Entry> entries;
  for (const std::string& c : classes) {
    if (std::any_of(entries.begin(), entries.end(),
                    [&](const Entry& e) { return e.className == c; }))
      continue;
    Entry e{c, defaultTarget(c), false};
    const std::string stored = GetSetting(kCompletionSection, c, "");
    if (auto t = parseTarget(stored)) {
      e.target = *t;
      e.stored = true;
    }
    entries.push_back(std::move(e));
  }
  return CompletionMapping(std::move(entries));
}

CompletionTarget CompletionMapping::target(std::string_view className) const {
  for (const Entry& e : entries_)
    if (e.className == className) return e.target;
  return defaultTarget(className);
}

std::optional<std::string> CompletionMapping::classFor(const CompletionTarget& target) const {
  for (const Entry& e : entries_)
    if (e.target == target) return e.className;
  return std::nullopt;
}

bool SaveCompletionTarget(std::string_view className,
                          const std::optional<CompletionTarget>& target) {
  return SaveSetting(kCompletionSection, className, target ? formatTarget(*target) : "");
}

}  // namespace sq::exchange
