#include "strataquill/db/pg_sql.h"

#include <optional>

#include "strataquill/db/jet_tokens.h"
#include "strataquill/db/text_collation.h"

namespace sq::db {
namespace {

using jet::isPunct;
using jet::nextSolid;
using jet::prevSolid;
using jet::Tok;
using jet::Token;
using jet::wordAt;
using jet::wordIsName;

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The two arguments of translate() that fold as foldForSorting() does; the
// folded characters all lie below U+0500.
const std::pair<std::string, std::string>& foldTable() {
  static const std::pair<std::string, std::string> table = [] {
    std::pair<std::string, std::string> t;
    for (char32_t c = 1; c < 0x500; ++c) {
      const char32_t folded = foldForSorting(c);
      if (folded == c) continue;
      appendUtf8(t.first, c);
      appendUtf8(t.second, folded);
    }
    return t;
  }();
  return table;
}

class Names {
 public:
  explicit Names(const std::vector<PgTable>& tables) : tables_(tables) {}

  const PgTable* table(std::string_view name) const {
    const PgTable* caseless = nullptr;
    for (const PgTable& t : tables_) {
      if (t.def.name == name) return &t;
      if (!caseless && equalsIgnoreCase(t.def.name, name)) caseless = &t;
    }
    return caseless;
  }

  // A field of the tables that the statement names first, then of any.
  const FieldDef* field(std::string_view name, const std::vector<const PgTable*>& named) const {
    for (const PgTable* t : named)
      if (const FieldDef* f = t->def.field(name)) return f;
    for (const PgTable& t : tables_)
      if (const FieldDef* f = t.def.field(name)) return f;
    return nullptr;
  }

 private:
  const std::vector<PgTable>& tables_;
};

bool isNameToken(const std::vector<Token>& toks, std::size_t i) {
  return i < toks.size() &&
         (toks[i].kind == Tok::kBracket || (toks[i].kind == Tok::kWord && wordIsName(toks, i)));
}

}  // namespace

std::string pgSortKey(const std::string& expression) {
  const auto& [from, to] = foldTable();
  return "translate(" + expression + ", '" + from + "', '" + to + "') COLLATE \"C\"";
}

Result<PgStatement> translateJetSqlForPostgres(std::string_view jet,
                                               const std::vector<PgTable>& tables) {
  auto parsed = jet::parse(jet);
  if (!parsed.ok()) return parsed.status();
  PgStatement out;
  out.kind = parsed->kind;
  out.createTable = parsed->createTable;
  if (out.kind == SqlStatement::Kind::kCreateTable) return out;
  std::vector<Token>& toks = parsed->toks;
  const Names names(tables);

  std::vector<const PgTable*> named;
  for (std::size_t i = 0; i < toks.size(); ++i)
    if (isNameToken(toks, i))
      if (const PgTable* t = names.table(toks[i].text)) named.push_back(t);
  if (!parsed->updatableTable.empty()) {
    const PgTable* t = names.table(parsed->updatableTable);
    if (t && t->hasRowId) out.updatableTable = t->def.name;
  }

  // The stored spelling of a name: a table's, else a field's of the tables
  // named, else as written (an alias).
  auto spelled = [&](std::size_t i) -> std::string {
    const std::string& text = toks[i].text;
    const bool qualifier = isPunct(toks, nextSolid(toks, i), ".");
    const bool qualified = isPunct(toks, prevSolid(toks, i), ".");
    if (!qualified)
      if (const PgTable* t = names.table(text)) return t->def.name;
    if (!qualifier)
      if (const FieldDef* f = names.field(text, named)) return f->name;
    return text;
  };

  std::string sql;
  bool inOrderBy = false;
  // The ORDER BY term being written: where it starts, and whether it is a
  // bare field reference ([Table].Field or Field) of a text field.
  std::size_t termStart = 0;
  bool termOpen = false, termSimple = true, termText = false;
  int depth = 0;
  auto startTerm = [&] {
    termStart = sql.size();
    termOpen = false;
    termSimple = true;
    termText = false;
  };
  // Closes the term; `direction` is "ASC", "DESC" or "" (ascending).
  auto closeTerm = [&](std::string_view direction) {
    if (!inOrderBy || !termOpen) return;
    std::size_t end = sql.find_last_not_of(" \t\r\n") + 1;
    // Blanks before a direction word go with the word, which this writes.
    std::string tail = direction.empty() ? sql.substr(end) : std::string();
    std::string term = sql.substr(termStart, end - termStart);
    const std::size_t lead = term.find_first_not_of(" \t\r\n");
    std::string blanks = term.substr(0, lead);
    term = term.substr(lead);
    if (termSimple && termText) term = pgSortKey(term);
    if (!direction.empty()) term += " " + std::string(direction);
    term += direction == "DESC" ? " NULLS LAST" : " NULLS FIRST";
    sql = sql.substr(0, termStart) + blanks + term + tail;
    termOpen = false;
  };

  for (std::size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    switch (t.kind) {
      case Tok::kSpace:
        sql += t.text;
        continue;
      case Tok::kBracket:
      case Tok::kWord: {
        if (t.kind == Tok::kBracket || wordIsName(toks, i)) {
          const std::string name = spelled(i);
          sql += quoteIdentifier(name);
          if (inOrderBy && !isPunct(toks, nextSolid(toks, i), ".")) {
            const FieldDef* f = names.field(name, named);
            termText = f && f->isTextual();
          }
          break;
        }
        const std::string u = toUpperAscii(t.text);
        if (u == "ASC" || u == "DESC") {
          closeTerm(u);
          continue;
        }
        if (inOrderBy && depth == 0 && (u == "LIMIT" || u == "UNION")) {
          closeTerm("");
          inOrderBy = false;
        }
        if (inOrderBy) termSimple = false;
        sql += jet::standardWord(u, t.text);
        jet::dropDeleteStar(toks, i);
        if (u == "BY" && wordAt(toks, prevSolid(toks, i)) == "ORDER") {
          inOrderBy = true;
          startTerm();
          continue;
        }
        break;
      }
      case Tok::kDString:
      case Tok::kSString: {
        out.params.push_back(Value::text(t.text));
        sql += "$" + std::to_string(out.params.size());
        // Joined texts need a type the server cannot guess from a column.
        if (isPunct(toks, prevSolid(toks, i), "&") || isPunct(toks, nextSolid(toks, i), "&"))
          sql += "::text";
        if (inOrderBy) termSimple = false;
        break;
      }
      case Tok::kNumber:
        sql += t.text;
        if (inOrderBy) termSimple = false;
        break;
      case Tok::kPunct:
        if (t.text == "(") ++depth;
        if (t.text == ")") --depth;
        if (inOrderBy && depth == 0 && t.text == ",") {
          closeTerm("");
          sql += ",";
          startTerm();
          continue;
        }
        if (t.text == "&") {
          sql += "||";
        } else if (t.text == "!=") {
          sql += "<>";
        } else {
          sql += t.text;
        }
        if (inOrderBy && t.text != ".") termSimple = false;
        if (inOrderBy) termOpen = true;
        continue;
    }
    if (inOrderBy) termOpen = true;
  }
  closeTerm("");

  if (!out.updatableTable.empty()) {
    // Carry each row's identity and version so that edits find their row
    // again and notice when someone else changed it.
    std::size_t at = toUpperAscii(sql).find("SELECT");
    sql.insert(at + 6, " " + quoteIdentifier(kPgRowIdColumn) + ", xmin::text::bigint AS " +
                           quoteIdentifier(kPgVersionColumn) + ",");
  }
  out.sql = std::move(sql);
  return out;
}

}  // namespace sq::db
