#include "verdict_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

#include "report/report_writer.h"

namespace ktv {
namespace {

bool NumberChar(char c) { return (c >= '0' && c <= '9') || c == '.'; }

// text occurs in line as a whole number: not part of a longer one ("1.5" is not in "11.500").
bool HasNumber(const std::string& line, const std::string& text) {
  for (size_t at = line.find(text); at != std::string::npos; at = line.find(text, at + 1)) {
    const bool starts = at == 0 || !(NumberChar(line[at - 1]) || line[at - 1] == '-');
    const size_t end = at + text.size();
    const bool ends = end == line.size() || !NumberChar(line[end]);
    if (starts && ends) return true;
  }
  return false;
}

bool Has(const std::string& line, std::string_view text) {
  return line.find(text) != std::string::npos;
}

// The sign of a verdict, and the same comparison written from the limit's side.
std::pair<std::string_view, std::string_view> Signs(Verdict v) {
  const bool below = v.side == SafeSide::Below;
  if (v.ok) return below ? std::pair{"＜", "＞"} : std::pair{"＞", "＜"};
  return below ? std::pair{"≧", "≦"} : std::pair{"≦", "≧"};
}

std::string Describe(const CheckRow& r) {
  return r.section + " " + r.item + " " + r.value_text + " / " + r.limit_text +
         (r.load_case == CheckCase::Seismic ? " (seismic)" : "");
}

}  // namespace

std::vector<std::string> ReportLines(const ReportWriter& writer) {
  std::vector<std::string> lines;
  for (const Page& page : writer.Pages()) {
    std::vector<TextRun> runs;
    for (const PageItem& item : page.items) {
      const auto* run = std::get_if<TextRun>(&item);
      if (run && run->angle == 0 && run->y >= kPageMargin && run->y < kA4Height - kPageMargin) {
        runs.push_back(*run);
      }
    }
    // Runs of one line share their top within a few twips (a picture may lift its value a
    // little); lines are hundreds of twips apart.
    std::stable_sort(runs.begin(), runs.end(),
                     [](const TextRun& a, const TextRun& b) { return a.y < b.y; });
    for (size_t i = 0; i < runs.size();) {
      size_t j = i;
      while (j < runs.size() && runs[j].y - runs[i].y < 60) ++j;
      std::stable_sort(runs.begin() + i, runs.begin() + j,
                       [](const TextRun& a, const TextRun& b) { return a.x < b.x; });
      std::string line;
      for (size_t k = i; k < j; ++k) line += runs[k].text;
      lines.push_back(line);
      i = j;
    }
  }
  return lines;
}

std::string CompareWithReport(const WallChecks& checks, const std::vector<std::string>& lines) {
  std::ostringstream out;
  if (!checks.error.empty()) out << "rows carry an error: " << checks.error << "\n";
  std::map<size_t, std::vector<const CheckRow*>> by_line;
  size_t cursor = 0;
  for (const CheckRow& row : checks.rows) {
    size_t at = cursor;
    while (at < lines.size() &&
           !(HasNumber(lines[at], row.value_text) && HasNumber(lines[at], row.limit_text) &&
             (Has(lines[at], "＜") || Has(lines[at], "＞") || Has(lines[at], "≧") ||
              Has(lines[at], "≦")))) {
      ++at;
    }
    if (at == lines.size()) {
      out << "no verdict line for " << Describe(row) << "\n";
      continue;
    }
    cursor = at;
    by_line[at].push_back(&row);
  }
  for (const auto& [at, rows] : by_line) {
    const std::string& line = lines[at];
    const bool ok =
        std::all_of(rows.begin(), rows.end(), [](const CheckRow* r) { return r->verdict.ok; });
    const Verdict v{rows.front()->verdict.side, ok};
    const auto [sign, mirrored] = Signs(v);
    const auto [wrong, wrong_mirrored] = Signs({v.side, !ok});
    if (!(Has(line, sign) || Has(line, mirrored)) || Has(line, wrong) ||
        Has(line, wrong_mirrored)) {
      out << "sign of \"" << line << "\" disagrees with " << Describe(*rows.front()) << "\n";
    }
    if (Has(line, ok ? "ＮＧ" : "ＯＫ")) {
      out << "word of \"" << line << "\" disagrees with " << Describe(*rows.front()) << "\n";
    }
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    if ((Has(lines[i], "ＯＫ") || Has(lines[i], "ＮＧ")) && !by_line.contains(i)) {
      out << "no row for \"" << lines[i] << "\"\n";
    }
  }
  return out.str();
}

void ExpectRows(const WallChecks& checks, std::span<const ExpectedRow> expected) {
  ASSERT_EQ(checks.rows.size(), expected.size()) << checks.error;
  for (size_t i = 0; i < expected.size(); ++i) {
    const CheckRow& row = checks.rows[i];
    const ExpectedRow& e = expected[i];
    SCOPED_TRACE(Describe(row));
    EXPECT_EQ(row.kind, e.kind);
    EXPECT_EQ(row.load_case, e.load_case);
    EXPECT_EQ(row.section, e.section);
    EXPECT_EQ(row.item, e.item);
    EXPECT_EQ(row.value_text, e.value_text);
    EXPECT_EQ(row.limit_text, e.limit_text);
    EXPECT_EQ(row.unit, e.unit);
    EXPECT_EQ(row.verdict.ok, e.ok);
  }
}

void VerdictTally::Add(const WallChecks& checks) {
  for (const CheckRow& row : checks.rows) {
    ++(row.verdict.ok ? counts_[row.kind].first : counts_[row.kind].second);
  }
}

void VerdictTally::ExpectEveryKindPassedAndFailed() const {
  for (CheckKind kind :
       {CheckKind::Overturning, CheckKind::Sliding, CheckKind::Bearing, CheckKind::Stress}) {
    const auto it = counts_.find(kind);
    EXPECT_TRUE(it != counts_.end() && it->second.first > 0 && it->second.second > 0)
        << "kind " << static_cast<int>(kind) << " did not both pass and fail";
  }
}

}  // namespace ktv
