#pragma once

#include <string>
#include <vector>

#include "strataquill/render/log_run.h"
#include "strataquill/render/print_context.h"

namespace sq::render {

class frmPrintPreview;

// Destinations of a print run.
inline constexpr int kToPreview = 0;
inline constexpr int kToPrinter = 1;

// One boring's print run: makes the open editors save, composes the log on
// a surface of its own and sends it to the chosen printer, or shows it in
// the preview modally. The document is named after the boring and
// `fileName`. A run that could not print tells the user why (naming the
// printer or the file); a cancelled run leaves nothing and the options'
// cancel flag set.
//
// `progress` is told of every page and its Cancel stops the run; a caller
// running several borings passes one for all of them. Without one the run
// shows its own progress window once it has more than one page.
RunResult drawPages(PrintContext& context, PrintOptions& options, const std::string& boring,
                    int Destination, const std::string& fileName, int reportType,
                    bool moreBoringsFollow, int copies = 1, PrintProgress* progress = nullptr);

// The same for several borings in one document, one after the other: a
// PDF file receives every chosen boring this way, whole or not at all.
RunResult drawPages(PrintContext& context, PrintOptions& options,
                    const std::vector<std::string>& borings, int Destination,
                    const std::string& fileName, int reportType, int copies,
                    PrintProgress* progress);

// Replaces the modal display of the finished preview, for tests: it gets
// the window instead of the user. Null restores the normal display.
using PreviewHook = void (*)(frmPrintPreview& preview);
void setPreviewHook(PreviewHook hook);

}  // namespace sq::render
