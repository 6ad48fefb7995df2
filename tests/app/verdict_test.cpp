#include "app/verdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/units.h"

namespace ktv {
namespace {

TEST(MakeCheck, OnlyAValueStrictlyOnTheSafeSidePasses) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double value, limit;
    SafeSide side;
    bool ok;
  };
  const Case cases[] = {
      {1, 2, SafeSide::Below, true},       {2, 2, SafeSide::Below, false},  // equality is NG
      {3, 2, SafeSide::Below, false},      {3, 2, SafeSide::Above, true},
      {2, 2, SafeSide::Above, false},      {1, 2, SafeSide::Above, false},
      {nan, 2, SafeSide::Below, false},  // a value that is not a number fails either way
      {nan, 2, SafeSide::Above, false},    {1, nan, SafeSide::Below, false},
      {-0.0, 0.0, SafeSide::Below, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " " << c.limit << " "
                                    << (c.side == SafeSide::Below ? "below" : "above"));
    const CheckValue check = MakeCheck(c.value, c.limit, c.side);
    EXPECT_EQ(check.ok, c.ok);
    EXPECT_EQ(check.verdict().ok, c.ok);
    EXPECT_EQ(check.verdict().side, c.side);
    EXPECT_EQ(check.ok, Compare(c.value, c.limit, c.side).ok);
  }
}

TEST(ShownStress, DividesTheHeldStressByTheFactorOfItsSystem) {
  EXPECT_EQ(ShownStress(450, true), 4.5);  // N/cm2 held, N/mm2 shown
  EXPECT_EQ(ShownStress(45, false), 45);   // kg/cm2 both
  // Formed in double: the quotient of a 32-bit stress is rounded only where it is printed.
  EXPECT_EQ(ShownStress(0.39f * 100, true), static_cast<double>(0.39f * 100) / 100);
  EXPECT_EQ(ShownStressF(39, true), 0.39f);
}

}  // namespace
}  // namespace ktv
