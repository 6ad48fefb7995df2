#include "report/cover_page.h"

#include <gtest/gtest.h>

#include "page_inspect.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

using testing_util::Begin;
using testing_util::BodyRuns;
using testing_util::FindRun;

struct Cover {
  std::vector<TextRun> runs;
  double cover_line = 0;    // line height of the Cover slot
  double heading_line = 0;  // line height of the Heading slot
};

Cover Write(const CoverData& data, WallFamily family) {
  ReportWriter w;
  Begin(w);
  w.SetFooter("");
  WriteCoverPage(w, data, family);
  Cover c;
  w.SetFontSize(FontSlot::Cover);
  c.cover_line = w.TextHeight(" ");
  w.SetFontSize(FontSlot::Heading);
  c.heading_line = w.TextHeight(" ");
  w.EndDocument();
  c.runs = BodyRuns(w.Pages()[0]);
  return c;
}

TEST(CoverPage, ProjectNameAndFamilyTitleAreCentredFromY6000) {
  CoverData data{"T", "県道改良工事", "", "", false, false, ""};
  Cover c = Write(data, WallFamily::Gravity);
  ASSERT_EQ(c.runs.size(), 2u);
  const TextRun& name = c.runs[0];
  EXPECT_EQ(name.text, "工事名：県道改良工事");
  EXPECT_EQ(name.font_size, 13);
  EXPECT_NEAR(name.y, 6000, 1e-9);
  EXPECT_NEAR(name.x + name.width / 2, kA4Width / 2, 1e-6);
  const TextRun& title = c.runs[1];
  EXPECT_EQ(title.text, "重力式擁壁");
  EXPECT_NEAR(title.y, 6000 + 2 * c.cover_line, 1e-9) << "one empty line between";
  EXPECT_NEAR(title.x + title.width / 2, kA4Width / 2, 1e-6);
}

// The box beside 工事名 decides the project-name line; the family title keeps its place.
TEST(CoverPage, TheProjectNameLineFollowsItsOwnSwitch) {
  CoverData data{"T", "県道改良工事", "設計室", "R6", true, true, ""};
  data.print_project_name = false;
  Cover c = Write(data, WallFamily::Gravity);
  ASSERT_EQ(c.runs.size(), 3u);
  EXPECT_EQ(c.runs[0].text, "重力式擁壁");
  EXPECT_NEAR(c.runs[0].y, 6000 + c.cover_line, 1e-9) << "as with a blank project name";
  EXPECT_EQ(c.runs[1].text, "事務所名：設計室　");
  EXPECT_EQ(c.runs[2].text, "日付　　　：R6　");
}

// The family's title, or the structure the family named for the wall.
TEST(CoverPage, FamilyTitles) {
  struct Case {
    WallFamily family;
    const char* structure;
    const char* title;
  } cases[] = {{WallFamily::Gravity, "", "重力式擁壁"},
               {WallFamily::Leaning, "", "もたれ式擁壁"},
               {WallFamily::Cantilever, "", "逆Ｔ形擁壁"},
               {WallFamily::Cantilever, "Ｌ形擁壁", "Ｌ形擁壁"}};
  for (const Case& k : cases) {
    Cover c = Write(CoverData{"T", "P", "", "", false, false, k.structure}, k.family);
    ASSERT_EQ(c.runs.size(), 2u);
    EXPECT_EQ(c.runs[1].text, k.title);
  }
}

TEST(CoverPage, ABlankProjectNameLeavesTheTitleOneLineBelowY6000) {
  for (const char* blank : {"", "   "}) {
    Cover c = Write(CoverData{"T", blank, "", "", false, false, ""}, WallFamily::Leaning);
    ASSERT_EQ(c.runs.size(), 1u) << "[" << blank << "]";
    EXPECT_EQ(c.runs[0].text, "もたれ式擁壁");
    EXPECT_NEAR(c.runs[0].y, 6000 + c.cover_line, 1e-9);
  }
}

TEST(CoverPage, OfficeAndDateLinesFollowTheirSwitches) {
  struct Case {
    bool office, date;
    double office_y, date_y;  // in lines below 14500; -1 when absent
  } cases[] = {
      {true, true, 0, 1}, {true, false, 1, -1}, {false, true, -1, 1}, {false, false, -1, -1}};
  for (const Case& k : cases) {
    Cover c = Write(CoverData{"T", "P", "設計事務所", "令和6年4月1日", k.office, k.date, ""},
                    WallFamily::Gravity);
    const auto office = FindRun(c.runs, "事務所名：設計事務所　");
    const auto date = FindRun(c.runs, "日付　　　：令和6年4月1日　");
    int below = 0;
    for (const TextRun& r : c.runs) below += r.y >= 14500;
    EXPECT_EQ(below, (k.office ? 1 : 0) + (k.date ? 1 : 0));
    ASSERT_EQ(office.has_value(), k.office);
    ASSERT_EQ(date.has_value(), k.date);
    const double right = kA4Width - kPageMargin;
    if (office) {
      EXPECT_NEAR(office->y, 14500 + k.office_y * c.heading_line, 1e-9);
      EXPECT_EQ(office->font_size, 9);
    }
    if (date) {
      EXPECT_NEAR(date->y, 14500 + k.date_y * c.heading_line, 1e-9);
    }
    if (office && date) {
      EXPECT_NEAR(date->x, office->x, 1e-9) << "both lines start at one x";
      EXPECT_NEAR(std::max(office->x + office->width, date->x + date->width), right, 1e-6)
          << "the longer line ends at the right margin";
    } else if (office) {
      EXPECT_NEAR(office->x + office->width, right, 1e-6);
    } else if (date) {
      EXPECT_NEAR(date->x + date->width, right, 1e-6);
    }
  }
}

TEST(CoverPage, AnEmptyOfficeNameDoesNotPushTheDateOffThePaper) {
  Cover c = Write(CoverData{"T", "P", "", "令和6年12月31日", true, true, ""}, WallFamily::Gravity);
  const auto office = FindRun(c.runs, "事務所名：　");
  const auto date = FindRun(c.runs, "日付　　　：令和6年12月31日　");
  ASSERT_TRUE(office);
  ASSERT_TRUE(date) << "the date line is whole, not wrapped";
  EXPECT_NEAR(date->x, office->x, 1e-9);
  EXPECT_NEAR(date->x + date->width, kA4Width - kPageMargin, 1e-6);
}

TEST(CoverPage, TheDateLineStartsWhereALongOfficeLineStarts) {
  Cover c = Write(
      CoverData{"T", "P", "株式会社　長い名前の建設コンサルタント事務所", "R6", true, true, ""},
      WallFamily::Gravity);
  const auto office = FindRun(c.runs, "事務所名：株式会社　長い名前の建設コンサルタント事務所　");
  const auto date = FindRun(c.runs, "日付　　　：R6　");
  ASSERT_TRUE(office);
  ASSERT_TRUE(date);
  EXPECT_NEAR(date->x, office->x, 1e-9);
  EXPECT_LT(date->x + date->width, office->x + office->width);
}

TEST(CoverPage, AnOverlongProjectNameStaysOnThePaper) {
  std::string name;
  for (int i = 0; i < 40; ++i) name += "長";
  Cover c = Write(CoverData{"T", name, "", "", false, false, ""}, WallFamily::Gravity);
  ASSERT_GE(c.runs.size(), 3u);
  std::string joined;
  for (const TextRun& r : c.runs) {
    EXPECT_GE(r.x, kPageMargin - 1e-9);
    EXPECT_LE(r.x + r.width, kA4Width - kPageMargin + 0.01);
    if (r.text != "重力式擁壁") joined += r.text;
  }
  EXPECT_EQ(joined, "工事名：" + name);
}

}  // namespace
}  // namespace ktv
