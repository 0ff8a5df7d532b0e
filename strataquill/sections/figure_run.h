#pragma once

#include <QPageSize>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "strataquill/render/log_run.h"
#include "strataquill/sections/section_model.h"
#include "strataquill/sections/site_locations.h"
#include "strataquill/sections/site_map_figure.h"

namespace sq::db {
class Database;
}

namespace sq::sections {

// Where a figure's data and the program's shared files are, and who hears
// of its progress.
struct FigureRun {
  std::string projectPath;
  // The open project's connection when there is one; else the run opens
  // projectPath.
  const db::Database* database = nullptr;
  std::string classificationFile;
  std::string patternFolder;
  double patternScale = 0.333;
  std::function<std::string()> printDate;  // the system's date when empty
  render::PrintProgress* progress = nullptr;
};

// The project as the site map sees it: its description and every boring's
// record in the boring selector's order.
struct SiteData {
  std::map<std::string, std::string> projectFields;
  std::vector<BoringFields> borings;  // each with its "BoringName"
  std::vector<MapBoring> mapBorings;  // the same borings: names, wells
};

// Reads the project; false with a reason when it cannot be read.
bool loadSiteData(const db::Database& database, SiteData& out, std::string& error);

// The figures' paper: `paper` turned to landscape.
void setLandscapePaper(render::PrintSurface& surface, const QPageSize& paper);

// Composes the site map in a new document on `surface` (whose paper the
// caller has set). `layout`, when given, receives where the borings went.
render::RunResult composeSiteMap(const FigureRun& run, const MapOptions& options,
                                 render::PrintSurface& surface, SiteMapLayout* layout = nullptr);

// Composes the section's pages in a new document on `surface`. A section
// that cannot be drawn is refused (kRefused) with every reason, and leaves
// no document.
render::RunResult composeSection(const FigureRun& run, const SectionRequest& request,
                                 render::PrintSurface& surface);

}  // namespace sq::sections
