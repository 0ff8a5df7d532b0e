#include "strataquill/render/print_run.h"

#include <QApplication>

#include "strataquill/render/frm_print_preview.h"
#include "strataquill/render/log_composer.h"
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
               bool moreBoringsFollow, int& result, int copies) {
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

  frmPrintPreview preview(&options, &context.printer(), context.mainWindow());
  PrintSurface& surface = preview.vsPrinter();
  preview.SetVSPrinterPageSize();
  surface.setCopies(copies);
  surface.setDocumentName(QString::fromStdString(documentName));

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
                  [] { QApplication::processEvents(); }};
    LogComposer composer(surface, options, std::move(job));
    finished = composer.composePages() && !options.printCancelled;
    if (finished && Destination != kToPreview) {
      surface.endDoc();
      if (!printDocument(surface.document(), context.printer(), surface.copies())) finished = false;
    }
  }
  if (finished && Destination == kToPreview) {
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
