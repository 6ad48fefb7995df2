#include "app/catalogue.h"

#include <gtest/gtest.h>

#include "app/standard_sizes.h"

namespace ktv {
namespace {

TEST(Catalogue, ListsInSavedOrder) {
  EXPECT_EQ(BarTypeName(0), "丸鋼");
  EXPECT_EQ(BarTypeName(1), "異形");
  EXPECT_EQ(BarGrades(0).size(), 2u);
  EXPECT_EQ(BarGrades(1).size(), 4u);
  EXPECT_EQ(BarGradeName(1, 3), "SD40");
  EXPECT_EQ(BarGradeName(0, 2), "");
  EXPECT_EQ(BarSizes(0).size(), 12u);
  EXPECT_EQ(BarSizes(1).size(), 14u);
  EXPECT_EQ(FindBarSize(1, 13)->name, "D51");
  EXPECT_FLOAT_EQ(FindBarSize(1, 13)->area, 20.3f);
  EXPECT_EQ(FindBarSize(0, 11)->name, "R32");
  EXPECT_EQ(FindBarSize(0, 12), nullptr);
  EXPECT_EQ(FindBarSize(2, 0), nullptr);
}

TEST(Catalogue, SecondArrangementListsAreShiftedByOne) {
  auto odd = SizeListEntries(1, 1);
  ASSERT_EQ(odd.size(), 15u);
  EXPECT_EQ(odd[0], "  -  ");
  EXPECT_EQ(odd[1], "D6");
  EXPECT_EQ(SizeListEntries(0, 0)[0], "R4");
  EXPECT_EQ(CatalogueSizeIndex(1, 1, 1), 0);
  EXPECT_EQ(CatalogueSizeIndex(1, 1, 0), std::nullopt);
  EXPECT_EQ(CatalogueSizeIndex(1, 0, 13), 13);
  EXPECT_EQ(CatalogueSizeIndex(0, 0, 13), std::nullopt);
}

TEST(ShowBarProperties, LabelsAndSpacingState) {
  auto d6 = ShowBarProperties(1, 1, 1);
  EXPECT_EQ(d6.area, "0.32");
  EXPECT_EQ(d6.perimeter, "2");
  EXPECT_TRUE(d6.spacing_enabled);
  auto none = ShowBarProperties(1, 3, 0);
  EXPECT_EQ(none.area, "  -");
  EXPECT_EQ(none.perimeter, "  -");
  EXPECT_FALSE(none.spacing_enabled);
  EXPECT_EQ(ShowBarProperties(1, 0, 3).area, "1.27");
  EXPECT_FALSE(ShowBarProperties(0, 0, 13).valid);
}

TEST(StandardSizes, Families) {
  const FamilyDimensions g = StandardDimensions(kGravity);
  EXPECT_EQ(g.t[0], 230);
  EXPECT_EQ(g.t[1], 700);
  EXPECT_EQ(g.t[2], 690);
  EXPECT_EQ(g.h, 2300);
  EXPECT_EQ(g.beta, 29.05f);
  const FamilyDimensions l = StandardDimensions(kLeaning);
  EXPECT_EQ(l.t[0], 3000);
  EXPECT_EQ(l.l[0], 850);
  EXPECT_EQ(l.d[1], 1000);
  EXPECT_EQ(l.b, 2400);
  const FamilyDimensions c = StandardDimensions(kCantilever);
  EXPECT_EQ(c.l[3], 900);
  EXPECT_EQ(c.d[5], 900);
  EXPECT_EQ(c.t[3], 400);  // the shear-key width of a standard shape is its T3
  EXPECT_EQ(StandardDimensions(7).h, g.h);
}

TEST(WallFamilies, CodesParseOnceAndNameEachFamily) {
  struct Case {
    int code;
    const char* list_name;
    const char* cover_title;
  };
  const Case cases[] = {{0, "重力式", "重力式擁壁"},
                        {1, "もたれ式", "もたれ式擁壁"},
                        {2, "逆T形、L形、逆L形", "逆Ｔ形擁壁"}};
  for (const Case& c : cases) {
    const auto family = WallFamilyFromCode(c.code);
    ASSERT_TRUE(family);
    EXPECT_EQ(CodeOf(*family), c.code);
    EXPECT_EQ(NamesOf(*family).list_name, c.list_name);
    EXPECT_EQ(NamesOf(*family).cover_title, c.cover_title);
    EXPECT_EQ(FamilyListName(c.code), c.list_name);
  }
  for (int code : {-1, 3, 32767}) {
    EXPECT_FALSE(WallFamilyFromCode(code)) << code;
    EXPECT_EQ(FamilyListName(code), "") << code;
  }
}

}  // namespace
}  // namespace ktv
