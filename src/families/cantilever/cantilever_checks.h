#pragma once
// The checks of a cantilever wall as rows (app/checks.h), in the order of the report's verdict
// lines.
#include "app/checks.h"
#include "families/cantilever/cantilever_calculation.h"

namespace ktv {

// For the normal and then the seismic case: overturning (e against B/6, eE against B/3), sliding
// (Fs against Fsa, FsE against FsaE) and bearing (q1 and q2 against qa, then against qaE); then
// every designed section and case as the report lists them (stem A-A′ and B-B′, toe C-C′, heel
// D-D′) with σc, σs and τ against their allowables, with the texts the report prints.
WallChecks CantileverChecks(const CantileverInputs& in, const CantileverResults& results);

// The rows of the cantilever wall of a project, or the message that refuses it
// (FamilyChecksEntry); design_section_aa is the window's check box chkhAA.
WallChecks CantileverChecksOf(const ProjectData& project, bool design_section_aa);

}  // namespace ktv
