#pragma once
// The summary table (総括表) of many walls: one row per project with the governing check of each
// kind and load case, written as CSV, as a spreadsheet or as A4 landscape pages with the reports'
// header and footer. The rows are the check rows the family's report entry stored while it wrote
// the report, so the table, the reports and the JSON come from one calculation.
#include <QDateTime>
#include <optional>
#include <string>
#include <vector>

#include "app/checks.h"

namespace ktv {

inline constexpr CheckCase kSummaryCases[] = {CheckCase::Normal, CheckCase::Seismic};
inline constexpr CheckKind kSummaryKinds[] = {CheckKind::Overturning, CheckKind::Sliding,
                                              CheckKind::Bearing, CheckKind::Stress};

// "転倒", "滑動", "支持力", "応力度"; "常時", "地震時".
std::string_view KindName(CheckKind kind);
std::string_view CaseName(CheckCase load_case);

struct SummaryProject {
  std::string file;          // the project file as given
  std::string project_name;  // tbl工事名.CName; "" when the file could not be read
  // From the family's results (WallFacts of the report entry):
  std::string form;   // "重力式", "もたれ式", "逆T形", "L形", "逆L形" ("" when unknown)
  std::string units;  // "SI" or "CGS" ("" when unknown)
  std::optional<double> h;       // wall height H, m
  std::optional<double> b;       // base width B, m
  std::vector<CheckRow> checks;  // every check of the wall, in the report's order
  std::string error;             // non-empty: the project failed, and why
};

// The row that governs a kind and case: the largest Utilisation, the first in the report's order
// on a tie; null when the wall has no check of that kind and case.
const CheckRow* GoverningRow(const std::vector<CheckRow>& rows, CheckKind kind,
                             CheckCase load_case);

// True when the project was computed and every one of its checks is ＯＫ.
bool AllChecksPass(const SummaryProject& project);

enum class SummaryFormat { Csv, Xlsx, Pdf };
// By the file's extension (.csv, .xlsx, .pdf in any letter case); none for any other.
std::optional<SummaryFormat> SummaryFormatOf(const std::string& path);

// UTF-8 with a byte-order mark, lines ended by CR LF, one header line.
std::string SummaryCsv(const std::vector<SummaryProject>& projects);

// Writes the spreadsheet to path (numbers as numbers with the printed decimals, units in the
// header, ＮＧ cells marked). Throws std::runtime_error when it cannot be written.
void WriteSummaryXlsx(const std::vector<SummaryProject>& projects, const std::string& path);

// Writes A4 landscape pages: a cover, then the table under the reports' header ("工事名：" and the
// name the projects share, the program title) and page numbers. Throws on failure.
void WriteSummaryPdf(const std::vector<SummaryProject>& projects, const std::string& path,
                     const std::optional<std::string>& author, const QDateTime& created);

}  // namespace ktv
