#pragma once
// Print and Preview hand the working database to the preview window, which builds the report and
// shows it (Preview) or prints it after the print question (Print).
#include "app/messages.h"
#include "app/startup.h"
#include "input_window/input_window.h"
#include "report/preview_window.h"

namespace ktv {

// Sets hooks.run_report to the report command of the preview window, with the program's report
// context, the family entries (the program's family table) and `options` (by default those of
// the start-up values). `messages` and `entries` must outlive the window.
void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages,
                      const FamilyEntryTable& entries);
void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages,
                      const FamilyEntryTable& entries, PreviewOptions options);

// The report context of a request: the start-up databases and the window's facts (the
// per-family memory with the shown family's boxes, the chkhAA check box).
ReportContext ReportContextOf(const ReportRequest& request, const StartupValues& startup,
                              MessageSink* messages);

}  // namespace ktv
