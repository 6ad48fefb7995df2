#pragma once
// What the leaning wall reads of the input window.
#include "families/family_window.h"

namespace ktv {

// T1, T2, L1, H0, D1 and B; σcat and τa, with σcac and τa required; no seismic case, no
// reinforcement.
const FamilyWindow& LeaningWindow();

}  // namespace ktv
