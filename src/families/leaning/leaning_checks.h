#pragma once
// The checks of a leaning wall: the check table, and the rows (app/checks.h) made from it in the
// order of the report's verdict lines.
#include <array>
#include <cmath>
#include <string_view>

#include "app/checks.h"
#include "families/check_table.h"
#include "families/leaning/leaning_calculation.h"

namespace ktv {

using LeaningCheckEntry = CheckEntry<LeaningCalculation>;

// Overturning (|e| against B/6), sliding (Fs against Fsa), bearing (q1 and q2 against qa), the
// wall section A-A (σ2 against σcac, τ against τa) and the toe slab B-B (σ against the smaller of
// σcac and σcat, τ against τa). The keys are the JSON verdicts' keys.
inline constexpr std::array<LeaningCheckEntry, 9> kLeaningChecks{{
    {"overturning", CheckKind::Overturning, CheckCase::Normal, "", "e", 3, 3, LimitForm::Fixed,
     CheckUnitKind::Metre, [](const LeaningCalculation& c) { return &c.stability.overturning; },
     // The check compares |e|; a resultant behind the centre is named so.
     [](const LeaningCalculation& c) { return std::string_view(c.stability.e < 0 ? "|e|" : "e"); }},
    {"sliding", CheckKind::Sliding, CheckCase::Normal, "", "Fs", 3, 1, LimitForm::Allowable,
     CheckUnitKind::None, [](const LeaningCalculation& c) { return &c.stability.sliding; }},
    {"bearing", CheckKind::Bearing, CheckCase::Normal, "", "q1", 3, 0, LimitForm::Allowable,
     CheckUnitKind::Bearing, [](const LeaningCalculation& c) { return &c.stability.bearing_q1; }},
    {"bearing", CheckKind::Bearing, CheckCase::Normal, "", "q2", 3, 0, LimitForm::Allowable,
     CheckUnitKind::Bearing, [](const LeaningCalculation& c) { return &c.stability.bearing_q2; }},
    // σ2 is the larger edge stress of A-A, the one the check compares.
    {"section_aa_sigma",
     CheckKind::Stress,
     CheckCase::Normal,
     "A-A",
     "σ2",
     3,
     3,
     LimitForm::Fixed,
     CheckUnitKind::Stress,
     [](const LeaningCalculation& c) { return &c.wall.sigma_check; },
     nullptr,
     {},
     false,
     JsonForm::Word,
     [](const LeaningCalculation& c) { return c.wall.sigma2_printed; }},
    // With tension at the toe face (σ1 < 0) its magnitude against σcat.
    {"section_aa_tension",
     CheckKind::Stress,
     CheckCase::Normal,
     "A-A",
     "|σ1|",
     3,
     3,
     LimitForm::Fixed,
     CheckUnitKind::Stress,
     [](const LeaningCalculation& c) {
       return c.wall.sigma1 < 0 ? &c.wall.tension_check : nullptr;
     },
     nullptr,
     {},
     false,
     JsonForm::Word,
     [](const LeaningCalculation& c) { return std::fabs(c.wall.sigma1_printed); }},
    {"section_aa_tau",
     CheckKind::Stress,
     CheckCase::Normal,
     "A-A",
     "τ",
     3,
     1,
     LimitForm::Allowable,
     CheckUnitKind::Stress,
     [](const LeaningCalculation& c) { return &c.wall.tau_check; },
     nullptr,
     {},
     false,
     JsonForm::Word,
     [](const LeaningCalculation& c) { return std::fabs(c.wall.tau_printed); }},
    {"section_bb_sigma", CheckKind::Stress, CheckCase::Normal, "B-B", "σ", 2, 0,
     LimitForm::Allowable, CheckUnitKind::Stress,
     [](const LeaningCalculation& c) { return &c.slab.sigma_check; }, nullptr, "±", false,
     JsonForm::Word, [](const LeaningCalculation& c) { return std::fabs(c.slab.sigma_printed); }},
    {"section_bb_tau",
     CheckKind::Stress,
     CheckCase::Normal,
     "B-B",
     "τ",
     3,
     1,
     LimitForm::Allowable,
     CheckUnitKind::Stress,
     [](const LeaningCalculation& c) { return &c.slab.tau_check; },
     nullptr,
     {},
     false,
     JsonForm::Word,
     [](const LeaningCalculation& c) { return std::fabs(c.slab.tau_printed); }},
}};

// The verdict of a verdict line of the report (a key of the table).
inline Verdict LeaningVerdict(const LeaningCalculation& calc, std::string_view key) {
  return TableVerdict<LeaningCalculation>(kLeaningChecks, calc, key);
}

// The rows of the table, with the texts the report prints.
WallChecks LeaningChecks(const LeaningInputs& in, const LeaningCalculation& calc);

// The rows of the leaning wall of a project, or the message that refuses it (FamilyChecksEntry).
WallChecks LeaningChecksOf(const ProjectData& project, bool design_section_aa);

}  // namespace ktv
