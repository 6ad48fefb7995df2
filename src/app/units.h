#pragma once
// Unit systems, unit labels of the report and the key filter of numeric boxes.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace ktv {

// Stored texts of tbl単位系及び形式.Unit.
inline constexpr std::string_view kUnitTextSI = "SI 単位";
inline constexpr std::string_view kUnitTextCGS = "CGS 単位";

// Only the exact SI text means SI; an empty table means SI too (handled by the reader).
inline bool UnitTextIsSI(std::string_view unit_text) { return unit_text == kUnitTextSI; }

enum class UnitState : int16_t { CGS = 1, SI = 2 };

// 1 in CGS, 100 in SI: allowable stresses are multiplied by it after reading.
inline float StressUnitFactor(bool is_si) { return is_si ? 100.0f : 1.0f; }

// A stress held multiplied by StressUnitFactor as it is shown (report, check rows, JSON): in
// kg/cm2 or N/mm2. The one place where the factor is divided out; a double, so that the quotient
// is rounded only where it is printed.
inline double ShownStress(double held, bool is_si) { return held / StressUnitFactor(is_si); }
// The same, rounded to the 32-bit value that the JSON and the limit texts write.
inline float ShownStressF(double held, bool is_si) {
  return static_cast<float>(ShownStress(held, is_si));
}

// Multiplies each value in place by the factor.
void ScaleStresses(float factor, std::initializer_list<float*> values);

// Lengths are entered in millimetres and stored and computed in metres. These are the one
// conversion each way: formed in double, stored as a 32-bit float (a value beyond the float range
// becomes infinite, as StoreFloat does, for the input checks to refuse).
float MetresOf(double millimetres);
float MillimetresOf(double metres);
// The same conversion of a value formed only for printing, kept in double.
inline double MillimetresExact(double metres) { return metres * 1000.0; }

// 1 kgf = 9.80665 N: the one factor between the forces of the CGS and the SI system.
inline constexpr double kNewtonsPerKgf = 9.80665;

// Unit-system flag of UnitLabel: -1 SI, 0 CGS.
inline constexpr int16_t kUnitFlagSI = -1;
inline constexpr int16_t kUnitFlagCGS = 0;
inline int16_t UnitFlag(bool is_si) { return is_si ? kUnitFlagSI : kUnitFlagCGS; }

// Label of a unit key in the given system, with one leading blank; empty for an unknown key or a
// flag other than -1 and 0.
std::string UnitLabel(std::string_view key, int16_t flag);

struct KeyFilterResult {
  int16_t key;  // the key to accept, or 0 to swallow it
  bool beep;
};
// Filters a typed character of a numeric box.
KeyFilterResult NumericKeyFilter(int16_t key, bool no_minus, bool no_dot);

}  // namespace ktv
