#include "report/family_entries.h"

#include "families/gravity/gravity_report.h"

namespace ktv {

const FamilyEntryTable& FamilyReportEntries() {
  static const FamilyEntryTable entries = [] {
    FamilyEntryTable t{};
    // One line per family whose report exists, e.g. t[kGravity] = BuildGravityDocument;
    t[kGravity] = BuildGravityDocument;
    return t;
  }();
  return entries;
}

}  // namespace ktv
