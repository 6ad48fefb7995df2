#include "app/units.h"

#include <array>

#include "app/format.h"

namespace ktv {

void ScaleStresses(float factor, std::initializer_list<float*> values) {
  for (float* v : values) {
    if (v) *v = static_cast<float>(static_cast<double>(*v) * factor);
  }
}

float MetresOf(double millimetres) { return StoreFloat(millimetres * 0.001); }
float MillimetresOf(double metres) { return StoreFloat(MillimetresExact(metres)); }

namespace {
struct UnitRow {
  std::string_view si_key, cgs_key, si_label, cgs_label;
};
constexpr std::array<UnitRow, 18> kUnitRows = {{
    {"N", "kg", " N", " kg"},
    {"kN", "t", " kN", " t"},
    {"N/cm", "kg/cm", " N/cm", " kg/cm"},
    {"N/cm2", "kg/cm2", " N/mm2", " kg/cm2"},
    {"N/cm3", "kg/cm3", " N/cm3", " kg/cm3"},
    {"kN/cm", "t/cm", " kN/cm", " t/cm"},
    {"kN/cm2", "t/cm2", " kN/cm2", " t/cm2"},
    {"kN/cm3", "t/cm3", " kN/cm3", " t/cm3"},
    {"N/m", "kg/m", " N/m", " kg/m"},
    {"N/m2", "kg/m2", " N/m2", " kg/m2"},
    {"N/m3", "kg/m3", " N/m3", " kg/m3"},
    {"kN/m", "t/m", " kN/m", " t/m"},
    {"kN/m2", "t/m2", " kN/m2", " t/m2"},
    {"kN/m3", "t/m3", " kN/m3", " t/m3"},
    {"kN･m", "t･m", " kN･m", " t･m"},
    {"kN･m2", "t･m2", " kN･m2", " t･m2"},
    {"kN･m3", "t･m3", " kN･m3", " t･m3"},
    {"kN･m /m", "t･m/m", " kN･m /m", " t･m/m"},
}};
}  // namespace

std::string UnitLabel(std::string_view key, int16_t flag) {
  if (flag != kUnitFlagSI && flag != kUnitFlagCGS) return {};
  for (const auto& row : kUnitRows) {
    if (key == row.si_key || key == row.cgs_key) {
      return std::string(flag == kUnitFlagSI ? row.si_label : row.cgs_label);
    }
  }
  return {};
}

KeyFilterResult NumericKeyFilter(int16_t key, bool no_minus, bool no_dot) {
  if (key == 32 || (key >= 48 && key <= 57) || key == 8) return {key, false};
  if (key == '-' && !no_minus) return {key, false};
  if (key == '.' && !no_dot) return {key, false};
  return {0, key != 13};
}

}  // namespace ktv
