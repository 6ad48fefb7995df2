#include "families/leaning/leaning_checks.h"

#include "earth_pressure/earth_pressure.h"
#include "families/check_rows.h"
#include "families/leaning/leaning_reader.h"

namespace ktv {

WallChecks LeaningChecks(const LeaningInputs& in, const LeaningCalculation& calc) {
  return RowsOfTable<LeaningCalculation>(kLeaningChecks, calc, in.is_si);
}

WallChecks LeaningChecksOf(const ProjectData& project, bool /*design_section_aa*/) {
  return ChecksOrMessage([&] {
    const LeaningInputs in = LeaningInputsOf(project);
    CheckLeaningInputs(in);
    if (ComputeLeaningEarthPressure(in, ComputeLeaningGeometry(in)).ka_failed) {
      return WallChecks{{}, std::string(kCoulombKaFailure)};
    }
    return LeaningChecks(in, ComputeLeaning(in));
  });
}

}  // namespace ktv
