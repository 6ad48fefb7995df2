#pragma once
// The gravity calculation as a JSON object: every input and computed value (ASCII keys, listed in
// the README). Stresses are in the units of the project (N/mm2 or kg/cm2).
#include <string>

#include "families/gravity/gravity_calculation.h"

namespace ktv {

std::string GravityJson(const GravityInputs& in, const GravityCalculation& calc);

}  // namespace ktv
