#pragma once
// What the three section sketches share: their inputs (the texts of the wall page's boxes), the
// strict reading of those texts, the error message and the β range check of the wall page.
#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/messages.h"
#include "app/standard_sizes.h"

namespace ktv {

// The wall page's boxes as the sketches read them, texts exactly as shown.
struct SketchInputs {
  int family = kGravity;  // cboKeisiki: 0 重力式, 1 もたれ式, 2 逆T形、L形、逆L形
  std::array<std::string, 3> t;     // txtT(0..2): T1, T2, T3
  std::array<std::string, 3> l;     // txtL(0..2): L1, L2, L3
  std::array<std::string, 2> h;     // txtH(0), txtH(1): H0, H1
  std::array<std::string, 5> d;     // txtD(0..4): D0..D4
  std::string b;                    // txtB
  std::string beta;                 // txtβ, degrees
  std::string w0;                   // txtW0
  bool shear_key = false;           // chk滑り止め
  std::string fk_t5, fk_d5, fk_l5;  // txtFK_T5, txtFK_D5, txtFK_L5
  bool counterfort = false;         // chk控え壁
  std::string sw_t6, sw_l6, sw_bs;  // txtSW_T6, txtSW_L6, txtSW_Bs
};

// A sketch cannot be drawn from the inputs (a text that is not a number, a zero divisor).
class SketchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Message shown when a sketch fails.
inline constexpr std::string_view kSketchErrorMessage =
    "形状を描画中にエラーが発生しました｡\r\n不正な値が入力されていないか確認して下さい｡";

// True when the whole text (blanks around it allowed, full-width forms read as ASCII) is one
// decimal number of finite value.
bool IsNumberText(std::string_view text);

// Reads a box for drawing: the whole text must be one number (blanks around it allowed); an empty
// or non-numeric text, or one beyond the 32-bit range, throws SketchError naming the text.
float ReadSketchNumber(std::string_view text);

// Throws SketchError when a computed value is not finite.
float CheckedValue(double value, const char* what);

// The shared failure handling: beep and the information message.
void ReportSketchError(MessageSink& sink);

// The wall page's β range check (leading-number rule, 0 … 360), run by the window and by the
// gravity sketch before it draws: outside the range, beep, the β message and false.
bool CheckBetaRange(std::string_view beta_text, MessageSink& sink);

}  // namespace ktv
