#include "strataquill/db/jet_tokens.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace sq::db::jet {
namespace {

bool isWordStart(unsigned char c) {
  return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool isWordChar(unsigned char c) {
  return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

Status syntaxError(std::string_view what) {
  return Status::error(ErrorCode::kSyntax, "Syntax error in query: " + std::string(what) + ".");
}

// Reads a run quoted by `q` that doubles `q` to include it; `i` is on the
// opening quote and ends behind the closing one.
std::optional<std::string> readQuoted(std::string_view s, std::size_t& i, char q) {
  std::string out;
  ++i;
  while (i < s.size()) {
    if (s[i] == q) {
      if (i + 1 < s.size() && s[i + 1] == q) {
        out += q;
        i += 2;
        continue;
      }
      ++i;
      return out;
    }
    out += s[i++];
  }
  return std::nullopt;
}

Result<std::vector<Token>> tokenize(std::string_view s) {
  std::vector<Token> toks;
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isspace(c)) {
      std::size_t j = i;
      while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j]))) ++j;
      toks.push_back({Tok::kSpace, std::string(s.substr(i, j - i))});
      i = j;
    } else if (c == '[') {
      std::size_t close = s.find(']', i + 1);
      if (close == std::string_view::npos) return syntaxError("missing ]");
      toks.push_back({Tok::kBracket, std::string(s.substr(i + 1, close - i - 1))});
      i = close + 1;
    } else if (c == '"' || c == '\'') {
      auto text = readQuoted(s, i, static_cast<char>(c));
      if (!text) return syntaxError("unterminated string");
      toks.push_back({c == '"' ? Tok::kDString : Tok::kSString, std::move(*text)});
    } else if (std::isdigit(c) || (c == '.' && i + 1 < s.size() &&
                                   std::isdigit(static_cast<unsigned char>(s[i + 1])) &&
                                   (toks.empty() || toks.back().text != "."))) {
      std::size_t j = i;
      while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.')) ++j;
      if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        if (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) {
          while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
          j = k;
        }
      }
      toks.push_back({Tok::kNumber, std::string(s.substr(i, j - i))});
      i = j;
    } else if (isWordStart(c)) {
      std::size_t j = i;
      while (j < s.size() && isWordChar(static_cast<unsigned char>(s[j]))) ++j;
      toks.push_back({Tok::kWord, std::string(s.substr(i, j - i))});
      i = j;
    } else {
      std::string p(1, static_cast<char>(c));
      if (i + 1 < s.size()) {
        std::string two(s.substr(i, 2));
        if (two == "<>" || two == "<=" || two == ">=" || two == "!=") p = two;
      }
      toks.push_back({Tok::kPunct, p});
      i += p.size();
    }
  }
  return toks;
}

constexpr std::array kKeywords = {
    "SELECT", "DISTINCT", "DISTINCTROW", "FROM",    "WHERE",  "AND",        "OR",      "NOT",
    "ORDER",  "BY",       "ASC",         "DESC",    "GROUP",  "HAVING",     "AS",      "IS",
    "NULL",   "LIKE",     "IN",          "BETWEEN", "INNER",  "LEFT",       "RIGHT",   "OUTER",
    "JOIN",   "ON",       "UNION",       "ALL",     "INSERT", "INTO",       "VALUES",  "UPDATE",
    "SET",    "DELETE",   "CREATE",      "TABLE",   "DROP",   "EXISTS",     "TRUE",    "FALSE",
    "MOD",    "TOP",      "ALTER",       "ADD",     "COLUMN", "CONSTRAINT", "PRIMARY", "KEY"};

constexpr std::array kAggregates = {"MAX", "MIN", "COUNT", "SUM", "AVG", "FIRST", "LAST"};
constexpr std::array kScalarFunctions = {"ABS", "LEN", "UCASE", "LCASE", "TRIM", "LTRIM", "RTRIM"};

template <std::size_t N>
bool contains(const std::array<const char*, N>& list, std::string_view word) {
  return std::any_of(list.begin(), list.end(), [&](const char* k) { return word == k; });
}

}  // namespace

// Index of the next non-blank token after `i`, or toks.size() when there is
// none. Every look-up below goes through wordAt() or isPunct(), which take
// toks.size() as "no token", so a statement that ends (or starts) anywhere
// is read as far as it goes and never beyond.
std::size_t nextSolid(const std::vector<Token>& toks, std::size_t i) {
  for (++i; i < toks.size(); ++i)
    if (toks[i].kind != Tok::kSpace) return i;
  return toks.size();
}

// Index of the last non-blank token before `i`, or toks.size() when there is
// none.
std::size_t prevSolid(const std::vector<Token>& toks, std::size_t i) {
  while (i > 0) {
    --i;
    if (toks[i].kind != Tok::kSpace) return i;
  }
  return toks.size();
}

// The upper-cased bare word at `i`; "" for any other token and for no token.
std::string wordAt(const std::vector<Token>& toks, std::size_t i) {
  return i < toks.size() && toks[i].kind == Tok::kWord ? toUpperAscii(toks[i].text) : std::string();
}

bool isPunct(const std::vector<Token>& toks, std::size_t i, std::string_view p) {
  return i < toks.size() && toks[i].kind == Tok::kPunct && toks[i].text == p;
}

// Classifies the bare words: a word next to a dot, or one that is neither a
// keyword nor a known function, is a name.
bool wordIsName(const std::vector<Token>& toks, std::size_t i) {
  const std::string u = toUpperAscii(toks[i].text);
  if (isPunct(toks, prevSolid(toks, i), ".") || isPunct(toks, nextSolid(toks, i), ".")) return true;
  if (contains(kKeywords, u)) return false;
  if ((contains(kAggregates, u) || contains(kScalarFunctions, u)) &&
      isPunct(toks, nextSolid(toks, i), "("))
    return false;
  return true;
}

namespace {

Result<TableDef> parseCreateTable(const std::vector<Token>& toks, std::size_t i) {
  // toks[i] is TABLE; expect: name ( field type [(size)] [NOT NULL], ... )
  TableDef def;
  i = nextSolid(toks, i);
  if (i >= toks.size() || (toks[i].kind != Tok::kWord && toks[i].kind != Tok::kBracket))
    return syntaxError("CREATE TABLE without a table name");
  def.name = toks[i].text;
  i = nextSolid(toks, i);
  if (!isPunct(toks, i, "(")) return syntaxError("CREATE TABLE without a field list");
  for (;;) {
    i = nextSolid(toks, i);
    if (i >= toks.size() || (toks[i].kind != Tok::kWord && toks[i].kind != Tok::kBracket))
      return syntaxError("field name expected");
    FieldDef field;
    field.name = toks[i].text;
    i = nextSolid(toks, i);
    if (i >= toks.size() || toks[i].kind != Tok::kWord) return syntaxError("field type expected");
    auto type = daoTypeFromDdlName(toks[i].text);
    if (!type) return syntaxError("unknown field type " + toks[i].text);
    field.type = *type;
    field.size = defaultFieldSize(field.type);
    i = nextSolid(toks, i);
    if (isPunct(toks, i, "(")) {
      i = nextSolid(toks, i);
      if (i >= toks.size() || toks[i].kind != Tok::kNumber) return syntaxError("field size");
      const std::string& digits = toks[i].text;
      auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), field.size);
      if (ec != std::errc() || end != digits.data() + digits.size() || field.size < 1 ||
          field.size > 255)
        return syntaxError("field size " + digits);
      i = nextSolid(toks, i);
      if (!isPunct(toks, i, ")")) return syntaxError("missing )");
      i = nextSolid(toks, i);
    }
    while (i < toks.size() && toks[i].kind == Tok::kWord) i = nextSolid(toks, i);  // NOT NULL...
    if (def.field(field.name)) return syntaxError("field " + field.name + " defined twice");
    def.fields.push_back(std::move(field));
    if (isPunct(toks, i, ",")) continue;
    if (isPunct(toks, i, ")")) break;
    return syntaxError("missing ) after the field list");
  }
  i = nextSolid(toks, i);
  while (isPunct(toks, i, ";")) i = nextSolid(toks, i);
  if (i < toks.size()) return syntaxError("text after CREATE TABLE");
  return def;
}

// Whether a SELECT reads a single table with nothing that stops a row of the
// result from standing for one row of that table; gives the table name.
std::optional<std::string> singleSourceTable(const std::vector<Token>& toks) {
  int depth = 0;
  std::optional<std::size_t> fromAt;
  for (std::size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    if (t.kind == Tok::kPunct && t.text == "(") ++depth;
    if (t.kind == Tok::kPunct && t.text == ")") --depth;
    if (t.kind != Tok::kWord || wordIsName(toks, i)) continue;
    const std::string u = toUpperAscii(t.text);
    if (u == "DISTINCT" || u == "DISTINCTROW" || u == "GROUP" || u == "UNION" || u == "JOIN" ||
        u == "TOP")
      return std::nullopt;
    if (contains(kAggregates, u) && isPunct(toks, nextSolid(toks, i), "(")) return std::nullopt;
    if (u == "FROM" && depth == 0 && !fromAt) fromAt = i;
  }
  if (!fromAt) return std::nullopt;
  std::size_t i = nextSolid(toks, *fromAt);
  if (i >= toks.size() || (toks[i].kind != Tok::kWord && toks[i].kind != Tok::kBracket))
    return std::nullopt;
  std::string table = toks[i].text;
  std::size_t after = nextSolid(toks, i);
  if (after < toks.size()) {
    const std::string u = wordAt(toks, after);
    bool ends = isPunct(toks, after, ";") || u == "WHERE" || u == "ORDER";
    if (!ends) return std::nullopt;
  }
  return table;
}


}  // namespace

Result<Parsed> parse(std::string_view jet) {
  auto tokenized = tokenize(jet);
  if (!tokenized.ok()) return tokenized.status();
  std::vector<Token>& toks = tokenized.value();

  // Drop a trailing ";" (and blanks); anything behind it is a second
  // statement, which is not supported.
  std::size_t end = toks.size();
  for (std::size_t i = 0; i < toks.size(); ++i) {
    if (isPunct(toks, i, ";")) {
      for (std::size_t j = i + 1; j < toks.size(); ++j)
        if (toks[j].kind != Tok::kSpace && !isPunct(toks, j, ";"))
          return syntaxError("characters found after end of SQL statement");
      end = i;
      break;
    }
  }
  toks.resize(end);

  Parsed out;
  std::size_t first = toks.empty() || toks[0].kind != Tok::kSpace ? 0 : nextSolid(toks, 0);
  if (first >= toks.size()) return syntaxError("empty statement");
  std::size_t verbAt = first;
  while (isPunct(toks, verbAt, "(")) verbAt = nextSolid(toks, verbAt);
  const std::string verb = wordAt(toks, verbAt);
  // Only the dialect's own statements reach the engine: anything else
  // (ATTACH, PRAGMA, VACUUM INTO, ...) could reach files or settings that
  // a query has no business with.
  const bool tableDdl =
      (verb == "DROP" || verb == "ALTER") && wordAt(toks, nextSolid(toks, verbAt)) == "TABLE";
  if (verb != "SELECT" && verb != "INSERT" && verb != "UPDATE" && verb != "DELETE" &&
      verb != "CREATE" && !tableDdl)
    return Status::error(ErrorCode::kSyntax,
                         "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', "
                         "'SELECT', or 'UPDATE'.");
  if (verb == "CREATE") {
    std::size_t t = nextSolid(toks, first);
    if (wordAt(toks, t) == "TABLE") {
      auto def = parseCreateTable(toks, t);
      if (!def.ok()) return def.status();
      out.kind = SqlStatement::Kind::kCreateTable;
      out.createTable = std::move(def.value());
      out.toks = std::move(toks);
      return out;
    }
    return syntaxError("only CREATE TABLE is supported");
  }
  if (verb == "SELECT") {
    out.kind = SqlStatement::Kind::kSelect;
    if (auto table = singleSourceTable(toks)) out.updatableTable = *table;
  }

  out.toks = std::move(toks);
  return out;
}

std::string standardWord(std::string_view u, const std::string& written) {
  if (u == "DISTINCTROW") return "DISTINCT";
  if (u == "TRUE") return "-1";
  if (u == "FALSE") return "0";
  if (u == "LEN") return "LENGTH";
  if (u == "UCASE") return "UPPER";
  if (u == "LCASE") return "LOWER";
  if (u == "MOD") return "%";
  return written;
}

void dropDeleteStar(std::vector<Token>& toks, std::size_t i) {
  if (wordAt(toks, i) != "DELETE") return;
  std::size_t n = nextSolid(toks, i);
  if (isPunct(toks, n, "*")) toks[n] = {Tok::kSpace, ""};
}

}  // namespace sq::db::jet
