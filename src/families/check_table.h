#pragma once
// A family's check table: each check of the wall once, with its symbol, section, case, decimals,
// unit and where its CheckValue lies in the results. The check rows (verdict panel, summary table),
// the JSON verdicts and the sign and word of the report's verdict lines are all read from it, so a
// check is stated in one place. The rows need the report's number texts and are made in
// families/check_rows.h; the verdicts here need nothing but the results.
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/checks.h"
#include "app/json.h"
#include "app/verdict.h"

namespace ktv {

// The unit of a check's value and limit as the report prints them.
enum class CheckUnitKind {
  None,     // a safety factor
  Metre,    // an eccentricity
  Bearing,  // a ground reaction, "t/m2" or "kN/m2"
  Stress,   // held × StressUnitFactor, shown divided by it in "kg/cm2" or "N/mm2"
};

// How the limit is printed: Fixed with its decimals, LimitText (at least its decimals, more when
// needed to show the value compared) or the shortest form.
enum class LimitForm { Fixed, Allowable, Shortest };

// How the JSON writes the verdict: "OK"/"NG" or true/false.
enum class JsonForm { Word, Flag };

template <typename Results>
struct CheckEntry {
  // The JSON verdict key; the entries of one key, case and section are stated on one verdict
  // line of the report and share its verdict (q1 and q2).
  std::string_view key;
  CheckKind kind;
  CheckCase load_case;
  std::string_view section;
  std::string_view item;
  int value_decimals;
  int limit_decimals;
  LimitForm limit_form;
  CheckUnitKind unit;
  // The CheckValue in the results; nullptr when this wall has no such check (a slab that is
  // absent).
  const CheckValue* (*of)(const Results&);
  // The item when it depends on the wall (|e| for a resultant behind the centre).
  std::string_view (*item_of)(const Results&) = nullptr;
  std::string_view value_prefix = {};  // printed before the value ("±")
  bool double_limit = false;           // the limit is a double of the calculation (B/6 as formed)
  JsonForm json = JsonForm::Word;
  // The value as shown, where the calculation prints one formed in double beside the 32-bit
  // value it compares (a stress × 0.1); nullptr: the CheckValue's value, shown.
  double (*shown_of)(const Results&) = nullptr;
};

// The verdict of the line of key, case and section (empty: any section, for a key that one
// section owns): ＯＫ only when each check of it passes. A key that names no check of this wall is
// a fault of the caller, not of the wall.
template <typename Results>
Verdict TableVerdict(std::span<const CheckEntry<Results>> table, const Results& results,
                     std::string_view key, CheckCase load_case = CheckCase::Normal,
                     std::string_view section = {}) {
  Verdict v;
  bool found = false;
  for (const CheckEntry<Results>& e : table) {
    if (e.key != key || e.load_case != load_case || (!section.empty() && e.section != section)) {
      continue;
    }
    const CheckValue* c = e.of(results);
    if (!c) continue;
    v = {found ? v.side : c->side, (found ? v.ok : true) && c->ok};
    found = true;
  }
  if (!found) throw std::logic_error("no check " + std::string(key) + " in the check table");
  return v;
}

// Adds the verdict of key, case and section to a JSON object in the form the table gives it.
template <typename Results>
JsonObject& AddTableVerdict(JsonObject& json, std::span<const CheckEntry<Results>> table,
                            const Results& results, std::string_view key,
                            CheckCase load_case = CheckCase::Normal,
                            std::string_view section = {}) {
  const Verdict v = TableVerdict(table, results, key, load_case, section);
  JsonForm form = JsonForm::Word;
  for (const CheckEntry<Results>& e : table) {
    if (e.key == key && e.load_case == load_case && (section.empty() || e.section == section)) {
      form = e.json;
    }
  }
  const std::string name(key);
  return form == JsonForm::Flag ? json.Add(name.c_str(), v.ok) : json.Verdict(name.c_str(), v.ok);
}

}  // namespace ktv
