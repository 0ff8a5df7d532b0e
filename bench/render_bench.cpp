// Cost of composing and writing a boring log, per page, for logs of 10, 50
// and 100 pages of the same density: 1 lithology interval a foot, 2 samples
// a foot and a completion interval every 10 feet, 40 feet a page, a ground
// elevation and three water levels. Each size is composed with the shipped
// layouts (elevations, groundwater, N-values and their plot, "Page n of m")
// and with the classic pair. The time per page and the PDF bytes per page
// must stay flat as the log grows: the page loop reads each page's rows
// through an index, the page count is filled in once the pages are
// composed, and every pattern picture is embedded once however often it
// fills.

#include <benchmark/benchmark.h>


#include <filesystem>

#include "page_bench.h"
#include "strataquill/db/database.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/render/log_composer.h"
#include "strataquill/render/surface_painter.h"
#include "strataquill/shell/file_copy.h"

namespace {

namespace fs = std::filesystem;
using namespace sq;

const std::string kBin = VEXAMOR_BENCH_BIN_DIR;

std::string firstClass(layouts::ClassKind kind, int n) {
  auto list = layouts::readClassList(kBin + "/Classification.sqc", kind);
  return list.empty() ? std::string("none") : list[n % list.size()];
}

// A project with one boring `pages` × 40 feet deep.
std::string makeProject(int pages) {
  const std::string path =
      (fs::temp_directory_path() / ("sq_bench_" + std::to_string(pages) + ".sq2")).string();
  fs::remove(path);
  copyFile(kBin + "/File.tpl", path, false);
  auto db = db::Database::open(path);
  db->beginTransaction();
  const int feet = pages * 40;
  db->execute(
      "INSERT INTO [Boring Information] (BoringName, DepthUnits, GroundElevation, DrilledWater, "
      "StaticWater, PotentiometricWater, DateStart, DateEnd) VALUES (\"B-1\", \"Feet\", "
      "\"742.3\", \"18.5\", \"16.2\", \"15.9\", \"09/16/2024\", \"09/18/2024\")");
  for (int f = 0; f < feet; ++f) {
    db->execute(
        "INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, "
        "Classification, SeparatorType) VALUES (\"B-1\", " +
        std::to_string(f) + ", " + std::to_string(f + 1) +
        ", \"SILTY SAND (SM): brown, moist, medium dense, fine-grained.\", " +
        db::jetStringLiteral(firstClass(layouts::ClassKind::kLithology, f)) + ", \"0 - Solid\")");
    for (double s : {0.0, 0.5})
      db->execute(
          "INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], "
          "BlowCounts, UserText1) VALUES (\"B-1\", " +
          db::jetStringLiteral(firstClass(layouts::ClassKind::kSamples, 0)) + ", " +
          std::to_string(f + s) + ", " + std::to_string(f + s + 0.4) + ", " +
          (f % 7 == 3 ? "\"50/4\"\"\"" : "\"5-" + std::to_string(7 + f % 11) + "-9\"") +
          ", \"12\")");
    if (f % 10 == 0)
      db->execute(
          "INSERT INTO [Completion Information] (BoringName, [From], [To], "
          "Classification) VALUES (\"B-1\", " +
          std::to_string(f) + ", " + std::to_string(f + 10) + ", " +
          db::jetStringLiteral(firstClass(layouts::ClassKind::kCompletion, f / 10)) + ")");
  }
  db->commitTransaction();
  return path;
}

// Arguments: the pages of the log, and 1 for the shipped layouts or 0 for
// the classic pair.
void BM_RenderLogToPdf(benchmark::State& state) {
  const int pages = static_cast<int>(state.range(0));
  const std::string suffix = state.range(1) ? ".sqf" : " (classic).sqf";
  const std::string project = makeProject(pages);
  const std::string pdf = project + ".pdf";
  render::PrintOptions options;
  options.firstPageLayoutFile = kBin + "/LogFirstPage" + suffix;
  options.additionalPageLayoutFile = kBin + "/LogAdditionalPages" + suffix;
  options.useAdditionalPageLayout = fs::exists(options.additionalPageLayoutFile);
  int composed = 0;
  for (auto _ : state) {
    render::PrintSurface surface;
    surface.startDoc();
    render::LogComposer composer(surface, options,
                                 {project,
                                  nullptr,
                                  "B-1",
                                  render::kBoringLog,
                                  {},
                                  kBin + "/Classification.sqc",
                                  kBin + "/Patterns",
                                  {},
                                  {},
                                  {},
                                  {},
                                  {}});
    composer.composePages();
    surface.endDoc();
    render::writePdf(surface.document(), QString::fromStdString(pdf));
    composed = surface.pageCount();
  }
  bench::setPageCounters(state, composed, pdf);
  fs::remove(pdf);
  fs::remove(project);
}
BENCHMARK(BM_RenderLogToPdf)
    ->ArgsProduct({{10, 50, 100}, {0, 1}})
    ->ArgNames({"pages", "shipped"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
