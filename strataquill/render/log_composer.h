#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "strataquill/layouts/layout_file.h"
#include "strataquill/render/boring_data.h"
#include "strataquill/render/page_context.h"
#include "strataquill/render/print_options.h"
#include "strataquill/render/print_surface.h"

namespace sq::render {

// One boring's print run: which project and boring, what kind of report,
// and where the program's shared files are.
struct RenderJob {
  std::string projectPath;
  // The open project's connection, when a session holds one; else the run
  // opens projectPath itself.
  const db::Database* database = nullptr;
  std::string boring;
  int reportType = kBoringLog;
  std::string designerLayoutPath;  // the layout of a layout sample
  std::string classificationFile;
  std::string patternFolder;
  // Date and time for the print placeholders; the system's when empty.
  std::function<std::string()> printDate;
  std::function<std::string()> printTime;
  // Lets window events through between the stages of a page, so a cancel
  // can take effect; nothing when empty.
  std::function<void()> letEventsRun;
  // Told the number of each page (from 1) as it is started; may be empty.
  std::function<void(int page)> pageStarted;
  // A layout sample drawn from this layout instead of reading the file at
  // designerLayoutPath (which still places relative picture names): the
  // layout designer shows its page while it is being edited.
  std::shared_ptr<const layouts::LayoutForPrint> sampleLayout;
};

// Composes the pages of one boring's log on a print surface: it splits the
// boring's depth range into pages and draws each page's layout: pictures,
// data columns, text items and lines, in that order.
class LogComposer {
 public:
  LogComposer(PrintSurface& surface, PrintOptions& options, RenderJob job);

  // Draws every page of the log into the surface's open document, the first
  // on its current page, each further one on a new page, and the legend
  // page(s) when the options ask for them. Items that print the page count
  // are drawn when the pages are composed, in their place. False when the
  // run was cancelled (the options' cancel flag was set).
  bool composePages();
  int pagesComposed() const { return pages_; }

  // Stages of a page, for the page loop and for tests. A text item returns
  // whether its whole text fitted its box.
  bool drawTextItem(const layouts::LayoutText& item, int pageNumber, int pageCount = 0);
  void drawColumn(const layouts::LayoutColumn& column, const DepthWindow& window,
                  const layouts::LayoutOptions& layoutOptions, std::vector<CarriedItem>& carried);

  const BoringData& data() const { return data_; }
  // The text items (by their place in the layout's Text rows) that did not
  // fit their boxes on the first page: the layout designer marks them.
  const std::vector<int>& firstPageTextsNotFitting() const { return notFitting_; }

 private:
  // A text item waiting for the page count, and where it goes.
  struct Deferred {
    const layouts::LayoutText* item;
    int index;       // its place in the layout's Text rows
    int page;        // index of the surface's page
    std::size_t at;  // its place among the page's operations
    int pageNumber;
  };

  bool cancelled();
  void drawPage(const std::string& layoutPath, const DepthWindow& window, int pageNumber,
                std::vector<CarriedItem>& carried);
  // The pictures of a page.
  void drawFurniture(const layouts::LayoutForPrint& layout, const std::string& layoutPath);
  void drawTexts(const layouts::LayoutForPrint& layout, int pageNumber);
  void drawLines(const layouts::LayoutForPrint& layout);
  bool drawLegendPages(int& pageNumber);
  std::string endOfBoringNote() const;
  void applyFont(const layouts::LayoutFont& font);
  const layouts::LayoutForPrint& layoutFor(const std::string& path);

  PrintSurface& surface_;
  PrintOptions& options_;
  RenderJob job_;
  BoringData data_;
  Catalogue catalogue_;
  // Layouts read during this run: a file is read once however many pages
  // use it.
  std::map<std::string, layouts::LayoutForPrint> layouts_;
  int pages_ = 0;
  std::vector<Deferred> deferred_;
  std::vector<int> notFitting_;
};

// The longest prefix of `text` that fits the box as a paragraph in the
// surface's current font (the whole text when it fits); "" when not even
// one character fits.
QString longestFittingPrefix(PrintSurface& surface, const QString& text, double left, double top,
                             double right, double bottom);

// The path of a picture named in a layout: as stored when it exists, else
// relative to the layout's folder.
std::string resolvePicturePath(const std::string& stored, const std::string& layoutPath);

}  // namespace sq::render
