#pragma once
// The checks of a cantilever wall: the check table, and the rows (app/checks.h) made from it in
// the order of the report's verdict lines.
#include <array>
#include <cstddef>
#include <string_view>

#include "app/checks.h"
#include "families/cantilever/cantilever_calculation.h"
#include "families/check_table.h"

namespace ktv {

using CantileverCheckEntry = CheckEntry<CantileverResults>;

// The three checks of one singly reinforced section: the JSON verdict key of its "check"
// object, the symbol, the allowable's name the report prints and its decimals.
struct SectionCheckEntry {
  std::string_view key;
  std::string_view item;
  std::string_view limit_name;
  int limit_decimals;
  CheckValue SectionCheck::*check;
};

inline constexpr std::array<SectionCheckEntry, 3> kSectionChecks{{
    {"sigma_c_verdict", "σc", "σca", 0, &SectionCheck::sigma_c_check},
    {"sigma_s_verdict", "σs", "σsa", 0, &SectionCheck::sigma_s_check},
    {"tau_verdict", "τ", "τa", 1, &SectionCheck::tau_check},
}};

namespace cantilever_checks {

using SectionOf = const SectionCheck* (*)(const CantileverResults&);

template <StemSection S, bool Seismic>
const SectionCheck* Stem(const CantileverResults& r) {
  for (int i = 0; i < r.stem_case_count; ++i) {
    const StemCase& c = r.stem_cases[i];
    if (c.section == S && c.seismic == Seismic) return &c.check;
  }
  return nullptr;
}
template <bool Seismic>
const SectionCheck* Toe(const CantileverResults& r) {
  return r.has_toe ? &r.toe[Seismic ? 1 : 0].check : nullptr;
}
template <bool Seismic>
const SectionCheck* Heel(const CantileverResults& r) {
  return r.has_heel ? &r.heel[Seismic ? 1 : 0].check : nullptr;
}

template <SectionOf Where, std::size_t I>
const CheckValue* MemberCheck(const CantileverResults& r) {
  const SectionCheck* s = Where(r);
  return s ? &(s->*kSectionChecks[I].check) : nullptr;
}

template <SectionOf Where, std::size_t I>
constexpr CantileverCheckEntry MemberEntry(std::string_view section, CheckCase load_case) {
  const SectionCheckEntry& e = kSectionChecks[I];
  return {e.key,
          CheckKind::Stress,
          load_case,
          section,
          e.item,
          3,
          e.limit_decimals,
          LimitForm::Allowable,
          CheckUnitKind::Stress,
          &MemberCheck<Where, I>};
}

template <SectionOf Where>
constexpr std::array<CantileverCheckEntry, 3> Member(std::string_view section, bool seismic) {
  const CheckCase c = seismic ? CheckCase::Seismic : CheckCase::Normal;
  return {MemberEntry<Where, 0>(section, c), MemberEntry<Where, 1>(section, c),
          MemberEntry<Where, 2>(section, c)};
}

template <std::size_t... N>
constexpr auto Join(const std::array<CantileverCheckEntry, N>&... parts) {
  std::array<CantileverCheckEntry, (N + ...)> all{};
  std::size_t i = 0;
  (
      (void)[&] {
        for (const CantileverCheckEntry& e : parts) all[i++] = e;
      }(),
      ...);
  return all;
}

constexpr CheckCase kN = CheckCase::Normal;
constexpr CheckCase kE = CheckCase::Seismic;

// Overturning, sliding and bearing of both cases, in the report's order.
inline constexpr std::array<CantileverCheckEntry, 8> kStability{{
    {"B6_greater_than_e",
     CheckKind::Overturning,
     kN,
     "",
     "e",
     3,
     3,
     LimitForm::Fixed,
     CheckUnitKind::Metre,
     [](const CantileverResults& r) { return &r.stability.overturning; },
     // The check compares |e|; a resultant behind the centre is named so.
     [](const CantileverResults& r) { return std::string_view(r.stability.e < 0 ? "|e|" : "e"); },
     {},
     true,
     JsonForm::Flag},
    {"B3_greater_than_eE",
     CheckKind::Overturning,
     kE,
     "",
     "eE",
     3,
     3,
     LimitForm::Fixed,
     CheckUnitKind::Metre,
     [](const CantileverResults& r) { return &r.stability.overturning_e; },
     [](const CantileverResults& r) {
       return std::string_view(r.stability.e_e < 0 ? "|eE|" : "eE");
     },
     {},
     true,
     JsonForm::Flag},
    {"sliding", CheckKind::Sliding, kN, "", "Fs", 3, 0, LimitForm::Shortest, CheckUnitKind::None,
     [](const CantileverResults& r) { return &r.stability.sliding; }},
    {"sliding", CheckKind::Sliding, kE, "", "FsE", 3, 0, LimitForm::Shortest, CheckUnitKind::None,
     [](const CantileverResults& r) { return &r.stability.sliding_e; }},
    {"bearing", CheckKind::Bearing, kN, "", "q1", 3, 0, LimitForm::Allowable,
     CheckUnitKind::Bearing, [](const CantileverResults& r) { return &r.stability.bearing_q1; }},
    {"bearing", CheckKind::Bearing, kN, "", "q2", 3, 0, LimitForm::Allowable,
     CheckUnitKind::Bearing, [](const CantileverResults& r) { return &r.stability.bearing_q2; }},
    {"bearing", CheckKind::Bearing, kE, "", "q1E", 3, 0, LimitForm::Allowable,
     CheckUnitKind::Bearing, [](const CantileverResults& r) { return &r.stability.bearing_q1_e; }},
    {"bearing", CheckKind::Bearing, kE, "", "q2E", 3, 0, LimitForm::Allowable,
     CheckUnitKind::Bearing, [](const CantileverResults& r) { return &r.stability.bearing_q2_e; }},
}};

}  // namespace cantilever_checks

// For the normal and then the seismic case: overturning (e against B/6, eE against B/3), sliding
// (Fs against Fsa, FsE against FsaE) and bearing (q1 and q2 against qa, then against qaE); then
// every designed section and case as the report lists them (stem A-A′ and B-B′, toe C-C′, heel
// D-D′) with σc, σs and τ against their allowables (kSectionChecks). A section the wall does not
// have gives no rows. The keys are the JSON verdicts' keys.
inline constexpr auto kCantileverChecks = [] {
  namespace cc = cantilever_checks;
  return cc::Join(
      cc::kStability, cc::Member<&cc::Stem<StemSection::kAA, false>>("A-A′", false),
      cc::Member<&cc::Stem<StemSection::kBB, false>>("B-B′", false),
      cc::Member<&cc::Stem<StemSection::kAA, true>>("A-A′", true),
      cc::Member<&cc::Stem<StemSection::kBB, true>>("B-B′", true),
      cc::Member<&cc::Toe<false>>("C-C′", false), cc::Member<&cc::Heel<false>>("D-D′", false),
      cc::Member<&cc::Toe<true>>("C-C′", true), cc::Member<&cc::Heel<true>>("D-D′", true));
}();

// The verdict of a verdict line of the report (a key of the table) in a case.
inline Verdict CantileverVerdict(const CantileverResults& results, std::string_view key,
                                 CheckCase load_case) {
  return TableVerdict<CantileverResults>(kCantileverChecks, results, key, load_case);
}

// The verdict of one check of a section (an entry of kSectionChecks).
inline Verdict SectionVerdict(const SectionCheck& c, const SectionCheckEntry& entry) {
  return (c.*entry.check).verdict();
}

// The rows of the table, with the texts the report prints.
WallChecks CantileverChecks(const CantileverInputs& in, const CantileverResults& results);

// The rows of the cantilever wall of a project, or the message that refuses it
// (FamilyChecksEntry); design_section_aa is the window's check box chkhAA.
WallChecks CantileverChecksOf(const ProjectData& project, bool design_section_aa);

}  // namespace ktv
