#pragma once
// Dimensions of one wall family as the window shows them (millimetres, degrees), and the built-in
// standard dimensions of each family.
#include <array>

#include "app/wall_family.h"

namespace ktv {

struct FamilyDimensions {
  std::array<float, 4> t{};  // T1, T2, T3, T5 (shear-key width)
  std::array<float, 4> l{};  // L1, L2, L3, L5 (shear-key length)
  float h = 0;               // H (H0 on the page)
  std::array<float, 6> d{};  // D0..D4, D5 (shear-key depth)
  float b = 0;
  float beta = 0;  // β, degrees

  bool operator==(const FamilyDimensions&) const = default;
};

// The standard dimensions of a family code (0..2; any other code gives the gravity wall's); the
// shear-key width of a standard shape is its T3.
FamilyDimensions StandardDimensions(int family);

}  // namespace ktv
