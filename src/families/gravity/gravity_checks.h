#pragma once
// The checks of a gravity wall: the check table, and the rows (app/checks.h) made from it in the
// order of the report's verdict lines.
#include <array>
#include <string_view>

#include "app/checks.h"
#include "families/check_table.h"
#include "families/gravity/gravity_calculation.h"

namespace ktv {

using GravityCheckEntry = CheckEntry<GravityResults>;

// Overturning (|e| against B/6), sliding (Fs against Fsa), bearing (q1 and q2 against qa) and the
// body stresses σc1, σc2 against σcac, and a tensile stress against σcat. The keys are the JSON
// verdicts' keys.
inline constexpr std::array<GravityCheckEntry, 7> kGravityChecks{{
    {"overturning", CheckKind::Overturning, CheckCase::Normal, "", "e", 3, 3, LimitForm::Fixed,
     CheckUnitKind::Metre, [](const GravityResults& r) { return &r.checks.overturning; },
     // The check compares |e|; a resultant behind the centre is named so.
     [](const GravityResults& r) { return std::string_view(r.checks.e < 0 ? "|e|" : "e"); }},
    {"sliding", CheckKind::Sliding, CheckCase::Normal, "", "Fs", 3, 1, LimitForm::Allowable,
     CheckUnitKind::None, [](const GravityResults& r) { return &r.checks.sliding; }},
    {"bearing", CheckKind::Bearing, CheckCase::Normal, "", "q1", 3, 0, LimitForm::Allowable,
     CheckUnitKind::Bearing, [](const GravityResults& r) { return &r.checks.bearing_q1; }},
    {"bearing", CheckKind::Bearing, CheckCase::Normal, "", "q2", 3, 0, LimitForm::Allowable,
     CheckUnitKind::Bearing, [](const GravityResults& r) { return &r.checks.bearing_q2; }},
    {"body_stress", CheckKind::Stress, CheckCase::Normal, "", "σc1", 3, 0, LimitForm::Allowable,
     CheckUnitKind::Stress, [](const GravityResults& r) { return &r.body.sigma_c1_check; }},
    {"body_stress", CheckKind::Stress, CheckCase::Normal, "", "σc2", 3, 0, LimitForm::Allowable,
     CheckUnitKind::Stress, [](const GravityResults& r) { return &r.body.sigma_c2_check; }},
    // Only a body in tension has this check: the tensile stress's magnitude against σcat.
    {"body_tension", CheckKind::Stress, CheckCase::Normal, "", "|σc2|", 3, 0, LimitForm::Allowable,
     CheckUnitKind::Stress,
     [](const GravityResults& r) { return r.body.tension ? &r.body.tension_check : nullptr; },
     [](const GravityResults& r) {
       return std::string_view(r.body.sigma_c1 < r.body.sigma_c2 ? "|σc1|" : "|σc2|");
     }},
}};

// The verdict of a verdict line of the report (a key of the table).
inline Verdict GravityVerdict(const GravityResults& results, std::string_view key) {
  return TableVerdict<GravityResults>(kGravityChecks, results, key);
}

// The rows of the table, with the texts the report prints.
WallChecks GravityChecks(const GravityInputs& in, const GravityResults& results);

// The rows of the gravity wall of a project, or the message that refuses it (FamilyChecksEntry).
WallChecks GravityChecksOf(const ProjectData& project, bool design_section_aa);

}  // namespace ktv
