#include "input_window/report_connection.h"

#include <string>

namespace ktv {

void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages,
                      const FamilyEntryTable& entries) {
  UsePreviewWindow(hooks, startup, messages, entries, PreviewOptionsFor(startup));
}

void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages,
                      const FamilyEntryTable& entries, PreviewOptions options) {
  options.entries = &entries;
  hooks.run_report = [startup, &messages, options](const ReportRequest& request) {
    const std::optional<WallFamily> family = WallFamilyFromCode(request.wall_family);
    if (!family) {
      messages.Inform("擁壁の種類が選択されていません。");
      return;
    }
    RunReportCommand(request.window, request.print_directly, *family,
                     ReportContextOf(request, startup, &messages), messages, options);
  };
}

ReportContext ReportContextOf(const ReportRequest& request, const StartupValues& startup,
                              MessageSink* messages) {
  ReportContext context = ReportContextFor(startup, messages);
  if (request.inputs) {
    // The boxes of the shown family are newer than its memory.
    WindowInputs inputs = *request.inputs;
    SaveShownDimensions(inputs);
    context.dimensions = inputs.memory;
    context.design_section_aa = inputs.design_aa;
  }
  return context;
}

}  // namespace ktv
