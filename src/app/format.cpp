#include "app/format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace ktv {
namespace {

// A decimal number: sign, digits (no leading zeros except "0") and the count of digits after the
// point.
struct Decimal {
  bool negative = false;
  std::string digits;  // integer digits of value * 10^scale
  int scale = 0;
};

// Writes |value| with `significant` digits, exactly as a decimal.
Decimal ToDecimal(double value, int significant) {
  Decimal d;
  d.negative = std::signbit(value) && value != 0.0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", significant - 1, std::fabs(value));
  // buf: d.ddddde[+-]xx
  std::string mant;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p) {
    if (*p != '.') mant.push_back(*p);
  }
  int exp10 = std::atoi(p + 1);
  // value = mant * 10^(exp10 - (significant - 1))
  int shift = exp10 - (significant - 1);
  if (shift >= 0) {
    d.digits = mant + std::string(shift, '0');
    d.scale = 0;
  } else {
    d.digits = mant;
    d.scale = -shift;
  }
  return d;
}

// Adds one to a digit string.
void Increment(std::string& digits) {
  int i = static_cast<int>(digits.size()) - 1;
  while (i >= 0) {
    if (digits[i] == '9') {
      digits[i] = '0';
      --i;
    } else {
      ++digits[i];
      return;
    }
  }
  digits.insert(digits.begin(), '1');
}

// Rounds half away from zero to `decimals` places.
void RoundTo(Decimal& d, int decimals) {
  if (d.scale <= decimals) {
    d.digits += std::string(decimals - d.scale, '0');
    d.scale = decimals;
    return;
  }
  int drop = d.scale - decimals;
  if (drop > static_cast<int>(d.digits.size())) {
    d.digits.assign(static_cast<size_t>(decimals) + 1, '0');
    d.scale = decimals;
    return;
  }
  char first_dropped = d.digits[d.digits.size() - drop];
  d.digits.resize(d.digits.size() - drop);
  if (d.digits.empty()) d.digits.assign(1, '0');
  d.scale = decimals;
  if (first_dropped >= '5') Increment(d.digits);
}

std::string Group(const std::string& int_part) {
  std::string out;
  int n = static_cast<int>(int_part.size());
  for (int i = 0; i < n; ++i) {
    out.push_back(int_part[i]);
    int rest = n - 1 - i;
    if (rest > 0 && rest % 3 == 0) out.push_back(',');
  }
  return out;
}

std::string Format(double value, int significant, std::string_view pattern) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : (value > 0 ? "Inf" : "-Inf");
  int decimals = 0;
  auto dot = pattern.find('.');
  if (dot != std::string_view::npos) decimals = static_cast<int>(pattern.size() - dot - 1);
  bool grouped = pattern.find(',') != std::string_view::npos;

  Decimal d = ToDecimal(value, significant);
  RoundTo(d, decimals);
  // Split into integer and fraction parts.
  std::string digits = d.digits;
  if (static_cast<int>(digits.size()) <= decimals) {
    digits = std::string(decimals + 1 - digits.size(), '0') + digits;
  }
  std::string int_part = digits.substr(0, digits.size() - decimals);
  std::string frac_part = digits.substr(digits.size() - decimals);
  size_t nz = int_part.find_first_not_of('0');
  int_part = nz == std::string::npos ? "0" : int_part.substr(nz);
  bool zero = int_part == "0" && frac_part.find_first_not_of('0') == std::string::npos;

  std::string out;
  if (d.negative && !zero) out.push_back('-');
  out += grouped ? Group(int_part) : int_part;
  if (decimals > 0) {
    out.push_back('.');
    out += frac_part;
  }
  return out;
}

std::string Shortest(double value, int significant) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : (value > 0 ? "Inf" : "-Inf");
  if (value == 0.0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", significant - 1, value);
  std::string s(buf);
  auto e = s.find('e');
  std::string mant = s.substr(0, e);
  int exp10 = std::atoi(s.c_str() + e + 1);
  bool negative = mant[0] == '-';
  if (negative) mant.erase(0, 1);
  std::string digits;
  for (char c : mant) {
    if (c != '.') digits.push_back(c);
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = negative ? "-" : "";
  if (exp10 < -4 || exp10 >= significant) {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    char eb[16];
    std::snprintf(eb, sizeof eb, "E%c%02d", exp10 < 0 ? '-' : '+', std::abs(exp10));
    return out + eb;
  }
  if (exp10 < 0) {
    return out + "0." + std::string(-exp10 - 1, '0') + digits;
  }
  if (static_cast<int>(digits.size()) <= exp10 + 1) {
    return out + digits + std::string(exp10 + 1 - digits.size(), '0');
  }
  return out + digits.substr(0, exp10 + 1) + "." + digits.substr(exp10 + 1);
}

}  // namespace

std::string FormatValue(float value, std::string_view pattern) {
  return Format(static_cast<double>(value), 7, pattern);
}
std::string FormatValue(double value, std::string_view pattern) {
  return Format(value, 15, pattern);
}
std::string ShortestForm(float value) { return Shortest(static_cast<double>(value), 7); }
std::string ShortestForm(double value) { return Shortest(value, 15); }

std::string NarrowNumberText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    if (i + 2 < text.size()) {
      const unsigned code = (byte(0) & 0x0Fu) << 12 | (byte(1) & 0x3Fu) << 6 | (byte(2) & 0x3Fu);
      const bool three_bytes =
          (byte(0) & 0xF0u) == 0xE0u && (byte(1) & 0xC0u) == 0x80u && (byte(2) & 0xC0u) == 0x80u;
      char ascii = 0;
      if (three_bytes) {
        if (code >= 0xFF10 && code <= 0xFF19) {
          ascii = static_cast<char>('0' + (code - 0xFF10));
        } else if (code == 0xFF0B) {
          ascii = '+';
        } else if (code == 0xFF0D || code == 0x2212 || code == 0x30FC) {
          ascii = '-';
        } else if (code == 0xFF0E) {
          ascii = '.';
        } else if (code == 0xFF25 || code == 0xFF45) {
          ascii = 'E';
        } else if (code == 0x3000) {
          ascii = ' ';
        }
      }
      if (ascii != 0) {
        out.push_back(ascii);
        i += 3;
        continue;
      }
    }
    out.push_back(text[i++]);
  }
  return out;
}

double ReadNumber(std::string_view text) {
  // Blanks, tabs and line feeds are skipped anywhere, as BASIC's Val does.
  std::string s;
  for (char c : NarrowNumberText(text)) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s.push_back(c);
  }
  size_t i = 0;
  std::string num;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) num.push_back(s[i++]);
  bool any_digit = false;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
    num.push_back(s[i++]);
    any_digit = true;
  }
  if (i < s.size() && s[i] == '.') {
    num.push_back(s[i++]);
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      num.push_back(s[i++]);
      any_digit = true;
    }
  }
  if (!any_digit) return 0.0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    size_t j = i + 1;
    std::string ex = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ex.push_back(s[j++]);
    size_t start = j;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ex.push_back(s[j++]);
    if (j > start) num += ex;
  }
  double v = std::strtod(num.c_str(), nullptr);
  if (!std::isfinite(v)) return 0.0;
  return v;
}

float DegToRad(float degrees) {
  return static_cast<float>(static_cast<double>(degrees) / 180.0 * static_cast<double>(kPi));
}
float RadToDeg(float radians) {
  return static_cast<float>(static_cast<double>(radians) / static_cast<double>(kPi) * 180.0);
}

int RoundHalfEven(double value) {
  // Saturate rather than overflow: a value outside int has no integer to round to.
  if (std::isnan(value)) return 0;
  double r = std::nearbyint(value);
  if (r >= 2147483647.0) return 2147483647;
  if (r <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(r);
}

}  // namespace ktv

namespace ktv {
namespace {

// 10^n; the powers up to 10^22 are exact doubles, so a table gives what pow gives, without its
// cost (the calculations read back dozens of printed cells per wall).
double PowerOfTen(int n) {
  static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  return n >= 0 && n <= 22 ? kExact[n] : std::pow(10.0, n);
}

__extension__ typedef unsigned __int128 Wide;  // GCC and Clang

// 5^0 … 5^32: enough for any float with up to 22 printed decimals.
constexpr std::array<Wide, 33> kPow5 = [] {
  std::array<Wide, 33> p{};
  p[0] = 1;
  for (size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 5;
  return p;
}();

// 7 significant digits of |value| = m · 2^e2 (m < 2^24), rounded as the C library prints them
// (to nearest, a tie to the even digit): |value| ≈ digits · 10^(exp10 - 6), digits < 10^7 or,
// when the rounding carries, exactly 10^7.
struct SevenDigits {
  int64_t digits;
  int exp10;
};

// The digits for a guess of the decimal exponent; exp10 moves by one when the guess was off.
SevenDigits RoundToSevenDigits(uint32_t m, int e2, int exp10) {
  for (;;) {
    // m · 2^e2 · 10^s = m · 5^s · 2^(e2 + s) = q + r / den.
    const int s = 6 - exp10;
    const int t = e2 + s;
    Wide q = 0, r = 0, den = 1;
    if (s >= 0) {
      // The usual case, values below 10^7: den is a power of two.
      const Wide num = m * kPow5[s];
      if (t >= 0) {
        q = num << t;
      } else {
        den = Wide(1) << -t;
        q = num >> -t;
        r = num & (den - 1);
      }
    } else {
      Wide num = m;
      den = kPow5[-s];
      if (t >= 0) {
        num <<= t;
      } else {
        den <<= -t;
      }
      q = num / den;
      r = num % den;
    }
    if (q < 1000000) {
      --exp10;
      continue;
    }
    if (q >= 10000000) {
      ++exp10;
      continue;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
    return {static_cast<int64_t>(q), exp10};
  }
}

}  // namespace

double AsPrinted(float value, int decimals) {
  if (!std::isfinite(value) || value == 0) return 0.0;
  decimals = std::clamp(decimals, 0, 22);
  int e2 = 0;
  const double fraction = std::frexp(std::fabs(static_cast<double>(value)), &e2);
  const auto m = static_cast<uint32_t>(std::ldexp(fraction, 24));  // exact: 24 bits at most
  e2 -= 24;
  // 2^(e2 + 23) <= |value| < 2^(e2 + 24): the decimal exponent is guess or guess + 1.
  const int guess = static_cast<int>(std::floor((e2 + 23) * 0.30102999566398120));
  if (guess + 1 < -1 - decimals) return 0.0;  // below half the last printed decimal
  const SevenDigits seven = RoundToSevenDigits(m, e2, guess);
  const int64_t digits = seven.digits;
  const int k = seven.exp10 - 6;   // power of ten of the last digit
  const int drop = -decimals - k;  // digits below the last printed decimal
  double rounded = 0;
  if (k >= 0) {
    // digits · 10^k = digits · 5^k · 2^k: one rounding, as reading the printed integer gives.
    rounded = std::ldexp(static_cast<double>(static_cast<Wide>(digits) * kPow5[k]), k);
  } else if (drop <= 0) {
    rounded = static_cast<double>(digits) / PowerOfTen(-k);
  } else if (drop <= 8) {
    int64_t scale = 1;
    for (int i = 1; i < drop; ++i) scale *= 10;
    const int64_t kept = digits / scale;  // the kept digits and the first dropped one
    rounded = static_cast<double>(kept / 10 + (kept % 10 >= 5 ? 1 : 0)) / PowerOfTen(decimals);
  }
  if (rounded == 0) return 0.0;
  return value < 0 ? -rounded : rounded;
}

float StoreFloat(double value) {
  if (std::fabs(value) > std::numeric_limits<float>::max() && std::isfinite(value)) {
    return value > 0 ? std::numeric_limits<float>::infinity()
                     : -std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(value);
}

}  // namespace ktv
