#include "strataquill/render/print_run.h"

#include <optional>

#include "strataquill/render/frm_print_preview.h"
#include "strataquill/render/print_progress_dialog.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::render {
namespace {

PreviewHook& previewHook() {
  static PreviewHook hook = nullptr;
  return hook;
}

void tell(const RunResult& result) {
  if (!result.message.empty() && result.outcome != RunResult::Outcome::kCancelled)
    prompts().message(result.message, "Strataquill", MessageButtons::kOk, MessageIcon::kNone);
}

}  // namespace

void setPreviewHook(PreviewHook hook) {
  previewHook() = hook;
}

RunResult drawPages(PrintContext& context, PrintOptions& options, const std::string& boring,
                    int Destination, const std::string& fileName, int reportType,
                    bool moreBoringsFollow, int copies, PrintProgress* progress) {
  // The print dialog closes itself after its last boring, so whether more
  // follow changes nothing here.
  (void)moreBoringsFollow;
  return drawPages(context, options, std::vector<std::string>{boring}, Destination, fileName,
                   reportType, copies, progress);
}

RunResult drawPages(PrintContext& context, PrintOptions& options,
                    const std::vector<std::string>& borings, int Destination,
                    const std::string& fileName, int reportType, int copies,
                    PrintProgress* progress) {
  if (std::string why = validateForRun(options, reportType); !why.empty()) {
    RunResult refused{RunResult::Outcome::kRefused, why, 0};
    tell(refused);
    return refused;
  }
  {
    BusyCursor busy;
    context.saveOpenEditors();
  }
  // A run of one boring that its caller does not follow gets a window of
  // its own.
  std::optional<PrintProgressDialog> ownProgress;
  if (!progress) progress = &ownProgress.emplace(context.mainWindow());

  LogRequest request;
  request.projectPath = context.projectPath();
  request.database = context.projectDatabase();
  request.borings = borings;
  request.reportType = reportType;
  request.fileName = fileName;
  request.designerLayoutPath = context.designerLayoutPath();
  request.classificationFile = context.classificationFile();
  request.patternFolder = context.patternFolder();
  request.options = options;
  request.progress = progress;

  PrintSurface surface;
  SetVSPrinterPageSize(surface, context.printerChoice().pageLayout);
  RunResult result;
  {
    BusyCursor busy;
    result = composeLogs(request, surface);
    options.printCancelled = request.options.printCancelled;
    if (result.ok() && Destination != kToPreview)
      result = sendDocument(surface.document(), context.printerChoice(), copies, progress);
  }
  if (result.outcome == RunResult::Outcome::kCancelled) options.printCancelled = true;
  // The progress window goes before a message or the preview shows, and
  // with the run when it was this run's own.
  if (ownProgress || !result.message.empty() || Destination == kToPreview) progress->finished();
  tell(result);
  if (result.ok() && Destination == kToPreview) {
    frmPrintPreview preview(surface.document(), &context.printerChoice(), context.mainWindow());
    preview.setZoom(40);
    if (previewHook()) {
      previewHook()(preview);
    } else {
      preview.exec();
    }
    if (preview.printed()) result = *preview.printed();
    if (result.outcome == RunResult::Outcome::kCancelled) options.printCancelled = true;
  }
  return result;
}

}  // namespace sq::render
