#include "families/ground_reaction.h"

#include <gtest/gtest.h>

#include <string>

namespace ktv {
namespace {

// A base 3 m wide under ΣV = 30; B/6 = 0.5. The trapezoid values are the family's; the helper
// passes them through within the middle third and replaces them beyond it.
struct Case {
  const char* name;
  float d;  // resultant from the toe
  bool triangular;
  bool toe_pressed;
  float q_toe, q_heel;
};

TEST(GroundReaction, TrapezoidWithinTriangleBeyondTheMiddleThird) {
  const float b = 3, v = 30, b6 = 0.5f;
  const Case cases[] = {
      // d = 1.0001: e = 0.4999 just inside, the trapezoid stays (its q2 slightly above 0).
      {"just inside, toe side", 1.0001f, false, true, 19.998f, 0.0002f},
      {"just inside, heel side", 1.9999f, false, true, 0.0002f, 19.998f},
      // d = 0.8: e = 0.7 beyond; q = 2·30/(3·0.8) = 25 at the toe, 0 at the heel.
      {"beyond, toe side", 0.8f, true, true, 25, 0},
      // d = 2.2: B − d = 0.8 (as a float), the heel carries 25.
      {"beyond, heel side", 2.2f, true, false, 0, static_cast<float>(60.0 / (3.0 * (3.0f - 2.2f)))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const float e = b / 2 - c.d;
    const GroundReaction r =
        MakeGroundReaction(std::fabs(e) > b6, v, b, c.d, e, c.triangular ? -1.0f : c.q_toe,
                           c.triangular ? -1.0f : c.q_heel);
    EXPECT_EQ(r.triangular, c.triangular);
    if (c.triangular) {
      EXPECT_EQ(r.toe_pressed, c.toe_pressed);
    }
    EXPECT_FLOAT_EQ(r.q_toe, c.q_toe);
    EXPECT_FLOAT_EQ(r.q_heel, c.q_heel);
    EXPECT_GE(r.q_toe, 0);
    EXPECT_GE(r.q_heel, 0);
    if (!c.triangular) continue;
    // The reaction carries ΣV at d from the toe, and nothing beyond 3·d′ = 2.4 m.
    const GroundReaction::Load all = r.Over(0, b, 0);
    EXPECT_NEAR(all.force, v, 1e-4);
    EXPECT_NEAR(all.moment, v * c.d, 1e-4);
    const double pressed = c.toe_pressed ? 0 : b, inward = c.toe_pressed ? 1 : -1;
    EXPECT_NEAR(r.At(pressed + inward * 1.2), 12.5, 1e-4);  // half way, half the edge value
    EXPECT_EQ(r.At(pressed + inward * 2.5), 0.0);
  }
}

TEST(GroundReaction, TheLoadOverASlabIsExact) {
  // Toe triangle of 25 reaching 2.4 m: over a toe slab of 1.2 m about its section, the
  // trapezoid 25 … 12.5: S = 22.5, M = 1.2²/6·(2·25 + 12.5) = 15. Over a heel slab of 1 m
  // (2 ≤ x ≤ 3) about x = 2: the triangle 4.1667 … 0 over 0.4 m: S = 0.8333, M = S·0.4/3.
  const GroundReaction r = MakeGroundReaction(true, 30, 3, 0.8f, 0.7f, 0, 0);
  const GroundReaction::Load toe = r.Over(0, 1.2, 1.2);
  EXPECT_NEAR(toe.force, 22.5, 1e-5);
  EXPECT_NEAR(toe.moment, 15.0, 1e-5);
  const GroundReaction::Load heel = r.Over(2, 3, 2);
  EXPECT_NEAR(heel.force, 25.0 / 6 * 0.4 / 2, 1e-5);
  EXPECT_NEAR(heel.moment, 25.0 / 6 * 0.4 / 2 * 0.4 / 3, 1e-6);
}

TEST(GroundReaction, AResultantOutsideTheBaseHasNoPressureAndFailsTheBearing) {
  for (float d : {0.0f, -0.1f, 3.0f, 3.1f}) {
    SCOPED_TRACE(d);
    const GroundReaction r = MakeGroundReaction(true, 30, 3, d, 1.5f - d, 0, 0);
    EXPECT_TRUE(r.outside);
    EXPECT_EQ(r.q_toe, 0.0f);
    EXPECT_EQ(r.q_heel, 0.0f);
    EXPECT_EQ(r.Over(0, 3, 0).force, 0.0);
    EXPECT_FALSE(BearingCheck(r, 0, 300).ok);
  }
  // Inside the base the check is the plain comparison.
  const GroundReaction inside = MakeGroundReaction(true, 30, 3, 0.8f, 0.7f, 0, 0);
  EXPECT_FALSE(inside.outside);
  EXPECT_TRUE(BearingCheck(inside, inside.q_toe, 300).ok);
  EXPECT_FALSE(BearingCheck(inside, inside.q_toe, 25).ok);
}

}  // namespace
}  // namespace ktv
