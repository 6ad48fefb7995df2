#include "families/cantilever/cantilever_checks.h"

#include "app/format.h"
#include "app/units.h"
#include "earth_pressure/earth_pressure.h"
#include "families/cantilever/cantilever_reader.h"
#include "report/chapter_kit.h"

namespace ktv {
namespace {

constexpr CheckCase CaseOf(bool seismic) {
  return seismic ? CheckCase::Seismic : CheckCase::Normal;
}

// The three stress checks of one singly reinforced section.
void AddSectionRows(std::vector<CheckRow>& rows, const CantileverInputs& in,
                    const std::string& section, bool seismic, const SectionCheck& c) {
  const double factor = StressUnitFactor(in.is_si);
  const std::string unit = CheckUnit("kg/cm2", in.is_si);
  const auto add = [&](const char* item, float value, float limit, int decimals, bool ok) {
    const double shown = static_cast<double>(value) / factor;
    const double shown_limit = static_cast<double>(limit) / factor;
    rows.push_back({CheckKind::Stress, CaseOf(seismic), section, item, shown, shown_limit,
                    Fixed(shown, 3), LimitText(static_cast<float>(shown_limit), decimals), unit,
                    Verdict{SafeSide::Below, ok}});
  };
  add("σc", c.sigma_c, c.sigma_ca, 0, c.sigma_c_ok);
  add("σs", c.sigma_s, c.sigma_sa, 0, c.sigma_s_ok);
  add("τ", c.tau, c.tau_a, 1, c.tau_ok);
}

}  // namespace

WallChecks CantileverChecks(const CantileverInputs& in, const CantileverResults& results) {
  const CantileverStability& st = results.stability;
  const std::string bearing_unit = CheckUnit("t/m2", in.is_si);
  WallChecks checks;
  auto& rows = checks.rows;

  rows.push_back({CheckKind::Overturning, CheckCase::Normal, "", "e", st.e, st.b6, Fixed(st.e, 3),
                  Fixed(st.b6, 3), "m", Verdict{SafeSide::Below, st.e_within}});
  rows.push_back({CheckKind::Overturning, CheckCase::Seismic, "", "eE", st.e_e, st.b3,
                  Fixed(st.e_e, 3), Fixed(st.b3, 3), "m", Verdict{SafeSide::Below, st.e_e_within}});
  rows.push_back({CheckKind::Sliding, CheckCase::Normal, "", "Fs", st.fs, in.fsa, Fixed(st.fs, 3),
                  ShortestForm(in.fsa), "", Verdict{SafeSide::Above, st.sliding_ok}});
  rows.push_back({CheckKind::Sliding, CheckCase::Seismic, "", "FsE", st.fs_e, in.fsa_e,
                  Fixed(st.fs_e, 3), ShortestForm(in.fsa_e), "",
                  Verdict{SafeSide::Above, st.sliding_ok_e}});
  struct Bearing {
    CheckCase load_case;
    const char* q1_item;
    const char* q2_item;
    float q1, q2, qa;
  };
  for (const Bearing& b : {Bearing{CheckCase::Normal, "q1", "q2", st.q1, st.q2, in.qa},
                           Bearing{CheckCase::Seismic, "q1E", "q2E", st.q1_e, st.q2_e, in.qa_e}}) {
    for (const auto& [item, q] : {std::pair{b.q1_item, b.q1}, std::pair{b.q2_item, b.q2}}) {
      rows.push_back({CheckKind::Bearing, b.load_case, "", item, q, b.qa, Fixed(q, 3),
                      LimitText(b.qa, 0), bearing_unit, Compare(q, b.qa, SafeSide::Below)});
    }
  }

  for (int i = 0; i < results.stem_case_count; ++i) {
    const StemCase& c = results.stem_cases[i];
    AddSectionRows(rows, in, c.section == StemSection::kAA ? "A-A′" : "B-B′", c.seismic, c.check);
  }
  for (int c = 0; c < 2; ++c) {
    if (results.has_toe) AddSectionRows(rows, in, "C-C′", c == 1, results.toe[c].check);
    if (results.has_heel) AddSectionRows(rows, in, "D-D′", c == 1, results.heel[c].check);
  }
  return checks;
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
