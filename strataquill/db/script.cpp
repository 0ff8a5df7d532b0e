#include "strataquill/db/script.h"

namespace sq::db {

std::vector<std::string> splitStatements(std::string_view script) {
  std::vector<std::string> statements;
  std::string current;
  char quote = 0;
  bool atLineStart = true;
  for (std::size_t i = 0; i < script.size(); ++i) {
    char c = script[i];
    if (!quote && atLineStart && c == '-' && i + 1 < script.size() && script[i + 1] == '-') {
      std::size_t eol = script.find('\n', i);
      i = eol == std::string_view::npos ? script.size() : eol;
      current += '\n';
      continue;
    }
    if (c == '\n') {
      atLineStart = true;
    } else if (c != ' ' && c != '\t' && c != '\r') {
      atLineStart = false;
    }
    if (quote) {
      if (c == quote) quote = 0;  // a doubled quote closes and reopens
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      quote = ']';
    } else if (c == ';') {
      if (current.find_first_not_of(" \t\r\n") != std::string::npos) statements.push_back(current);
      current.clear();
      continue;
    }
    current += c;
  }
  if (current.find_first_not_of(" \t\r\n") != std::string::npos) statements.push_back(current);
  return statements;
}

Status runScript(Database& database, std::string_view script) {
  for (const std::string& statement : splitStatements(script)) {
    Status s = database.execute(statement);
    if (!s.ok()) return Status::error(s.code(), s.message() + " In: " + statement);
  }
  return {};
}

}  // namespace sq::db
