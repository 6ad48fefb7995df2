#pragma once
// The checks of a gravity wall as rows (app/checks.h), in the order of the report's verdict lines.
#include "app/checks.h"
#include "families/gravity/gravity_calculation.h"

namespace ktv {

// Overturning (|e| against B/6), sliding (Fs against Fsa), bearing (q1 and q2 against qa) and the
// body stresses σc1, σc2 against σcac, with the texts the report prints.
WallChecks GravityChecks(const GravityInputs& in, const GravityResults& results);

// The rows of the gravity wall of a project, or the message that refuses it (FamilyChecksEntry).
WallChecks GravityChecksOf(const ProjectData& project, bool design_section_aa);

}  // namespace ktv
