#include "report/chapter_kit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <map>

#include "app/format.h"
#include "page_inspect.h"
#include "report/figure_kit.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

using testing_util::Begin;
using testing_util::BodyRuns;
using testing_util::ItemsOf;

std::pair<int, int> Cell(int row, int col) { return {row, col}; }

std::map<std::pair<int, int>, std::string> CellTexts(const Page& page, int table) {
  std::map<std::pair<int, int>, std::string> cells;
  int n = -1;
  for (const CellItem& c : ItemsOf<CellItem>(page)) {
    if (c.row == 1 && c.col == 1) ++n;
    if (n != table) continue;
    std::string s;
    for (const TextRun& r : c.lines) s += r.text;
    cells[{c.row, c.col}] = s;
  }
  return cells;
}

TEST(Verdicts, SignAndWordFollowOneComparison) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double value, limit;
    SafeSide side;
    const char* text;
  };
  const Case cases[] = {
      {0.183, 0.270, SafeSide::Below, " ＜ 0.270 m　ＯＫ"},
      {0.270, 0.270, SafeSide::Below, " ≧ 0.270 m　ＮＧ"},  // equality is NG
      {0.300, 0.270, SafeSide::Below, " ≧ 0.270 m　ＮＧ"},
      {1.6, 1.5, SafeSide::Above, " ＞ 0.270 m　ＯＫ"},
      {1.5, 1.5, SafeSide::Above, " ≦ 0.270 m　ＮＧ"},
      {nan, 1.5, SafeSide::Above, " ≦ 0.270 m　ＮＧ"},  // no number is never safe
      {nan, 1.5, SafeSide::Below, " ≧ 0.270 m　ＮＧ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " vs " + std::to_string(c.limit));
    EXPECT_EQ(VerdictText(Compare(c.value, c.limit, c.side), "0.270 m", "　"), c.text);
  }
}

TEST(NumberTexts, LimitsShowTheValueComparedAndPrintedValuesRoundOnce) {
  struct Case {
    float value;
    int decimals;
    const char* text;
  };
  const Case limits[] = {{18.0f, 0, "18"},     {4.5f, 0, "4.5"}, {0.23f, 0, "0.23"},
                         {200.0f, 1, "200.0"}, {1.5f, 1, "1.5"}, {0.1234f, 0, "0.123"}};
  for (const Case& c : limits) EXPECT_EQ(LimitText(c.value, c.decimals), c.text);
  // A float product just below a rounding boundary: its double rounds once, the float twice.
  const double product = 2.0 * static_cast<double>(23.38824825f);
  EXPECT_EQ(Fixed(product, 3), "46.776");
  EXPECT_EQ(Fixed(static_cast<float>(product), 3), "46.777");
  EXPECT_EQ(SlopeText(0.3), "1：0.30");
  EXPECT_EQ(SlopeText(0.0), "1：0.00");
}

TEST(ChapterLines, LabelAlignedAndFormulaLinesFollowTheConventions) {
  ReportWriter w;
  Begin(w);
  Chapter ch(w, false);
  ch.Title("表題");
  EXPECT_EQ(w.FontSize(), w.SlotSize(FontSlot::Title));
  ch.Headings({"", "１ 設計条件"});
  EXPECT_EQ(w.FontSize(), w.SlotSize(FontSlot::Body));
  ch.LabelLine("　　　裏込土　γ = ", Fixed(2.0f, 3), "kN/m3");
  ch.LabelLine("　　　φ = ", "35°");
  ch.AlignedLine("　　　滑動に対する安全率", 4700, "1.5 以上");
  const double y = w.GetY();
  ch.FormulaLine("1_3_1.bmp", "2.880 t/m");
  // The next line starts below the picture.
  EXPECT_GE(w.GetY(), y + w.PictureSize("1_3_1.bmp").height());
  EXPECT_DOUBLE_EQ(ch.Shown(450.0f), 450.0);  // CGS: factor 1
  w.EndDocument();

  std::vector<std::string> texts;
  double aligned_x = 0;
  for (const TextRun& r : BodyRuns(w.Pages()[0])) {
    if (!r.text.empty()) texts.push_back(r.text);
    if (r.text == "1.5 以上") aligned_x = r.x;
  }
  const std::vector<std::string> expected = {"表題",
                                             "１ 設計条件",
                                             "　　　裏込土　γ = 2.000 t/m3",
                                             "　　　φ = 35°",
                                             "　　　滑動に対する安全率",
                                             "1.5 以上",
                                             "2.880 t/m"};
  EXPECT_EQ(texts, expected);
  EXPECT_DOUBLE_EQ(aligned_x, 4700);
  EXPECT_DOUBLE_EQ(Chapter(w, true).Shown(450.0f), 4.5);  // SI: factor 100
}

TEST(PartsTable, TotalsAreTheSumsOfThePrintedCells) {
  // Each weight rounds up in print: the sum of the raw values (1.0005 × 3 = 3.0015) would print
  // 3.002, the printed cells add up to 3.003.
  const PartRow rows[] = {{"W1", 0.0435f, 23.0f, 1.0005f, 0.1534f, 0.15345f},
                          {"W2", 0.0435f, 23.0f, 1.0005f, 0.5f, 0.50025f},
                          {"W3", 0.0435f, 23.0f, 1.0005f, 1.0f, 1.0005f}};
  for (bool area_total : {false, true}) {
    SCOPED_TRACE(area_total ? "with ΣA" : "without ΣA");
    ReportWriter w;
    Begin(w);
    Chapter ch(w, true);
    const PartTotals totals = WritePartsTable(ch, rows, area_total);
    w.EndDocument();
    EXPECT_DOUBLE_EQ(totals.v, 3 * 1.001);
    EXPECT_DOUBLE_EQ(totals.a, 3 * 0.044);
    EXPECT_NEAR(totals.m, 0.153 + 0.500 + 1.001, 1e-12);
    auto cells = CellTexts(w.Pages()[0], 0);
    EXPECT_EQ(cells[Cell(1, 3)], "単位重量γ(kN/m3)");
    EXPECT_EQ(cells[Cell(2, 1)], "W1");
    EXPECT_EQ(cells[Cell(2, 3)], "23.00");
    EXPECT_EQ(cells[Cell(2, 4)], "1.001");
    EXPECT_EQ(cells[Cell(5, 1)], "計");
    EXPECT_EQ(cells[Cell(5, 2)], area_total ? "0.132" : "");
    EXPECT_EQ(cells[Cell(5, 3)], "");
    EXPECT_EQ(cells[Cell(5, 4)], "3.003");
    EXPECT_EQ(cells[Cell(5, 6)], "1.654");
    EXPECT_EQ(w.TableBorder(), kTableBorderFrame);
  }
}

TEST(PartsTable, GivenTotalsArePrintedAsGivenNotReadBack) {
  // The printed cells add up to 0.088, 2.002 and 0.653; the calculation's own sums differ.
  const PartRow rows[] = {{"W1", 0.0435f, 23.0f, 1.0005f, 0.1534f, 0.15345f},
                          {"W2", 0.0435f, 23.0f, 1.0005f, 0.5f, 0.50025f}};
  ReportWriter w;
  Begin(w);
  Chapter ch(w, false);
  WritePartsTable(ch, rows, PartSums{0.087f, 2.001f, 0.6537f});
  w.EndDocument();
  auto cells = CellTexts(w.Pages()[0], 0);
  EXPECT_EQ(cells[Cell(1, 4)], "鉛直力V(t)");
  EXPECT_EQ(cells[Cell(3, 1)], "W2");
  EXPECT_EQ(cells[Cell(4, 1)], "計");
  EXPECT_EQ(cells[Cell(4, 2)], "0.087");
  EXPECT_EQ(cells[Cell(4, 3)], "");
  EXPECT_EQ(cells[Cell(4, 4)], "2.001");
  EXPECT_EQ(cells[Cell(4, 5)], "");
  EXPECT_EQ(cells[Cell(4, 6)], "0.654");
}

TEST(LoadsAndMomentsTables, StandSideBySideWithTheLineBetween) {
  struct Case {
    double width, line;
    std::vector<int> tall;
  };
  const Case cases[] = {{1070, 1950, {}}, {1250, 2620, {3}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    ReportWriter w;
    Begin(w);
    Chapter ch(w, false);
    LoadsAndMoments t;
    t.load_column_width = c.width;
    t.line_length = c.line;
    t.tall_moment_rows = c.tall;
    t.loads = {{"自重", "6.136", ""}, {"土圧", "3.471", "4.132"}, {"合計", "9.607", "4.132"}};
    t.moments = {
        {"", "", "4.358", ""}, {"1.390", "0.767", "4.825", "3.168"}, {"", "", "9.183", "3.168"}};
    if (!c.tall.empty()) t.moments.insert(t.moments.begin() + 2, {"1.0", "2.0", "3.0", "4.0"});
    const double x = w.GetX(), y = w.GetY();
    WriteLoadsAndMoments(ch, t);
    w.EndDocument();
    const Page& page = w.Pages()[0];
    std::vector<CellItem> firsts;
    double normal_height = 0, tall_height = 0;
    for (const CellItem& cell : ItemsOf<CellItem>(page)) {
      if (cell.row == 1 && cell.col == 1) firsts.push_back(cell);
      if (firsts.size() == 2 && cell.col == 1 && cell.row == 3) normal_height = cell.box.height();
      if (firsts.size() == 2 && cell.col == 1 && cell.row == 5) tall_height = cell.box.height();
    }
    ASSERT_EQ(firsts.size(), 2u);
    EXPECT_DOUBLE_EQ(firsts[0].box.top(), firsts[1].box.top());
    EXPECT_DOUBLE_EQ(firsts[1].box.left() - firsts[0].box.left(), 3 * c.width);
    EXPECT_NEAR(tall_height, c.tall.empty() ? normal_height : 1.5 * normal_height, 1);
    bool line = false;
    for (const LineItem& l : ItemsOf<LineItem>(page)) {
      line = line || (l.from == QPointF(x + 3 * c.width, y) &&
                      l.to == QPointF(x + 3 * c.width, y + c.line));
    }
    EXPECT_TRUE(line);
    auto loads = CellTexts(page, 0);
    auto moments = CellTexts(page, 1);
    EXPECT_EQ(loads[Cell(1, 2)], "鉛直力V(t)");
    EXPECT_EQ(loads[Cell(4, 1)], "合計");
    EXPECT_EQ(moments[Cell(1, 3)], "原点に対する回転モーメント(t･m)");
    EXPECT_EQ(moments[Cell(2, 3)], "抵抗モーメント Mr");
    EXPECT_EQ(moments[Cell(4, 3)], "4.825");
  }
}

TEST(FigurePieces, BackfillMarkDrawsItsArcOnlyForASlope) {
  for (float beta : {0.0f, 29.05f}) {
    SCOPED_TRACE(beta);
    ReportWriter w;
    Begin(w);
    const BackfillMark mark = MakeBackfillMark(w, beta, 10.0f, true, 1000, 100, 50);
    EXPECT_EQ(mark.text, beta > 0 ? "β = 29.05°、q = 10 kN/m2" : "β = 0.00°、q = 10 kN/m2");
    EXPECT_DOUBLE_EQ(mark.lift, mark.height + 50);
    DrawBackfillMark(w, QPointF(3000, 5000), mark);
    w.DrawDimensionH(3000, 6000, 4000, 6500, 100, std::string_view("B/2"));
    w.EndDocument();
    const Page& page = w.Pages()[0];
    EXPECT_EQ(ItemsOf<ArcItem>(page).size(), beta > 0 ? 1u : 0u);
    const auto runs = BodyRuns(page);
    const auto text = testing_util::FindRun(runs, mark.text);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->angle, beta > 0 ? 290 : 0);  // 29.05f × 10 = 290.49… rounds down
    // 100 along the surface and the lift across it, from the corner.
    const double b = DegToRad(beta);
    EXPECT_NEAR(text->x, 3000 + 100 * std::cos(b) - mark.lift * std::sin(b), 1e-6);
    EXPECT_NEAR(text->y, 5000 - 100 * std::sin(b) - mark.lift * std::cos(b), 1e-6);
    EXPECT_TRUE(testing_util::FindRun(runs, "B/2"));
    EXPECT_EQ(w.TextAngle(), 0);
  }
}

}  // namespace
}  // namespace ktv

namespace ktv {
namespace {

using testing_util::Begin;
using testing_util::ItemsOf;

TEST(Outline, NumberedChapterAndSectionHeadingsAreBookmarked) {
  struct Case {
    const char* line;
    int level;
  };
  const Case cases[] = {
      {"１ 設計条件", 1},      {"４　安全計算", 1},   {"１０ 付録", 1},
      {"（１）許容応力度", 2}, {"（１０）付録", 2},   {"", 0},
      {"1 設計条件", 0},       {"(1) 許容応力度", 0}, {"（ａ）", 0},
      {"　１ 設計条件", 0},    {"事務所名：", 0},     {"（", 0},
      {"\xEF\xBC", 0},         {"（\xEF\xBC", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(OutlineLevel(c.line), c.level);
  }
}

TEST(Outline, AHeadingPushedOverThePageFootIsBookmarkedWhereItLands) {
  ReportWriter w;
  Begin(w);
  w.MarkOutline("表紙", 1, OutlineAnchor::PageTop);
  w.NewPage();
  Chapter ch(w, true);
  ch.Title("表題");
  ch.Headings({"", "１ 設計条件", "（１）単位体積重量", "本文"});
  // Fill page 1 up to its last two lines, then two headings: with no room for the lines under
  // them, both move to page 2.
  while (w.GetY() + 2 * w.TextHeight() <= w.PageHeight() - w.MarginBottom()) w.Paragraph("行");
  ch.Headings({"２ 形状寸法", "（１）形状"});
  w.MarkOutline("書かれない", 1);  // no text follows: dropped
  w.EndDocument();

  const std::vector<OutlineEntry>& outline = w.Outline();
  ASSERT_EQ(outline.size(), 5u);
  EXPECT_EQ(outline[0].title, "表紙");
  EXPECT_EQ(outline[0].page, 0);
  EXPECT_EQ(outline[0].y, 0);
  const std::string titles[] = {"１ 設計条件", "（１）単位体積重量", "２ 形状寸法", "（１）形状"};
  const int levels[] = {1, 2, 1, 2};
  const int pages[] = {1, 1, 2, 2};
  for (int i = 0; i < 4; ++i) {
    const OutlineEntry& e = outline[static_cast<size_t>(i + 1)];
    SCOPED_TRACE(titles[i]);
    EXPECT_EQ(e.title, titles[i]);
    EXPECT_EQ(e.level, levels[i]);
    ASSERT_EQ(e.page, pages[i]);
    // The entry is the heading's own line box.
    bool found = false;
    for (const TextRun& r : ItemsOf<TextRun>(w.Pages()[e.page])) {
      if (r.text == titles[i]) found = found || r.y == e.y;
    }
    EXPECT_TRUE(found);
  }
  // A new document starts with no outline and no properties.
  w.SetProperties({"題", "著者", "", "", {}});
  Begin(w);
  EXPECT_TRUE(w.Outline().empty());
  EXPECT_TRUE(w.Properties().title.empty());
}

// Page of the first run with this text, or -1.
int PageOf(const ReportWriter& w, const std::string& text) {
  for (const Page& page : w.Pages()) {
    for (const TextRun& r : ItemsOf<TextRun>(page)) {
      if (r.text == text) return page.number;
    }
  }
  return -1;
}

// A heading, a case heading or a lead-in near the foot of a page goes to the next page with what
// it heads; there it starts on the page's first line (its leading empty line dropped). Where
// there is room, nothing moves.
TEST(PageBreaks, HeadingsAndLeadInsStayWithWhatFollows) {
  struct Case {
    const char* name;
    int lines_left;  // whole body lines left on the first page before the piece
    std::function<void(Chapter&)> write;
    const char* piece;  // its text
    bool moves;
  };
  const auto heading = [](Chapter& ch) { ch.Headings({"", "（３）滑動に対する安定"}); };
  const auto case_heading = [](Chapter& ch) { ch.CaseHeading("見出し"); };
  const auto lead_in = [](Chapter& ch) {
    // A lead-in that keeps room for itself and a table of four one-line rows.
    ch.KeepLines(1, 4);
    ch.w().Paragraph("見出し");
  };
  const Case cases[] = {
      {"heading, no room", 2, heading, "（３）滑動に対する安定", true},
      {"heading, room for three lines under it", 5, heading, "（３）滑動に対する安定", false},
      {"case heading, no room", 3, case_heading, "見出し", true},
      {"case heading, room", 4, case_heading, "見出し", false},
      {"lead-in, no room for the table", 4, lead_in, "見出し", true},
      {"lead-in, room for the table", 8, lead_in, "見出し", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReportWriter w;
    Begin(w);
    Chapter ch(w, true);
    const double line = w.TextHeight();
    const double bottom = w.PageHeight() - w.MarginBottom();
    while (w.GetY() + (c.lines_left + 1) * line <= bottom + 0.5) w.Paragraph("行");
    c.write(ch);
    if (w.GetY() <= bottom) w.Paragraph("本文");  // the first line under it, where it fits
    w.EndDocument();
    EXPECT_EQ(PageOf(w, c.piece), c.moves ? 1 : 0);
    if (c.moves) {
      // On the new page the piece is the first line after the page's own blank line.
      double top = 0;
      for (const TextRun& r : ItemsOf<TextRun>(w.Pages()[1])) {
        if (r.y >= w.MarginTop() && r.y < bottom) top = top == 0 ? r.y : std::min(top, r.y);
      }
      EXPECT_NEAR(top, w.MarginTop() + line, 0.5);
    }
  }
}

// A keep taller than a whole page breaks nothing: the text flows as it would.
TEST(PageBreaks, AKeepTallerThanAPageDoesNotBreak) {
  ReportWriter w;
  Begin(w);
  w.Paragraph("行");
  EXPECT_FALSE(w.KeepRoom(w.PageHeight()));
  EXPECT_FALSE(w.KeepRoom(w.TextHeight()));
  EXPECT_EQ(w.PageCounter(), 0);
}
}  // namespace
}  // namespace ktv
