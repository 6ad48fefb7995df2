#pragma once
// What the cantilever wall reads of the input window.
#include "families/family_window.h"

namespace ktv {

// Every dimension but T3 and B, q2, the counterfort, the seismic case, τa, Ec and the
// reinforcement.
const FamilyWindow& CantileverWindow();

}  // namespace ktv
