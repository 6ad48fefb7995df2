#pragma once
// The checks of a leaning wall as rows (app/checks.h), in the order of the report's verdict lines.
#include "app/checks.h"
#include "families/leaning/leaning_calculation.h"

namespace ktv {

// Overturning (|e| against B/6), sliding (Fs against Fsa), bearing (q1 and q2 against qa), the
// wall section A-A (σ2 against σcac, τ against τa) and the toe slab B-B (σ against the smaller of
// σcac and σcat, τ against τa), with the texts the report prints.
WallChecks LeaningChecks(const LeaningInputs& in, const LeaningCalculation& calc);

// The rows of the leaning wall of a project, or the message that refuses it (FamilyChecksEntry).
WallChecks LeaningChecksOf(const ProjectData& project, bool design_section_aa);

}  // namespace ktv
