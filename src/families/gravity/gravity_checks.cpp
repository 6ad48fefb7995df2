#include "families/gravity/gravity_checks.h"

#include <cmath>

#include "app/units.h"
#include "earth_pressure/earth_pressure.h"
#include "families/gravity/gravity_reader.h"
#include "report/chapter_kit.h"

namespace ktv {

WallChecks GravityChecks(const GravityInputs& in, const GravityResults& results) {
  const ResultantAndChecks& c = results.checks;
  const BodyStress& s = results.body;
  const double factor = StressUnitFactor(in.is_si);
  const std::string bearing_unit = CheckUnit("t/m2", in.is_si);
  const std::string stress_unit = CheckUnit("kg/cm2", in.is_si);
  const auto shown = [&](float stress) { return static_cast<double>(stress) / factor; };
  const std::string sigma_cac = LimitText(static_cast<float>(shown(in.sigma_cac)), 0);

  WallChecks checks;
  auto& rows = checks.rows;
  // A resultant behind the centre is compared by its magnitude, which the report prints as |e|.
  const float abs_e = std::fabs(c.e);
  rows.push_back({CheckKind::Overturning, CheckCase::Normal, "", c.e < 0 ? "|e|" : "e", abs_e, c.b6,
                  Fixed(abs_e, 3), Fixed(c.b6, 3), "m",
                  Verdict{SafeSide::Below, c.overturning_ok}});
  rows.push_back({CheckKind::Sliding, CheckCase::Normal, "", "Fs", c.fs, in.fsa, Fixed(c.fs, 3),
                  LimitText(in.fsa, 1), "", Verdict{SafeSide::Above, c.sliding_ok}});
  for (const auto& [item, q] : {std::pair{"q1", c.q1}, std::pair{"q2", c.q2}}) {
    rows.push_back({CheckKind::Bearing, CheckCase::Normal, "", item, q, in.qa, Fixed(q, 3),
                    LimitText(in.qa, 0), bearing_unit, Compare(q, in.qa, SafeSide::Below)});
  }
  for (const auto& [item, sigma] : {std::pair{"σc1", s.sigma_c1}, std::pair{"σc2", s.sigma_c2}}) {
    rows.push_back({CheckKind::Stress, CheckCase::Normal, "", item, shown(sigma),
                    shown(in.sigma_cac), Fixed(shown(sigma), 3), sigma_cac, stress_unit,
                    Compare(sigma, in.sigma_cac, SafeSide::Below)});
  }
  return checks;
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
