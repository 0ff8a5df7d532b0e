#include "strataquill/render/log_composer.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>

#include "strataquill/db/ascii_case.h"
#include "strataquill/db/database.h"
#include "strataquill/layouts/layout_codes.h"
#include "strataquill/render/data_columns.h"
#include "strataquill/render/depth_scale.h"
#include "strataquill/render/placeholders.h"

namespace sq::render {
namespace {

constexpr double kTw = kTwipsPerInch;

// A log longer than this many pages is a mistake in the options, not a log.
constexpr int kMaxPages = 5000;

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
  return true;
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

  for (const layouts::LayoutGraphic& g : layout.graphics) {
    const std::string path = resolvePicturePath(g.fileName, layoutPath);
    const QImage picture = surface_.loadPicture(QString::fromStdString(path));
    surface_.drawPicture(
        picture, QString::fromStdString(path),
        QRectF(QPointF(g.box.x * kTw, g.box.y * kTw), QPointF(g.box.xx * kTw, g.box.yy * kTw)));
  }
  if (cancelled()) return;

  surface_.textAngle = 0;
  for (const layouts::LayoutColumn& column : layout.columns)
    drawColumn(column, window, layout.options, carried);
  if (cancelled()) return;

  for (const layouts::LayoutText& item : layout.texts) drawTextItem(item, pageNumber);
  if (cancelled()) return;

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
  if (job_.reportType == kLayoutSample && name != "DEPTH") return;
  // No text leaves its column. Depth labels are centred on their ticks, so
  // those at the top and bottom edges reach over them by design; they are
  // held to the column's sides only.
  ColumnClip clip(surface_, name == "DEPTH" ? QRectF(QPointF(box.x * kTw, 0),
                                                     QPointF(box.xx * kTw, surface_.pageHeight()))
                                            : QRectF(QPointF(box.x * kTw, box.y * kTw),
                                                     QPointF(box.xx * kTw, box.yy * kTw)));
  PageContext ctx{surface_,
                  data_,
                  catalogue_,
                  job_.patternFolder,
                  std::max(0.1, static_cast<double>(options_.patternScaleFactor)),
                  carried};
  if (name == "DEPTH") {
    drawDepth(surface_, box, window, options_.majorTickInterval, options_.minorTickInterval,
              layoutOptions);
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

void LogComposer::drawTextItem(const layouts::LayoutText& item, int pageNumber) {
  applyFont(item.font);
  surface_.textColor = layouts::GetColor(item.textColor);
  surface_.textAngle = static_cast<int>(std::lround(item.angle * 10));

  const bool placeholder = item.text.starts_with("<<");
  std::string text = item.text;
  if (placeholder) {
    PlaceholderRun run{job_.projectPath, pageNumber, job_.printDate, job_.printTime};
    text = getVariableText(data_, run, item.text);
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
    return;
  }
  surface_.textAlign = align == layouts::Alignment::kCenter  ? TextAlign::kCenter
                       : align == layouts::Alignment::kRight ? TextAlign::kRight
                                                             : TextAlign::kLeft;
  const QString fitting = longestFittingPrefix(surface_, qtext, x, y, xx, yy);
  if (!fitting.isEmpty()) surface_.drawRectText(fitting, x, y, xx, yy);
  surface_.textAlign = TextAlign::kLeft;
}

}  // namespace sq::render
