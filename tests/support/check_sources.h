#pragma once
// Compares what the verdict panel, the summary table and the JSON show of a wall with the checks
// held in its results, entry by entry of the family's check table. With CompareWithReport
// (verdict_lines.h) for the report's lines, every place a verdict is shown is held against the
// same CheckValue objects.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <algorithm>
#include <functional>
#include <map>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "app/checks.h"
#include "families/check_table.h"
#include "input_window/verdict_panel.h"
#include "report/chapter_kit.h"
#include "summary_table.h"

namespace ktv {

// The JSON value of an entry's verdict in the whole results object (a family knows where its
// verdicts stand).
template <typename Results>
using JsonVerdictOf = std::function<QJsonValue(const QJsonObject& all, const CheckEntry<Results>&)>;

namespace check_sources {

inline std::vector<std::string> CsvCells(const std::string& line) {
  std::vector<std::string> cells(1);
  for (char c : line) {
    if (c == ',') {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

inline std::string Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

}  // namespace check_sources

// Returns what disagrees, one finding a line; empty when the rows, the panel texts, the summary
// row and the JSON verdicts all show the checks of the results.
template <typename Results>
std::string CompareWithChecks(std::span<const CheckEntry<Results>> table, const Results& results,
                              const WallChecks& rows, const std::string& json,
                              const JsonVerdictOf<Results>& json_verdict_of) {
  namespace cs = check_sources;
  std::ostringstream out;
  std::vector<std::pair<const CheckEntry<Results>*, const CheckValue*>> present;
  for (const CheckEntry<Results>& e : table) {
    if (const CheckValue* c = e.of(results)) present.push_back({&e, c});
  }
  if (rows.rows.size() != present.size()) {
    out << rows.rows.size() << " rows for " << present.size() << " checks\n";
    return out.str();
  }

  // Rows and the verdict panel's texts of each row.
  for (size_t i = 0; i < present.size(); ++i) {
    const auto& [e, c] = present[i];
    const CheckRow& row = rows.rows[i];
    const std::string name = std::string(e->section) + " " + row.item +
                             (e->load_case == CheckCase::Seismic ? " (seismic)" : "");
    if (row.kind != e->kind || row.load_case != e->load_case || row.section != e->section) {
      out << "row " << i << " is not the check " << name << "\n";
    }
    if (row.verdict.ok != c->ok || row.verdict.side != c->side) {
      out << "row verdict of " << name << " disagrees with its check\n";
    }
    const auto texts = PanelTexts(row);
    if (texts[4] != cs::Trim(VerdictSign(c->verdict())) || texts[7] != VerdictWord(c->verdict())) {
      out << "panel shows " << texts[4] << " " << texts[7] << " for " << name << "\n";
    }
    if (texts[3] != row.value_text || texts[5] != row.limit_text) {
      out << "panel shows other numbers than the row of " << name << "\n";
    }
  }

  // The JSON: each key, case and section, ＯＫ only when each of its checks passes.
  const QJsonObject all = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
  std::map<std::tuple<std::string, CheckCase, std::string>,
           std::pair<const CheckEntry<Results>*, bool>>
      keys;
  for (const auto& [e, c] : present) {
    auto [it, added] =
        keys.insert({{std::string(e->key), e->load_case, std::string(e->section)}, {e, true}});
    it->second.second = it->second.second && c->ok;
  }
  for (const auto& [key, entry] : keys) {
    const auto& [e, ok] = entry;
    const QJsonValue v = json_verdict_of(all, *e);
    const bool agrees = e->json == JsonForm::Flag
                            ? v.isBool() && v.toBool() == ok
                            : v.isString() && v.toString() == (ok ? "OK" : "NG");
    if (!agrees) {
      out << "JSON verdict " << std::get<2>(key) << " " << std::get<0>(key)
          << " disagrees with its checks\n";
    }
  }

  // The summary row: for each kind and case the governing check's word, and 全照査.
  SummaryProject project;
  project.units = "SI";
  project.checks = rows.rows;
  const std::string csv = SummaryCsv({project});
  const size_t first = csv.find("\r\n") + 2;
  const std::vector<std::string> cells =
      cs::CsvCells(csv.substr(first, csv.find("\r\n", first) - first));
  size_t column = 7;
  bool all_ok = true;
  for (CheckCase load_case : kSummaryCases) {
    for (CheckKind kind : kSummaryKinds) {
      bool any = false, ok = true;
      std::vector<std::string> values;  // the value texts of the checks that decide the word
      for (size_t i = 0; i < present.size(); ++i) {
        if (present[i].first->kind != kind || present[i].first->load_case != load_case) continue;
        any = true;
        ok = ok && present[i].second->ok;
      }
      for (size_t i = 0; i < present.size(); ++i) {
        if (present[i].first->kind == kind && present[i].first->load_case == load_case &&
            present[i].second->ok == ok) {
          values.push_back(rows.rows[i].value_text);
        }
      }
      all_ok = all_ok && ok;
      const std::string word = any ? std::string(VerdictWord({SafeSide::Below, ok})) : "";
      if (cells.size() <= column + 3 || cells[column + 3] != word) {
        out << "summary word of " << KindName(kind) << " " << CaseName(load_case)
            << " disagrees with its checks\n";
      } else if (any &&
                 std::find(values.begin(), values.end(), cells[column + 1]) == values.end()) {
        out << "summary value of " << KindName(kind) << " " << CaseName(load_case)
            << " is no check with its word\n";
      }
      column += 4;
    }
  }
  const std::string pass =
      present.empty() ? "－" : std::string(VerdictWord({SafeSide::Below, all_ok}));
  if (cells.size() <= column || cells[column] != pass) {
    out << "summary 全照査 disagrees with the checks\n";
  }
  return out.str();
}

}  // namespace ktv
