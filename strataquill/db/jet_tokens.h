#pragma once

// Internal to db/: the desktop SQL dialect read into tokens, shared by the
// translations into SQLite's and PostgreSQL's dialects.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "strataquill/db/field_def.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/db/status.h"

namespace sq::db::jet {

enum class Tok { kWord, kBracket, kDString, kSString, kNumber, kPunct, kSpace };

struct Token {
  Tok kind;
  std::string text;  // words: as written; names and strings: the content
};

// A statement read and checked: its tokens without the trailing ";", what
// kind it is, and for CREATE TABLE the definition.
struct Parsed {
  std::vector<Token> toks;
  SqlStatement::Kind kind = SqlStatement::Kind::kOther;
  std::string updatableTable;
  TableDef createTable;
};

// Refuses anything but the dialect's own statements.
Result<Parsed> parse(std::string_view jet);

// Index of the next (previous) non-blank token, toks.size() when none.
std::size_t nextSolid(const std::vector<Token>& toks, std::size_t i);
std::size_t prevSolid(const std::vector<Token>& toks, std::size_t i);
// The upper-cased bare word at `i`; "" for any other token and for no token.
std::string wordAt(const std::vector<Token>& toks, std::size_t i);
bool isPunct(const std::vector<Token>& toks, std::size_t i, std::string_view p);
// Whether the bare word at `i` names a table or field rather than being a
// keyword or a function.
bool wordIsName(const std::vector<Token>& toks, std::size_t i);

// A keyword or function of the dialect as standard SQL writes it (True is
// -1, LEN is LENGTH, MOD is %, ...); any other word as `written`.
std::string standardWord(std::string_view upperWord, const std::string& written);

// Drops the "*" of "DELETE * FROM" after the DELETE at `i`.
void dropDeleteStar(std::vector<Token>& toks, std::size_t i);

}  // namespace sq::db::jet
