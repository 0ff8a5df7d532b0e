#include "strataquill/db/jet_sql.h"

#include <string>
#include <vector>

#include "strataquill/db/jet_tokens.h"

namespace sq::db {
namespace {

using jet::isPunct;
using jet::nextSolid;
using jet::prevSolid;
using jet::Tok;
using jet::Token;
using jet::wordAt;
using jet::wordIsName;

std::string sqliteString(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

}  // namespace

std::string quoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string jetStringLiteral(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

Result<SqlStatement> translateJetSql(std::string_view jet) {
  auto parsed = jet::parse(jet);
  if (!parsed.ok()) return parsed.status();
  SqlStatement out;
  out.kind = parsed->kind;
  out.updatableTable = parsed->updatableTable;
  out.createTable = parsed->createTable;
  if (out.kind == SqlStatement::Kind::kCreateTable) return out;
  std::vector<Token>& toks = parsed->toks;

  std::string sql;
  bool inOrderBy = false;
  bool termOpen = false;
  int depth = 0;
  auto closeTerm = [&] {
    if (inOrderBy && termOpen) {
      std::size_t at = sql.find_last_not_of(" \t\r\n") + 1;
      sql.insert(at, " COLLATE " + std::string(kTextCollation));
    }
    termOpen = false;
  };
  for (std::size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    switch (t.kind) {
      case Tok::kSpace:
        sql += t.text;
        continue;
      case Tok::kBracket:
        sql += quoteIdentifier(t.text);
        break;
      case Tok::kDString:
      case Tok::kSString:
        sql += sqliteString(t.text);
        break;
      case Tok::kNumber:
        sql += t.text;
        break;
      case Tok::kPunct:
        if (t.text == "(") ++depth;
        if (t.text == ")") --depth;
        if (depth == 0 && t.text == ",") closeTerm();
        if (t.text == "&") {
          sql += "||";
        } else if (t.text == "!=") {
          sql += "<>";
        } else {
          sql += t.text;
        }
        if (inOrderBy && t.text != ",") termOpen = true;
        continue;
      case Tok::kWord: {
        const std::string u = toUpperAscii(t.text);
        if (wordIsName(toks, i)) {
          sql += quoteIdentifier(t.text);
          break;
        }
        if (u == "ASC" || u == "DESC") {
          closeTerm();
          sql += u;
          continue;
        }
        if (inOrderBy && depth == 0 && (u == "LIMIT" || u == "UNION")) {
          closeTerm();
          inOrderBy = false;
        }
        sql += jet::standardWord(u, t.text);
        jet::dropDeleteStar(toks, i);
        if (u == "BY" && wordAt(toks, prevSolid(toks, i)) == "ORDER") {
          inOrderBy = true;
          termOpen = false;
          continue;
        }
        break;
      }
    }
    if (inOrderBy) termOpen = true;
  }
  closeTerm();

  if (!out.updatableTable.empty()) {
    // Carry each row's identity so that edits find their row again.
    std::size_t at = toUpperAscii(sql).find("SELECT");
    sql.insert(at + 6, " _ROWID_ AS " + std::string(kRowIdColumn) + ",");
  }
  out.sqlite = std::move(sql);
  return out;
}

}  // namespace sq::db
