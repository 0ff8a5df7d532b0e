// Many users on one server project: 8 simulated users, each with a
// connection of its own, save edits to borings of their own as fast as the
// server lets them, for 30 s. Each save is what the data entry window writes
// when a user leaves a boring: one transaction changing two lithology rows
// and one sample row, each checked against its row version. Reports saves
// per second and the median and 99th-percentile save time. The server is
// the tests' own PostgreSQL on this machine, reached through its Unix socket.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "strataquill/db/database.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/db/server_address.h"
#include "strataquill/db/testing/scratch_postgres.h"
#include "strataquill/sharing/project_transfer.h"

namespace {

using namespace sq;
using Clock = std::chrono::steady_clock;

const std::string kBin = VEXAMOR_BENCH_BIN_DIR;
constexpr int kUsers = 8;
constexpr int kRowsPerBoring = 20;

std::string boringName(int user) {
  return "User " + std::to_string(user) + " \"boring\"";
}

std::string rowsOf(const std::string& table, const std::string& boring) {
  return "SELECT * FROM [" + table + "] WHERE BoringName = " + db::jetStringLiteral(boring) +
         " ORDER BY [From], [To]";
}

// The project, pushed from the template and filled with the users' borings
// and a hundred others.
std::string makeProject(testing::ScratchPostgres& server) {
  const std::string address = server.address("Concurrency bench");
  auto pushed = sharing::pushProject(kBin + "/File.tpl", address, true);
  if (!pushed.ok()) return pushed.status().message();
  auto db = db::Database::open(address);
  if (!db.ok()) return db.status().message();
  db->beginTransaction();
  std::vector<std::vector<db::Value>> borings, lithology, samples;
  for (int b = 0; b < kUsers + 100; ++b) {
    const std::string name = b < kUsers ? boringName(b) : "Other " + std::to_string(b);
    borings.push_back({db::Value::text(name), db::Value::text("Feet")});
    for (int i = 0; i < kRowsPerBoring; ++i) {
      lithology.push_back({db::Value::text(name), db::Value::single(i * 2.0f),
                           db::Value::single(i * 2.0f + 2), db::Value::text("SILTY SAND (SM)")});
      samples.push_back({db::Value::text(name), db::Value::single(i * 2.0f),
                         db::Value::single(i * 2.0f + 1.5f), db::Value::text("5-7-9")});
    }
  }
  db->appendRows("Boring Information", {"BoringName", "DepthUnits"}, borings);
  db->appendRows("Lithology Information", {"BoringName", "From", "To", "Description"}, lithology);
  db->appendRows("Sample Information", {"BoringName", "From", "To", "BlowCounts"}, samples);
  db::Status s = db->commitTransaction();
  return s.ok() ? address : s.message();
}

struct UserResult {
  std::vector<double> saveMs;
  int failures = 0;
  std::string firstFailure;
};

void simulateUser(const std::string& address, int user, Clock::time_point until,
                  UserResult& out) {
  auto db = db::Database::open(address);
  if (!db.ok()) {
    out.failures = 1;
    out.firstFailure = db.status().message();
    return;
  }
  const std::string boring = boringName(user);
  auto lithology = db->openRecordset(rowsOf("Lithology Information", boring));
  auto samples = db->openRecordset(rowsOf("Sample Information", boring));
  if (!lithology.ok() || !samples.ok()) {
    out.failures = 1;
    out.firstFailure = "cannot read the boring";
    return;
  }
  auto edit = [](db::Recordset& rs, int row, const char* field, const std::string& text) {
    if (db::Status s = rs.moveToPosition(row); !s.ok()) return s;
    if (db::Status s = rs.edit(); !s.ok()) return s;
    if (db::Status s = rs.setField(field, db::Value::text(text)); !s.ok()) return s;
    db::Status s = rs.update();
    if (!s.ok()) rs.cancelUpdate();
    return s;
  };
  for (int n = 0; Clock::now() < until; ++n) {
    const auto start = Clock::now();
    const std::string text = "edit " + std::to_string(n);
    db::Status s = db->beginTransaction();
    if (s.ok()) s = edit(*lithology, n % kRowsPerBoring, "Description", text);
    if (s.ok()) s = edit(*lithology, (n + 7) % kRowsPerBoring, "Description", text);
    if (s.ok()) s = edit(*samples, n % kRowsPerBoring, "BlowCounts", text);
    if (s.ok()) {
      s = db->commitTransaction();
    } else {
      db->rollback();
    }
    out.saveMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (!s.ok() && out.failures++ == 0) out.firstFailure = s.message();
  }
}

void BM_EightUsersSaving(benchmark::State& state) {
  std::string why;
  testing::ScratchPostgres* server = testing::ScratchPostgres::shared(&why);
  if (!server) {
    state.SkipWithError(("no server: " + why).c_str());
    return;
  }
  const std::string address = makeProject(*server);
  if (!db::isServerAddress(address)) {
    state.SkipWithError(address.c_str());
    return;
  }
  const auto seconds = std::chrono::seconds(state.range(0));
  std::vector<UserResult> results(kUsers);
  for (auto _ : state) {
    const auto until = Clock::now() + seconds;
    std::vector<std::thread> users;
    for (int u = 0; u < kUsers; ++u)
      users.emplace_back(simulateUser, address, u, until, std::ref(results[u]));
    for (std::thread& t : users) t.join();
  }
  std::vector<double> all;
  int failures = 0;
  for (const UserResult& r : results) {
    all.insert(all.end(), r.saveMs.begin(), r.saveMs.end());
    failures += r.failures;
    if (r.failures) std::fprintf(stderr, "a user's save failed: %s\n", r.firstFailure.c_str());
  }
  std::sort(all.begin(), all.end());
  auto percentile = [&](double p) {
    return all.empty() ? 0.0 : all[std::min(all.size() - 1, static_cast<std::size_t>(p * all.size()))];
  };
  state.counters["saves_per_s"] =
      static_cast<double>(all.size()) / static_cast<double>(state.range(0));
  state.counters["p50_ms"] = percentile(0.50);
  state.counters["p99_ms"] = percentile(0.99);
  state.counters["failed_saves"] = failures;
}
BENCHMARK(BM_EightUsersSaving)->Arg(30)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
