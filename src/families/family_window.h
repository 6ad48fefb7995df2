#pragma once
// What a wall family reads of the input window: which boxes it enables while it is shown and the
// checks of its dimensions before a report. Each family gives its own (in its folder); the window
// applies them through the family table and names no family.
#include <optional>
#include <string>

#include "app/standard_sizes.h"

namespace ktv {

// The boxes a family reads; the window disables the others (and their labels).
struct FamilyBoxes {
  // Wall page.
  bool t3 = false;           // T3
  bool l1 = false;           // L1
  bool l2_l3 = false;        // L2, L3
  bool d0_d2_d4 = false;     // D0, D2, D4
  bool d1 = false;           // D1 (D3 always repeats it and stays disabled)
  bool b = false;            // B
  bool q2 = false;           // q2
  bool counterfort = false;  // 控え壁 and its boxes
  // Design-conditions page: kh and the seismic bearing and sliding values.
  bool seismic = false;
  // Materials page.
  bool sigma_cat = false;
  bool tau_a = false;
  bool ec = false;
  bool reinforcement = false;  // bars, Es, σsa, dt, section A-A′ and the section picture
  // Inputs that must be above zero because the calculation divides by them or checks against
  // them: the allowable compressive and shear stresses of the plain-concrete body.
  bool body_allowables_required = false;
};

// A family's dimension check: nothing when the dimensions (millimetres, as the window shows
// them) describe a wall of the family, else the message that names the dimension.
using DimensionCheck = std::optional<std::string> (*)(const FamilyDimensions& mm);

struct FamilyWindow {
  FamilyBoxes boxes;
  DimensionCheck dimensions = nullptr;  // null: no check
};

// The message of dimensions that describe no wall: the window's one text, then the condition
// that failed, in the boxes' names (e.g. "T2 ＞ 0").
std::string DimensionMessage(const std::string& condition);

}  // namespace ktv
