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
  const auto& g = StandardSizesOf(kGravity);
  EXPECT_EQ(g.t[0], 230);
  EXPECT_EQ(g.t[1], 700);
  EXPECT_EQ(g.t[2], 690);
  EXPECT_EQ(g.h, 2300);
  EXPECT_EQ(g.beta, 29.05f);
  const auto& l = StandardSizesOf(kLeaning);
  EXPECT_EQ(l.t[0], 3000);
  EXPECT_EQ(l.l[0], 850);
  EXPECT_EQ(l.d[1], 1000);
  EXPECT_EQ(l.b, 2400);
  const auto& c = StandardSizesOf(kCantilever);
  EXPECT_EQ(c.l[3], 900);
  EXPECT_EQ(c.d[5], 900);
  EXPECT_EQ(c.t[3], 0);
}

}  // namespace
}  // namespace ktv
