#include "strataquill/db/server_address.h"

#include <libpq-fe.h>

#include <cctype>
#include <vector>

namespace sq::db {
namespace {

constexpr std::size_t kLongestName = 63;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> percentDecode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    const int hi = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
    const int lo = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

Status badAddress(const std::string& why) {
  return Status::error(ErrorCode::kConnectionFailed, "Not a server address: " + why);
}

// Splits "a=b&c=d" into its parameters, kept as written.
std::vector<std::string> splitQuery(std::string_view query) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= query.size()) {
    std::size_t amp = query.find('&', start);
    if (amp == std::string_view::npos) amp = query.size();
    if (amp > start) parts.emplace_back(query.substr(start, amp - start));
    start = amp + 1;
  }
  return parts;
}

std::string keyOf(std::string_view parameter) {
  return std::string(parameter.substr(0, parameter.find('=')));
}

}  // namespace

bool isServerAddress(std::string_view path) {
  return path.starts_with("postgresql://") || path.starts_with("postgres://");
}

std::string percentEncode(std::string_view text) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

Result<ServerAddress> ServerAddress::parse(std::string_view address) {
  if (!isServerAddress(address))
    return badAddress("it must begin with postgresql://");
  ServerAddress out;
  const std::size_t question = address.find('?');
  std::string rest(address.substr(0, question));
  std::vector<std::string> kept;
  bool named = false;
  if (question != std::string_view::npos) {
    for (std::string& parameter : splitQuery(address.substr(question + 1))) {
      if (keyOf(parameter) != "project") {
        kept.push_back(std::move(parameter));
        continue;
      }
      auto name = percentDecode(std::string_view(parameter).substr(8));
      if (!name) return badAddress("the project name is not percent-encoded correctly");
      if (named) return badAddress("it names more than one project");
      named = true;
      out.project = std::move(*name);
    }
  }
  if (named && out.project.empty()) return badAddress("the project name is empty");
  if (out.project.size() > kLongestName)
    return badAddress("a project name may be at most 63 bytes long");
  if (out.project.find('\0') != std::string::npos)
    return badAddress("a project name cannot hold a zero byte");
  out.connection = rest;
  for (std::size_t i = 0; i < kept.size(); ++i) out.connection += (i ? "&" : "?") + kept[i];

  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(out.connection.c_str(), &error);
  if (!options) {
    std::string why = error ? error : "libpq cannot read it";
    PQfreemem(error);
    while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
    return badAddress(why);
  }
  PQconninfoFree(options);
  return out;
}

std::string ServerAddress::withoutPassword() const {
  std::string_view uri = connection;
  const std::size_t scheme = uri.find("://") + 3;
  std::size_t authorityEnd = uri.find_first_of("/?", scheme);
  if (authorityEnd == std::string_view::npos) authorityEnd = uri.size();
  std::string out(uri.substr(0, scheme));
  std::string_view authority = uri.substr(scheme, authorityEnd - scheme);
  const std::size_t at = authority.rfind('@');
  if (at != std::string_view::npos) {
    std::string_view userinfo = authority.substr(0, at);
    out += userinfo.substr(0, userinfo.find(':'));
    out += authority.substr(at);
  } else {
    out += authority;
  }
  const std::size_t question = uri.find('?', authorityEnd);
  out += uri.substr(authorityEnd, question == std::string_view::npos ? std::string_view::npos
                                                                     : question - authorityEnd);
  std::vector<std::string> kept;
  if (question != std::string_view::npos)
    for (std::string& parameter : splitQuery(uri.substr(question + 1)))
      if (keyOf(parameter) != "password") kept.push_back(std::move(parameter));
  if (!project.empty()) kept.push_back("project=" + percentEncode(project));
  for (std::size_t i = 0; i < kept.size(); ++i) out += (i ? "&" : "?") + kept[i];
  return out;
}

ServerAddress ServerAddress::withProject(std::string_view name) const {
  ServerAddress out = *this;
  out.project = std::string(name);
  return out;
}

ServerAddress ServerAddress::withPassword(std::string_view password) const {
  ServerAddress out = *this;
  const std::size_t question = connection.find('?');
  out.connection = connection.substr(0, question);
  std::vector<std::string> kept;
  if (question != std::string::npos)
    for (std::string& parameter : splitQuery(std::string_view(connection).substr(question + 1)))
      if (keyOf(parameter) != "password") kept.push_back(std::move(parameter));
  kept.push_back("password=" + percentEncode(password));
  for (std::size_t i = 0; i < kept.size(); ++i) out.connection += (i ? "&" : "?") + kept[i];
  return out;
}

std::string ServerAddress::text() const {
  if (project.empty()) return connection;
  return connection + (connection.find('?') == std::string::npos ? "?" : "&") +
         "project=" + percentEncode(project);
}

}  // namespace sq::db
