#include "app/checks.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/units.h"

namespace ktv {

double Utilisation(const CheckRow& row) {
  const double ratio =
      row.verdict.side == SafeSide::Below ? row.value / row.limit : row.limit / row.value;
  // A ratio that is not a number (0/0) or a failed row whose ratio reads as safe (a negative
  // limit) still has to sort after every passing row.
  if (!row.verdict.ok) {
    return std::isfinite(ratio) && ratio >= 1 ? ratio : std::numeric_limits<double>::max();
  }
  return std::isfinite(ratio) ? std::min(ratio, 1.0) : 1.0;
}

std::string CheckUnit(std::string_view key, bool is_si) {
  std::string label = UnitLabel(key, UnitFlag(is_si));
  if (label.starts_with(' ')) label.erase(0, 1);
  return label;
}

}  // namespace ktv
