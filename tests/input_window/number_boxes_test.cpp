// What the number boxes accept, and the display that never rounds what was typed.
#include "input_window/number_boxes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace ktv {
namespace {

const NumberBoxRule& Rule(const char* name) {
  const NumberBoxRule* rule = FindNumberBoxRule(name);
  if (rule == nullptr) ADD_FAILURE() << "no rule for " << name;
  static const NumberBoxRule kNone{"", "", nullptr, 0, 0, "", nullptr, false};
  return rule ? *rule : kNone;
}

TEST(NumberBoxes, RefusedTextsNameTheBoxAndWhatItAccepts) {
  struct Case {
    const char* box;
    const char* text;
    const char* starts;  // the refusal begins with this
  };
  const Case cases[] = {
      {"txtφB", "1,5", "「滑り摩擦係数 tanφB」の入力値「1,5」は数値として読めません。"},
      {"txtH(0)", "1,200", "「H0」の入力値「1,200」は数値として読めません。"},
      {"txtH(0)", "2OOO", "「H0」の入力値「2OOO」は数値として読めません。"},
      {"txtH(0)", "12abc", "「H0」の入力値「12abc」は数値として読めません。"},
      {"txtH(0)", "", "「H0」の入力値「」は数値として読めません。"},
      {"txtH(0)", "1.2.3", "「H0」の入力値「1.2.3」は数値として読めません。"},
      {"txtH(0)", "99999999", "「H0」の入力値「99999999」は入力範囲の外です。"},
      {"txtH(0)", "-5", "「H0」の入力値「-5」は入力範囲の外です。"},
      {"txtH(0)", "1e400", "「H0」の入力値「1e400」は入力範囲の外です。"},
      {"txtφ", "90.5", "「内部摩擦角 φ」の入力値「90.5」は入力範囲の外です。"},
      {"txtctc(0)", "150.5", "「A-A' 配筋1 @」の入力値「150.5」は整数ではありません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.box) + " " + c.text);
    const auto refusal = NumberRefusal(c.text, Rule(c.box), true);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->rfind(c.starts, 0), 0u) << *refusal;
  }
  // What the box accepts, in the units in force.
  EXPECT_NE(NumberRefusal("99999999", Rule("txtH(0)"), true)
                ->find("「H0」には 0 ～ 1000000 mm の数値を入力して下さい。"),
            std::string::npos);
  EXPECT_NE(NumberRefusal("x", Rule("txtqa_R(0)"), false)->find("t/m2"), std::string::npos);
  EXPECT_NE(NumberRefusal("x", Rule("txtFc"), false)->find("「Fc」"), std::string::npos);
  EXPECT_NE(NumberRefusal("x", Rule("txtFc"), true)->find("「F」"), std::string::npos);
}

TEST(NumberBoxes, NumbersAsTypedAreAccepted) {
  const std::pair<const char*, const char*> cases[] = {
      {"txtH(0)", "2300"},  {"txtH(0)", " 2300.5 "}, {"txtH(0)", "２３００"}, {"txtq1", "－１．５"},
      {"txtq1", "-1.5"},    {"txtφB", ".55"},        {"txtH(0)", "1e3"},      {"txtkh", "0.2"},
      {"txtctc(0)", "150"}, {"txtH(0)", "1000000"},  {"txtβ", "0"},
  };
  for (auto [box, text] : cases) {
    EXPECT_FALSE(NumberRefusal(text, Rule(box), true)) << box << " " << text;
  }
}

TEST(NumberBoxes, TheFormatNeverRoundsWhatWasTyped) {
  const struct {
    const char* text;
    InputFormat format;
    const char* shown;
  } cases[] = {
      {"0.55", InputFormat::F1, "0.55"},      {"0.5", InputFormat::F1, "0.5"},
      {"2300.6", InputFormat::F0, "2300.6"},  {"2300", InputFormat::F0, "2300"},
      {"1", InputFormat::F2, "1.00"},         {"1.855", InputFormat::F2, "1.855"},
      {"２０．５", InputFormat::F2, "20.50"}, {"0.39", InputFormat::F1, "0.39"},
      {"-0", InputFormat::F1, "0.0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KeepingFormat(c.text, c.format), c.shown) << c.text;
  }
  EXPECT_EQ(KeepingFormat(0.55f, "0.0"), "0.55");
  EXPECT_EQ(KeepingFormat(26.565f, "0.00"), "26.565");
  EXPECT_EQ(KeepingFormat(18.0f, "0.00"), "18.00");
}

TEST(NumberBoxes, EveryBoxHasOneSpecAndARange) {
  std::set<std::string> names;
  for (const NumberBoxRule& s : NumberBoxRules()) {
    EXPECT_TRUE(names.insert(s.object_name).second) << s.object_name;
    EXPECT_LT(s.min, s.max) << s.object_name;
    EXPECT_FALSE(AcceptedRangeText(s, true).empty());
  }
  EXPECT_EQ(AcceptedRangeText(Rule("txtkh"), true), "0 ～ 1");
  EXPECT_EQ(AcceptedRangeText(Rule("txtγ"), false), "0 ～ 1000 t/m3");
}

}  // namespace
}  // namespace ktv
