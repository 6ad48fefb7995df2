#include "earth_pressure/earth_pressure.h"

#include <cmath>
#include <limits>

#include "app/format.h"

namespace ktv {
namespace {

// An arithmetic fault inside a coefficient.
struct ArithmeticFault {};

float ToSingle(double v) {
  if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
    throw ArithmeticFault{};
  return static_cast<float>(v);
}
double Div(double a, double b) {
  if (b == 0.0) throw ArithmeticFault{};
  double r = a / b;
  if (!std::isfinite(r)) throw ArithmeticFault{};
  return r;
}
double Sqrt(double v) {
  if (v < 0.0 || std::isnan(v)) throw ArithmeticFault{};
  return std::sqrt(v);
}
double Sq(double v) { return v * v; }

}  // namespace

std::optional<double> CoulombKa(float phi, float beta, float alpha, float delta) {
  try {
    const double p = phi, b = beta, a = alpha, d = delta;
    float A = ToSingle(Sq(std::cos(p - a)));
    float M = ToSingle(Sq(std::cos(a)) * std::cos(a + d));
    float S = ToSingle(
        Sqrt(Div(Div(std::sin(p + d) * std::sin(p - b), std::cos(a + d)), std::cos(a - b))));
    double ka = Div(Div(A, M), Sq(1.0 + S));
    if (!std::isfinite(ka)) throw ArithmeticFault{};
    return ka;
  } catch (const ArithmeticFault&) {
    return std::nullopt;
  }
}

std::optional<double> CoulombKae(float phi, float alpha, float beta, float theta, float delta) {
  try {
    const double p = phi, a = alpha, b = beta, t = theta, d = delta;
    double A = Sq(std::cos(p - a - t));
    float M = ToSingle(std::cos(t) * Sq(std::cos(a)) * std::cos((a + d) + t));
    float Q = ToSingle(
        Div(Div(std::sin(p + d) * std::sin(p - b - t), std::cos((a + d) + t)), std::cos(a - b)));
    double S = Sqrt(Q);
    double kae = Div(Div(A, M), Sq(1.0 + S));
    if (!std::isfinite(kae)) throw ArithmeticFault{};
    return kae;
  } catch (const ArithmeticFault&) {
    return std::nullopt;
  }
}

float FaceAngle(float a, float x) {
  double r = std::sqrt(static_cast<double>(a) * a + static_cast<double>(x) * x);
  if (r == 0.0) return 0.0f;
  float c = static_cast<float>(x / r);
  double s = std::sqrt(1.0 - static_cast<double>(c) * c);
  if (s == 0.0) return 0.0f;
  return static_cast<float>(std::atan(-static_cast<double>(c) / s) + 2.0 * std::atan(1.0));
}

std::optional<std::string> CheckSeismicAngle(float kh, float beta_deg, float phi_deg) {
  const double pi = kPi;
  float theta_r = FaceAngle(kh, 1.0f);
  float theta = static_cast<float>(theta_r / pi * 180.0);
  float phi_r = static_cast<float>(phi_deg / 180.0 * pi);
  double sin_phi = std::sin(static_cast<double>(phi_r));
  double cos_phi = std::sqrt(1.0 - sin_phi * sin_phi);
  // A φ of 90° leaves no finite tangent; arctan of it is then π/2.
  double atan_phi = cos_phi == 0.0 ? std::atan(1.0) * 2.0 : std::atan(sin_phi / cos_phi);
  int beta_max = RoundHalfEven((atan_phi - theta_r) / pi * 180.0 - 0.9999999);
  float sum = static_cast<float>(static_cast<double>(theta) + beta_deg);
  if (sum < phi_deg) return std::nullopt;
  return "設計水平震度kh=" + ShortestForm(kh) + "の場合θ=" + FormatValue(theta, kFmt2) +
         "°となり、β+θ<φでなければならない。\r\nしたがってφ=" + FormatValue(phi_deg, kFmt2) +
         "°だからβは" + FormatValue(static_cast<float>(beta_max), kFmt2) +
         "°以下でなければならない。";
}

std::optional<SoilDefaults> SoilClassDefaults(std::string_view class_name, bool is_si) {
  for (const auto& c : kSoilClasses) {
    if (c.name != class_name) continue;
    SoilDefaults d{std::string(c.gamma), std::string(c.phi), std::string(c.phi_b)};
    if (is_si) {
      float g = static_cast<float>(ReadNumber(d.gamma));
      d.gamma = FormatValue(static_cast<double>(g) * 9.80665, kFmt1);
    }
    return d;
  }
  return std::nullopt;
}

int SoilClassIndexFromUtKind(int ut_kind) { return ut_kind < 10 ? ut_kind : ut_kind % 10; }

}  // namespace ktv
