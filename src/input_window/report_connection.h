#pragma once
// Print and Preview hand the working database to the preview window, which builds the report and
// shows it (Preview) or prints it after the print question (Print).
#include "app/messages.h"
#include "app/startup.h"
#include "input_window/input_window.h"
#include "report/preview_window.h"

namespace ktv {

// Sets hooks.run_report to the report command of the preview window, with the program's report
// context and `options` (by default those of the start-up values). `messages` must outlive the
// window.
void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages);
void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages,
                      PreviewOptions options);

}  // namespace ktv
