#pragma once

#include <string>

#include "strataquill/render/print_context.h"
#include "strataquill/render/print_options.h"

namespace sq::render {

class frmPrintPreview;

// Destinations of a print run.
inline constexpr int kToPreview = 0;
inline constexpr int kToPrinter = 1;

// One boring's print run: composes the log on the preview window's surface
// and sends it to the printer, or shows the preview modally. `result` is 1
// when the run finished and 0 when it was cancelled (the document is then
// discarded). Units per page and tick intervals that would make no progress
// are refused with a message before anything is drawn (result 0).
void drawPages(PrintContext& context, PrintOptions& options, const std::string& boring,
               int Destination, const std::string& documentName, int reportType,
               bool moreBoringsFollow, int& result, int copies = 1);

// Replaces the modal display of the finished preview, for tests: it gets
// the window instead of the user. Null restores the normal display.
using PreviewHook = void (*)(frmPrintPreview& preview);
void setPreviewHook(PreviewHook hook);

}  // namespace sq::render
