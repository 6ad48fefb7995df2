#include "families/cantilever/cantilever_checks.h"

#include "earth_pressure/earth_pressure.h"
#include "families/cantilever/cantilever_reader.h"
#include "families/check_rows.h"

namespace ktv {
WallChecks CantileverChecks(const CantileverInputs& in, const CantileverResults& results) {
  return RowsOfTable<CantileverResults>(kCantileverChecks, results, in.is_si);
}

WallChecks CantileverChecksOf(const ProjectData& project, bool design_section_aa) {
  return ChecksOrMessage([&] {
    const CantileverInputs in = CantileverInputsOf(project, design_section_aa);
    CheckCantileverInputs(in);
    const CoefficientFailures failures = FindCoefficientFailures(in);
    if (failures.ka) return WallChecks{{}, std::string(kCoulombKaFailure)};
    if (failures.kae) return WallChecks{{}, std::string(kCoulombKaeFailure)};
    return CantileverChecks(in, ComputeCantilever(in));
  });
}

}  // namespace ktv
