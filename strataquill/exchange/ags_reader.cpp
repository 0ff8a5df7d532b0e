#include "strataquill/exchange/ags_reader.h"

#include <cstdio>
#include <optional>

#include "strataquill/exchange/ags_text.h"

namespace sq::exchange {
namespace {

const std::string kEmpty;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string fieldName(std::size_t k) { return "field " + std::to_string(k + 1); }

// Hands out the lines of a stream one at a time, with how each ended.
class LineSource {
 public:
  explicit LineSource(std::istream& in) : in_(in) {}

  enum class End { kCrLf, kLf, kCr, kNone };

  // The next line in `line`; false at the end of the stream or on failure
  // (failed() tells).
  bool next(std::string& line, End& end) {
    line.clear();
    for (;;) {
      if (pos_ == len_ && !fill()) {
        end = End::kNone;
        return !line.empty();
      }
      const char* begin = buffer_.data() + pos_;
      const char* stop = buffer_.data() + len_;
      const char* p = begin;
      while (p < stop && *p != '\n' && *p != '\r') ++p;
      line.append(begin, p);
      pos_ += static_cast<std::size_t>(p - begin);
      if (line.size() > kMaxAgsLine) {
        tooLong_ = true;
        return false;
      }
      if (p == stop) continue;
      ++pos_;
      if (*p == '\n') {
        end = End::kLf;
        return true;
      }
      // A CR: a CR LF pair, or a CR on its own.
      if (pos_ == len_ && !fill()) {
        end = End::kCr;
        return true;
      }
      if (buffer_[pos_] == '\n') {
        ++pos_;
        end = End::kCrLf;
      } else {
        end = End::kCr;
      }
      return true;
    }
  }

  bool failed() const { return in_.bad(); }
  bool tooLong() const { return tooLong_; }

 private:
  bool fill() {
    if (!in_) return false;
    buffer_.resize(1 << 20);
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    len_ = static_cast<std::size_t>(in_.gcount());
    pos_ = 0;
    return len_ > 0;
  }
  std::istream& in_;
  std::string buffer_;
  std::size_t pos_ = 0, len_ = 0;
  bool tooLong_ = false;
};

// Follows the header rows of the group being read and hands complete rows to
// the visitor.
class Reader {
 public:
  explicit Reader(AgsVisitor& visitor) : visitor_(visitor) {}

  void line(long number, std::string_view text, LineSource::End end) {
    lineNumber_ = number;
    if (number == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") {
      report("1", {}, "the file starts with a UTF-8 byte order mark");
      text.remove_prefix(3);
    }
    // The last line may end without a line end.
    if (end == LineSource::End::kLf || end == LineSource::End::kCr)
      report("2a", {}, end == LineSource::End::kLf ? "line ends with LF alone, not CR LF"
                                                   : "line ends with CR alone, not CR LF");

    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first])) ++first;
    if (first == text.size()) {
      flushPending();
      return;
    }

    problems_.clear();
    splitAgsLine(text, fields_, &problems_);
    const std::string descriptor = fields_.empty() ? std::string() : fields_[0];
    for (auto& [rule, message] : problems_) report(rule, {}, message);
    checkCharacters();

    if (descriptor == "GROUP") {
      flushPending();
      endGroup();
      startGroup();
    } else if (descriptor == "HEADING") {
      flushPending();
      heading();
    } else if (descriptor == "UNIT" || descriptor == "TYPE") {
      flushPending();
      unitOrType(descriptor == "UNIT");
    } else if (descriptor == "DATA") {
      if (fields_.size() > 1 && fields_[1] == "<CONT>")
        continuation(true);
      else
        data();
    } else if (descriptor == "<CONT>") {
      continuation(false);
    } else {
      flushPending();
      report("3", {},
             descriptor.empty() ? "the line has no data descriptor"
                                : "\"" + descriptor +
                                      "\" is not a data descriptor (GROUP, HEADING, UNIT, TYPE or "
                                      "DATA)");
    }
  }

  void finish() {
    flushPending();
    endGroup();
  }

  long groups() const { return groups_; }

 private:
  void report(const std::string& rule, const std::string& heading, std::string message) {
    visitor_.issue({rule, lineNumber_, group_ ? group_->name : std::string(), heading,
                    std::move(message)});
  }

  // Rule 1 for each value that holds a character outside ASCII, then every
  // value as UTF-8.
  void checkCharacters() {
    for (std::size_t k = 0; k < fields_.size(); ++k) {
      std::string& f = fields_[k];
      const std::size_t at = firstNonAscii(f);
      if (at == std::string::npos) continue;
      bool cp1252 = false;
      std::string utf8 = toUtf8(f, &cp1252);
      std::string heading;
      if (group_ && k >= 1 && k - 1 < group_->headings.size() && fields_[0] == "DATA")
        heading = group_->headings[k - 1];
      if (cp1252) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(f[at]));
        report("1", heading,
               "character " + std::string(hex) + " is not ASCII (read as Windows-1252 \"" +
                   characterAt(utf8, firstNonAscii(utf8)) + "\")");
      } else {
        report("1", heading, "character \"" + characterAt(f, at) + "\" is not ASCII (UTF-8)");
      }
      f = std::move(utf8);
    }
  }

  void startGroup() {
    ++groups_;
    group_.emplace();
    group_->line = lineNumber_;
    group_->name = fields_.size() > 1 ? fields_[1] : std::string();
    started_ = false;
    if (fields_.size() != 2)
      report("4", {}, "a GROUP row holds the descriptor and one group name, not " +
                          std::to_string(fields_.size()) + " fields");
  }

  void endGroup() {
    if (!group_) return;
    if (started_)
      visitor_.groupEnd(*group_);
    else
      visitor_.issue({"2", group_->line, group_->name, {}, "the group has no DATA rows"});
    group_.reset();
  }

  void heading() {
    if (!group_) {
      report("2b", {}, "HEADING row without a GROUP row before it");
      return;
    }
    if (started_ || group_->headingLine) {
      report("2b", {}, "a second HEADING row in group " + group_->name);
      return;
    }
    group_->headingLine = lineNumber_;
    group_->headings.assign(fields_.begin() + 1, fields_.end());
    if (group_->headings.empty()) report("4", {}, "the HEADING row names no heading");
  }

  void unitOrType(bool unit) {
    const char* name = unit ? "UNIT" : "TYPE";
    if (!group_ || !group_->headingLine) {
      report("2b", {}, std::string(name) + " row before the HEADING row");
      return;
    }
    long& seen = unit ? group_->unitLine : group_->typeLine;
    if (started_ || seen) {
      report("2b", {},
             std::string(started_ ? "a " : "a second ") + name + " row " +
                 (started_ ? "after the DATA rows" : "in group " + group_->name));
      return;
    }
    if (unit && group_->typeLine) report("2b", {}, "the UNIT row must come before the TYPE row");
    seen = lineNumber_;
    std::vector<std::string>& target = unit ? group_->units : group_->types;
    target.assign(fields_.begin() + 1, fields_.end());
    countCheck(target.size(), name);
    target.resize(group_->headings.size());
    (unit ? group_->hasUnit : group_->hasType) = true;
  }

  bool countCheck(std::size_t count, const char* what) {
    if (count == group_->headings.size()) return true;
    report("4", {},
           std::string(what) + " row has " + std::to_string(count) + " values for " +
               std::to_string(group_->headings.size()) + " headings");
    return false;
  }

  // Makes sure the group has started; false when DATA cannot belong to one.
  bool ensureStarted() {
    if (!group_ || !group_->headingLine) {
      report("2b", {}, group_ ? "DATA row before the HEADING row" : "DATA row without a GROUP row");
      return false;
    }
    if (started_) return true;
    if (!group_->hasUnit) {
      report("2b", {}, "group " + group_->name + " has no UNIT row");
      group_->units.assign(group_->headings.size(), std::string());
    }
    if (!group_->hasType) {
      report("2b", {}, "group " + group_->name + " has no TYPE row");
      group_->types.assign(group_->headings.size(), std::string());
    }
    started_ = true;
    visitor_.groupStart(*group_);
    return true;
  }

  void data() {
    flushPending();
    if (!ensureStarted()) return;
    pending_.line = lineNumber_;
    // The row takes the line's strings; the line takes the old row's to
    // fill next time.
    pending_.values.swap(fields_);
    pending_.values.erase(pending_.values.begin());
    pending_.aligned = countCheck(pending_.values.size(), "DATA");
    hasPending_ = true;
  }

  void continuation(bool inData) {
    if (!hasPending_) {
      report("3", {}, "a continuation line (<CONT>) with no DATA row before it");
      return;
    }
    report("3", {},
           "a continuation line (<CONT>) is not part of AGS4; joined to the DATA row on line " +
               std::to_string(pending_.line));
    // Values line up with the headings; in the DATA form the marker stands
    // where the first value would.
    const std::size_t skip = inData ? 2 : 1;
    const std::size_t count = fields_.size() - 1;
    if (count != group_->headings.size()) {
      countCheck(count, "continuation");
      pending_.aligned = false;
      return;
    }
    for (std::size_t k = skip; k < fields_.size(); ++k)
      if (k - 1 < pending_.values.size()) pending_.values[k - 1] += fields_[k];
  }

  void flushPending() {
    if (!hasPending_) return;
    hasPending_ = false;
    ++group_->rows;
    visitor_.row(*group_, pending_);
  }

  AgsVisitor& visitor_;
  long lineNumber_ = 0;
  long groups_ = 0;
  std::optional<AgsGroup> group_;
  bool started_ = false;
  std::vector<std::string> fields_;
  std::vector<std::pair<std::string, std::string>> problems_;
  AgsRow pending_;
  bool hasPending_ = false;
};

}  // namespace

int AgsGroup::index(std::string_view heading) const {
  for (std::size_t k = 0; k < headings.size(); ++k)
    if (headings[k] == heading) return static_cast<int>(k);
  return -1;
}

const std::string& AgsRow::at(int k) const {
  return k >= 0 && static_cast<std::size_t>(k) < values.size() ? values[k] : kEmpty;
}

void splitAgsLine(std::string_view line, std::vector<std::string>& fields,
                  std::vector<std::pair<std::string, std::string>>* problems) {
  // The strings of `fields` are reused from line to line.
  std::size_t count = 0;
  auto next = [&]() -> std::string& {
    if (count == fields.size()) fields.emplace_back();
    std::string& f = fields[count++];
    f.clear();
    return f;
  };
  auto problem = [&](const char* rule, std::string message) {
    if (problems) problems->emplace_back(rule, std::move(message));
  };
  const std::size_t n = line.size();
  std::size_t i = 0;
  for (;;) {
    const std::size_t k = count;
    std::size_t start = i;
    while (i < n && isBlank(line[i])) ++i;
    if (i < n && line[i] == '"') {
      if (i > start) problem("6", "blanks before " + fieldName(k));
      ++i;
      std::string& value = next();
      bool closed = false, strayQuote = false;
      while (i < n) {
        const std::size_t quote = line.find('"', i);
        if (quote == std::string_view::npos) {
          value.append(line.substr(i));
          i = n;
          break;
        }
        value.append(line.substr(i, quote - i));
        i = quote;
        if (i + 1 < n && line[i + 1] == '"') {
          value += '"';
          i += 2;
          continue;
        }
        // A closing quote is followed by the separator or the line end;
        // any other quote is one that should have been doubled.
        std::size_t j = i + 1;
        while (j < n && isBlank(line[j])) ++j;
        if (j == n || line[j] == ',') {
          if (j > i + 1) problem("6", "blanks after " + fieldName(k));
          closed = true;
          i = j;
          break;
        }
        strayQuote = true;
        value += '"';
        ++i;
      }
      if (strayQuote) problem("5", "a double quote inside " + fieldName(k) + " is not doubled");
      if (!closed) problem("5", fieldName(k) + " has no closing double quote");
    } else {
      i = start;
      std::size_t end = line.find(',', i);
      if (end == std::string_view::npos) end = n;
      problem("5", fieldName(k) + " is not enclosed in double quotes");
      next().assign(line.substr(i, end - i));
      i = end;
    }
    if (i >= n) break;
    ++i;  // the comma
    if (i == n) {
      problem("5", "the line ends with a comma");
      next();
      break;
    }
  }
  fields.resize(count);
}

AgsReadResult readAgs(std::istream& in, AgsVisitor& visitor) {
  AgsReadResult result;
  LineSource source(in);
  Reader reader(visitor);
  std::string line;
  LineSource::End end;
  while (source.next(line, end)) reader.line(++result.lines, line, end);
  reader.finish();
  result.groups = reader.groups();
  if (source.tooLong()) {
    result.readable = false;
    result.error = "line " + std::to_string(result.lines + 1) + " is longer than " +
                   std::to_string(kMaxAgsLine) + " characters";
  } else if (source.failed()) {
    result.readable = false;
    result.error = "the file could not be read to its end";
  }
  return result;
}

std::string formatIssue(const AgsIssue& issue) {
  std::string out;
  if (issue.line > 0) out += "Line " + std::to_string(issue.line) + ": ";
  out += "Rule " + issue.rule + ": ";
  if (!issue.group.empty()) out += issue.group + " ";
  if (!issue.heading.empty()) out += issue.heading + " ";
  if (!issue.group.empty() || !issue.heading.empty()) out.back() = ':', out += ' ';
  out += issue.message;
  return out;
}

}  // namespace sq::exchange
