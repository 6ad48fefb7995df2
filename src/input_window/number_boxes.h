#pragma once
// What each number box of the input window accepts: its label as the page shows it, its range
// and unit, and whether the project file holds it as a whole number. Leaving a box checks the
// typed text against this; a refused text stays in the box, with a message naming the box and
// what it accepts, until the engineer corrects it. The box tooltips come from the same table.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input_window/window_inputs.h"

namespace ktv {

struct NumberBoxRule {
  const char* object_name;  // the box's object name ("txtH(0)")
  const char* label;  // as labelled on the page, SI captions ("H0", "滑り摩擦係数 tanφB")
  const char* label_cgs;  // the label under CGS captions when it differs, else nullptr
  double min;
  double max;
  const char* unit_si;   // "" when the value has no unit
  const char* unit_cgs;  // the CGS unit, or nullptr when the same as SI
  bool whole = false;    // the project file holds a whole number only

  std::string Label(bool si) const;
  std::string Unit(bool si) const;
};

// Every number box of the four pages (hidden ones included), in page order.
const std::vector<NumberBoxRule>& NumberBoxRules();
// The rule of a box by its object name; nullptr for a box that is not a number box.
const NumberBoxRule* FindNumberBoxRule(std::string_view object_name);

// The range as a message and a tooltip say it: "0 ～ 1000000 mm".
std::string AcceptedRangeText(const NumberBoxRule& rule, bool si);

// Why a typed text is refused (the message shown), or nothing when it is accepted. Accepted is
// one decimal number (full-width forms and blanks around it allowed; no decimal comma, no
// thousands separator, no letters) inside the box's range, a whole number where the file holds
// one.
std::optional<std::string> NumberRefusal(std::string_view text, const NumberBoxRule& rule, bool si);

// The text a box shows once it is left with an accepted text: the display format when that keeps
// the typed value, otherwise the typed value in its shortest form (tanφB "0.55" stays "0.55",
// not "0.6").
std::string KeepingFormat(std::string_view text, InputFormat format);
// The same for a stored value: the pattern when it shows the value exactly, otherwise its
// shortest form.
std::string KeepingFormat(float value, std::string_view pattern);

}  // namespace ktv
