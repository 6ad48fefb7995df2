#include "project/input_limits.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace ktv {
namespace {

constexpr double kMaxDimension = 1000;  // m
constexpr double kMaxUnitWeight = 1000;

// One field: its value, the window's name for it, the unit, and the range, each end open or
// closed.
struct Limited {
  const char* field;
  const char* label;
  float value;
  double min, max;
  bool min_open, max_open;
  const char* unit;
};

Limited Dimension(const char* field, const char* label, float v, double scale = 1,
                  const char* unit = "m") {
  return {field, label, v, -kMaxDimension * scale, kMaxDimension * scale, false, false, unit};
}

Limited UnitWeight(const char* field, float v) {
  return {field, field, v, 0, kMaxUnitWeight, false, false, ""};
}

std::string Number(double v) {
  if (std::isinf(v)) return v > 0 ? "∞" : "-∞";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

void Check(const ProjectDatabase& db, const char* table, const std::vector<Limited>& fields) {
  for (const Limited& f : fields) {
    const double v = f.value;
    const bool inside =
        (f.min_open ? v > f.min : v >= f.min) && (f.max_open ? v < f.max : v <= f.max);
    if (inside) continue;
    const std::string unit = *f.unit ? std::string(" ") + f.unit : "";
    throw ProjectError("プロジェクトファイル " + db.path() + " の " + table + "." + f.field + "（" +
                       f.label + "）の値 " + Number(v) + unit + " は範囲" +
                       (f.min_open ? "（" : "［") + Number(f.min) + " ～ " + Number(f.max) + unit +
                       (f.max_open ? "）" : "］") + "の外にあります。");
  }
}

}  // namespace

void CheckInputLimits(const ProjectDatabase& db, int family) {
  if (const auto shape = db.ReadShape(family)) {
    const ShapeRow& s = *shape;
    Check(db, ShapeTableName(family),
          {Dimension("T00", "T1", s.t[0]),
           Dimension("T01", "T2", s.t[1]),
           Dimension("T02", "T3", s.t[2]),
           Dimension("L00", "L1", s.l[0]),
           Dimension("L01", "L2", s.l[1]),
           Dimension("L02", "L3", s.l[2]),
           Dimension("H", "H0", s.h),
           Dimension("D00", "D0", s.d[0]),
           Dimension("D01", "D1", s.d[1]),
           Dimension("D02", "D2", s.d[2]),
           Dimension("D03", "D3", s.d[3]),
           Dimension("D04", "D4", s.d[4]),
           Dimension("B", "B", s.b),
           {"β", "β", s.beta, -90, 90, true, true, "°"}});
  }
  if (const auto concrete = db.ReadConcrete()) {
    Check(db, kTableConcrete, {UnitWeight("γc", concrete->gamma_c)});
  }
  if (const auto soil = db.ReadSoil()) {
    // A surcharge pulling the backfill up turns the stress checks meaningless. Only the
    // cantilever wall's page takes q2.
    constexpr double kNoEnd = std::numeric_limits<double>::infinity();
    std::vector<Limited> fields = {UnitWeight("γ", soil->gamma),
                                   {"φ", "φ", soil->phi, 0, 90, false, true, "°"},
                                   {"q1", "荷載荷重(上) q1", soil->q1, 0, kNoEnd, false, true, ""}};
    if (family == 2)
      fields.push_back({"q2", "荷載荷重(下) q2", soil->q2, 0, kNoEnd, false, true, ""});
    Check(db, kTableSoil, fields);
  }
  if (family != 0) {
    if (const auto rebar = db.ReadRebar()) {
      Check(db, kTableRebar,
            {Dimension("hAA", "h", rebar->hAA), Dimension("dt0", "dt", rebar->dt0, 100, "cm"),
             Dimension("dt1", "dt", rebar->dt1, 100, "cm")});
    }
  }
}

}  // namespace ktv
