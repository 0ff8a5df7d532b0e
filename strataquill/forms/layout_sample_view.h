#pragma once

#include <QRectF>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "strataquill/layouts/layout_file.h"
#include "strataquill/render/surface_document.h"

namespace sq::render {
class PrintContext;
}

namespace sq::forms {

// A box of the layout that the view outlines over the page, since a sample
// page draws only the depth column: data columns, text boxes, pictures.
struct LayoutGuide {
  enum class Kind { kText, kLine, kGraphic, kColumn } kind;
  int row;  // the grid row (from 0) it comes from
  QRectF inches;
  QString label;
};

// The outlines of `layout`'s items, for the view.
std::vector<LayoutGuide> layoutGuides(const layouts::LayoutForPrint& layout);

// The sample page of the layout being designed, drawn by the composer that
// prints it and shown scaled to the widget, with the outlines of the
// layout's boxes over it and the box of the row being edited picked out.
// It redraws a short while after the layout changes, so typing a
// coordinate moves the box on the page as it is committed.
class LayoutSampleView : public QWidget {
  Q_OBJECT

 public:
  // `layout` gives the layout as the grids hold it now; `layoutPath`
  // places pictures named relative to the layout file; `context` gives the
  // paper and, as a printed sample has them, the open project's current
  // boring for the placeholders.
  LayoutSampleView(std::function<layouts::LayoutForPrint()> layout, std::string layoutPath,
                   render::PrintContext& context, QWidget* parent = nullptr);
  ~LayoutSampleView() override;

  // Redraws a moment from now; changes that come quickly make one redraw.
  void scheduleRedraw();
  // Redraws at once.
  void redraw();
  // Picks out the box of `row` of the grid of `kind`; a row of -1 none.
  void setHighlight(LayoutGuide::Kind kind, int row);
  void setGuidesShown(bool shown);

  const render::SurfaceDocument& document() const { return document_; }
  // The layout's text items (by their place among its Text rows) whose text
  // did not fit its box on the page last drawn.
  const std::vector<int>& textsNotFitting() const { return textsNotFitting_; }
  const std::vector<LayoutGuide>& guides() const { return guides_; }
  // Why no page could be drawn ("" when it was).
  const QString& problem() const { return problem_; }
  int redraws() const { return redraws_; }
  bool redrawPending() const { return timer_.isActive(); }
  // The page rectangle in widget pixels.
  QRectF pageRect() const;
  // The milliseconds between a change and its redraw.
  static constexpr int kRedrawDelayMs = 150;

 signals:
  // The page has been drawn again.
  void redrawn();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::function<layouts::LayoutForPrint()> layout_;
  std::string layoutPath_;
  render::PrintContext& context_;
  render::SurfaceDocument document_;
  std::vector<LayoutGuide> guides_;
  std::vector<int> textsNotFitting_;
  QString problem_;
  QTimer timer_;
  LayoutGuide::Kind highlightKind_ = LayoutGuide::Kind::kText;
  int highlightRow_ = -1;
  bool guidesShown_ = true;
  int redraws_ = 0;
};

}  // namespace sq::forms
