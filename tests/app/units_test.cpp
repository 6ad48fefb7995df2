#include "app/units.h"

#include <gtest/gtest.h>

namespace ktv {
namespace {

TEST(UnitLabel, MatchesEitherKeyAndReturnsTheSystemsLabel) {
  struct Case {
    const char* key;
    int16_t flag;
    const char* expected;
  };
  const Case cases[] = {
      {"t/m2", -1, " kN/m2"},    {"kN/m2", 0, " t/m2"}, {"kg/cm2", -1, " N/mm2"},
      {"N/cm2", 0, " kg/cm2"},   {"t･m", -1, " kN･m"},  {"kN･m /m", 0, " t･m/m"},
      {"t･m/m", -1, " kN･m /m"}, {"t", 1, ""},          {"x", -1, ""},
      {"kN/m3", 0, " t/m3"},
  };
  for (const auto& c : cases) EXPECT_EQ(UnitLabel(c.key, c.flag), c.expected) << c.key;
}

TEST(ScaleStresses, MultipliesByTheFactor) {
  float a = 4.5f, b = 0.23f;
  ScaleStresses(StressUnitFactor(false), {&a, &b});
  EXPECT_EQ(a, 4.5f);
  ScaleStresses(StressUnitFactor(true), {&a, &b});
  EXPECT_EQ(a, 450.0f);
  EXPECT_FLOAT_EQ(b, 23.0f);
}

TEST(UnitText, OnlyTheExactSiTextIsSi) {
  EXPECT_TRUE(UnitTextIsSI("SI 単位"));
  EXPECT_FALSE(UnitTextIsSI("CGS 単位"));
  EXPECT_FALSE(UnitTextIsSI("SI"));
}

TEST(NumericKeyFilter, AcceptsDigitsAndSwallowsTheRest) {
  EXPECT_EQ(NumericKeyFilter('5', true, true).key, '5');
  EXPECT_EQ(NumericKeyFilter(8, true, true).key, 8);
  EXPECT_EQ(NumericKeyFilter(' ', true, true).key, ' ');
  auto minus = NumericKeyFilter('-', true, true);
  EXPECT_EQ(minus.key, 0);
  EXPECT_TRUE(minus.beep);
  auto dot = NumericKeyFilter('.', true, true);
  EXPECT_EQ(dot.key, 0);
  EXPECT_TRUE(dot.beep);
  EXPECT_EQ(NumericKeyFilter('-', false, true).key, '-');
  EXPECT_EQ(NumericKeyFilter('.', true, false).key, '.');
  auto enter = NumericKeyFilter(13, false, false);
  EXPECT_EQ(enter.key, 0);
  EXPECT_FALSE(enter.beep);
  EXPECT_TRUE(NumericKeyFilter('a', false, false).beep);
}

}  // namespace
}  // namespace ktv
