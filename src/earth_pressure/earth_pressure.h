#pragma once
// Coulomb earth-pressure coefficients, the face angle, the seismic-angle check and soil classes.
// All angles are radians held as 32-bit floats.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/messages.h"

namespace ktv {

// Messages a report shows when a coefficient could not be formed (the calculations stay silent
// and only flag the failure).
inline constexpr std::string_view kCoulombKaFailure =
    "クーロン土圧係数Kaの計算中にエラーが発生しました";
inline constexpr std::string_view kCoulombKaeFailure =
    "クーロン土圧係数Kaeの計算中にエラーが発生しました";

// Normal-case coefficient. On an arithmetic fault (negative root, zero divisor, overflow) the
// result is empty (callers read it as 0 and show kCoulombKaFailure).
std::optional<double> CoulombKa(float phi, float beta, float alpha, float delta);

// Seismic coefficient (Mononobe–Okabe form). Note the argument order: alpha before beta. Empty on
// an arithmetic fault (kCoulombKaeFailure).
std::optional<double> CoulombKae(float phi, float alpha, float beta, float theta, float delta);

// The angle whose cosine is x / sqrt(a² + x²): a face's angle from the horizontal for a rise a and
// a run x, or the seismic composite angle for a = kh, x = 1. Both zero gives 0.
float FaceAngle(float a, float x);

// Input guard β + θ < φ (degrees in, kh as entered). Nothing when it passes; the exact message
// otherwise.
std::optional<std::string> CheckSeismicAngle(float kh, float beta_deg, float phi_deg);

// The empty value of the coefficients reads as 0.
inline double ValueOrZero(const std::optional<double>& v) { return v.value_or(0.0); }

struct SoilClass {
  std::string_view name;
  std::string_view gamma;  // default γ text, t/m3
  std::string_view phi;    // default φ text, degrees
  std::string_view phi_b;  // default tanφB text
};
inline constexpr std::array<SoilClass, 4> kSoilClasses = {{
    {"れき質土", "2.0", "35", "0.6"},
    {"砂質土", "1.9", "30", "0.6"},
    {"シルト・粘土", "1.8", "25", "0.5"},
    {"その他", "0.0", "0", "0.7"},
}};

// Texts of the earth-pressure option pair.
inline constexpr std::string_view kEarthPressureByFormula = "内部計算式による";
inline constexpr std::string_view kEarthPressureByRegulation =
    "宅造施行令 別表第2(第7条、第19条関係)による";

struct SoilDefaults {
  std::string gamma, phi, phi_b;
};
// Defaults written into the γ, φ and tanφB boxes for a class; in SI the γ text becomes
// γ × 9.80665 formatted "0.0". Nothing for a name that is not a class.
std::optional<SoilDefaults> SoilClassDefaults(std::string_view class_name, bool is_si);

// Soil class list index stored in UTKind: the value below 10, the value mod 10 otherwise.
int SoilClassIndexFromUtKind(int ut_kind);

}  // namespace ktv
