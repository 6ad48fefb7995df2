#include "sketch/sketch_common.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace ktv {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

[[noreturn]] void NotANumber(std::string_view text) {
  throw SketchError("not a number: \"" + std::string(text) + "\"");
}

}  // namespace

float ReadSketchNumber(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string_view s = text.substr(begin, end - begin);

  // sign, digits with at most one decimal point, optional exponent
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  bool digits = false;
  while (i < s.size() && IsDigit(s[i])) ++i, digits = true;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, digits = true;
  }
  if (!digits) NotANumber(text);
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (i >= s.size() || !IsDigit(s[i])) NotANumber(text);
    while (i < s.size() && IsDigit(s[i])) ++i;
  }
  if (i != s.size()) NotANumber(text);

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

}  // namespace ktv
