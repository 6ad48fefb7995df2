#include "families/leaning/leaning_checks.h"

#include <cmath>

#include "app/units.h"
#include "earth_pressure/earth_pressure.h"
#include "families/leaning/leaning_reader.h"
#include "report/chapter_kit.h"

namespace ktv {

WallChecks LeaningChecks(const LeaningInputs& in, const LeaningCalculation& calc) {
  const LeaningStability& st = calc.stability;
  const WallSectionCheck& a = calc.wall;
  const BaseSlabCheck& b = calc.slab;
  const double factor = StressUnitFactor(in.is_si);
  const auto shown = [&](float stress) { return static_cast<double>(stress) / factor; };
  // An allowable stress as the report prints it beside a comparison.
  const auto allowable = [&](float stress, int decimals) {
    return LimitText(static_cast<float>(shown(stress)), decimals);
  };
  const std::string bearing_unit = CheckUnit("t/m2", in.is_si);
  const std::string stress_unit = CheckUnit("kg/cm2", in.is_si);
  constexpr CheckCase kNormal = CheckCase::Normal;

  WallChecks checks;
  auto& rows = checks.rows;
  // The check compares |e|; a resultant behind the centre is named so.
  const float abs_e = std::fabs(st.e);
  rows.push_back({CheckKind::Overturning, kNormal, "", st.e < 0 ? "|e|" : "e", abs_e, st.b6,
                  Fixed(abs_e, 3), Fixed(st.b6, 3), "m",
                  Verdict{SafeSide::Below, st.overturning_ok}});
  rows.push_back({CheckKind::Sliding, kNormal, "", "Fs", st.fs, in.fsa, Fixed(st.fs, 3),
                  LimitText(in.fsa, 1), "", Verdict{SafeSide::Above, st.sliding_ok}});
  for (const auto& [item, q] : {std::pair{"q1", st.q1}, std::pair{"q2", st.q2}}) {
    rows.push_back({CheckKind::Bearing, kNormal, "", item, q, in.qa, Fixed(q, 3),
                    LimitText(in.qa, 0), bearing_unit, Compare(q, in.qa, SafeSide::Below)});
  }
  // σ2 is the larger edge stress of A-A, the one the check compares.
  rows.push_back({CheckKind::Stress, kNormal, "A-A", "σ2", a.sigma2_printed, shown(in.sigma_cac),
                  Fixed(a.sigma2_printed, 3), Fixed(shown(in.sigma_cac), 3), stress_unit,
                  Verdict{SafeSide::Below, a.sigma_ok}});
  rows.push_back({CheckKind::Stress, kNormal, "A-A", "τ", a.tau_printed, shown(in.tau_a),
                  Fixed(a.tau_printed, 3), allowable(in.tau_a, 1), stress_unit,
                  Verdict{SafeSide::Below, a.tau_ok}});
  rows.push_back({CheckKind::Stress, kNormal, "B-B", "σ", b.sigma_printed, shown(b.sigma_limit),
                  "±" + Fixed(b.sigma_printed, 2), allowable(b.sigma_limit, 0), stress_unit,
                  Verdict{SafeSide::Below, b.sigma_ok}});
  rows.push_back({CheckKind::Stress, kNormal, "B-B", "τ", b.tau_printed, shown(in.tau_a),
                  Fixed(b.tau_printed, 3), allowable(in.tau_a, 1), stress_unit,
                  Verdict{SafeSide::Below, b.tau_ok}});
  return checks;
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
