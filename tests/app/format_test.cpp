#include "app/format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace ktv {
namespace {

TEST(FormatValue, SingleValuesRoundHalfAwayFromZeroAfterSevenDigits) {
  struct Case {
    float value;
    const char* pattern;
    const char* expected;
  };
  const Case cases[] = {
      {1.0005f, "0.000", "1.001"},   // 1.000500 as 7 digits, then half away from zero
      {-0.0004f, "0.000", "0.000"},  // no minus sign on a zero result
      {-0.0005f, "0.000", "-0.001"},
      {2.5f, "0", "3"},
      {-2.5f, "0", "-3"},
      {0.125f, "0.00", "0.13"},
      {29.05f, "0", "29"},
      {29.05f, "0.00", "29.05"},
      {19.6133f, "0.0", "19.6"},
      {1234567.0f, "###,##0", "1,234,567"},
      {999.5f, "###,##0", "1,000"},
      {0.0f, "0.00000", "0.00000"},
      {12.3456f, "0.0000", "12.3456"},
      {1.5f, "0.0", "1.5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatValue(c.value, c.pattern), c.expected) << c.value << " " << c.pattern;
  }
}

// The printed text of value with `decimals` decimals, read back.
double PrintedAndRead(float value, int decimals) {
  const std::string pattern = decimals == 0 ? "0" : "0." + std::string(decimals, '0');
  return ReadNumber(FormatValue(value, pattern));
}

TEST(AsPrinted, EqualsThePrintedTextReadBack) {
  // Every magnitude of the float range (random bit patterns), the values whose seventh digit is
  // a tie (integers ending in 5 above 10^6 and halves above 10^6), the ulps around printed
  // halves, and each float next to a power of ten.
  std::vector<float> values = {0.0f,
                               -0.0f,
                               1.0005f,
                               -0.0005f,
                               0.0015f,
                               2.5f,
                               1234567.5f,
                               12345675.0f,
                               16777215.0f,
                               std::numeric_limits<float>::max(),
                               std::numeric_limits<float>::min(),
                               std::numeric_limits<float>::denorm_min()};
  std::mt19937 rng(16);
  std::uniform_int_distribution<uint32_t> bits;
  for (int i = 0; i < 60000; ++i) {
    const float v = std::bit_cast<float>(bits(rng));
    if (std::isfinite(v)) values.push_back(v);
  }
  for (int i = 0; i < 3000; ++i) {
    values.push_back(static_cast<float>(1000000 + 2 * i) + 0.5f);
    values.push_back(static_cast<float>(10000005 + 10 * i));
    const float half = static_cast<float>(i) / 1000.0f + 0.0005f;
    values.push_back(std::nextafter(half, 0.0f));
    values.push_back(std::nextafter(half, 1.0f));
  }
  for (float p = 1e-30f; p < 1e30f; p *= 10.0f) {
    values.push_back(std::nextafter(p, 0.0f));
    values.push_back(std::nextafter(p, 1e38f));
  }
  for (size_t i = 0; i < values.size(); ++i) {
    for (const float v : {values[i], -values[i]}) {
      const int decimals = static_cast<int>(i % 6);
      ASSERT_EQ(AsPrinted(v, decimals), PrintedAndRead(v, decimals))
          << std::hexfloat << v << " with " << decimals << " decimals";
    }
  }
  for (const float v :
       {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
        std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_EQ(AsPrinted(v), 0.0);
  }
}

TEST(FormatValue, DoubleValuesUseFifteenDigits) {
  // 1.0005 as a double is 1.000499999999999989…; 15 digits make it 1.00050000000000 first.
  EXPECT_EQ(FormatValue(1.0005, "0.000"), "1.001");
  EXPECT_EQ(FormatValue(0.1 + 0.2, "0.00000"), "0.30000");
  EXPECT_EQ(FormatValue(-1e-9, "0.000"), "0.000");
  EXPECT_EQ(FormatValue(123456789.0, "###,##0"), "123,456,789");
}

TEST(ShortestForm, WritesGeneralNumbers) {
  EXPECT_EQ(ShortestForm(1.27f), "1.27");
  EXPECT_EQ(ShortestForm(4.0f), "4");
  EXPECT_EQ(ShortestForm(0.2f), "0.2");
  EXPECT_EQ(ShortestForm(-0.5f), "-0.5");
  EXPECT_EQ(ShortestForm(0.0f), "0");
  EXPECT_EQ(ShortestForm(1234567.0f), "1234567");
  EXPECT_EQ(ShortestForm(12345678.0f), "1.234568E+07");
  EXPECT_EQ(ShortestForm(0.0001f), "0.0001");
  EXPECT_EQ(ShortestForm(0.00001f), "1E-05");
  EXPECT_EQ(ShortestForm(0.1 + 0.2), "0.3");
}

TEST(ReadNumber, LeadingNumberRule) {
  EXPECT_DOUBLE_EQ(ReadNumber("12abc"), 12);
  EXPECT_DOUBLE_EQ(ReadNumber("abc"), 0);
  EXPECT_DOUBLE_EQ(ReadNumber(""), 0);
  EXPECT_DOUBLE_EQ(ReadNumber("  -3.5"), -3.5);
  EXPECT_DOUBLE_EQ(ReadNumber(".5"), 0.5);
  EXPECT_DOUBLE_EQ(ReadNumber("1e3x"), 1000);
  EXPECT_DOUBLE_EQ(ReadNumber("1e"), 1);
  EXPECT_DOUBLE_EQ(ReadNumber("-"), 0);
  EXPECT_DOUBLE_EQ(ReadNumber("1e999"), 0);  // overflow reads as no number
}

TEST(Angles, UseThirtyTwoBitPi) {
  EXPECT_EQ(kPi, 3.1415925f);
  EXPECT_FLOAT_EQ(DegToRad(180.0f), 3.1415925f);
  EXPECT_FLOAT_EQ(RadToDeg(DegToRad(30.0f)), 30.0f);
  EXPECT_EQ(RoundHalfEven(18.5), 18);
  EXPECT_EQ(RoundHalfEven(19.5), 20);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
}

}  // namespace
}  // namespace ktv

namespace ktv {
namespace {
TEST(RoundHalfEven, SaturatesOutsideTheIntegerRange) {
  EXPECT_EQ(RoundHalfEven(1e300), 2147483647);
  EXPECT_EQ(RoundHalfEven(-1e300), -2147483647 - 1);
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}
}  // namespace
}  // namespace ktv
