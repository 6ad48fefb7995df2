#pragma once
// Helpers shared by the cantilever calculation files (not part of the family's interface).
#include <cmath>
#include <string>

#include "app/errors.h"
#include "app/format.h"

namespace ktv::cantilever_detail {

inline constexpr double kPiD = static_cast<double>(kPi);

inline float F(double v) { return StoreFloat(v); }

[[noreturn]] inline void Fail(const std::string& cause) {
  throw CalculationError("逆T形擁壁の計算ができません：" + cause);
}

inline void RequireFinite(float v, const std::string& name) {
  if (!std::isfinite(v)) Fail(name + "が数値として定まりません。");
}

}  // namespace ktv::cantilever_detail
