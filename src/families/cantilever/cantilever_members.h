#pragma once
// Member design of the cantilever wall: the stem sections A-A′ and B-B′, the toe slab C-C′ and
// the heel slab D-D′, each for the normal and the seismic case.
#include "families/cantilever/cantilever_calculation.h"

namespace ktv {

// Stem at depth h below the crest (A-A′: hAA, B-B′: H − D01).
StemCase DesignStemSection(const CantileverInputs& in, const CantileverResults& r,
                           StemSection section, bool seismic);

// Self weight and soil over the toe (W1, W2, W8, W9), arms from C-C′.
SlabTable ComputeToeTable(const CantileverShape& shape, float gamma_c, float gamma);
// Self weight, soil, the wedge W12 (β > 0) and the surcharge Q over the heel, arms from D-D′.
SlabTable ComputeHeelTable(const CantileverShape& shape, float gamma_c, float gamma, float q_load);

// q1, q2: the ground pressures of the case (normal or seismic) at the toe and the heel; the
// reaction they belong to (a triangle beyond the middle third).
SlabCase DesignToeSlab(const CantileverInputs& in, const CantileverResults& r, bool seismic,
                       float q1, float q2, const GroundReaction& reaction);
SlabCase DesignHeelSlab(const CantileverInputs& in, const CantileverResults& r, bool seismic,
                        float q1, float q2, const GroundReaction& reaction);

// Fills stem_cases, the slab tables and the slab cases of r (stability already in r).
void DesignCantileverMembers(const CantileverInputs& in, CantileverResults& r);

}  // namespace ktv
