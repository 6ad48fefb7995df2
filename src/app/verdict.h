#pragma once
// A check of a value against its limit. The value must lie strictly on the safe side: equality
// (and a value that is not a number) is NG. Calculations store each check once as a CheckValue; the
// report, the check rows and the JSON take its sign and its word from that one object, so that
// they can never disagree.
namespace ktv {

enum class SafeSide {
  Below,  // OK when value < limit: printed " ＜ " / " ≧ "
  Above,  // OK when value > limit: printed " ＞ " / " ≦ "
};

struct Verdict {
  SafeSide side = SafeSide::Below;
  bool ok = false;
};

inline Verdict Compare(double value, double limit, SafeSide side) {
  return {side, side == SafeSide::Below ? value < limit : value > limit};
}

// One check as the calculation made it: the value compared, its limit (in the units the
// calculation compares in: stresses multiplied by StressUnitFactor), the safe side and the
// verdict. Made only by MakeCheck, so that ok always follows from the other three.
struct CheckValue {
  double value = 0;
  double limit = 0;
  SafeSide side = SafeSide::Below;
  bool ok = false;

  Verdict verdict() const { return {side, ok}; }
};

inline CheckValue MakeCheck(double value, double limit, SafeSide side) {
  return {value, limit, side, Compare(value, limit, side).ok};
}

}  // namespace ktv
