#include "strataquill/sections/figure_run.h"

#include <QPageLayout>

#include <optional>

#include "strataquill/db/database.h"
#include "strataquill/project/borings.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/sections/section_figure.h"

namespace sq::sections {
namespace {

render::RunResult result(render::RunResult::Outcome outcome, std::string message, int pages = 0) {
  render::RunResult r;
  r.outcome = outcome;
  r.message = std::move(message);
  r.pages = pages;
  return r;
}

// The run's connection: the session's, else one of its own.
class Connection {
 public:
  explicit Connection(const FigureRun& run) {
    if (run.database) {
      db_ = run.database;
      return;
    }
    auto opened = db::Database::open(run.projectPath);
    if (!opened.ok()) {
      error_ = "The project " + run.projectPath + " cannot be opened: " +
               opened.status().message();
      return;
    }
    own_.emplace(std::move(opened.value()));
    db_ = &*own_;
  }
  const db::Database* get() const { return db_; }
  const std::string& error() const { return error_; }

 private:
  std::optional<db::Database> own_;
  const db::Database* db_ = nullptr;
  std::string error_;
};

std::string fileName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

FigureStyle styleOf(const FigureRun& run, const render::Catalogue& catalogue,
                    std::map<std::string, std::string> projectFields) {
  FigureStyle style;
  style.catalogue = &catalogue;
  style.patternFolder = run.patternFolder;
  style.patternScale = run.patternScale < 0.1 ? 0.1 : run.patternScale;
  style.source.projectFields = std::move(projectFields);
  style.source.printDate = run.printDate;
  return style;
}

bool cancelled(const FigureRun& run) {
  return run.progress && run.progress->cancelRequested();
}

}  // namespace

bool loadSiteData(const db::Database& database, SiteData& out, std::string& error) {
  out = SiteData();
  auto names = project::ReadBoringList(database);
  if (!names.ok()) {
    error = "The project has no boring list: " + names.status().message();
    return false;
  }
  std::map<std::string, BoringFields> records;
  if (auto rs = database.openRecordset("Boring Information"); rs.ok()) {
    const std::vector<std::string> fields = rs->fieldNames();
    for (rs->moveFirst(); !rs->eof(); (void)rs->moveNext()) {
      BoringFields f;
      for (const std::string& name : fields) f[name] = rs->text(name);
      records.emplace(f["BoringName"], std::move(f));  // the first row of a name counts
    }
  }
  std::map<std::string, bool> wells;
  if (auto rs = database.openRecordset(
          "SELECT DISTINCT [Completion Information].BoringName FROM [Completion Information];");
      rs.ok())
    for (rs->moveFirst(); !rs->eof(); (void)rs->moveNext()) wells[rs->text("BoringName")] = true;
  if (auto rs = database.openRecordset("Project Information"); rs.ok() && !rs->eof())
    for (const std::string& name : rs->fieldNames()) out.projectFields[name] = rs->text(name);
  for (const std::string& name : names.value()) {
    BoringFields f = records.count(name) ? records[name] : BoringFields{};
    f["BoringName"] = name;
    out.borings.push_back(std::move(f));
    out.mapBorings.push_back({name, wells.count(name) > 0});
  }
  return true;
}

void setLandscapePaper(render::PrintSurface& surface, const QPageSize& paper) {
  render::SetVSPrinterPageSize(surface, QPageLayout(paper, QPageLayout::Landscape, QMarginsF()));
}

render::RunResult composeSiteMap(const FigureRun& run, const MapOptions& options,
                                 render::PrintSurface& surface, SiteMapLayout* layout) {
  using Outcome = render::RunResult::Outcome;
  Connection connection(run);
  if (!connection.get()) return result(Outcome::kNotStarted, connection.error());
  SiteData site;
  std::string error;
  if (!loadSiteData(*connection.get(), site, error)) return result(Outcome::kNotStarted, error);
  const std::string name = "Site Map -- " + fileName(run.projectPath);
  if (run.progress) run.progress->documentStarted(name);
  const render::Catalogue catalogue = render::Catalogue::load(run.classificationFile);
  const FigureStyle style = styleOf(run, catalogue, site.projectFields);
  const SiteLocations located = locateBorings(site.borings);
  surface.setDocumentName(QString::fromStdString(name));
  surface.startDoc();
  surface.resetTextState();
  if (run.progress) run.progress->composing(1);
  SiteMapLayout drawn = drawSiteMap(surface, site.mapBorings, located, options, style);
  if (cancelled(run)) {
    surface.killDoc();
    return result(Outcome::kCancelled, {});
  }
  surface.endDoc();
  if (layout) *layout = std::move(drawn);
  return result(Outcome::kDone, {}, surface.pageCount());
}

render::RunResult composeSection(const FigureRun& run, const SectionRequest& request,
                                 render::PrintSurface& surface) {
  using Outcome = render::RunResult::Outcome;
  Connection connection(run);
  if (!connection.get()) return result(Outcome::kNotStarted, connection.error());
  const db::Database& database = *connection.get();
  std::vector<render::BoringData> data;
  data.reserve(request.borings.size());
  for (const std::string& name : request.borings)
    data.push_back(request.borings.size() <= kMaxSectionBorings
                       ? render::loadBoringData(database, name)
                       : render::BoringData());
  std::vector<const render::BoringData*> pointers;
  for (const auto& d : data) pointers.push_back(&d);
  const SectionModel model = buildSection(request, pointers);
  if (!model.ok()) return result(Outcome::kRefused, model.refusal);
  const SectionPlan plan = planSection(model, surface.pageWidth() / render::kTwipsPerInch,
                                       surface.pageHeight() / render::kTwipsPerInch,
                                       request.verticalExaggeration);
  if (!plan.ok()) return result(Outcome::kRefused, plan.refusal);

  std::map<std::string, std::string> projectFields;
  if (auto rs = database.openRecordset("Project Information"); rs.ok() && !rs->eof())
    for (const std::string& f : rs->fieldNames()) projectFields[f] = rs->text(f);
  const render::Catalogue catalogue = render::Catalogue::load(run.classificationFile);
  const FigureStyle style = styleOf(run, catalogue, std::move(projectFields));
  const std::string name = "Section " + sectionName(model) + " -- " + fileName(run.projectPath);
  if (run.progress) run.progress->documentStarted(name);
  surface.setDocumentName(QString::fromStdString(name));
  surface.startDoc();
  surface.resetTextState();
  bool stopped = false;
  if (run.progress) run.progress->composing(1);
  drawSection(surface, model, plan, style, [&](int page) {
    if (cancelled(run)) {
      stopped = true;
      return false;
    }
    if (run.progress && page < static_cast<int>(plan.pages.size()))
      run.progress->composing(page + 1);
    return true;
  });
  if (stopped || cancelled(run)) {
    surface.killDoc();
    return result(Outcome::kCancelled, {});
  }
  surface.endDoc();
  return result(Outcome::kDone, {}, surface.pageCount());
}

}  // namespace sq::sections
