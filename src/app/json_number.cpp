#include "app/json_number.h"

#include <charconv>
#include <cmath>

namespace ktv {

std::string JsonNumber(float value, std::string_view key) {
  if (!std::isfinite(value)) {
    throw JsonNumberError("the value of " + std::string(key) +
                          " is not a finite number and cannot be written as JSON");
  }
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

}  // namespace ktv
