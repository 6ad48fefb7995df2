#pragma once
// Built-in standard dimensions of the three wall families (millimetres, degrees).
#include <array>

namespace ktv {

enum WallFamily : int { kGravity = 0, kLeaning = 1, kCantilever = 2 };
inline constexpr int kWallFamilyCount = 3;

struct StandardSizes {
  std::array<float, 4> t;  // T1, T2, T3, T5 (shear-key width)
  std::array<float, 4> l;  // L1, L2, L3, L5 (shear-key length)
  float h;
  std::array<float, 6> d;  // D0..D4, D5 (shear-key depth)
  float b;
  float beta;
};

// Standard sizes of a family (0..2); family values outside the range give the gravity wall's.
const StandardSizes& StandardSizesOf(int family);

}  // namespace ktv
