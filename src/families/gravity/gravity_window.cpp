#include "families/gravity/gravity_window.h"

namespace ktv {
namespace {

std::optional<std::string> CheckDimensions(const FamilyDimensions& mm) {
  if (!(mm.h > 0)) return DimensionMessage("H0 ＞ 0");
  if (!(mm.t[0] >= 0)) return DimensionMessage("T1 ≧ 0");
  if (!(mm.t[1] > 0)) return DimensionMessage("T2 ＞ 0");
  if (!(mm.t[2] >= 0)) return DimensionMessage("T3 ≧ 0");
  return std::nullopt;
}

}  // namespace

const FamilyWindow& GravityWindow() {
  static const FamilyWindow window = [] {
    FamilyWindow w;
    w.boxes.t3 = true;
    w.boxes.sigma_cat = true;
    w.dimensions = CheckDimensions;
    return w;
  }();
  return window;
}

}  // namespace ktv
