#include "strataquill/sections/figure_frame.h"

#include <QLocale>
#include <QPainterPath>

#include <cmath>

#include "strataquill/render/placeholders.h"
#include "strataquill/sections/site_locations.h"

namespace sq::sections {
namespace {

constexpr double kTw = render::kTwipsPerInch;
constexpr double kMargin = 0.4;       // paper edge to border
constexpr double kBlockHeight = 0.85;  // title block
constexpr double kCompanyWidth = 2.7;
constexpr double kProjectWidth = 2.3;
constexpr double kPad = 0.08;

std::string value(const FigureSource& source, const char* token) {
  render::BoringData data;
  data.projectFields = source.projectFields;
  render::PlaceholderRun run;
  run.printDate = source.printDate;
  return render::getVariableText(data, run, token);
}

}  // namespace

QString fitted(const render::PrintSurface& s, const QString& t, double width) {
  if (textWidth(s, t) <= width) return t;
  // The longest prefix that fits with its "...", found by halving: a
  // long text measured once per character would cost its length squared.
  int low = 0, high = static_cast<int>(t.size());
  while (low < high) {
    const int mid = (low + high + 1) / 2;
    if (textWidth(s, t.left(mid) + "...") <= width)
      low = mid;
    else
      high = mid - 1;
  }
  return t.left(std::max(low, 1)).trimmed() + "...";
}

void line(render::PrintSurface& s, double x1, double y1, double x2, double y2) {
  s.drawLine(x1 * kTw, y1 * kTw, x2 * kTw, y2 * kTw);
}

void text(render::PrintSurface& s, const QString& t, double x, double y, render::TextAlign align,
          bool middle) {
  const double w = textWidth(s, t);
  double left = x;
  if (align == render::TextAlign::kCenter) left = x - w / 2;
  if (align == render::TextAlign::kRight) left = x - w;
  s.currentX = left * kTw;
  s.currentY = (middle ? y - textHeight(s) / 2 : y) * kTw;
  s.printText(t);
}

void font(render::PrintSurface& s, double points, bool bold) {
  s.font = render::SurfaceFont{QStringLiteral("Arial"), points, bold, false, false};
}

double textWidth(const render::PrintSurface& s, const QString& t) {
  return s.textWidth(t) / kTw;
}

double textHeight(const render::PrintSurface& s) {
  return s.textHeight() / kTw;
}

QString labelNumber(double value, double step, bool grouped) {
  int decimals = 0;
  while (decimals < 6 && std::abs(step * std::pow(10.0, decimals) -
                                  std::round(step * std::pow(10.0, decimals))) > 1e-6)
    ++decimals;
  if (std::abs(value) < step * 1e-9) value = 0;  // no "-0"
  QLocale locale(QLocale::English);
  if (!grouped) locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale.toString(value, 'f', decimals);
}

double drawScaleBar(render::PrintSurface& s, const QString& title, double x, double y,
                    double unitsPerInch, double maxWidth, const std::string& unit) {
  const double length = niceNumber(maxWidth * unitsPerInch);
  if (!(length > 0)) return 0;
  const double top = y;
  font(s, 7, true);
  text(s, title, x, y);
  y += textHeight(s);
  const double width = length / unitsPerInch, barHeight = 0.06;
  const render::Pen saved = s.pen;
  s.pen = render::Pen{0, render::kPenSolid, 0};
  font(s, 6.5);
  const double labelHeight = textHeight(s);
  const double barTop = y + labelHeight;
  for (int i = 0; i < 4; ++i) {
    QPainterPath segment;
    segment.addRect(QRectF((x + i * width / 4) * kTw, barTop * kTw, width / 4 * kTw,
                           barHeight * kTw));
    render::ShapeFill fill;
    fill.kind = render::ShapeFill::Kind::kSolid;
    fill.color = i % 2 == 0 ? 0x000000 : 0xFFFFFF;
    s.drawShape(segment, fill);
  }
  const QString u = QString::fromStdString(shortUnit(unit));
  text(s, "0", x, y, render::TextAlign::kCenter);
  text(s, labelNumber(length / 2, length / 2), x + width / 2, y, render::TextAlign::kCenter);
  text(s, labelNumber(length, length) + (u.isEmpty() ? QString() : " " + u), x + width, y,
       render::TextAlign::kCenter);
  const QString scale = QStringLiteral("1 in = %1%2")
                            .arg(labelNumber(unitsPerInch, unitsPerInch),
                                 u.isEmpty() ? QString() : " " + u);
  text(s, scale, x, barTop + barHeight + 0.03);
  s.pen = saved;
  return y - top + labelHeight + barHeight + 0.03 + textHeight(s);
}

PageRect figureDrawingArea(double pageWidth, double pageHeight) {
  const double inner = kMargin + kPad;
  return {inner, inner, pageWidth - 2 * inner, pageHeight - 2 * kMargin - kBlockHeight - 2 * kPad};
}

PageRect drawFigureFrame(render::PrintSurface& s, const FigureSource& source,
                         const FigureTitle& title) {
  const double w = s.pageWidth() / kTw, h = s.pageHeight() / kTw;
  const double left = kMargin, right = w - kMargin, top = kMargin, bottom = h - kMargin;
  const double blockTop = bottom - kBlockHeight;
  const render::Pen saved = s.pen;
  s.pen = render::Pen{0, render::kPenSolid, 20};  // one point
  line(s, left, top, right, top);
  line(s, right, top, right, bottom);
  line(s, right, bottom, left, bottom);
  line(s, left, bottom, left, top);
  line(s, left, blockTop, right, blockTop);
  s.pen.width = 10;
  const double c1 = left + kCompanyWidth, c2 = right - kProjectWidth;
  line(s, c1, blockTop, c1, bottom);
  line(s, c2, blockTop, c2, bottom);
  s.pen = saved;

  // Company.
  double y = blockTop + kPad;
  font(s, 11, true);
  text(s, fitted(s, QString::fromStdString(value(source, "<<COMPANY NAME>>")), kCompanyWidth - 2 * kPad),
       left + kPad, y);
  y += textHeight(s);
  font(s, 7.5);
  for (const char* token :
       {"<<COMPANY ADDRESS>>", "<<COMPANY CITY>> + <<COMPANY STATE>> + <<COMPANY ZIP>>"}) {
    text(s, fitted(s, QString::fromStdString(value(source, token)), kCompanyWidth - 2 * kPad),
         left + kPad, y);
    y += textHeight(s);
  }

  // The figure and its project.
  const double mid = (c1 + c2) / 2, midWidth = c2 - c1 - 2 * kPad;
  y = blockTop + kPad;
  font(s, 12, true);
  text(s, fitted(s, QString::fromStdString(title.title), midWidth), mid, y,
       render::TextAlign::kCenter);
  y += textHeight(s);
  font(s, 9, true);
  text(s, fitted(s, QString::fromStdString(title.subtitle), midWidth), mid, y,
       render::TextAlign::kCenter);
  y += textHeight(s);
  font(s, 7.5);
  text(s, fitted(s, QString::fromStdString(value(source, "<<PROJECT NAME>>")), midWidth), mid, y,
       render::TextAlign::kCenter);
  y += textHeight(s);
  const std::string client = value(source, "<<CLIENT>>");
  if (!client.empty())
    text(s, fitted(s, QString::fromStdString("Client: " + client), midWidth), mid, y,
         render::TextAlign::kCenter);

  // Number, date, page.
  const double rowHeight = (kBlockHeight - 2 * kPad) / 3;
  const struct {
    const char* label;
    std::string value;
  } rows[] = {{"PROJECT NO.", value(source, "<<PROJECT NUMBER>>")},
              {"DATE", value(source, "<<PRINT DATE>>")},
              {"SHEET", "Page " + std::to_string(title.page) + " of " + std::to_string(title.pages)}};
  y = blockTop + kPad;
  for (const auto& row : rows) {
    font(s, 6);
    text(s, row.label, c2 + kPad, y);
    const double labelHeight = textHeight(s);
    font(s, 9, true);
    text(s, fitted(s, QString::fromStdString(row.value), kProjectWidth - 2 * kPad), c2 + kPad,
         y + labelHeight * 0.85);
    y += rowHeight;
  }
  return figureDrawingArea(w, h);
}

}  // namespace sq::sections
