#include "input_window/report_connection.h"

namespace ktv {

void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup,
                      MessageSink& messages) {
  UsePreviewWindow(hooks, startup, messages, PreviewOptionsFor(startup));
}

void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages,
                      PreviewOptions options) {
  hooks.run_report = [startup, &messages, options](const ReportRequest& request) {
    RunReportCommand(request.window, request.print_directly, request.wall_family,
                     ReportContextFor(startup, &messages), messages, options);
  };
}

}  // namespace ktv
