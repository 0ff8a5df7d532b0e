#include "strataquill/render/log_composer.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>

#include "strataquill/db/ascii_case.h"
#include "strataquill/db/database.h"
#include "strataquill/db/value.h"
#include "strataquill/layouts/layout_codes.h"
#include "strataquill/render/data_columns.h"
#include "strataquill/render/depth_scale.h"
#include "strataquill/render/groundwater_column.h"
#include "strataquill/render/legend_page.h"
#include "strataquill/render/n_graph_column.h"
#include "strataquill/render/placeholders.h"

namespace sq::render {
namespace {

constexpr double kTw = kTwipsPerInch;

// A log longer than this many pages is a mistake in the options, not a log.
constexpr int kMaxPages = 5000;

// The size of the N graph's scale labels when its row's Size holds the
// plot's maximum.
constexpr double kNGraphLabelPoints = 6.5;

// Whether a page of `layout` has a description column that carried text can
// be drawn into.
bool takesDescriptions(const layouts::LayoutForPrint& layout) {
  for (const layouts::LayoutColumn& column : layout.columns)
    if (db::toUpperAscii(column.name) == "DESCRIPTION" && column.box.yy > column.box.y) return true;
  return false;
}

int pendingItems(const std::vector<CarriedItem>& carried) {
  return static_cast<int>(
      std::count_if(carried.begin(), carried.end(), [](const CarriedItem& c) { return !c.done; }));
}

// Keeps text of one column inside the column's box for as long as it lives.
class ColumnClip {
 public:
  ColumnClip(PrintSurface& surface, const QRectF& box) : surface_(surface) {
    surface_.textClip = box;
  }
  ~ColumnClip() { surface_.textClip = QRectF(); }
  ColumnClip(const ColumnClip&) = delete;
  ColumnClip& operator=(const ColumnClip&) = delete;

 private:
  PrintSurface& surface_;
};

}  // namespace

QString longestFittingPrefix(PrintSurface& surface, const QString& text, double left, double top,
                             double right, double bottom) {
  auto fits = [&](int n) { return surface.rectTextFits(text.left(n), left, top, right, bottom); };
  if (fits(static_cast<int>(text.size()))) return text;
  // Wrapping a longer prefix never takes fewer lines, so the fitting
  // prefixes are exactly those up to some length: search for it.
  int lo = 0, hi = static_cast<int>(text.size()) - 1;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (fits(mid)) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  if (lo > 0 && text[lo - 1].isHighSurrogate()) --lo;
  return lo >= 1 ? text.left(lo) : QString();
}

std::string resolvePicturePath(const std::string& stored, const std::string& layoutPath) {
  namespace fs = std::filesystem;
  std::string path = stored;
  for (char& c : path)
    if (c == '\\') c = '/';
  std::error_code ec;
  if (fs::exists(path, ec) || fs::path(path).is_absolute()) return path;
  fs::path beside = fs::path(layoutPath).parent_path() / path;
  return fs::exists(beside, ec) ? beside.string() : path;
}

LogComposer::LogComposer(PrintSurface& surface, PrintOptions& options, RenderJob job)
    : surface_(surface), options_(options), job_(std::move(job)) {}

bool LogComposer::cancelled() {
  if (job_.letEventsRun) job_.letEventsRun();
  return options_.printCancelled;
}

void LogComposer::applyFont(const layouts::LayoutFont& font) {
  // A value the surface cannot take (an empty name, a size of 0) is skipped
  // and the previous one stays.
  if (!QString::fromStdString(font.name).trimmed().isEmpty())
    surface_.font.name = QString::fromStdString(font.name);
  surface_.font.bold = font.bold;
  surface_.font.italic = font.italic;
  if (font.size > 0 && std::isfinite(font.size)) surface_.font.size = font.size;
  surface_.font.underline = font.underline;
}

bool LogComposer::composePages() {
  std::optional<db::Database> own;
  if (!job_.database)
    if (auto opened = db::Database::open(job_.projectPath); opened.ok())
      own.emplace(std::move(opened.value()));
  const db::Database* database = job_.database ? job_.database : own ? &*own : nullptr;
  data_ = database ? loadBoringData(*database, job_.boring) : BoringData();
  catalogue_ = Catalogue::load(job_.classificationFile);
  layouts_.clear();
  if (job_.sampleLayout && job_.reportType == kLayoutSample)
    layouts_.emplace(job_.designerLayoutPath, *job_.sampleLayout);
  surface_.resetTextState();

  float deepest = job_.reportType != kBoringLog ? options_.unitsPerFirstPage
                  : database                    ? GetMaxDepth(*database, job_.boring)
                                                : 0.0f;
  if (!(deepest > 0)) deepest = 1.0f;

  std::vector<CarriedItem> carried;
  float top = 0.0f;
  int pageNumber = 1;
  pages_ = 0;
  deferred_.clear();
  notFitting_.clear();
  PageLayoutChoice choice =
      chooseLayoutForPage(options_, job_.reportType, pageNumber, job_.designerLayoutPath);
  while (choice.units > 0) {
    if (pageNumber > 1) surface_.newPage();
    if (job_.pageStarted) job_.pageStarted(pageNumber);
    const int pendingBefore = pendingItems(carried);
    drawPage(choice.layoutFile, {top, choice.units}, pageNumber, carried);
    ++pages_;
    if (options_.printCancelled) return false;
    const float next = top + choice.units;
    if (!(next > top)) break;  // the units are too small to move on
    if (pageNumber >= kMaxPages) break;
    const bool overrunPage = !(top < deepest);
    top = next;
    choice =
        chooseLayoutForPage(options_, job_.reportType, pageNumber + 1, job_.designerLayoutPath);
    // Behind the last depth, pages go on only to finish descriptions: while
    // the next page has a description column to take them, and while each
    // such page takes some.
    if (!(top < deepest)) {
      const int pending = pendingItems(carried);
      if (pending == 0 || (overrunPage && pending >= pendingBefore)) break;
      if (!takesDescriptions(layoutFor(choice.layoutFile))) break;
    }
    ++pageNumber;
  }
  if (options_.legendPage && job_.reportType == kBoringLog && !drawLegendPages(pageNumber))
    return false;

  // The page count is known: the items that print it go where they belong,
  // under whatever was drawn after them.
  for (auto it = deferred_.rbegin(); it != deferred_.rend(); ++it) {
    surface_.beginInsert(it->page, it->at);
    if (!drawTextItem(*it->item, it->pageNumber, pages_) && it->pageNumber == 1)
      notFitting_.push_back(it->index);
    surface_.endInsert();
  }
  deferred_.clear();
  std::sort(notFitting_.begin(), notFitting_.end());
  return true;
}

bool LogComposer::drawLegendPages(int& pageNumber) {
  const std::vector<LegendSection> sections = legendSections(data_, catalogue_);
  const PageLayoutChoice choice =
      chooseLayoutForPage(options_, kBoringLog, pageNumber + 1, job_.designerLayoutPath);
  const layouts::LayoutForPrint& layout = layoutFor(choice.layoutFile);
  const QRectF area =
      legendArea(layout, QSizeF(surface_.pageWidth() / kTw, surface_.pageHeight() / kTw));
  // Kept with the layouts, since text items waiting for the page count
  // point into it.
  const auto legendLayout =
      layouts_.emplace("\n" + choice.layoutFile, legendPageLayout(layout, area)).first;
  const std::size_t entries = legendEntryCount(sections);
  std::size_t drawn = 0;
  do {
    ++pageNumber;
    surface_.newPage();
    if (job_.pageStarted) job_.pageStarted(pageNumber);
    drawFurniture(legendLayout->second, choice.layoutFile);
    const std::size_t now =
        drawLegend(surface_, sections, drawn, area, job_.patternFolder,
                   std::max(0.1, static_cast<double>(options_.patternScaleFactor)));
    drawn += now;
    drawTexts(legendLayout->second, pageNumber);
    drawLines(legendLayout->second);
    ++pages_;
    if (cancelled()) return false;
    // A legend whose next entry does not fit even an empty page ends here.
    if (now == 0) break;
  } while (drawn < entries && pageNumber < kMaxPages);
  return true;
}

std::string LogComposer::endOfBoringNote() const {
  if (!data_.bottomDepth) return {};
  auto it = data_.boringFields.find("DepthUnits");
  std::string units = it == data_.boringFields.end() ? std::string() : it->second;
  for (char& c : units) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  units.erase(0, units.find_first_not_of(' '));
  units.erase(units.find_last_not_of(' ') + 1);
  return "Boring terminated at " + db::formatSingle(*data_.bottomDepth) +
         (units.empty() ? "" : " " + units) + ".";
}

const layouts::LayoutForPrint& LogComposer::layoutFor(const std::string& path) {
  auto it = layouts_.find(path);
  if (it == layouts_.end()) {
    it = layouts_.emplace(path, layouts::LayoutForPrint{}).first;
    layouts::readLayoutForPrint(path, it->second);
  }
  return it->second;
}

void LogComposer::drawPage(const std::string& layoutPath, const DepthWindow& window, int pageNumber,
                           std::vector<CarriedItem>& carried) {
  const layouts::LayoutForPrint& layout = layoutFor(layoutPath);
  if (cancelled()) return;
  drawFurniture(layout, layoutPath);
  if (cancelled()) return;

  surface_.textAngle = 0;
  for (const layouts::LayoutColumn& column : layout.columns)
    drawColumn(column, window, layout.options, carried);
  if (cancelled()) return;

  drawTexts(layout, pageNumber);
  if (cancelled()) return;
  drawLines(layout);
}

void LogComposer::drawFurniture(const layouts::LayoutForPrint& layout,
                                const std::string& layoutPath) {
  for (const layouts::LayoutGraphic& g : layout.graphics) {
    const std::string path = resolvePicturePath(g.fileName, layoutPath);
    const QImage picture = surface_.loadPicture(QString::fromStdString(path));
    surface_.drawPicture(
        picture, QString::fromStdString(path),
        QRectF(QPointF(g.box.x * kTw, g.box.y * kTw), QPointF(g.box.xx * kTw, g.box.yy * kTw)));
  }
}

void LogComposer::drawTexts(const layouts::LayoutForPrint& layout, int pageNumber) {
  for (std::size_t i = 0; i < layout.texts.size(); ++i) {
    const layouts::LayoutText& item = layout.texts[i];
    if (needsPageCount(item.text)) {
      deferred_.push_back(
          {&item, static_cast<int>(i), surface_.pageIndex(), surface_.opCount(), pageNumber});
      continue;
    }
    if (!drawTextItem(item, pageNumber) && pageNumber == 1)
      notFitting_.push_back(static_cast<int>(i));
  }
}

void LogComposer::drawLines(const layouts::LayoutForPrint& layout) {
  for (const layouts::LayoutLine& line : layout.lines) {
    surface_.pen.style = layouts::GetPenStyle(line.penStyle);
    surface_.pen.width = std::max(0.0f, line.penWidth);
    surface_.pen.color = layouts::GetColor(line.penColor);
    surface_.drawLine(std::round(line.box.x * kTw), std::round(line.box.y * kTw), line.box.xx * kTw,
                      line.box.yy * kTw);
  }
}

void LogComposer::drawColumn(const layouts::LayoutColumn& column, const DepthWindow& window,
                             const layouts::LayoutOptions& layoutOptions,
                             std::vector<CarriedItem>& carried) {
  surface_.pen.color = layouts::GetColor(column.penColor);
  surface_.pen.style = layouts::GetPenStyle(column.penStyle);
  surface_.pen.width = std::max(0.0f, column.penWidth);
  applyFont(column.font);
  surface_.textColor = layouts::GetColor(column.textColor);

  const ColumnBox box{column.box.x, column.box.y, column.box.xx, column.box.yy};
  // A box without height has no depth window to draw into.
  if (!(box.yy > box.y)) return;
  const std::string name = db::toUpperAscii(column.name);
  // A layout sample shows the columns that need no intervals of a boring.
  const bool scale = name == "DEPTH" || name == "ELEVATION" || name == "N GRAPH";
  if (job_.reportType == kLayoutSample && !scale && name != "WATER LEVEL") return;
  // No text leaves its column. Scale labels are centred on their ticks, so
  // those at the top and bottom edges reach over them by design (and the N
  // graph's stand above it); they are held to the column's sides only.
  ColumnClip clip(
      surface_,
      scale ? QRectF(QPointF(box.x * kTw, 0), QPointF(box.xx * kTw, surface_.pageHeight()))
            : QRectF(QPointF(box.x * kTw, box.y * kTw), QPointF(box.xx * kTw, box.yy * kTw)));
  static const BoringData kNoIntervals;
  PageContext ctx{surface_,
                  job_.reportType == kLayoutSample && name == "N GRAPH" ? kNoIntervals : data_,
                  catalogue_,
                  job_.patternFolder,
                  std::max(0.1, static_cast<double>(options_.patternScaleFactor)),
                  carried,
                  layoutOptions.endOfBoringNote ? endOfBoringNote() : std::string()};
  if (name == "DEPTH") {
    drawDepth(surface_, box, window, options_.majorTickInterval, options_.minorTickInterval,
              layoutOptions);
  } else if (name == "ELEVATION") {
    drawElevation(surface_, box, window, options_.majorTickInterval, options_.minorTickInterval,
                  layoutOptions, data_.groundElevation);
  } else if (name == "WATER LEVEL") {
    drawWaterLevels(ctx, box, window);
  } else if (name == "N VALUE") {
    drawGenericColumnText(ctx, kNValueColumn, box, window, false);
  } else if (name == "N GRAPH") {
    // The row's Size may carry the plot's maximum; its labels are then
    // small.
    const NGraphScale scaleOf = nGraphScale(column.font.size);
    if (scaleOf.sizeIsMaximum) surface_.font.size = kNGraphLabelPoints;
    drawNGraph(ctx, box, window, scaleOf.maximum);
  } else if (name == "DESCRIPTION") {
    drawDescription(ctx, box, window);
  } else if (name == "BLOW COUNT") {
    drawGenericColumnText(ctx, kBlowCountColumn, box, window, false);
  } else if (name == "CLASSIFICATION") {
    drawGenericColumnText(ctx, kClassificationColumn, box, window, true);
  } else if (name.starts_with("USERTEXT")) {
    const std::string number = name.substr(8);
    for (int n = 1; n <= 10; ++n)
      if (number == std::to_string(n))
        drawGenericColumnText(ctx, kUserTextColumn + n, box, window, false);
  } else if (name == "SAMPLE SYMBOL") {
    drawSampleSymbol(ctx, box, window);
  } else if (name == "LITHOLOGY") {
    drawLithology(ctx, box, window);
  } else if (name == "COMPLETION") {
    drawCompletion(ctx, box, window);
  }
}

bool LogComposer::drawTextItem(const layouts::LayoutText& item, int pageNumber, int pageCount) {
  applyFont(item.font);
  surface_.textColor = layouts::GetColor(item.textColor);
  surface_.textAngle = static_cast<int>(std::lround(item.angle * 10));

  const bool placeholder = item.text.starts_with("<<");
  std::string text = item.text;
  if (placeholder || item.text.find("<<") != std::string::npos) {
    PlaceholderRun run{job_.projectPath, pageNumber, pageCount, job_.printDate, job_.printTime};
    text = fillText(data_, run, item.text);
  }
  const QString qtext = QString::fromStdString(text);
  const double x = item.box.x * kTw, y = item.box.y * kTw;
  const double xx = item.box.xx * kTw, yy = item.box.yy * kTw;
  const layouts::Alignment align = layouts::GetAlignment(item.alignment);

  if ((!placeholder || job_.reportType == kBoringLog) && x > xx && y > yy) {
    const double width = surface_.textWidth(qtext);
    surface_.currentX = align == layouts::Alignment::kCenter  ? x - width / 2
                        : align == layouts::Alignment::kRight ? x - width
                                                              : x;
    surface_.currentY = y;
    surface_.printText(qtext);
    return true;
  }
  surface_.textAlign = align == layouts::Alignment::kCenter  ? TextAlign::kCenter
                       : align == layouts::Alignment::kRight ? TextAlign::kRight
                                                             : TextAlign::kLeft;
  const QString fitting = longestFittingPrefix(surface_, qtext, x, y, xx, yy);
  bool whole = fitting.size() == qtext.size();
  if (!fitting.isEmpty()) {
    surface_.drawRectText(fitting, x, y, xx, yy);
  } else if (!qtext.trimmed().isEmpty() && xx > x && yy > y) {
    // Type too large for its box: its first line, cut off at the box, so
    // the item shows that it is there.
    const QString line = surface_.wrapText(qtext, xx - x).value(0);
    const double width = surface_.textWidth(line);
    ColumnClip clip(surface_, QRectF(QPointF(x, y), QPointF(xx, yy)));
    surface_.currentX = align == layouts::Alignment::kCenter  ? x + (xx - x - width) / 2
                        : align == layouts::Alignment::kRight ? xx - width
                                                              : x;
    surface_.currentY = y;
    surface_.printText(line);
  } else {
    whole = qtext.trimmed().isEmpty();
  }
  surface_.textAlign = TextAlign::kLeft;
  return whole;
}

}  // namespace sq::render
