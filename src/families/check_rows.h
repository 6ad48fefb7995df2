#pragma once
// The check rows of a wall from its family's check table (families/check_table.h): one row per
// check the wall has, in the table's order, with the texts the report prints. Only the report
// libraries include this header: the texts come from the chapter kit.
#include <span>
#include <string>

#include "app/checks.h"
#include "app/format.h"
#include "app/units.h"
#include "families/check_table.h"
#include "report/chapter_kit.h"

namespace ktv {

template <typename Results>
WallChecks RowsOfTable(std::span<const CheckEntry<Results>> table, const Results& results,
                       bool is_si) {
  WallChecks checks;
  for (const CheckEntry<Results>& e : table) {
    const CheckValue* c = e.of(results);
    if (!c) continue;
    CheckRow row;
    row.kind = e.kind;
    row.load_case = e.load_case;
    row.section = std::string(e.section);
    row.item = std::string(e.item_of ? e.item_of(results) : e.item);
    row.verdict = c->verdict();
    if (e.unit == CheckUnitKind::Stress) {
      // Stresses are shown in the database's units, formed in double and rounded once.
      row.value = e.shown_of ? e.shown_of(results) : ShownStress(c->value, is_si);
      row.limit = ShownStress(c->limit, is_si);
      row.value_text = std::string(e.value_prefix) + Fixed(row.value, e.value_decimals);
    } else {
      row.value = c->value;
      row.limit = c->limit;
      // The calculation's 32-bit values, printed as such.
      row.value_text =
          std::string(e.value_prefix) + Fixed(static_cast<float>(c->value), e.value_decimals);
    }
    const bool wide_limit = e.double_limit || e.unit == CheckUnitKind::Stress;
    switch (e.limit_form) {
      case LimitForm::Fixed:
        row.limit_text = wide_limit ? Fixed(row.limit, e.limit_decimals)
                                    : Fixed(static_cast<float>(row.limit), e.limit_decimals);
        break;
      case LimitForm::Allowable:
        row.limit_text = LimitText(static_cast<float>(row.limit), e.limit_decimals);
        break;
      case LimitForm::Shortest:
        row.limit_text = ShortestForm(static_cast<float>(row.limit));
        break;
    }
    switch (e.unit) {
      case CheckUnitKind::None:
        break;
      case CheckUnitKind::Metre:
        row.unit = "m";
        break;
      case CheckUnitKind::Bearing:
        row.unit = CheckUnit("t/m2", is_si);
        break;
      case CheckUnitKind::Stress:
        row.unit = CheckUnit("kg/cm2", is_si);
        break;
    }
    checks.rows.push_back(std::move(row));
  }
  return checks;
}

}  // namespace ktv
