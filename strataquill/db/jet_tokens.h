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

// The dialect's functions under their standard SQL names (LEN is LENGTH, ...);
// "" for any other word.
std::string standardFunctionName(std::string_view upperWord);

}  // namespace sq::db::jet
