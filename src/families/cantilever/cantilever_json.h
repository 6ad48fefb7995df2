#pragma once
// The cantilever calculation as a JSON object: every input and every value the report prints, per
// section and case (ASCII keys, listed in the README). Stresses are in the units of the project
// (N/mm2 or kg/cm2), as printed.
#include <string>

#include "families/cantilever/cantilever_calculation.h"

namespace ktv {

std::string CantileverJson(const CantileverInputs& in, const CantileverResults& r);

}  // namespace ktv
