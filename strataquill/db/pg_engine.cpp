#include "strataquill/db/pg_engine.h"

#include <poll.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "strataquill/db/jet_sql.h"
#include "strataquill/db/text_collation.h"

namespace sq::db {
namespace {

constexpr const char* kPropertyTable = "__dao_field_properties";
constexpr const char* kChangeFunction = "__sq_row_changed";
constexpr const char* kChangeTrigger = "__sq_changes";

// Type numbers of the server's built-in types, fixed by the server.
constexpr Oid kBoolOid = 16, kByteaOid = 17, kInt8Oid = 20, kInt2Oid = 21, kInt4Oid = 23,
              kTextOid = 25, kFloat4Oid = 700, kFloat8Oid = 701, kBpcharOid = 1042,
              kVarcharOid = 1043, kDateOid = 1082, kTimestampOid = 1114, kNumericOid = 1700;

std::string pgTypeFor(const FieldDef& f) {
  switch (f.type) {
    case DaoType::kBoolean:
    case DaoType::kByte:
    case DaoType::kInteger:
      return "smallint";
    case DaoType::kLong:
      return "integer";
    case DaoType::kCurrency:
      return "numeric(19,4)";
    case DaoType::kSingle:
      return "real";
    case DaoType::kDouble:
      return "double precision";
    case DaoType::kDate:
      return "timestamp";
    case DaoType::kText:
      return "varchar(" + std::to_string(f.size > 0 ? std::min(f.size, 255) : 50) + ")";
    case DaoType::kLongBinary:
      return "bytea";
    case DaoType::kMemo:
      return "text";
  }
  return "text";
}

// A field as the server describes its column; `daoType` is the type code
// the bookkeeping table remembers (0 when it has none).
FieldDef fieldFromColumn(std::string name, Oid type, int typmod, int daoType) {
  FieldDef f;
  f.name = std::move(name);
  static constexpr std::pair<Oid, DaoType> kTypes[] = {
      {kBoolOid, DaoType::kBoolean},    {kInt2Oid, DaoType::kInteger},
      {kInt4Oid, DaoType::kLong},       {kInt8Oid, DaoType::kLong},
      {kFloat4Oid, DaoType::kSingle},   {kFloat8Oid, DaoType::kDouble},
      {kNumericOid, DaoType::kCurrency}, {kDateOid, DaoType::kDate},
      {kTimestampOid, DaoType::kDate},  {kByteaOid, DaoType::kLongBinary}};
  f.type = DaoType::kMemo;
  for (const auto& [oid, dao] : kTypes)
    if (oid == type) f.type = dao;
  if ((type == kVarcharOid || type == kBpcharOid) && typmod > 4) f.type = DaoType::kText;
  // Small whole numbers stand for three codes; the bookkeeping tells which.
  if (type == kInt2Oid &&
      (daoType == static_cast<int>(DaoType::kBoolean) || daoType == static_cast<int>(DaoType::kByte)))
    f.type = static_cast<DaoType>(daoType);
  f.size = defaultFieldSize(f.type);
  if (f.type == DaoType::kText) f.size = std::min(typmod - 4, 255);
  return f;
}

Value readValue(const PGresult* r, int row, int column, DaoType type) {
  if (PQgetisnull(r, row, column)) return Value::null();
  const char* text = PQgetvalue(r, row, column);
  const int length = PQgetlength(r, row, column);
  const Oid oid = PQftype(r, column);
  auto number = [&]() -> std::optional<double> {
    std::string_view s(text, length);
    if (s == "NaN") return std::numeric_limits<double>::quiet_NaN();
    if (s == "Infinity") return std::numeric_limits<double>::infinity();
    if (s == "-Infinity") return -std::numeric_limits<double>::infinity();
    double d = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return d;
  };
  switch (oid) {
    case kFloat4Oid: {
      std::string_view s(text, length);
      float f = 0;
      auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), f);
      if (ec == std::errc() && end == s.data() + s.size()) return Value::single(f);
      if (auto d = number()) return Value::single(static_cast<float>(*d));
      break;
    }
    case kFloat8Oid:
    case kNumericOid:
      if (auto d = number()) {
        if (type == DaoType::kSingle) return Value::single(static_cast<float>(*d));
        return Value::real(*d);
      }
      break;
    case kInt2Oid:
    case kInt4Oid:
    case kInt8Oid: {
      std::int64_t v = 0;
      auto [end, ec] = std::from_chars(text, text + length, v);
      if (ec == std::errc() && end == text + length) {
        if (type == DaoType::kSingle) return Value::single(static_cast<float>(v));
        if (type == DaoType::kDouble) return Value::real(static_cast<double>(v));
        return Value::integer(v);
      }
      break;
    }
    case kBoolOid:
      return Value::integer(text[0] == 't' ? -1 : 0);
    default:
      break;
  }
  return Value::text(std::string(text, length));
}

// libpq's messages run over several lines, the later ones indented with a
// tab; in a message box and a log they read as one sentence.
std::string trimmed(const std::string& s) {
  std::string out;
  for (char c : s) {
    const bool blank = c == ' ' || c == '\n' || c == '\t' || c == '\r';
    if (!blank)
      out += c;
    else if (!out.empty() && out.back() != ' ')
      out += ' ';
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string quotedList(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + quoteIdentifier(names[i]);
  return out;
}

std::string rowIdAndVersion() {
  return quoteIdentifier(kPgRowIdColumn) + ", xmin::text::bigint AS " +
         quoteIdentifier(kPgVersionColumn);
}

Status notAProject(const std::string& name) {
  return Status::error(ErrorCode::kFileNotFound,
                       "Could not find the project '" + name + "' on the server.");
}

}  // namespace

Result<std::unique_ptr<PgEngine>> PgEngine::open(const std::string& address, Project project) {
  auto parsed = ServerAddress::parse(address);
  if (!parsed.ok()) return parsed.status();
  if (project != Project::kNone && parsed->project.empty())
    return Status::error(ErrorCode::kConnectionFailed,
                         "The address names no project: add ?project=NAME to it.");
  // Keywords before the address are defaults the address may override.
  const char* keywords[] = {"connect_timeout", "fallback_application_name", "dbname", nullptr};
  const char* values[] = {"10", "strataquill", parsed->connection.c_str(), nullptr};
  PGconn* conn = PQconnectdbParams(keywords, values, 1);
  if (!conn || PQstatus(conn) != CONNECTION_OK) {
    std::string why = conn ? trimmed(PQerrorMessage(conn)) : "out of memory";
    PQfinish(conn);
    return Status::error(ErrorCode::kConnectionFailed,
                         "Cannot connect to the database server: " + why);
  }
  std::unique_ptr<PgEngine> engine(new PgEngine(conn, std::move(parsed.value())));
  if (Status s = engine->setUpSession(); !s.ok()) return s;
  if (project == Project::kMustExist && !engine->projectExists())
    return notAProject(engine->address_.project);
  return engine;
}

PgEngine::~PgEngine() {
  PQfinish(conn_);
}

Status PgEngine::setUpSession() {
  PQsetClientEncoding(conn_, "UTF8");
  // The schema of the project is where its tables are found and made.
  const std::string path =
      address_.project.empty() ? "public" : quoteIdentifier(address_.project);
  auto r = query(
      "SELECT set_config('search_path', $1, false), set_config('extra_float_digits', '3', false), "
      "set_config('standard_conforming_strings', 'on', false), "
      "set_config('lock_timeout', '10s', false), set_config('DateStyle', 'ISO, YMD', false), "
      "set_config('client_min_messages', 'warning', false)",
      {Value::text(path)});
  if (!r.ok()) return r.status();
  cache_.reset();
  if (!address_.project.empty()) {
    if (Status s = checkWritable(); !s.ok()) return s;
  }
  if (!channel_.empty()) {
    if (auto l = query("LISTEN " + quoteIdentifier(channel_)); !l.ok()) return l.status();
  }
  return {};
}

Status PgEngine::checkWritable() {
  // Read-only when the server is, or when any table of the project may not
  // be changed by this user.
  auto r = query(
      "SELECT coalesce(bool_and(has_table_privilege(c.oid, 'INSERT') AND "
      "has_table_privilege(c.oid, 'UPDATE') AND has_table_privilege(c.oid, 'DELETE')), "
      "has_schema_privilege(n.oid, 'CREATE')) AND "
      "NOT current_setting('transaction_read_only')::bool "
      "FROM pg_namespace n LEFT JOIN pg_class c ON c.relnamespace = n.oid AND c.relkind = 'r' "
      "WHERE n.nspname = $1 GROUP BY n.oid",
      {Value::text(address_.project)});
  if (!r.ok()) return r.status();
  readOnly_ = PQntuples(r->get()) == 1 && PQgetvalue(r->get(), 0, 0)[0] != 't';
  return {};
}

Status PgEngine::reconnect() {
  PQreset(conn_);
  if (PQstatus(conn_) != CONNECTION_OK)
    return Status::error(ErrorCode::kConnectionFailed,
                         "Cannot connect to the database server: " +
                             trimmed(PQerrorMessage(conn_)));
  transactionLost();
  // The server forgot the old connection's names in use with it.
  const std::string inUse = std::exchange(inUse_, std::string());
  if (Status s = setUpSession(); !s.ok()) return s;
  return markInUse(inUse);
}

Status PgEngine::statusOf(const PGresult* result, bool writes) {
  if (PQstatus(conn_) == CONNECTION_BAD) {
    transactionLost();
    return Status::error(ErrorCode::kConnectionLost,
                         "The connection to the database server was lost: " +
                             trimmed(PQerrorMessage(conn_)));
  }
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  const std::string message =
      primary ? std::string(primary) : trimmed(PQerrorMessage(conn_));
  const std::string code = state ? state : "";
  if (code.starts_with("08") || code == "57P01" || code == "57P02" || code == "57P03") {
    transactionLost();
    return Status::error(ErrorCode::kConnectionLost,
                         "The connection to the database server was lost: " + message);
  }
  if (code == "42501")
    return Status::error(ErrorCode::kNoPermission,
                         writes ? "The server does not let you change this project (" + message +
                                      ")."
                                : "The server does not let you read this (" + message + ").");
  if (code == "25006")
    return Status::error(ErrorCode::kReadOnly,
                         "Cannot update.  The server holds this project read-only.");
  if (code == "40001" || code == "40P01")
    return Status::error(ErrorCode::kWriteConflict,
                         "Another user was changing the same rows at the same moment; "
                         "nothing of this change was written (" + message + ").");
  if (code == "55P03")
    return Status::error(ErrorCode::kLocked,
                         "Another user's save holds these rows; try again in a moment.");
  if (code == "42P01") return Status::error(ErrorCode::kNoSuchTable, message);
  if (code == "42P07" || code == "42P06") return Status::error(ErrorCode::kTableExists, message);
  if (code == "42701") return Status::error(ErrorCode::kFieldExists, message);
  if (code == "42601") return Status::error(ErrorCode::kSyntax, message);
  if (code == "22001")
    return Status::error(ErrorCode::kFieldTooSmall,
                         "The field is too small to accept the amount of data you attempted to "
                         "add.  Try inserting or pasting less data.");
  if (code == "22P02" || code == "22021" || code == "22003")
    return Status::error(ErrorCode::kConversion, "Data type conversion error.");
  return Status::error(ErrorCode::kGeneric, message);
}

Result<PgEngine::PgResult> PgEngine::query(const std::string& sql, const std::vector<Value>& params,
                                         bool writes) {
  std::vector<std::string> texts;
  texts.reserve(params.size());
  std::vector<const char*> pointers;
  for (const Value& v : params) {
    texts.push_back(v.toString());
    if (texts.back().find('\0') != std::string::npos)
      return Status::error(ErrorCode::kConversion,
                           "Text with a zero byte in it cannot be stored on the server.");
  }
  for (std::size_t i = 0; i < params.size(); ++i)
    pointers.push_back(params[i].isNull() ? nullptr : texts[i].c_str());
  PgResult r(PQexecParams(conn_, sql.c_str(), static_cast<int>(pointers.size()), nullptr,
                          pointers.data(), nullptr, nullptr, 0));
  const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
    return statusOf(r.get(), writes);
  return r;
}

Result<PgEngine::PgResult> PgEngine::runStep(const std::string& sql,
                                             const std::vector<Value>& params) {
  if (!inTransaction()) return query(sql, params, true);
  if (auto s = query("SAVEPOINT sq_step"); !s.ok()) return s.status();
  auto r = query(sql, params, true);
  if (!r.ok() && r.status().code() != ErrorCode::kConnectionLost) query("ROLLBACK TO SAVEPOINT sq_step");
  if (inTransaction()) query("RELEASE SAVEPOINT sq_step");
  return r;
}

Status PgEngine::allOrNothing(const std::vector<std::string>& statements,
                              const std::vector<std::vector<Value>>& values) {
  const bool own = !inTransaction();
  if (Status s = own ? begin(TransactionMode::kWrite) : Status(); !s.ok()) return s;
  if (!own) {
    if (auto s = query("SAVEPOINT sq_step"); !s.ok()) return s.status();
  }
  Status s;
  for (std::size_t i = 0; i < statements.size() && s.ok(); ++i) {
    auto r = query(statements[i], i < values.size() ? values[i] : std::vector<Value>(), true);
    if (!r.ok()) s = r.status();
  }
  cache_.reset();
  if (own) {
    if (s.ok()) return commit();
    if (inTransaction()) rollback();
    return s;
  }
  if (!s.ok() && inTransaction()) query("ROLLBACK TO SAVEPOINT sq_step");
  if (inTransaction()) query("RELEASE SAVEPOINT sq_step");
  return s;
}

std::string PgEngine::literal(const std::string& text) const {
  char* escaped = PQescapeLiteral(conn_, text.c_str(), text.size());
  std::string out = escaped ? escaped : "NULL";
  PQfreemem(escaped);
  return out;
}

bool PgEngine::projectExists() {
  auto r = query(
      "SELECT 1 FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
      "WHERE n.nspname = $1 AND c.relname = $2 AND c.relkind = 'r'",
      {Value::text(address_.project), Value::text(kPropertyTable)});
  return r.ok() && PQntuples(r->get()) == 1;
}

Status PgEngine::createProject(bool replace) {
  auto exists = query("SELECT 1 FROM pg_namespace WHERE nspname = $1",
                    {Value::text(address_.project)});
  if (!exists.ok()) return exists.status();
  const bool schemaExists = PQntuples(exists->get()) == 1;
  const std::string schema = quoteIdentifier(address_.project);
  if (schemaExists && !replace)
    return Status::error(ErrorCode::kTableExists,
                         "The project '" + address_.project + "' already exists on the server.");
  // Only a project is ever dropped: a schema of anything else is left alone.
  if (schemaExists && !projectExists())
    return Status::error(ErrorCode::kTableExists,
                         "The schema '" + address_.project +
                             "' on the server is not a Strataquill project; it is left alone.");
  std::vector<std::string> steps;
  if (schemaExists) steps.push_back("DROP SCHEMA " + schema + " CASCADE");
  steps.push_back("CREATE SCHEMA " + schema);
  steps.push_back("CREATE TABLE " + schema + "." + quoteIdentifier(kPropertyTable) +
                  " (table_name text NOT NULL, field_name text NOT NULL, dao_type integer, "
                  "allow_zero_length integer NOT NULL DEFAULT 0, "
                  "PRIMARY KEY (table_name, field_name))");
  // Reports every change of a watched table's rows on the project's own
  // channel: K (a key appeared, vanished or was renamed) or R (rows of the
  // key changed), the table name's length in bytes, ':', the table name,
  // then the key.
  steps.push_back("CREATE FUNCTION " + schema + "." + quoteIdentifier(kChangeFunction) +
                  "() RETURNS trigger LANGUAGE plpgsql AS $body$\n"
                  "DECLARE\n"
                  "  k text := TG_ARGV[0];\n"
                  "  ch text := 'sq_' || md5(TG_TABLE_SCHEMA);\n"
                  "  t text := octet_length(TG_TABLE_NAME) || ':' || TG_TABLE_NAME;\n"
                  "  o text;\n"
                  "  n text;\n"
                  "BEGIN\n"
                  "  IF TG_OP <> 'INSERT' THEN o := coalesce(to_jsonb(OLD) ->> k, ''); END IF;\n"
                  "  IF TG_OP <> 'DELETE' THEN n := coalesce(to_jsonb(NEW) ->> k, ''); END IF;\n"
                  "  IF o IS NOT NULL THEN\n"
                  "    PERFORM pg_notify(ch, CASE WHEN o IS DISTINCT FROM n THEN 'K' ELSE 'R' "
                  "END || t || o);\n"
                  "  END IF;\n"
                  "  IF n IS NOT NULL AND n IS DISTINCT FROM o THEN\n"
                  "    PERFORM pg_notify(ch, 'K' || t || n);\n"
                  "  END IF;\n"
                  "  RETURN NULL;\n"
                  "END\n"
                  "$body$");
  Status s = allOrNothing(steps);
  if (s.ok()) s = checkWritable();
  return s;
}

Result<std::vector<std::string>> PgEngine::listProjects() {
  auto r = query(
      "SELECT n.nspname FROM pg_namespace n JOIN pg_class c ON c.relnamespace = n.oid "
      "WHERE c.relname = $1 AND c.relkind = 'r' AND has_schema_privilege(n.oid, 'USAGE')",
      {Value::text(kPropertyTable)});
  if (!r.ok()) return r.status();
  std::vector<std::string> names;
  for (int i = 0; i < PQntuples(r->get()); ++i) names.emplace_back(PQgetvalue(r->get(), i, 0));
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int c = compareTextForSorting(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  return names;
}

Result<std::vector<PgEngine::Table>> PgEngine::readSchema() {
  auto r = query(
      "SELECT c.oid, c.relname, a.attnum, a.attname, a.atttypid, a.atttypmod, "
      "coalesce(p.dao_type, 0), coalesce(p.allow_zero_length, 0) "
      "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
      "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
      "LEFT JOIN " + quoteIdentifier(address_.project) + "." + quoteIdentifier(kPropertyTable) +
          " p ON p.table_name = c.relname AND p.field_name = a.attname "
          "WHERE n.nspname = $1 AND c.relkind IN ('r', 'p') AND left(c.relname, 5) <> '__dao' "
          "ORDER BY c.oid, a.attnum",
      {Value::text(address_.project)});
  if (!r.ok()) return r.status();
  std::vector<Table> tables;
  const PGresult* res = r->get();
  for (int i = 0; i < PQntuples(res); ++i) {
    const unsigned oid = static_cast<unsigned>(std::strtoul(PQgetvalue(res, i, 0), nullptr, 10));
    if (tables.empty() || tables.back().oid != oid) {
      tables.emplace_back();
      tables.back().oid = oid;
      tables.back().shape.def.name = PQgetvalue(res, i, 1);
    }
    Table& t = tables.back();
    const int number = std::atoi(PQgetvalue(res, i, 2));
    const std::string name = PQgetvalue(res, i, 3);
    if (static_cast<int>(t.columnsByNumber.size()) <= number) t.columnsByNumber.resize(number + 1);
    t.columnsByNumber[number] = name;
    if (name == kPgRowIdColumn) {
      t.shape.hasRowId = true;
      continue;
    }
    FieldDef f = fieldFromColumn(name, static_cast<Oid>(std::strtoul(PQgetvalue(res, i, 4), nullptr, 10)),
                                 std::atoi(PQgetvalue(res, i, 5)), std::atoi(PQgetvalue(res, i, 6)));
    f.allowZeroLength = f.isTextual() && std::atoi(PQgetvalue(res, i, 7)) != 0;
    t.shape.def.fields.push_back(std::move(f));
  }
  return tables;
}

const std::vector<PgEngine::Table>& PgEngine::tables() {
  if (!cache_) {
    auto read = readSchema();
    cache_ = read.ok() ? std::move(read.value()) : std::vector<Table>();
  }
  return *cache_;
}

const PgEngine::Table* PgEngine::cachedTable(const std::string& name) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    for (const Table& t : tables())
      if (t.shape.def.name == name) return &t;
    cache_.reset();  // made since the cache was read, perhaps by someone else
  }
  return nullptr;
}

std::vector<std::string> PgEngine::tableNames() {
  std::vector<std::string> names;
  auto read = readSchema();
  if (!read.ok()) return names;
  for (const Table& t : read.value()) names.push_back(t.shape.def.name);
  cache_ = std::move(read.value());
  return names;
}

TableDef PgEngine::readTableDef(const std::string& storedName) {
  auto read = readSchema();
  if (!read.ok()) return TableDef{storedName, {}};
  TableDef def{storedName, {}};
  for (const Table& t : read.value())
    if (t.shape.def.name == storedName) def = t.shape.def;
  cache_ = std::move(read.value());
  return def;
}

Status PgEngine::createTable(const TableDef& def) {
  std::string sql = "CREATE TABLE " + quoteIdentifier(def.name) + " (" +
                    quoteIdentifier(kPgRowIdColumn) +
                    " bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
  for (const FieldDef& f : def.fields) sql += ", " + quoteIdentifier(f.name) + " " + pgTypeFor(f);
  sql += ")";
  std::vector<std::string> steps{sql};
  std::vector<std::vector<Value>> values{{}};
  for (const FieldDef& f : def.fields) {
    steps.push_back(std::string("INSERT INTO ") + quoteIdentifier(kPropertyTable) +
                    " (table_name, field_name, dao_type, allow_zero_length) VALUES ($1, $2, $3, $4)");
    values.push_back({Value::text(def.name), Value::text(f.name),
                      Value::integer(static_cast<int>(f.type)),
                      Value::integer(f.isTextual() && f.allowZeroLength ? 1 : 0)});
  }
  return allOrNothing(steps, values);
}

Status PgEngine::appendField(const std::string& table, const FieldDef& field) {
  auto r = runStep("ALTER TABLE " + quoteIdentifier(table) + " ADD COLUMN " +
                   quoteIdentifier(field.name) + " " + pgTypeFor(field));
  cache_.reset();
  if (!r.ok()) return r.status();
  auto p = runStep(std::string("INSERT INTO ") + quoteIdentifier(kPropertyTable) +
                       " (table_name, field_name, dao_type, allow_zero_length) VALUES ($1, $2, $3, "
                       "$4) ON CONFLICT (table_name, field_name) DO UPDATE SET dao_type = "
                       "EXCLUDED.dao_type, allow_zero_length = EXCLUDED.allow_zero_length",
                   {Value::text(table), Value::text(field.name),
                    Value::integer(static_cast<int>(field.type)),
                    Value::integer(field.isTextual() && field.allowZeroLength ? 1 : 0)});
  return p.ok() ? Status() : p.status();
}

Status PgEngine::setAllowZeroLength(const std::string& table, const std::string& field,
                                    bool allow) {
  auto r = runStep(std::string("INSERT INTO ") + quoteIdentifier(kPropertyTable) +
                       " (table_name, field_name, allow_zero_length) VALUES ($1, $2, $3) "
                       "ON CONFLICT (table_name, field_name) DO UPDATE SET allow_zero_length = "
                       "EXCLUDED.allow_zero_length",
                   {Value::text(table), Value::text(field), Value::integer(allow ? 1 : 0)});
  cache_.reset();
  return r.ok() ? Status() : r.status();
}

Status PgEngine::createIndex(std::string_view name, const std::string& table,
                             const std::vector<std::string>& fields) {
  // Asked first: making it, even "if not exists", waits for every user's
  // open save on the table and needs its owner's rights.
  auto made = query(
      "SELECT 1 FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
      "WHERE n.nspname = $1 AND c.relname = $2 AND c.relkind = 'i'",
      {Value::text(address_.project), Value::text(std::string(name))});
  if (!made.ok()) return made.status();
  if (PQntuples(made->get()) == 1) return {};
  auto r = runStep("CREATE INDEX IF NOT EXISTS " + quoteIdentifier(name) + " ON " +
                   quoteIdentifier(table) + " (" + quotedList(fields) + ")");
  return r.ok() ? Status() : r.status();
}

Status PgEngine::watchTable(const std::string& table, const std::string& keyField) {
  // Made once: making it again would need the table to itself (waiting for
  // every user's save) and the rights of its owner, which other users lack.
  auto made = query(
      "SELECT 1 FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid "
      "JOIN pg_namespace n ON n.oid = c.relnamespace "
      "WHERE n.nspname = $1 AND c.relname = $2 AND t.tgname = $3 "
      "AND encode(t.tgargs, 'escape') = $4 || '\\000'",
      {Value::text(address_.project), Value::text(table), Value::text(kChangeTrigger),
       Value::text(keyField)});
  if (!made.ok()) return made.status();
  if (PQntuples(made->get()) == 1) return {};
  return allOrNothing(
      {"DROP TRIGGER IF EXISTS " + quoteIdentifier(kChangeTrigger) + " ON " +
           quoteIdentifier(table),
       "CREATE TRIGGER " + quoteIdentifier(kChangeTrigger) + " AFTER INSERT OR UPDATE OR DELETE ON " +
           quoteIdentifier(table) + " FOR EACH ROW EXECUTE FUNCTION " +
           quoteIdentifier(address_.project) + "." + quoteIdentifier(kChangeFunction) + "(" +
           literal(keyField) + ")"});
}

Status PgEngine::listen() {
  auto r = query("SELECT 'sq_' || md5($1)", {Value::text(address_.project)});
  if (!r.ok()) return r.status();
  const std::string channel = PQgetvalue(r->get(), 0, 0);
  auto l = query("LISTEN " + quoteIdentifier(channel));
  if (!l.ok()) return l.status();
  channel_ = channel;
  return {};
}

// Advisory locks of the server stand for the names in use: shared ones
// for windows that show a name, an exclusive one for a transaction that
// takes the name away. The lock's number is a hash of the project and the
// name; a collision of two names would only refuse a removal wrongly.
namespace {
constexpr const char* kNameKey = "hashtextextended($1, 0)";
}

std::string PgEngine::nameKey(std::string_view name) const {
  return address_.project + '\n' + std::string(name);
}

Status PgEngine::markInUse(const std::string& name) {
  if (name == inUse_) return {};
  if (!inUse_.empty()) {
    query(std::string("SELECT pg_advisory_unlock_shared(") + kNameKey + ")",
          {Value::text(nameKey(inUse_))});
    inUse_.clear();
  }
  if (name.empty()) return {};
  auto r = query(std::string("SELECT pg_try_advisory_lock_shared(") + kNameKey + ")",
                 {Value::text(nameKey(name))});
  if (!r.ok()) return r.status();
  // Not granted: someone is taking the name away this very moment.
  if (PQgetvalue(r->get(), 0, 0)[0] == 't') inUse_ = name;
  return {};
}

Result<std::vector<std::string>> PgEngine::usersOf(const std::string& name) {
  // pg_locks splits a lock's 64-bit number into two 32-bit halves.
  auto r =
      query(std::string("WITH k AS (SELECT ") + kNameKey +
                " AS v) SELECT DISTINCT a.usename::text FROM pg_locks l "
                "JOIN pg_stat_activity a ON a.pid = l.pid, k "
                "WHERE l.locktype = 'advisory' AND l.granted AND l.pid <> pg_backend_pid() "
                "AND l.database = (SELECT oid FROM pg_database WHERE datname = current_database()) "
                "AND l.objsubid = 1 AND l.classid::text::bigint = (k.v >> 32) & 4294967295 "
                "AND l.objid::text::bigint = k.v & 4294967295 ORDER BY 1",
            {Value::text(nameKey(name))});
  if (!r.ok()) return r.status();
  std::vector<std::string> users;
  for (int i = 0; i < PQntuples(r->get()); ++i) users.emplace_back(PQgetvalue(r->get(), i, 0));
  return users;
}

Result<std::vector<std::string>> PgEngine::claim(const std::string& name) {
  if (!inTransaction())
    return Status::error(ErrorCode::kGeneric, "A name is claimed only within a transaction.");
  auto r = query(std::string("SELECT pg_try_advisory_xact_lock(") + kNameKey + ")",
                 {Value::text(nameKey(name))});
  if (!r.ok()) return r.status();
  if (PQgetvalue(r->get(), 0, 0)[0] == 't') return std::vector<std::string>();
  auto users = usersOf(name);
  if (users.ok() && users->empty()) users->push_back("another user");  // gone meanwhile
  return users;
}

bool PgEngine::connectionLost() const {
  return PQstatus(conn_) != CONNECTION_OK;
}

std::vector<TableChange> PgEngine::takeChanges() {
  std::vector<TableChange> changes;
  PQconsumeInput(conn_);
  const int self = PQbackendPID(conn_);
  while (PGnotify* n = PQnotifies(conn_)) {
    std::string_view payload(n->extra ? n->extra : "");
    const bool ours = n->be_pid == self || channel_ != n->relname;
    const std::size_t colon = payload.find(':');
    std::size_t length = 0;
    if (!ours && payload.size() > 1 && colon != std::string_view::npos &&
        std::from_chars(payload.data() + 1, payload.data() + colon, length).ec == std::errc() &&
        colon + 1 + length <= payload.size()) {
      TableChange c;
      c.keysChanged = payload[0] == 'K';
      c.table = std::string(payload.substr(colon + 1, length));
      c.key = std::string(payload.substr(colon + 1 + length));
      if (std::find(changes.begin(), changes.end(), c) == changes.end())
        changes.push_back(std::move(c));
    }
    PQfreemem(n);
  }
  return changes;
}

std::vector<TableChange> PgEngine::waitForChanges(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    std::vector<TableChange> changes = takeChanges();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (!changes.empty() || left.count() <= 0 || PQstatus(conn_) != CONNECTION_OK) return changes;
    pollfd fd{PQsocket(conn_), POLLIN, 0};
    ::poll(&fd, 1, static_cast<int>(left.count()));
  }
}

EngineQuery PgEngine::tableQuery(const std::string& storedName) {
  const Table* t = cachedTable(storedName);
  std::vector<std::string> fields;
  if (t)
    for (const FieldDef& f : t->shape.def.fields) fields.push_back(f.name);
  const bool updatable = t && t->shape.hasRowId;
  std::string list = quotedList(fields);
  if (updatable) list = rowIdAndVersion() + (fields.empty() ? "" : ", " + list);
  return {"SELECT " + list + " FROM " + quoteIdentifier(storedName) +
              (updatable ? " ORDER BY " + quoteIdentifier(kPgRowIdColumn) : ""),
          {},
          updatable ? storedName : std::string()};
}

Result<EngineStatement> PgEngine::translate(std::string_view jetSql) {
  std::vector<PgTable> shapes;
  for (const Table& t : tables()) shapes.push_back(t.shape);
  auto stmt = translateJetSqlForPostgres(jetSql, shapes);
  if (!stmt.ok()) return stmt.status();
  return EngineStatement{stmt->kind, stmt->sql, stmt->params, stmt->updatableTable,
                         stmt->createTable};
}

Status PgEngine::run(const EngineStatement& statement) {
  auto r = runStep(statement.sql, statement.params);
  const std::size_t verb = statement.sql.find_first_not_of(" \t\r\n(");
  const std::string head =
      toUpperAscii(statement.sql.substr(verb == std::string::npos ? 0 : verb, 5));
  if (head == "DROP " || head == "ALTER") cache_.reset();
  return r.ok() ? Status() : r.status();
}

Status PgEngine::load(const EngineQuery& wanted, LoadedRows& out) {
  out = LoadedRows();
  auto r = query(wanted.sql, wanted.params);
  if (!r.ok()) return r.status();
  const PGresult* res = r->get();
  const int columns = PQnfields(res);
  const Table* base = wanted.table.empty() ? nullptr : cachedTable(wanted.table);
  const bool keyed = base && columns >= 2 && kPgRowIdColumn == PQfname(res, 0) &&
                     kPgVersionColumn == PQfname(res, 1);
  const int first = keyed ? 2 : 0;
  std::vector<int> shown;  // result columns that are fields of the set
  for (int i = first; i < columns; ++i) {
    const std::string name = PQfname(res, i);
    std::string baseColumn;
    if (keyed && PQftable(res, i) == base->oid) {
      const int number = PQftablecol(res, i);
      if (number > 0 && number < static_cast<int>(base->columnsByNumber.size()))
        baseColumn = base->columnsByNumber[number];
    }
    if (baseColumn == kPgRowIdColumn) continue;  // a "*" that reads the identity again
    FieldDef f = fieldFromColumn(name, PQftype(res, i), PQfmod(res, i), 0);
    if (const FieldDef* b = baseColumn.empty() ? nullptr : base->shape.def.field(baseColumn)) {
      f.type = b->type;
      f.size = b->size;
      f.allowZeroLength = b->allowZeroLength;
    }
    out.fields.push_back(std::move(f));
    out.baseColumns.push_back(std::move(baseColumn));
    shown.push_back(i);
  }
  if (keyed) out.table = wanted.table;
  for (int row = 0; row < PQntuples(res); ++row) {
    LoadedRows::Row loaded;
    if (keyed) {
      std::from_chars(PQgetvalue(res, row, 0),
                      PQgetvalue(res, row, 0) + PQgetlength(res, row, 0), loaded.key.rowid);
      std::from_chars(PQgetvalue(res, row, 1),
                      PQgetvalue(res, row, 1) + PQgetlength(res, row, 1), loaded.key.version);
    }
    for (std::size_t c = 0; c < shown.size(); ++c)
      loaded.values.push_back(readValue(res, row, shown[c], out.fields[c].type));
    out.rows.push_back(std::move(loaded));
  }
  return {};
}

Result<RowKey> PgEngine::insertRow(const std::string& table,
                                   const std::vector<std::string>& columns,
                                   const std::vector<Value>& values) {
  std::string sql = "INSERT INTO " + quoteIdentifier(table);
  if (columns.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::string params;
    for (std::size_t k = 0; k < columns.size(); ++k)
      params += (k ? ", $" : "$") + std::to_string(k + 1);
    sql += " (" + quotedList(columns) + ") VALUES (" + params + ")";
  }
  auto r = runStep(sql + " RETURNING " + rowIdAndVersion(), values);
  if (!r.ok()) return r.status();
  RowKey key;
  key.rowid = std::atoll(PQgetvalue(r->get(), 0, 0));
  key.version = std::atoll(PQgetvalue(r->get(), 0, 1));
  return key;
}

Status PgEngine::appendRows(const std::string& table, const std::vector<std::string>& columns,
                            const std::vector<std::vector<Value>>& rows) {
  if (columns.empty()) return Engine::appendRows(table, columns, rows);
  // Many rows a statement, within the server's limit of bound values.
  const std::size_t perStatement = std::max<std::size_t>(1, 30000 / columns.size());
  for (std::size_t first = 0; first < rows.size(); first += perStatement) {
    const std::size_t last = std::min(rows.size(), first + perStatement);
    std::string sql = "INSERT INTO " + quoteIdentifier(table) + " (" + quotedList(columns) +
                      ") VALUES ";
    std::vector<Value> values;
    for (std::size_t r = first; r < last; ++r) {
      sql += r == first ? "(" : ", (";
      for (std::size_t c = 0; c < columns.size(); ++c) {
        values.push_back(rows[r][c]);
        sql += (c ? ", $" : "$") + std::to_string(values.size());
      }
      sql += ")";
    }
    if (auto done = runStep(sql, values); !done.ok()) return done.status();
  }
  return {};
}

Result<WriteOutcome> PgEngine::updateRow(const std::string& table, RowKey& key,
                                         const std::vector<std::string>& columns,
                                         const std::vector<Value>& values) {
  std::string sql = "UPDATE " + quoteIdentifier(table) + " SET ";
  for (std::size_t k = 0; k < columns.size(); ++k)
    sql += (k ? ", " : "") + quoteIdentifier(columns[k]) + " = $" + std::to_string(k + 1);
  const std::size_t n = columns.size();
  sql += " WHERE " + quoteIdentifier(kPgRowIdColumn) + " = $" + std::to_string(n + 1) +
         " AND xmin::text::bigint = $" + std::to_string(n + 2) + " RETURNING xmin::text::bigint";
  std::vector<Value> bound = values;
  bound.push_back(Value::integer(key.rowid));
  bound.push_back(Value::integer(key.version));
  auto r = runStep(sql, bound);
  if (!r.ok()) return r.status();
  if (PQntuples(r->get()) != 1) return WriteOutcome::kConflict;
  key.version = std::atoll(PQgetvalue(r->get(), 0, 0));
  return WriteOutcome::kWritten;
}

Result<WriteOutcome> PgEngine::deleteRow(const std::string& table, const RowKey& key) {
  const std::string id = quoteIdentifier(kPgRowIdColumn);
  auto r = runStep("DELETE FROM " + quoteIdentifier(table) + " WHERE " + id +
                       " = $1 AND xmin::text::bigint = $2",
                   {Value::integer(key.rowid), Value::integer(key.version)});
  if (!r.ok()) return r.status();
  if (std::atoi(PQcmdTuples(r->get())) == 1) return WriteOutcome::kWritten;
  auto still = query("SELECT 1 FROM " + quoteIdentifier(table) + " WHERE " + id + " = $1",
                   {Value::integer(key.rowid)});
  if (!still.ok()) return still.status();
  return PQntuples(still->get()) == 0 ? WriteOutcome::kWritten : WriteOutcome::kConflict;
}

Result<std::optional<LoadedRows::Row>> PgEngine::readRow(const std::string& table,
                                                         const std::vector<std::string>& columns,
                                                         std::int64_t rowid) {
  const Table* t = cachedTable(table);
  std::string list = rowIdAndVersion();
  std::vector<DaoType> types;
  for (const std::string& c : columns) {
    list += ", " + (c.empty() ? std::string("NULL") : quoteIdentifier(c));
    const FieldDef* f = t && !c.empty() ? t->shape.def.field(c) : nullptr;
    types.push_back(f ? f->type : DaoType::kMemo);
  }
  auto r = query("SELECT " + list + " FROM " + quoteIdentifier(table) + " WHERE " +
                   quoteIdentifier(kPgRowIdColumn) + " = $1",
               {Value::integer(rowid)});
  if (!r.ok()) return r.status();
  if (PQntuples(r->get()) == 0) return std::optional<LoadedRows::Row>();
  LoadedRows::Row row;
  row.key.rowid = rowid;
  row.key.version = std::atoll(PQgetvalue(r->get(), 0, 1));
  for (std::size_t c = 0; c < columns.size(); ++c)
    row.values.push_back(readValue(r->get(), 0, static_cast<int>(c) + 2, types[c]));
  return std::optional<LoadedRows::Row>(std::move(row));
}

Status PgEngine::doBegin(TransactionMode mode) {
  auto r = query(mode == TransactionMode::kReadSnapshot
                   ? "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"
                   : "BEGIN");
  return r.ok() ? Status() : r.status();
}

Status PgEngine::doCommit() {
  auto r = query("COMMIT", {}, true);
  if (!r.ok()) return r.status();
  // A transaction in which a statement failed outside a step ends undone.
  if (std::strcmp(PQcmdStatus(r->get()), "ROLLBACK") == 0) {
    transactionLost();
    return Status::error(ErrorCode::kGeneric,
                         "The server undid the whole save because a step of it failed.");
  }
  return {};
}

Status PgEngine::doRollback() {
  auto r = query("ROLLBACK");
  return r.ok() ? Status() : r.status();
}

}  // namespace sq::db
