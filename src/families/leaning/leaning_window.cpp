#include "families/leaning/leaning_window.h"

namespace ktv {
namespace {

std::optional<std::string> CheckDimensions(const FamilyDimensions& mm) {
  if (!(mm.d[1] > 0)) return DimensionMessage("D1 ＞ 0");
  if (!(mm.h > 0)) return DimensionMessage("H0 ＞ 0");
  if (!(mm.b > 0)) return DimensionMessage("B ＞ 0");
  if (!(mm.l[0] > 0)) return DimensionMessage("L1 ＞ 0");
  if (!(mm.t[0] >= 0)) return DimensionMessage("T1 ≧ 0");
  if (!(mm.t[1] > 0)) return DimensionMessage("T2 ＞ 0");
  if (!(mm.h > mm.d[1])) return DimensionMessage("H0 ＞ D1");
  // The wall body stands on B less L1: a base no wider than L1 leaves it no width.
  if (!(mm.b > mm.l[0])) return DimensionMessage("B ＞ L1");
  return std::nullopt;
}

}  // namespace

const FamilyWindow& LeaningWindow() {
  static const FamilyWindow window = [] {
    FamilyWindow w;
    w.boxes.l1 = true;
    w.boxes.d1 = true;
    w.boxes.b = true;
    w.boxes.sigma_cat = true;
    w.boxes.tau_a = true;
    w.boxes.body_allowables_required = true;
    w.dimensions = CheckDimensions;
    return w;
  }();
  return window;
}

}  // namespace ktv
