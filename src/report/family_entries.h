#pragma once
// The family report entries that exist, by WallFamily.
#include <array>

#include "app/standard_sizes.h"
#include "report/report_context.h"

namespace ktv {

// Entry of each wall family (0 gravity, 1 leaning, 2 cantilever); an empty entry writes nothing.
using FamilyEntryTable = std::array<FamilyReportEntry, kWallFamilyCount>;
const FamilyEntryTable& FamilyReportEntries();

}  // namespace ktv
