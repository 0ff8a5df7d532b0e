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
  // on its current page, each further one on a new page. False when the
  // run was cancelled (the options' cancel flag was set).
  bool composePages();
  int pagesComposed() const { return pages_; }

  // Stages of a page, for the page loop and for tests.
  void drawTextItem(const layouts::LayoutText& item, int pageNumber);
  void drawColumn(const layouts::LayoutColumn& column, const DepthWindow& window,
                  const layouts::LayoutOptions& layoutOptions, std::vector<CarriedItem>& carried);

  const BoringData& data() const { return data_; }

 private:
  bool cancelled();
  void drawPage(const std::string& layoutPath, const DepthWindow& window, int pageNumber,
                std::vector<CarriedItem>& carried);
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
