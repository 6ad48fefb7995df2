#pragma once
// A check of a value against its limit. The value must lie strictly on the safe side: equality
// (and a value that is not a number) is NG. Calculations store the Verdict; the report prints
// its sign and its word from the same object, so that the two can never disagree.
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

}  // namespace ktv
