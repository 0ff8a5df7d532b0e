// Cost of the data entry window in a small and a large project: opening it
// (the boring selector filled, the first boring bound) and switching
// borings, which saves the grids and fields (one edited cell each time) and
// binds the three grids and the two forms to the next boring. Projects of
// 10 and of 1,000 borings, each with 20 lithology, 20 sample and 5
// completion rows, as a project file and as the same project on a
// PostgreSQL server on this machine (the tests' own, over its Unix
// socket). A switch must cost the same in both sizes: every per-boring
// query finds its rows through the BoringName index.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <filesystem>

#include "strataquill/db/database.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/db/testing/scratch_postgres.h"
#include "strataquill/forms/frm_file.h"
#include "strataquill/forms/frm_main.h"
#include "strataquill/forms/ui_environment.h"
#include "strataquill/sharing/project_transfer.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/test_home.h"
#include "strataquill/widgets/bound_grid.h"

namespace {

namespace fs = std::filesystem;
using namespace sq;

const std::string kBin = VEXAMOR_BENCH_BIN_DIR;

std::string boringName(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "B-%04d", i);
  return name;
}

// A project of `borings` borings, made once per size and kept for the run.
std::string makeProject(int borings) {
  const std::string path =
      (fs::temp_directory_path() / ("sq_entry_bench_" + std::to_string(borings) + ".sq2")).string();
  fs::remove(path);
  copyFile(kBin + "/File.tpl", path, false);
  auto db = db::Database::open(path);
  db->beginTransaction();
  auto add = [&](const std::string& table, const std::string& names, const std::string& values) {
    db->execute("INSERT INTO [" + table + "] (" + names + ") VALUES (" + values + ")");
  };
  for (int b = 0; b < borings; ++b) {
    const std::string name = db::jetStringLiteral(boringName(b));
    add("Boring Information", "BoringName, DepthUnits, Supervisor",
        name + ", \"Feet\", \"R. Okafor\"");
    for (int i = 0; i < 20; ++i) {
      const std::string from = std::to_string(i * 2), to = std::to_string(i * 2 + 2);
      add("Lithology Information",
          "BoringName, [From], [To], Description, Classification, SeparatorType",
          name + ", " + from + ", " + to +
              ", \"SILTY SAND (SM): brown, moist, medium dense, fine-grained, trace gravel.\", "
              "\"SM - Silty sand\", \"0 - Solid\"");
      add("Sample Information", "BoringName, SampleType, [From], [To], BlowCounts, UserText1",
          name + ", \"Split Spoon\", " + from + ", " + std::to_string(i * 2 + 1.5) +
              ", \"5-7-9\", \"12\"");
    }
    for (int i = 0; i < 5; ++i)
      add("Completion Information", "BoringName, [From], [To], Classification",
          name + ", " + std::to_string(i * 8) + ", " + std::to_string(i * 8 + 8) + ", \"Grout\"");
  }
  db->commitTransaction();
  return path;
}

const std::string& projectFile(int borings) {
  static std::map<int, std::string> made;
  auto it = made.find(borings);
  if (it == made.end()) it = made.emplace(borings, makeProject(borings)).first;
  return it->second;
}

// The same project pushed to the server; "" (and the benchmark skipped)
// when there is no server.
const std::string& serverProject(int borings) {
  static std::map<int, std::string> made;
  auto it = made.find(borings);
  if (it != made.end()) return it->second;
  std::string address;
  std::string why;
  if (testing::ScratchPostgres* server = testing::ScratchPostgres::shared(&why)) {
    address = server->address("Bench " + std::to_string(borings));
    if (!sharing::pushProject(projectFile(borings), address, true).ok()) address.clear();
  }
  return made.emplace(borings, address).first->second;
}

// Argument 1: 0 the project file, 1 the server project.
const std::string& project(benchmark::State& state) {
  const int borings = static_cast<int>(state.range(0));
  state.SetLabel(state.range(1) ? "server" : "file");
  return state.range(1) ? serverProject(borings) : projectFile(borings);
}

void BM_OpenProject(benchmark::State& state) {
  const std::string& path = project(state);
  if (path.empty()) {
    state.SkipWithError("no PostgreSQL server");
    return;
  }
  forms::frmMain main;
  main.Form_Load("");
  main.tmrSplash_Timer();
  for (auto _ : state) {
    main.openProject(path, "bench.sq2");
    benchmark::DoNotOptimize(main.boringList().size());
  }
  state.counters["borings"] = static_cast<double>(main.boringList().size());
}
BENCHMARK(BM_OpenProject)->ArgsProduct({{10, 1000}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_SwitchBoring(benchmark::State& state) {
  const int borings = static_cast<int>(state.range(0));
  const std::string& path = project(state);
  if (path.empty()) {
    state.SkipWithError("no PostgreSQL server");
    return;
  }
  forms::frmMain main;
  main.Form_Load("");
  main.tmrSplash_Timer();
  main.openProject(path, "bench.sq2");
  forms::frmFile* file = main.dataEntryWindow();
  int next = 0, edits = 0;
  for (auto _ : state) {
    widgets::BoundGrid* grid = file->sprdLithology();
    grid->model().setCellText(0, 2, QString("edited %1").arg(++edits));
    // Borings spread over the whole project, not only its first pages.
    next = (next + 7) % borings;
    main.selectBoringText(boringName(next));
    main.cmbBoringSelect_Click();
    benchmark::DoNotOptimize(file->sprdSample()->model().dataRowCount());
  }
  state.counters["rows"] = file->sprdLithology()->model().dataRowCount() +
                           file->sprdSample()->model().dataRowCount() +
                           file->sprdCompletion()->model().dataRowCount();
}
BENCHMARK(BM_SwitchBoring)->ArgsProduct({{10, 1000}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Settings of its own, in a folder removed at the end: a benchmark reads
  // nothing of the user's and leaves nothing behind.
  sq::TestHome home;
  QApplication app(argc, argv);
  sq::setApplicationName("Strataquill");
  sq::setProgramFolder(kBin);
  // No window may wait for a person: no tip of the day, and a modal dialog
  // that a run should open anyway is answered at once.
  forms::uiEnvironment().startupTips = false;
  forms::uiEnvironment().runModal = [](QDialog&) { return 0; };
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (int n : {10, 1000}) fs::remove(projectFile(n));
  return 0;
}
