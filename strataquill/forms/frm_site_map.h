#pragma once

#include <QPointer>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "strataquill/forms/figure_window.h"

class QListWidget;
class QRubberBand;

namespace sq::forms {

// View > Site Map: every boring of the project with coordinates on a plan,
// as it prints. Borings are picked on it, by a click or by dragging a band
// around them, to make the line of a cross-section.
class frmSiteMap : public FigureWindow {
  Q_OBJECT

 public:
  frmSiteMap(render::PrintContext& context, QWidget* parent = nullptr);

  // The borings picked, in the section's order.
  const std::vector<std::string>& picked() const { return picked_; }
  void setPicked(std::vector<std::string> borings);
  // Picking, in page inches: a click toggles the boring under it; a band
  // dragged from `from` to `to` adds the borings inside it, in the order
  // the band was dragged.
  void clickAt(const QPointF& pageInches);
  void bandFrom(const QPointF& from, const QPointF& to);
  // Where the map put the borings.
  const sections::SiteMapLayout& layout() const { return layout_; }

  // Called with the picked borings when the user asks for their section.
  std::function<void(const std::vector<std::string>&)> onMakeSection;

  QListWidget* lstSection() const { return list_; }

 protected:
  render::RunResult compose(const sections::FigureRun& run, render::PrintSurface& surface,
                            bool forScreen) override;
  std::string figureName() const override { return "Site Map"; }
  void composedAgain() override;
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  std::vector<std::string> picked_;
  sections::SiteMapLayout layout_;
  QListWidget* list_;
  QRubberBand* band_ = nullptr;
  std::optional<QPoint> pressed_;
};

}  // namespace sq::forms
