#pragma once
// Every check of a wall as one row: the value, its limit, the comparison and the verdict, with
// the texts the report prints for them. The live verdict panel lists the rows; the summary table
// of the batch command takes the governing row of each kind and case. Both come from the same
// results objects as the report and the JSON, so the three can never disagree.
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/verdict.h"

namespace ktv {

enum class CheckKind { Overturning, Sliding, Bearing, Stress };
enum class CheckCase { Normal, Seismic };

struct CheckRow {
  CheckKind kind = CheckKind::Overturning;
  CheckCase load_case = CheckCase::Normal;
  std::string section;     // "" for the whole wall; "A-A", "B-B", "C-C′", "D-D′"... for members
  std::string item;        // the symbol as the report prints it: "e", "Fs", "q1", "σc", "τ"...
  double value = 0;        // the value as computed (32-bit value widened)
  double limit = 0;        // the limit it is compared with (allowable × 1.5 where seismic)
  std::string value_text;  // as the report prints the value, e.g. "0.245"
  std::string limit_text;  // as the report prints the limit
  std::string unit;        // the report's unit label for both, e.g. "kN/m2"; "" when none
  Verdict verdict;         // sign and ＯＫ/ＮＧ come from this one object
};

// How far a row is from failing, for picking the governing row of a kind and case: the ratio
// value/limit when the value must stay below, limit/value when it must stay above; larger is
// worse, and a failed row is always worse than a passing one.
double Utilisation(const CheckRow& row);

// The report's unit label of a key in the project's system, without the blank that leads it
// in the report's lines.
std::string CheckUnit(std::string_view key, bool is_si);

struct WallChecks {
  std::vector<CheckRow> rows;  // in the report's order
  std::string error;           // non-empty: the wall could not be computed; the report's message
};

struct ProjectData;

// A family's checks from a project's data (a file's, or the window's): takes the inputs and
// refuses them as the report does, then computes. What the report would refuse (an input outside
// the calculation, a coefficient that cannot be formed, an undefined case) ends in
// WallChecks::error with the report's message. design_section_aa is the window's check box of the
// intermediate stem section.
using FamilyChecksEntry =
    std::function<WallChecks(const ProjectData& project, bool design_section_aa)>;

// Runs a computation of the rows; any failure it throws becomes the error of the result, its
// message as it stands.
template <typename Compute>
WallChecks ChecksOrMessage(Compute&& compute) {
  try {
    return compute();
  } catch (const std::exception& e) {
    WallChecks failed;
    failed.error = e.what();
    return failed;
  }
}

}  // namespace ktv
