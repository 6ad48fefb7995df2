#pragma once
// Helpers shared by the cantilever calculation files (not part of the family's interface).
#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>

#include "app/errors.h"
#include "app/format.h"

namespace ktv::cantilever_detail {

inline constexpr double kPiD = static_cast<double>(kPi);

inline float F(double v) { return StoreFloat(v); }

[[noreturn]] inline void Fail(const std::string& cause) {
  throw CalculationError("逆T形擁壁の計算ができません：" + cause);
}

// The name is put together only when it is needed: these checks run on every value.
[[noreturn]] inline void FailNotFinite(std::initializer_list<std::string_view> name) {
  std::string text;
  for (std::string_view part : name) text += part;
  Fail(text + "が数値として定まりません。");
}

inline void RequireFinite(float v, std::string_view name) {
  if (!std::isfinite(v)) FailNotFinite({name});
}

inline void RequireFinite(float v, std::string_view a, std::string_view b,
                          std::string_view c = {}) {
  if (!std::isfinite(v)) FailNotFinite({a, b, c});
}

}  // namespace ktv::cantilever_detail
