#include "sketch/sketch_common.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "app/format.h"

namespace ktv {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

[[noreturn]] void NotANumber(std::string_view text) {
  throw SketchError("not a number: \"" + std::string(text) + "\"");
}

std::string_view Stripped(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// sign, digits with at most one decimal point, optional exponent
bool IsDecimalNumber(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  bool digits = false;
  while (i < s.size() && IsDigit(s[i])) ++i, digits = true;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, digits = true;
  }
  if (!digits) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (i >= s.size() || !IsDigit(s[i])) return false;
    while (i < s.size() && IsDigit(s[i])) ++i;
  }
  return i == s.size();
}

}  // namespace

bool IsNumberText(std::string_view text) {
  const std::string narrow = NarrowNumberText(text);
  const std::string_view s = Stripped(narrow);
  return IsDecimalNumber(s) && std::isfinite(std::strtod(std::string(s).c_str(), nullptr));
}

float ReadSketchNumber(std::string_view text) {
  const std::string narrow = NarrowNumberText(text);
  const std::string_view s = Stripped(narrow);
  if (!IsDecimalNumber(s)) NotANumber(text);
  std::string number(s);
  errno = 0;
  double value = std::strtod(number.c_str(), nullptr);
  if (errno == ERANGE && std::fabs(value) > 1.0) NotANumber(text);
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
    NotANumber(text);
  }
  return static_cast<float>(value);
}

float CheckedValue(double value, const char* what) {
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
    throw SketchError(std::string("no finite value for ") + what);
  }
  return static_cast<float>(value);
}

void ReportSketchError(MessageSink& sink) { sink.Inform(std::string(kSketchErrorMessage)); }

bool CheckBetaRange(std::string_view beta_text, MessageSink& sink) {
  // Read as the 32-bit value the window holds; texts beyond that range stay outside 0 … 360.
  constexpr double kMax = std::numeric_limits<float>::max();
  const float beta = static_cast<float>(std::clamp(ReadNumber(beta_text), -kMax, kMax));
  if (beta >= 0 && beta <= 360) return true;
  sink.Inform("βの入力値が不正です｡βの入力範囲は０ ～ ３６０です｡");
  return false;
}

}  // namespace ktv
