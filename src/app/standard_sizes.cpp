#include "app/standard_sizes.h"

namespace ktv {
namespace {
constexpr std::array<FamilyDimensions, kWallFamilyCount> kStandard = {{
    // 重力式
    {{230, 700, 690, 690}, {0, 0, 0, 0}, 2300, {0, 0, 0, 0, 0, 0}, 0, 29.05f},
    // もたれ式
    {{3000, 350, 0, 0}, {850, 0, 0, 0}, 7000, {0, 1000, 0, 0, 0, 0}, 2400, 25.0f},
    // 逆T形、L形、逆L形
    {{570, 400, 400, 400}, {1000, 600, 2400, 900}, 6300, {500, 600, 400, 600, 400, 900}, 0, 0},
}};
}  // namespace

FamilyDimensions StandardDimensions(int family) {
  return kStandard[WallFamilyFromCode(family) ? family : kGravity];
}

}  // namespace ktv
