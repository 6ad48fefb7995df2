#pragma once
// Print and Preview hand the working database to the report build. Until the report has a preview
// window of its own, the report is written as a PDF file beside the working database.
#include <QString>

#include "app/messages.h"
#include "app/startup.h"
#include "input_window/input_window.h"

namespace ktv {

// Where the report goes: "計算書.pdf" in the data folder.
QString ReportPdfPath(const StartupValues& startup);

// Sets hooks.run_report: builds the report of the current family and writes it to
// ReportPdfPath, then tells the engineer where it is. `messages` must outlive the window.
void UseReportBuild(InputWindowHooks& hooks, const StartupValues& startup, MessageSink& messages);

}  // namespace ktv
