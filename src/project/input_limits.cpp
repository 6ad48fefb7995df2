#include "project/input_limits.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <limits>
#include <string>
#include <vector>

#include "app/units.h"

namespace ktv {
namespace {

constexpr double kMaxDimension = 1000;  // m
constexpr double kMaxUnitWeight = 1000;

// One field: its value, the window's label for its box, the unit, and the range, each end open
// or closed. `box_scale` turns the stored value into the box's (millimetres for dimensions).
struct Limited {
  const char* field;
  const char* label;  // in a file's message, beside the field
  const char* box;    // in the window's message
  float value;
  double min, max;
  bool min_open, max_open;
  const char* unit;
  const char* box_unit;
  double box_scale;
};

Limited Dimension(const char* field, const char* label, float v, const char* box = nullptr) {
  return {field, label, box ? box : label,  v, -kMaxDimension, kMaxDimension, false, false,
          "m",   "mm",  MillimetresExact(1)};
}

Limited Centimetres(const char* field, const char* box, float v) {
  const double max = kMaxDimension * 100;
  return {field, "dt", box, v, -max, max, false, false, "cm", "cm", 1};
}

Limited UnitWeight(const char* field, const char* box, float v) {
  return {field, field, box, v, 0, kMaxUnitWeight, false, false, "", "", 1};
}

Limited Angle(const char* field, const char* box, float v, double min, double max, bool min_open) {
  return {field, field, box, v, min, max, min_open, true, "°", "°", 1};
}

std::string Number(double v) {
  if (std::isinf(v)) return v > 0 ? "∞" : "-∞";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

void Check(const ProjectData& data, const char* table, const std::vector<Limited>& fields) {
  for (const Limited& f : fields) {
    const double v = f.value;
    const bool inside =
        (f.min_open ? v > f.min : v >= f.min) && (f.max_open ? v < f.max : v <= f.max);
    if (inside) continue;
    const bool box = data.FromWindow();
    const double scale = box ? f.box_scale : 1;
    const char* unit_text = box ? f.box_unit : f.unit;
    const std::string unit = *unit_text ? std::string(" ") + unit_text : "";
    const std::string where = box ? std::string(f.box)
                                  : "プロジェクトファイル " + data.file + " の " + table + "." +
                                        f.field + "（" + f.label + "）";
    throw ProjectError(where + "の値 " + Number(v * scale) + unit + " は範囲" +
                       (f.min_open ? "（" : "［") + Number(f.min * scale) + " ～ " +
                       Number(f.max * scale) + unit + (f.max_open ? "）" : "］") +
                       "の外にあります。");
  }
}

}  // namespace

void CheckInputLimits(const ProjectData& data, int family) {
  if (family >= 0 && family < kWallFamilyCount && data.shapes[family]) {
    const ShapeRow& s = *data.shapes[family];
    Check(data, ShapeTableName(family),
          {Dimension("T00", "T1", s.t[0]), Dimension("T01", "T2", s.t[1]),
           Dimension("T02", "T3", s.t[2]), Dimension("L00", "L1", s.l[0]),
           Dimension("L01", "L2", s.l[1]), Dimension("L02", "L3", s.l[2]),
           Dimension("H", "H0", s.h), Dimension("D00", "D0", s.d[0]),
           Dimension("D01", "D1", s.d[1]), Dimension("D02", "D2", s.d[2]),
           Dimension("D03", "D3", s.d[3]), Dimension("D04", "D4", s.d[4]), Dimension("B", "B", s.b),
           Angle("β", "β", s.beta, -90, 90, true)});
  }
  if (data.concrete) {
    Check(data, kTableConcrete, {UnitWeight("γc", "ｺﾝｸﾘｰﾄ単位重量γc", data.concrete->gamma_c)});
  }
  if (data.soil) {
    const SoilRow& soil = *data.soil;
    // A surcharge pulling the backfill up turns the stress checks meaningless. Only the
    // cantilever wall's page takes q2.
    constexpr double kNoEnd = std::numeric_limits<double>::infinity();
    std::vector<Limited> fields = {
        UnitWeight("γ", "単位重量γ", soil.gamma),
        Angle("φ", "内部摩擦角φ", soil.phi, 0, 90, false),
        {"q1", "荷載荷重(上) q1", "荷載荷重(上) q1", soil.q1, 0, kNoEnd, false, true, "", "", 1}};
    if (family == kCantilever) {
      fields.push_back(
          {"q2", "荷載荷重(下) q2", "荷載荷重(下) q2", soil.q2, 0, kNoEnd, false, true, "", "", 1});
    }
    Check(data, kTableSoil, fields);
  }
  if (family != kGravity && data.rebar) {
    const RebarRow& r = *data.rebar;
    Check(data, kTableRebar,
          {Dimension("hAA", "h", r.hAA, "断面位置Ａ－Ａ´の天端からの高さ h"),
           Centimetres("dt0", "A-A' dt", r.dt0), Centimetres("dt1", "C-C' dt", r.dt1)});
  }
}

void CheckInputLimits(const ProjectDatabase& db, int family) {
  CheckInputLimits(ReadProjectData(db), family);
}

}  // namespace ktv
