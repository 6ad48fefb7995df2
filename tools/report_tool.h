#pragma once
// The batch report command: a project file in, the calculation report out as PDF, plain text
// and the calculation values as JSON, without a window.
#include <ostream>
#include <string>
#include <vector>

#include "report/report_context.h"
#include "temp_files.h"

namespace ktv {

// Exit statuses of the command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;       // bad arguments
inline constexpr int kExitProject = 2;     // missing file or not a project
inline constexpr int kExitNotBuilt = 3;    // the family's report does not exist (yet)
inline constexpr int kExitBuild = 4;       // calculation undefined, database or writer error
inline constexpr int kExitOutput = 5;      // an output file could not be written
inline constexpr int kExitSomeFailed = 6;  // many projects: one or more of them failed
inline constexpr int kExitNoProposal = 7;  // --propose: no section on the grid passes

// The text of --help.
std::string ReportToolUsage();

// Runs the command with its arguments (without the program name). Messages go to err, one line
// each, prefixed with "ktv-pn3-report: "; --help goes to out. A QGuiApplication must exist.
// The private copy and the outputs' temporary files are added to temporaries when given. With
// progress, the form for many projects says on err how each project went (for a terminal).
int RunReportTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const FamilyEntryTable& entries, TemporaryFiles* temporaries = nullptr,
                  bool progress = false);

}  // namespace ktv
