#include "app/safe_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/json_number.h"

namespace ktv {
namespace {

TEST(SafeText, ForeignTextBecomesOneLineOfValidUtf8) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"工事名", "工事名"},
      {"a\r\nb\tc\x1b[0m", "a  b c [0m"},
      {"\x7f\xc2\x85\xe2\x80\xa8", "   "},           // DEL, NEL, line separator
      {"x\xff\xfey", "x\xEF\xBF\xBD\xEF\xBF\xBDy"},  // invalid bytes
      {"\xe6\x93", "\xEF\xBF\xBD\xEF\xBF\xBD"},      // cut sequence
  };
  for (const Case& c : cases) EXPECT_EQ(OneLineText(c.in), c.out) << c.in;
  // Overlong forms and surrogates are not UTF-8: one replacement per byte.
  std::string five;
  for (int i = 0; i < 5; ++i) five += "\xEF\xBF\xBD";
  EXPECT_EQ(OneLineText("\xc0\xaf\xed\xa0\x80"), five);
  EXPECT_EQ(ValueExcerpt("擁壁擁壁", 2), "擁壁…");
  EXPECT_EQ(CodePointCount("擁壁ab"), 4u);
}

TEST(JsonNumber, WritesTheShortestDecimalAndRefusesNonFiniteValues) {
  EXPECT_EQ(JsonNumber(2.3f, "H"), "2.3");
  EXPECT_EQ(JsonNumber(-0.5f, "e"), "-0.5");
  for (float bad : {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                    std::nanf("")}) {
    try {
      JsonNumber(bad, "xP_PV");
      ADD_FAILURE();
    } catch (const JsonNumberError& e) {
      EXPECT_NE(std::string(e.what()).find("xP_PV"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace ktv
