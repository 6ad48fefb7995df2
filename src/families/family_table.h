#pragma once
// The family table: what each wall family plugs into the program. It is the one place that lists
// the families' parts; main and the batch command hand it to the report build, the preview window
// and the sketch panel, so that nothing below names a family's code.
//
// A family plugs in with one entry in kParts (family_table.cpp):
//   - report: the entry that reads the project, computes and writes the chapters (on the chapter
//     kit, report/chapter_kit.h), and stores the results as JSON in context.results_json (its
//     producer lives beside the family's results type, e.g. families/gravity/gravity_json.h);
//   - checks: the rows of the verdict panel from a project (app/checks.h, e.g.
//     families/gravity/gravity_checks.h), made of the same results as the report's verdict lines;
//   - sketch: the section sketch of the wall page (on the sketch kit, sketch/sketch_kit.h).
// Its names are in app/wall_family.cpp and its standard sizes in app/standard_sizes.cpp. A family
// without a report entry gets a clear message instead of a report.
#include <array>

#include "app/checks.h"
#include "app/wall_family.h"
#include "input_window/verdict_panel.h"
#include "report/report_context.h"
#include "sketch/sketch_panel.h"

namespace ktv {

struct FamilyParts {
  FamilyReportEntry report;  // empty: the family's report does not exist yet
  FamilyChecksEntry checks;  // empty: the verdict panel shows no rows for the family
  SketchDrawer sketch;       // empty: the sketch panel draws nothing for the family
};

class FamilyTable {
 public:
  FamilyTable();
  const FamilyParts& Of(WallFamily family) const { return parts_[CodeOf(family)]; }
  // The report entries by family code, for BuildReport and the preview window.
  const FamilyEntryTable& ReportEntries() const { return entries_; }
  // Gives the sketch panel the drawer of every family that has one.
  void InstallSketches(SketchPanel& panel) const {
    for (WallFamily f : kWallFamilies) {
      if (Of(f).sketch) panel.SetDrawer(CodeOf(f), Of(f).sketch);
    }
  }
  // Gives the verdict panel the checks of every family.
  void InstallChecks(VerdictPanel& panel) const {
    for (WallFamily f : kWallFamilies) panel.SetChecks(CodeOf(f), Of(f).checks);
  }

 private:
  std::array<FamilyParts, kWallFamilyCount> parts_;
  FamilyEntryTable entries_;
};

// The program's families.
const FamilyTable& ProgramFamilies();

}  // namespace ktv
