// Cost of AGS4 exchange. A project of 1,000 borings, each with 20
// lithology intervals and 20 samples (with blow counts), exported to an AGS
// file and that file imported into a new project: seconds and rows per
// second. Then a file of about 100 MB (the same kind of borings, many more
// of them) imported into a new project: seconds, and the peak memory of the
// import against the file's size (the reader holds one line at a time; the
// plan holds the rows the project will get).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "strataquill/db/database.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/exchange/ags_check.h"
#include "strataquill/exchange/ags_export.h"
#include "strataquill/exchange/ags_import.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/program_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace sq;
using namespace sq::exchange;

const std::string kBin = VEXAMOR_BENCH_BIN_DIR;

std::string scratch(const std::string& name) {
  return (fs::temp_directory_path() / ("sq_ags_bench_" + name)).string();
}

std::string boringName(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "B-%05d", i);
  return name;
}

// A new project from the template, checked as the program checks every
// project it opens (which indexes the borings' rows by name).
db::Database freshProject(const std::string& name) {
  const std::string path = scratch(name);
  fs::remove(path);
  copyFile(kBin + "/File.tpl", path, false);
  project::CheckFileFormat(path);
  return std::move(db::Database::open(path).value());
}

// The project of 1,000 borings, made once.
const std::string& bigProject() {
  static const std::string path = [] {
    db::Database db = freshProject("1000.sq2");
    db.beginTransaction();
    auto add = [&](const std::string& table, const std::string& names, const std::string& values) {
      db.execute("INSERT INTO [" + table + "] (" + names + ") VALUES (" + values + ")");
    };
    for (int b = 0; b < 1000; ++b) {
      const std::string name = db::jetStringLiteral(boringName(b));
      add("Boring Information",
          "BoringName, DepthUnits, Supervisor, DrillMethod, GroundElevation, DateStart",
          name + ", \"Feet\", \"R. Okafor\", \"Hollow-stem auger\", \"742.3\", \"09/16/2024\"");
      for (int i = 0; i < 20; ++i) {
        const std::string from = std::to_string(i * 2), to = std::to_string(i * 2 + 2);
        add("Lithology Information",
            "BoringName, [From], [To], Description, Classification, SeparatorType",
            name + ", " + from + ", " + to +
                ", \"SILTY SAND (SM): brown, moist, medium dense, fine-grained, trace gravel.\", "
                "\"SM - Silty sand\", \"0 - Solid\"");
        add("Sample Information", "BoringName, SampleType, [From], [To], BlowCounts, UserText1",
            name + ", \"Split spoon (SPT)\", " + from + ", " + std::to_string(i * 2 + 1.5) +
                ", \"5-7-9\", \"12\"");
      }
    }
    db.commitTransaction();
    return scratch("1000.sq2");
  }();
  return path;
}

AgsExportOptions exportOptions() {
  AgsExportOptions o = defaultExportOptions(bigProject(), classificationFile());
  o.date = "2025-03-04";
  return o;
}

// Rows of the six data groups of a plan.
long planRows(const AgsImportPlan& plan) {
  long rows = 0;
  for (const ImportedBoring& b : plan.borings)
    rows += 1 + static_cast<long>(b.lithology.size() + b.samples.size() + b.completion.size());
  return rows;
}

void BM_Export1000Borings(benchmark::State& state) {
  auto db = db::Database::open(bigProject());
  const AgsExportOptions options = exportOptions();
  long rows = 0;
  for (auto _ : state) {
    const AgsExportResult r = exportAgs(*db, {}, options);
    if (!r.status.ok() || !r.issues.empty()) state.SkipWithError("export failed");
    rows = r.borings + r.lithology + r.samples + r.tests;
    state.counters["MB"] = static_cast<double>(r.text.size()) / 1e6;
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_Export1000Borings)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Import1000Borings(benchmark::State& state) {
  std::string text;
  {
    auto db = db::Database::open(bigProject());
    text = exportAgs(*db, {}, exportOptions()).text;
  }
  long rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    db::Database target = freshProject("import.sq2");
    state.ResumeTiming();
    std::istringstream in(text);
    const AgsImportPlan plan = planAgsImport(in, importContextFor(&target, classificationFile()));
    if (plan.refused() || !applyAgsImport(target, plan, {}).ok())
      state.SkipWithError("import failed");
    rows = planRows(plan);
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_Import1000Borings)->Unit(benchmark::kMillisecond)->Iterations(3);

// Writes an AGS file of at least `bytes`: borings of 20 lithology intervals
// (descriptions of some length) and 20 samples, in feet.
long writeLargeFile(const std::string& path, std::size_t bytes) {
  std::ofstream out(path, std::ios::binary);
  out << "\"GROUP\",\"PROJ\"\r\n\"HEADING\",\"PROJ_ID\"\r\n\"UNIT\",\"\"\r\n\"TYPE\",\"ID\"\r\n"
         "\"DATA\",\"BIG\"\r\n\r\n";
  const std::string description =
      "SILTY SAND (SM): brown, moist, medium dense, fine-grained, trace gravel, some silt, "
      "iron oxide staining along root holes.";
  const long borings = static_cast<long>(bytes / (20 * (description.size() + 40) + 20 * 60));
  out << "\"GROUP\",\"LOCA\"\r\n\"HEADING\",\"LOCA_ID\",\"LOCA_FDEP\"\r\n\"UNIT\",\"\",\"ft\"\r\n"
         "\"TYPE\",\"ID\",\"2DP\"\r\n";
  for (long b = 0; b < borings; ++b)
    out << "\"DATA\",\"" << boringName(static_cast<int>(b)) << "\",\"40.00\"\r\n";
  out << "\r\n\"GROUP\",\"GEOL\"\r\n"
         "\"HEADING\",\"LOCA_ID\",\"GEOL_TOP\",\"GEOL_BASE\",\"GEOL_DESC\",\"GEOL_LEG\"\r\n"
         "\"UNIT\",\"\",\"ft\",\"ft\",\"\",\"\"\r\n\"TYPE\",\"ID\",\"2DP\",\"2DP\",\"X\",\"PA\"\r\n";
  for (long b = 0; b < borings; ++b)
    for (int i = 0; i < 20; ++i)
      out << "\"DATA\",\"" << boringName(static_cast<int>(b)) << "\",\"" << i * 2 << ".00\",\""
          << i * 2 + 2 << ".00\",\"" << description << "\",\"SM\"\r\n";
  out << "\r\n\"GROUP\",\"SAMP\"\r\n"
         "\"HEADING\",\"LOCA_ID\",\"SAMP_TOP\",\"SAMP_REF\",\"SAMP_TYPE\",\"SAMP_ID\",\"SAMP_BASE\"\r\n"
         "\"UNIT\",\"\",\"ft\",\"\",\"\",\"\",\"ft\"\r\n\"TYPE\",\"ID\",\"2DP\",\"X\",\"PA\",\"ID\",\"2DP\"\r\n";
  for (long b = 0; b < borings; ++b)
    for (int i = 0; i < 20; ++i)
      out << "\"DATA\",\"" << boringName(static_cast<int>(b)) << "\",\"" << i * 2 << ".00\",\""
          << i + 1 << "\",\"SPT\",\"\",\"" << i * 2 + 1 << ".50\"\r\n";
  return borings;
}

// "VmHWM" (peak) or "VmRSS" (now) of this process, in kilobytes.
long memoryKilobytes(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
  return 0;
}

void BM_Import100MegabyteFile(benchmark::State& state) {
  const std::string path = scratch("100mb.ags");
  writeLargeFile(path, 100u << 20);
  const double megabytes = static_cast<double>(fs::file_size(path)) / (1 << 20);
  long rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    db::Database target = freshProject("import-large.sq2");
    const AgsImportContext context = importContextFor(&target, classificationFile());
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    const long before = memoryKilobytes("VmRSS");
    state.ResumeTiming();
    const AgsImportPlan plan = planAgsImportFile(path, context);
    if (plan.refused() || !applyAgsImport(target, plan, {}).ok())
      state.SkipWithError("import failed");
    rows = planRows(plan);
    state.PauseTiming();
    const double growth = static_cast<double>(memoryKilobytes("VmHWM") - before) / 1024;
    state.counters["file_MB"] = megabytes;
    state.counters["peak_MB"] = growth;
    state.counters["peak_per_file"] = growth / megabytes;
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_Import100MegabyteFile)->Unit(benchmark::kSecond)->Iterations(1);

void BM_Check100MegabyteFile(benchmark::State& state) {
  const std::string path = scratch("100mb.ags");
  if (!fs::exists(path)) writeLargeFile(path, 100u << 20);
  for (auto _ : state) {
    const AgsCheckReport report = checkAgsFile(path);
    if (!report.readable) state.SkipWithError("check failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(fs::file_size(path)));
}
BENCHMARK(BM_Check100MegabyteFile)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  setProgramFolder(kBin);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const char* name : {"1000.sq2", "import.sq2", "import-large.sq2", "100mb.ags"})
    fs::remove(scratch(name));
  return 0;
}
