#include "families/gravity/gravity_checks.h"

#include "earth_pressure/earth_pressure.h"
#include "families/check_rows.h"
#include "families/gravity/gravity_reader.h"

namespace ktv {

WallChecks GravityChecks(const GravityInputs& in, const GravityResults& results) {
  return RowsOfTable<GravityResults>(kGravityChecks, results, in.is_si);
}

WallChecks GravityChecksOf(const ProjectData& project, bool /*design_section_aa*/) {
  return ChecksOrMessage([&] {
    const GravityInputs in = GravityInputsOf(project);
    CheckGravityInputs(in);
    if (ComputeGravityEarthPressure(in.phi, in.gamma, in.q, in.h, in.t02, in.beta).ka_failed) {
      return WallChecks{{}, std::string(kCoulombKaFailure)};
    }
    return GravityChecks(in, ComputeGravity(in).results);
  });
}

}  // namespace ktv
