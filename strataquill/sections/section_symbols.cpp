#include "strataquill/sections/section_symbols.h"

#include <QPainterPath>

#include "strataquill/render/data_columns.h"

namespace sq::sections {

namespace {
constexpr double kTw = render::kTwipsPerInch;
constexpr double kSymbolWidth = 0.11;
constexpr double kSymbolHeight = 0.09;
}  // namespace

void drawWaterSymbol(render::PrintSurface& s, double x, double y, bool filled) {
  const render::Pen saved = s.pen;
  s.pen = render::Pen{0, render::kPenSolid, 0};
  QPainterPath triangle;
  triangle.moveTo((x - kSymbolWidth / 2) * kTw, (y - kSymbolHeight) * kTw);
  triangle.lineTo((x + kSymbolWidth / 2) * kTw, (y - kSymbolHeight) * kTw);
  triangle.lineTo(x * kTw, y * kTw);
  triangle.closeSubpath();
  render::ShapeFill fill;
  fill.kind = render::ShapeFill::Kind::kSolid;
  fill.color = filled ? 0x000000 : 0xFFFFFF;
  s.drawShape(triangle, fill);
  const double w1 = kSymbolWidth * 0.8, w2 = kSymbolWidth * 0.45, gap = 0.025;
  s.drawLine((x - w1 / 2) * kTw, (y + gap) * kTw, (x + w1 / 2) * kTw, (y + gap) * kTw);
  s.drawLine((x - w2 / 2) * kTw, (y + 2 * gap) * kTw, (x + w2 / 2) * kTw, (y + 2 * gap) * kTw);
  s.pen = saved;
}

void drawLegendSwatch(render::PrintSurface& s, const render::Catalogue& catalogue,
                      const std::string& patternFolder, double patternScale,
                      const std::string& classText, double x, double y, double xx, double yy) {
  render::BoringData one;
  render::LithologyRow row;
  row.from = 0;
  row.to = 1;
  row.classification = classText;
  one.lithology = render::DepthRows<render::LithologyRow>({row});
  std::vector<render::CarriedItem> carried;
  render::PageContext ctx{s, one, catalogue, patternFolder, patternScale, carried};
  const render::Pen saved = s.pen;
  s.pen = render::Pen{0, render::kPenSolid, 0};
  render::drawLithology(ctx, {x, y, xx, yy}, {0, 1});
  s.pen = saved;
}

}  // namespace sq::sections
