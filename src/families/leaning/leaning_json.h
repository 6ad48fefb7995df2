#pragma once
// The leaning calculation as a JSON object: every input and every value the report prints (ASCII
// keys, listed in the README). Allowable and printed stresses are in the units of the project
// (N/mm2 or kg/cm2); stresses in t/m2 or kN/m2 carry no suffix.
#include <string>

#include "families/leaning/leaning_calculation.h"

namespace ktv {

std::string LeaningJson(const LeaningInputs& in, const LeaningCalculation& calc);

}  // namespace ktv
