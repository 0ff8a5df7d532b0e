#pragma once

#include <string>

#include "strataquill/render/print_context.h"
#include "strataquill/render/print_options.h"
#include "strataquill/render/print_progress.h"

namespace sq::render {

class frmPrintPreview;

// Destinations of a print run.
inline constexpr int kToPreview = 0;
inline constexpr int kToPrinter = 1;

// One boring's print run: composes the log on the preview window's surface
// and sends it to the printer, or shows the preview modally. `result` is 1
// when the document printed (or was previewed) and 0 when it did not: the
// run was cancelled (the document is then discarded and the options' cancel
// flag stays set), or the printer could not print it, which a message tells.
// Units per page and tick intervals that would make no progress are refused
// with a message before anything is drawn.
//
// `progress` is told of every page and its Cancel stops the run; a caller
// running several borings passes one for all of them. Without one the run
// shows its own progress window once it has more than one page.
void drawPages(PrintContext& context, PrintOptions& options, const std::string& boring,
               int Destination, const std::string& documentName, int reportType,
               bool moreBoringsFollow, int& result, int copies = 1,
               PrintProgress* progress = nullptr);

// Replaces the modal display of the finished preview, for tests: it gets
// the window instead of the user. Null restores the normal display.
using PreviewHook = void (*)(frmPrintPreview& preview);
void setPreviewHook(PreviewHook hook);

}  // namespace sq::render
