#pragma once
// Print and Preview hand the working database to the preview window, which builds the report and
// shows it (Preview) or prints it after the print question (Print).
#include "app/messages.h"
#include "app/startup.h"
#include "input_window/input_window.h"
#include "input_window/ui_services.h"
#include "report/preview_window.h"

namespace ktv {

// Sets hooks.run_report to the report command of the preview window, with the program's report
// context, the family entries (the program's family table) and `options` (by default those of
// the start-up values, with the PDF file asked for through `dialogs`). `messages`, `dialogs` and
// `entries` must outlive the window.
void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages,
                      FileDialogs& dialogs, const FamilyEntryTable& entries);
void UsePreviewWindow(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages,
                      const FamilyEntryTable& entries, PreviewOptions options);

// The report context of a request: the start-up databases and the window's facts (the
// per-family memory with the shown family's boxes, the chkhAA check box).
ReportContext ReportContextOf(const ReportRequest& request, const StartupValues& startup,
                              MessageSink* messages);

// The file chooser of "PDF保存": the save dialog of `dialogs`, which asks before replacing a file.
// Once the preview has written the file, its status bar names it.
std::function<std::optional<QString>(QWidget* parent, const QString& proposed)> PdfFileChooser(
    FileDialogs& dialogs);

// Status text that confirms a written PDF file.
QString PdfSavedText(const QString& path);

}  // namespace ktv
