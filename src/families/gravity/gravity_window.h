#pragma once
// What the gravity wall reads of the input window.
#include "families/family_window.h"

namespace ktv {

// T1, T2, T3 and H0; σcat (printed); no seismic case, no reinforcement.
const FamilyWindow& GravityWindow();

}  // namespace ktv
