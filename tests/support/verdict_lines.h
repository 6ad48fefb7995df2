#pragma once
// Compares the check rows of a wall with the verdict lines of its report as laid out.
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/checks.h"

namespace ktv {

class ReportWriter;

// The lines of the written pages (header and footer left out): the runs of one page that stand at
// the same height, joined from left to right.
std::vector<std::string> ReportLines(const ReportWriter& writer);

// Every row must find, in report order, a line that prints its value and its limit; a line that
// several rows share (q1 and q2) carries the verdict of all of them; the sign of the line agrees
// with that verdict (written either way round), its word ＯＫ/ＮＧ too, and every line of the
// report with a word belongs to some row. Returns what disagrees, one finding a line; empty when
// the rows and the report agree.
std::string CompareWithReport(const WallChecks& checks, const std::vector<std::string>& lines);

// One expected row, field by field.
struct ExpectedRow {
  CheckKind kind;
  CheckCase load_case;
  const char* section;
  const char* item;
  const char* value_text;
  const char* limit_text;
  const char* unit;
  bool ok;
};

// Expects the rows to be the table, in order (test expectations).
void ExpectRows(const WallChecks& checks, std::span<const ExpectedRow> expected);

// Counts the passed and failed rows of each kind, so that a set of random walls can show that it
// made every kind of check both pass and fail.
class VerdictTally {
 public:
  void Add(const WallChecks& checks);
  void ExpectEveryKindPassedAndFailed() const;

 private:
  std::map<CheckKind, std::pair<int, int>> counts_;  // passed, failed
};

}  // namespace ktv
