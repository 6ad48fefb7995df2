#include "families/cantilever/cantilever_window.h"

#include <array>

namespace ktv {
namespace {

std::optional<std::string> CheckDimensions(const FamilyDimensions& mm) {
  constexpr std::array<const char*, 5> kD = {"D0 ＞ 0", "D1 ＞ 0", "D2 ＞ 0", "D3 ＞ 0", "D4 ＞ 0"};
  for (int i = 0; i < 5; ++i) {
    if (!(mm.d[i] > 0)) return DimensionMessage(kD[i]);
  }
  if (!(mm.h > 0)) return DimensionMessage("H0 ＞ 0");
  if (!(mm.l[0] >= 0)) return DimensionMessage("L1 ≧ 0");
  if (!(mm.l[1] > 0)) return DimensionMessage("L2 ＞ 0");
  if (!(mm.l[2] >= 0)) return DimensionMessage("L3 ≧ 0");
  if (!(mm.t[0] >= 0)) return DimensionMessage("T1 ≧ 0");
  if (!(mm.t[1] > 0)) return DimensionMessage("T2 ＞ 0");
  if (!(mm.t[2] >= 0)) return DimensionMessage("T3 ≧ 0");
  const float d01 = mm.d[0] + mm.d[1];
  if (!(mm.h >= d01)) return DimensionMessage("H0 ≧ D0 ＋ D1");
  if (!(mm.d[1] >= mm.d[2])) return DimensionMessage("D1 ≧ D2");
  if (!(mm.l[1] >= mm.t[1])) return DimensionMessage("L2 ≧ T2");
  return std::nullopt;
}

}  // namespace

const FamilyWindow& CantileverWindow() {
  static const FamilyWindow window = [] {
    FamilyWindow w;
    w.boxes.l1 = true;
    w.boxes.l2_l3 = true;
    w.boxes.d0_d2_d4 = true;
    w.boxes.d1 = true;
    w.boxes.q2 = true;
    w.boxes.counterfort = true;
    w.boxes.seismic = true;
    w.boxes.tau_a = true;
    w.boxes.ec = true;
    w.boxes.reinforcement = true;
    w.dimensions = CheckDimensions;
    return w;
  }();
  return window;
}

}  // namespace ktv
