#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "strataquill/render/log_run.h"
#include "strataquill/render/print_context.h"
#include "strataquill/sections/figure_run.h"

class QLabel;
class QLayout;
class QListWidget;
class QPushButton;

namespace sq::forms {

// Shows one page of a composed figure scaled to the widget, on a white
// sheet, and maps the widget's points to the page's inches.
class FigurePageView : public QWidget {
  Q_OBJECT

 public:
  explicit FigurePageView(QWidget* parent = nullptr);
  void show(const render::SurfaceDocument* document, int page);
  int page() const { return page_; }
  // The sheet's rectangle in the widget.
  QRectF sheet() const;
  QPointF toPage(const QPointF& widgetPoint) const;    // inches
  QPointF fromPage(const QPointF& pageInches) const;  // widget pixels

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const render::SurfaceDocument* document_ = nullptr;
  int page_ = 0;
};

// A window of the open project that shows a figure (the site map, a
// cross-section) and prints it: to the preview, the printer or a PDF file,
// through the same road as the logs. Subclasses say how the figure is
// composed; the window composes it again when the project's borings
// change, and closes with the project.
class FigureWindow : public QWidget {
  Q_OBJECT

 public:
  FigureWindow(render::PrintContext& context, QWidget* parent);

  // Composes the figure again and shows it; a figure that cannot be drawn
  // shows why instead.
  void refresh();
  // File > Print and Print Preview: render::kToPreview or kToPrinter.
  void print(int destination);
  // Writes the figure as a PDF file the user chooses.
  void savePdf();

  const render::SurfaceDocument& document() const { return surface_.document(); }
  const render::RunResult& composed() const { return composed_; }
  FigurePageView* view() const { return view_; }
  QLabel* message() const { return message_; }

 protected:
  // Composes the figure on `surface`, whose paper is set; `forScreen`
  // when it is shown in the window rather than printed.
  virtual render::RunResult compose(const sections::FigureRun& run, render::PrintSurface& surface,
                                    bool forScreen) = 0;
  // The figure's name in file names ("Site Map").
  virtual std::string figureName() const = 0;
  // Called after every composition.
  virtual void composedAgain() {}
  // Lays out the view and the message, with `side` (controls) on the right.
  void build(QWidget* side);
  // A button of the side panel.
  static QPushButton* addButton(QWidget* side, const char* name, const QString& caption);
  // Under `box`: the list of `names` in order with Up, Down and Remove
  // buttons that change `names` and compose the figure again.
  QListWidget* addOrderedList(QWidget* side, QLayout* box, std::vector<std::string>& names);
  // Shows `names` in `list`, keeping the current row.
  static void showNames(QListWidget* list, const std::vector<std::string>& names);
  // Print Preview, Print and Save as PDF under `box`.
  void addPrintButtons(QWidget* side, QLayout* box);

  render::PrintContext& context_;

 private:
  sections::FigureRun makeRun(render::PrintProgress* progress) const;
  // Composes the figure afresh for printing and hands it to `send` (with
  // the run's progress window); what fails is said in a message.
  void composeAndSend(
      const std::function<render::RunResult(const render::SurfaceDocument&,
                                            render::PrintProgress&)>& send);

  render::PrintSurface surface_;
  render::RunResult composed_;
  FigurePageView* view_;
  QLabel* message_;
};

}  // namespace sq::forms
