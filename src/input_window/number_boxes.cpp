#include "input_window/number_boxes.h"

#include <cmath>
#include <cstdlib>

#include "app/format.h"

namespace ktv {
namespace {

// Lengths of the wall: up to 1,000 m, as the calculations accept them.
constexpr double kMaxMm = 1000000;
constexpr double kMaxStress = 1000000;
constexpr double kMaxLoad = 1000000;

NumberBoxRule Dim(const char* name, const char* label) {
  return {name, label, nullptr, 0, kMaxMm, "mm", nullptr, false};
}

std::vector<NumberBoxRule> MakeRules() {
  std::vector<NumberBoxRule> s = {
      Dim("txtT(0)", "T1"),
      Dim("txtT(1)", "T2"),
      Dim("txtT(2)", "T3"),
      Dim("txtL(0)", "L1"),
      Dim("txtL(1)", "L2"),
      Dim("txtL(2)", "L3"),
      Dim("txtH(0)", "H0"),
      Dim("txtH(1)", "H1"),
      Dim("txtD(0)", "D0"),
      Dim("txtD(1)", "D1"),
      Dim("txtD(2)", "D2"),
      Dim("txtD(3)", "D3"),
      Dim("txtD(4)", "D4"),
      Dim("txtB", "B"),
      {"txtβ", "β", nullptr, 0, 90, "度", nullptr, false},
      // A surcharge may act upwards (a negative value); the calculations take it as entered.
      {"txtq1", "荷載荷重(上) q1", nullptr, -kMaxLoad, kMaxLoad, "kN/m2", "t/m2", false},
      {"txtq2", "荷載荷重(下) q2", nullptr, -kMaxLoad, kMaxLoad, "kN/m2", "t/m2", false},
      {"txtW0", "擁壁上部荷重W0", nullptr, -kMaxLoad, kMaxLoad, "kN/m", "t/m", false},
      Dim("txtFK_T5", "幅 T5"),
      Dim("txtFK_D5", "深さ D5"),
      Dim("txtFK_L5", "L5"),
      Dim("txtSW_T6", "壁厚 T6"),
      Dim("txtSW_L6", "間隔 L6"),
      Dim("txtSW_Bs", "ﾌｨﾚｯﾄBs"),
      {"txtkh", "設計水平震度 kh", nullptr, 0, 1, "", nullptr, false},
      {"txtγ", "単位重量 γ", nullptr, 0, 1000, "kN/m3", "t/m3", false},
      {"txtφ", "内部摩擦角 φ", nullptr, 0, 90, "度", nullptr, false},
      {"txtC", "粘着力 C", nullptr, 0, kMaxLoad, "kN/m2", "t/m2", false},
      {"txtφB", "滑り摩擦係数 tanφB", nullptr, 0, 10, "", nullptr, false},
      {"txtν1", "ν1", nullptr, -kMaxLoad, kMaxLoad, "", nullptr, false},
      {"txtν2", "ν2", nullptr, -kMaxLoad, kMaxLoad, "", nullptr, false},
      {"txtν3", "ν3", nullptr, -kMaxLoad, kMaxLoad, "", nullptr, false},
      {"txtko", "Ko", nullptr, -kMaxLoad, kMaxLoad, "", nullptr, false},
      {"txtqa_R(0)", "地盤の許容支持力度 qa（常時）", nullptr, 0, kMaxLoad, "kN/m2", "t/m2", false},
      {"txtqa_E(0)", "地盤の許容支持力度 qa（地震時）", nullptr, 0, kMaxLoad, "kN/m2", "t/m2",
       false},
      {"txtqa_R(1)", "滑動に対する安全率（常時）", nullptr, 0, 100, "", nullptr, false},
      {"txtqa_E(1)", "滑動に対する安全率（地震時）", nullptr, 0, 100, "", nullptr, false},
      {"txtFc", "F", "Fc", 0, kMaxStress, "N/mm2", "kg/cm2", false},
      {"txtσck", "σck", nullptr, 0, kMaxStress, "N/mm2", "kg/cm2", false},
      {"txtσcac", "σcac", nullptr, 0, kMaxStress, "N/mm2", "kg/cm2", false},
      {"txtσcat", "σcat", nullptr, 0, kMaxStress, "N/mm2", "kg/cm2", false},
      {"txtτa", "τa", nullptr, 0, kMaxStress, "N/mm2", "kg/cm2", false},
      {"txtγc", "単位重量γc", nullptr, 0, 1000, "kN/m3", "t/m3", false},
      {"txtEc", "ヤング係数 Ec", nullptr, 0, 1e8, "N/mm2", "kg/cm2", false},
      {"txtEs", "ヤング係数 Es", nullptr, 0, 1e8, "N/mm2", "kg/cm2", false},
      {"txtσsa", "A-A' σsa", nullptr, 0, kMaxStress, "N/mm2", "kg/cm2", false},
      {"txtσsaT", "C-C' σsa", nullptr, 0, kMaxStress, "N/mm2", "kg/cm2", true},
      {"txtdt(0)", "A-A' dt", nullptr, 0, 100000, "cm", nullptr, false},
      {"txtdt(1)", "C-C' dt", nullptr, 0, 100000, "cm", nullptr, false},
      {"txthAA", "断面位置Ａ－Ａ´の天端からの高さ h", nullptr, 0, kMaxMm, "mm", nullptr, false},
  };
  // The spacings are stored as 16-bit whole numbers.
  static const char* const kSpacing[] = {"A-A' 配筋1 @", "A-A' 配筋2 @", "B-B' 配筋1 @",
                                         "B-B' 配筋2 @", "C-C' 配筋1 @", "C-C' 配筋2 @",
                                         "D-D' 配筋1 @", "D-D' 配筋2 @"};
  static const char* const kSpacingNames[] = {"txtctc(0)", "txtctc(1)", "txtctc(2)", "txtctc(3)",
                                              "txtctc(4)", "txtctc(5)", "txtctc(6)", "txtctc(7)"};
  for (int i = 0; i < 8; ++i) {
    s.push_back({kSpacingNames[i], kSpacing[i], nullptr, 0, 32767, "mm", nullptr, true});
  }
  return s;
}

std::string Number(double v) { return ShortestForm(v); }

std::string TrimmedNarrow(std::string_view text) {
  std::string s = NarrowNumberText(text);
  const size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  const size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// One decimal number, nothing before or after it: sign, digits, at most one point, and an
// exponent only after digits.
bool IsPlainNumber(const std::string& s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t exp_digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++exp_digits;
    if (exp_digits == 0) return false;
  }
  return i == s.size();
}

}  // namespace

std::string NumberBoxRule::Label(bool si) const {
  return (!si && label_cgs != nullptr) ? label_cgs : label;
}

std::string NumberBoxRule::Unit(bool si) const {
  return (!si && unit_cgs != nullptr) ? unit_cgs : unit_si;
}

const std::vector<NumberBoxRule>& NumberBoxRules() {
  static const std::vector<NumberBoxRule> rules = MakeRules();
  return rules;
}

const NumberBoxRule* FindNumberBoxRule(std::string_view object_name) {
  for (const NumberBoxRule& s : NumberBoxRules()) {
    if (object_name == s.object_name) return &s;
  }
  return nullptr;
}

std::string AcceptedRangeText(const NumberBoxRule& rule, bool si) {
  std::string text = Number(rule.min) + " ～ " + Number(rule.max);
  const std::string unit = rule.Unit(si);
  if (!unit.empty()) text += " " + unit;
  return text;
}

std::optional<std::string> NumberRefusal(std::string_view text, const NumberBoxRule& rule,
                                         bool si) {
  const std::string s = TrimmedNarrow(text);
  const std::string label = "「" + rule.Label(si) + "」";
  const std::string kind = rule.whole ? "整数" : "数値";
  const std::string accepted =
      label + "には " + AcceptedRangeText(rule, si) + " の" + kind + "を入力して下さい。";
  const std::string typed = label + "の入力値「" + std::string(text) + "」";
  if (!IsPlainNumber(s)) {
    return typed + "は数値として読めません。\r\n" + accepted +
           "（小数点は「.」で入力し、桁区切りの「,」は付けません）";
  }
  const double v = std::strtod(s.c_str(), nullptr);
  if (!std::isfinite(v) || v < rule.min || v > rule.max) {
    return typed + "は入力範囲の外です。\r\n" + accepted;
  }
  if (rule.whole && v != std::floor(v)) return typed + "は整数ではありません。\r\n" + accepted;
  return std::nullopt;
}

std::string KeepingFormat(float value, std::string_view pattern) {
  if (!std::isfinite(value)) return FormatValue(0.0f, pattern);
  const std::string formatted = FormatValue(value, pattern);
  if (static_cast<float>(ReadNumber(formatted)) == value) return formatted;
  return ShortestForm(value);
}

std::string KeepingFormat(std::string_view text, InputFormat format) {
  const float v = BoxNumber(std::string(text));
  switch (format) {
    case InputFormat::None:
      return std::string(text);
    case InputFormat::F0:
      return KeepingFormat(v, kFmt0);
    case InputFormat::F1:
      return KeepingFormat(v, kFmt1);
    case InputFormat::F2:
      return KeepingFormat(v, kFmt2);
  }
  return std::string(text);
}

}  // namespace ktv
