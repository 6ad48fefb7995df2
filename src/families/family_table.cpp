#include "families/family_table.h"

#include "families/cantilever/cantilever_checks.h"
#include "families/cantilever/cantilever_report.h"
#include "families/cantilever/cantilever_sketch.h"
#include "families/cantilever/cantilever_window.h"
#include "families/gravity/gravity_checks.h"
#include "families/gravity/gravity_report.h"
#include "families/gravity/gravity_sketch.h"
#include "families/gravity/gravity_window.h"
#include "families/leaning/leaning_checks.h"
#include "families/leaning/leaning_report.h"
#include "families/leaning/leaning_sketch.h"
#include "families/leaning/leaning_window.h"

namespace ktv {

FamilyTable::FamilyTable() {
  parts_[CodeOf(WallFamily::Gravity)] = {BuildGravityDocument, GravityChecksOf, DrawGravitySketch,
                                         GravityWindow()};
  parts_[CodeOf(WallFamily::Leaning)] = {BuildLeaningDocument, LeaningChecksOf, DrawLeaningSketch,
                                         LeaningWindow()};
  parts_[CodeOf(WallFamily::Cantilever)] = {
      FamilyReportEntry(BuildCantileverDocument, CantileverStructureOf), CantileverChecksOf,
      DrawCantileverSketch, CantileverWindow()};
  for (WallFamily f : kWallFamilies) entries_[CodeOf(f)] = parts_[CodeOf(f)].report;
}

const FamilyTable& ProgramFamilies() {
  static const FamilyTable table;
  return table;
}

}  // namespace ktv
