#pragma once
// The family table: what each wall family plugs into the program. It is the one place that lists
// the families' parts; main and the batch command hand them to the report build, the preview
// window, the input window, its sketch and its verdict panel, so that nothing else names a
// family's code. It links no widget library: the batch command is built without Qt Widgets.
//
// A family plugs in with one entry in the table (family_table.cpp), each part in its folder:
//   - report: the entry that computes from the project and writes the chapters (on the chapter
//     kit, report/chapter_kit.h), and stores its results as JSON, its checks and its facts in
//     the context (report/report_context.h);
//   - checks: the rows of the verdict panel from a project's data (app/checks.h), made of the
//     same results as the report's verdict lines;
//   - sketch: the section sketch of the wall page (on the sketch kit, sketch/sketch_kit.h);
//   - window: the boxes it enables and the check of its dimensions (families/family_window.h).
// Its names are in app/wall_family.cpp and its standard sizes in app/standard_sizes.cpp. A family
// without a report entry gets a clear message instead of a report.
#include <array>

#include "app/checks.h"
#include "app/wall_family.h"
#include "families/family_window.h"
#include "report/report_context.h"
#include "sketch/sketch_kit.h"

namespace ktv {

struct FamilyParts {
  FamilyReportEntry report;  // empty: the family's report does not exist yet
  FamilyChecksEntry checks;  // empty: the verdict panel shows no rows for the family
  SketchDrawer sketch;       // empty: the sketch panel draws nothing for the family
  FamilyWindow window;       // default: no box of its own and no dimension check
};

class FamilyTable {
 public:
  FamilyTable();
  const FamilyParts& Of(WallFamily family) const { return parts_[CodeOf(family)]; }
  // The report entries by family code, for BuildReport and the preview window.
  const FamilyEntryTable& ReportEntries() const { return entries_; }

 private:
  std::array<FamilyParts, kWallFamilyCount> parts_;
  FamilyEntryTable entries_;
};

// The program's families.
const FamilyTable& ProgramFamilies();

}  // namespace ktv
