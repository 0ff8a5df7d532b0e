// Cost of the figures per page: a cross-section through 50 borings of 100
// lithology intervals each (its pages continue with match lines), and a site
// map of 1,000 borings. Reports seconds per page and PDF bytes per page;
// the goals are a section page under 0.5 s, a 1,000-boring map under 1 s,
// and under 500 KB a page.

#include <benchmark/benchmark.h>

#include <QPageSize>

#include <filesystem>

#include "page_bench.h"
#include "strataquill/db/database.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/render/surface_painter.h"
#include "strataquill/sections/figure_run.h"
#include "strataquill/shell/file_copy.h"

namespace {

namespace fs = std::filesystem;
using namespace sq;

const std::string kBin = VEXAMOR_BENCH_BIN_DIR;

// A project of `borings` borings on a grid, each with `intervals` one-foot
// lithology intervals whose classes repeat with a shift per boring, so
// neighbours share long runs of classes and differ here and there.
std::string makeProject(const std::string& name, int borings, int intervals) {
  const std::string path = (fs::temp_directory_path() / name).string();
  fs::remove(path);
  copyFile(kBin + "/File.tpl", path, false);
  auto db = db::Database::open(path);
  const auto classes = layouts::readClassList(kBin + "/Classification.sqc",
                                              layouts::ClassKind::kLithology);
  db->beginTransaction();
  for (int b = 0; b < borings; ++b) {
    const std::string boring = db::jetStringLiteral("B-" + std::to_string(b + 1));
    db->execute(
        "INSERT INTO [Boring Information] (BoringName, DepthUnits, Northing, Easting, "
        "NorthingUnits, GroundElevation, StaticWater) VALUES (" +
        boring + ", \"Feet\", \"" + std::to_string(10000 + (b % 40) * 37) + "\", \"" +
        std::to_string(5000 + b * 80) + "\", \"Feet\", \"" + std::to_string(740 + b % 5) +
        "\", \"15\")");
    if (b % 10 == 0)
      db->execute(
          "INSERT INTO [Completion Information] (BoringName, [From], [To], Classification) "
          "VALUES (" + boring + ", 0, 10, \"Screen\")");
    for (int i = 0; i < intervals; ++i) {
      const std::string cls = classes.empty() ? "none" : classes[(i / 3 + b % 2) % 12];
      db->execute(
          "INSERT INTO [Lithology Information] (BoringName, [From], [To], Classification) "
          "VALUES (" + boring + ", " + std::to_string(i) + ", " + std::to_string(i + 1) + ", " +
          db::jetStringLiteral(cls) + ")");
    }
  }
  db->commitTransaction();
  return path;
}

sections::FigureRun figureRun(const std::string& project) {
  sections::FigureRun run;
  run.projectPath = project;
  run.classificationFile = kBin + "/Classification.sqc";
  run.patternFolder = kBin + "/Patterns";
  return run;
}

// Composes with `compose` and writes the PDF each iteration.
template <class Compose>
void measure(benchmark::State& state, const std::string& project, Compose compose) {
  const std::string pdf = project + ".pdf";
  int pages = 0;
  for (auto _ : state) {
    render::PrintSurface surface;
    sections::setLandscapePaper(surface, QPageSize(QPageSize::Letter));
    const render::RunResult r = compose(surface);
    if (!r.ok()) {
      state.SkipWithError(r.message.c_str());
      return;
    }
    render::writePdf(surface.document(), QString::fromStdString(pdf));
    pages = surface.pageCount();
  }
  bench::setPageCounters(state, pages, pdf);
  fs::remove(pdf);
}

void BM_SectionThrough50Borings(benchmark::State& state) {
  const std::string project = makeProject("sq_section_bench.sq2", 50, 100);
  sections::SectionRequest request;
  for (int b = 0; b < 50; ++b) request.borings.push_back("B-" + std::to_string(b + 1));
  measure(state, project, [&](render::PrintSurface& surface) {
    return sections::composeSection(figureRun(project), request, surface);
  });
  fs::remove(project);
}
BENCHMARK(BM_SectionThrough50Borings)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SiteMapOf1000Borings(benchmark::State& state) {
  const std::string project = makeProject("sq_map_bench.sq2", 1000, 1);
  measure(state, project, [&](render::PrintSurface& surface) {
    return sections::composeSiteMap(figureRun(project), {}, surface);
  });
  fs::remove(project);
}
BENCHMARK(BM_SiteMapOf1000Borings)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
