#include "strataquill/render/print_run.h"

#include <QApplication>

#include <optional>

#include "strataquill/render/frm_print_preview.h"
#include "strataquill/render/log_composer.h"
#include "strataquill/render/print_progress_dialog.h"
#include "strataquill/render/surface_painter.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::render {
namespace {

PreviewHook& previewHook() {
  static PreviewHook hook = nullptr;
  return hook;
}

}  // namespace

void setPreviewHook(PreviewHook hook) {
  previewHook() = hook;
}

void drawPages(PrintContext& context, PrintOptions& options, const std::string& boring,
               int Destination, const std::string& documentName, int reportType,
               bool moreBoringsFollow, int& result, int copies, PrintProgress* progress) {
  // The print dialog closes itself after its last boring, so whether more
  // follow changes nothing here.
  (void)moreBoringsFollow;
  result = 0;
  if (std::string why = validateForRun(options, reportType); !why.empty()) {
    prompts().message(why, "Strataquill", MessageButtons::kOk, MessageIcon::kNone);
    return;
  }
  {
    BusyCursor busy;
    context.saveOpenEditors();
  }
  // A run of one boring that its caller does not follow gets a window of
  // its own.
  std::optional<PrintProgressDialog> ownProgress;
  if (!progress) progress = &ownProgress.emplace(context.mainWindow());
  // The user's Cancel reaches the run through the options' flag, which the
  // composer tests between the stages of every page.
  auto cancelled = [&] {
    if (progress->cancelRequested()) options.printCancelled = true;
    return options.printCancelled;
  };

  frmPrintPreview preview(&options, &context.printer(), context.mainWindow());
  PrintSurface& surface = preview.vsPrinter();
  preview.SetVSPrinterPageSize();
  surface.setCopies(copies);
  surface.setDocumentName(QString::fromStdString(documentName));
  progress->documentStarted(documentName);

  bool finished;
  {
    BusyCursor busy;
    surface.startDoc();
    RenderJob job{context.projectPath(),
                  boring,
                  reportType,
                  context.designerLayoutPath(),
                  context.classificationFile(),
                  context.patternFolder(),
                  {},
                  {},
                  [&] { cancelled(); },
                  [&](int page) { progress->composing(page); },
                  {}};
    LogComposer composer(surface, options, std::move(job));
    finished = composer.composePages() && !cancelled();
    if (finished && Destination != kToPreview) {
      surface.endDoc();
      const PrintOutcome outcome =
          printDocument(surface.document(), context.printer(), surface.copies(), progress);
      if (outcome == PrintOutcome::kCancelled) options.printCancelled = true;
      if (outcome != PrintOutcome::kPrinted) finished = false;
      if (std::string why = printFailureMessage(outcome, context.printer(), surface.documentName());
          !why.empty()) {
        progress->finished();
        prompts().message(why, "Strataquill", MessageButtons::kOk, MessageIcon::kNone);
      }
    }
  }
  if (ownProgress) progress->finished();
  if (finished && Destination == kToPreview) {
    progress->finished();
    surface.setZoom(40);
    preview.UpdatePreviewButtons();
    if (previewHook()) {
      previewHook()(preview);
    } else {
      preview.exec();
    }
    surface.endDoc();
  }
  if (!finished || options.printCancelled) {
    surface.killDoc();
    return;
  }
  result = 1;
}

}  // namespace sq::render
