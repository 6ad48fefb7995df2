#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/format.h"
#include "page_inspect.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

using testing_util::Begin;
using testing_util::ItemsOf;

std::map<std::pair<int, int>, CellItem> CellsOf(const Page& page) {
  std::map<std::pair<int, int>, CellItem> cells;
  for (const CellItem& c : ItemsOf<CellItem>(page)) cells[{c.row, c.col}] = c;
  return cells;
}

std::string CellText(const CellItem& c) {
  std::string s;
  for (const TextRun& r : c.lines) s += r.text;
  return s;
}

// The gravity report's load table: 3 columns, one header row three normal rows high.
void LoadTable(ReportWriter& w) {
  w.BeginTable();
  w.SetTableCols(3);
  w.SetTableRows(4);
  w.SetRuleAbove(2);
  w.SetRuleAbove(4);
  w.SetTableFlag();
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  w.SetRowHeight(1, w.GetRowHeight(2) * 3);
  for (int c = 1; c <= 3; ++c) w.SetColumnWidth(c, 1070);
  const char* texts[4][3] = {{"荷重", "鉛直力V( kN)", "水平力H( kN)"},
                             {"自重", "12.345", ""},
                             {"土圧", "1.234", "5.678"},
                             {"合計", "13.579", "5.678"}};
  for (int r = 1; r <= 4; ++r) {
    for (int c = 1; c <= 3; ++c) w.SetCellText(r, c, texts[r - 1][c - 1]);
  }
  w.EndTable();
}

// The gravity report's moment table: two header rows of 1.5 normal rows, two spans.
void MomentTable(ReportWriter& w, double indent) {
  w.BeginTable();
  w.SetTableIndent(indent);
  w.SetTableCols(4);
  w.SetTableRows(5);
  w.SetRuleAbove(1, 3);
  w.SetRuleAbove(5);
  w.SetTableFlag();
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  const double normal = w.GetRowHeight(3);
  w.SetRowHeight(1, normal * 1.5);
  w.SetRowHeight(2, normal * 1.5);
  const double widths[] = {950, 950, 2000, 2000};
  for (int c = 1; c <= 4; ++c) w.SetColumnWidth(c, widths[c - 1]);
  w.SetColumnSpan(1, 1, 2);
  w.SetColumnSpan(1, 3, 2);
  w.SetCellText(1, 1, "原点からの距離(m)");
  w.SetCellText(1, 3, "原点に対する回転モーメント( kN･m)");
  w.SetCellText(2, 1, "x");
  w.SetCellText(2, 2, "y");
  w.SetCellText(2, 3, "抵抗モーメント Mr");
  w.SetCellText(2, 4, "転倒モーメント M");
  w.SetCellText(3, 3, "10.000");
  w.SetCellText(5, 3, "20.000");
  w.EndTable();
}

TEST(ReportTable, SpansMergeCellsAndCoveredCellsStayEmpty) {
  ReportWriter w;
  Begin(w);
  const double y0 = w.GetY();
  MomentTable(w, 3210);
  w.EndDocument();
  const auto cells = CellsOf(w.Pages()[0]);
  const double left = kPageMargin + 3210;
  ASSERT_TRUE(cells.count({1, 1}));
  EXPECT_FALSE(cells.count({1, 2})) << "a covered cell is not laid out";
  EXPECT_FALSE(cells.count({1, 4}));
  EXPECT_EQ(cells.at({1, 1}).box.left(), left);
  EXPECT_EQ(cells.at({1, 1}).box.width(), 1900);
  EXPECT_EQ(cells.at({1, 3}).box.left(), left + 1900);
  EXPECT_EQ(cells.at({1, 3}).box.width(), 4000);
  EXPECT_EQ(cells.at({2, 2}).box.left(), left + 950);
  EXPECT_EQ(cells.at({1, 1}).box.top(), y0);
  EXPECT_TRUE(cells.at({3, 1}).lines.empty()) << "an empty text leaves the cell blank";
  // Header texts are centred over their merged cells.
  const CellItem& h = cells.at({1, 1});
  ASSERT_EQ(h.lines.size(), 1u);
  EXPECT_NEAR(h.lines[0].x + h.lines[0].width / 2, h.box.center().x(), 0.01);
}

TEST(ReportTable, RowsStackFromWhereTheTableBeganAndThePositionMovesBelow) {
  ReportWriter w;
  Begin(w);
  w.Paragraph("before");
  const double y0 = w.GetY();
  w.SetX(5000);
  MomentTable(w, 0);
  const double normal = w.TextHeight(" ") + 0.5 * w.FontSize() * 20;
  const double total = 2 * 1.5 * normal + 3 * normal;
  EXPECT_NEAR(w.GetY(), y0 + total, 1e-6);
  EXPECT_NEAR(w.GetX(), kPageMargin, 1e-6);
  w.EndDocument();
  const auto cells = CellsOf(w.Pages()[0]);
  EXPECT_NEAR(cells.at({2, 1}).box.top(), y0 + 1.5 * normal, 1e-6);
  EXPECT_NEAR(cells.at({3, 1}).box.top(), y0 + 3 * normal, 1e-6);
  EXPECT_NEAR(cells.at({5, 4}).box.bottom(), y0 + total, 1e-6);
  EXPECT_NEAR(cells.at({1, 1}).box.left(), kPageMargin, 1e-6)
      << "a table's left edge is the margin plus its indent, not the current x";
}

TEST(ReportTable, TwoTablesSideBySideShareTheirTopAndBottomEdges) {
  ReportWriter w;
  Begin(w);
  const double y0 = w.GetY();
  const double x0 = w.GetX() + 3210;
  LoadTable(w);
  const double after_first = w.GetY();
  w.SetY(y0);
  w.DrawLine(x0, y0, x0, y0 + 1950);
  MomentTable(w, 3210);
  EXPECT_NEAR(w.GetY(), after_first, 1e-6) << "×3 beside two rows of ×1.5 end level";
  w.EndDocument();
  const Page& p = w.Pages()[0];
  const auto cells = CellsOf(p);
  // Both tables begin at y0; the second starts where the first ends.
  EXPECT_EQ(cells.at({1, 1}).box.top(), y0);
  // The data rows line up: row 2 of the load table beside row 3 of the moment table.
  std::vector<CellItem> all = ItemsOf<CellItem>(p);
  const CellItem* load_r2 = nullptr;
  const CellItem* moment_r3 = nullptr;
  for (const CellItem& c : all) {
    if (c.row == 2 && c.col == 3 && c.box.right() <= kPageMargin + 3210) load_r2 = &c;
    if (c.row == 3 && c.col == 1 && c.box.left() == kPageMargin + 3210) moment_r3 = &c;
  }
  ASSERT_NE(load_r2, nullptr);
  ASSERT_NE(moment_r3, nullptr);
  EXPECT_NEAR(load_r2->box.top(), moment_r3->box.top(), 1e-6);
  EXPECT_EQ(load_r2->box.right(), x0) << "the first table ends at the line";
  EXPECT_NEAR(after_first - y0, 1950, 20) << "the separating line spans the tables";
}

TEST(ReportTable, AlignmentCodesPlaceNumbersRightAndTextsCentred) {
  ReportWriter w;
  Begin(w);
  w.BeginTable();
  w.SetTableCols(3);
  w.SetTableRows(2);
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  w.SetCellAlignment(TableRange::Row(1), kAlignCentre);
  for (int c = 1; c <= 3; ++c) w.SetColumnWidth(c, 2000);
  w.SetCellText(1, 1, "区分");
  w.SetCellText(1, 2, "123");
  w.SetCellText(2, 1, "W1");
  w.SetCellText(2, 2, "-12.345");
  w.SetCellText(2, 3, "1,234");
  w.EndTable();
  w.BeginTable();
  w.SetTableCols(1);
  w.SetTableRows(1);
  w.SetColumnWidth(1, 2000);
  w.SetCellText(1, 1, "plain");
  w.EndTable();
  w.EndDocument();
  const auto cells = ItemsOf<CellItem>(w.Pages()[0]);
  auto find = [&](const std::string& text) -> const CellItem& {
    for (const CellItem& c : cells) {
      if (CellText(c) == text) return c;
    }
    throw std::runtime_error("no cell " + text);
  };
  auto centred = [](const CellItem& c) {
    return std::abs(c.lines[0].x + c.lines[0].width / 2 - c.box.center().x()) < 0.01;
  };
  EXPECT_TRUE(centred(find("区分")));
  EXPECT_TRUE(centred(find("123"))) << "code 1 centres numbers too";
  EXPECT_TRUE(centred(find("W1"))) << "code 2 centres texts";
  for (const char* number : {"-12.345", "1,234"}) {
    const CellItem& c = find(number);
    EXPECT_NEAR(c.lines[0].x + c.lines[0].width, c.box.right() - 60, 0.01) << number;
  }
  const CellItem& plain = find("plain");
  EXPECT_NEAR(plain.lines[0].x, plain.box.left() + 60, 0.01) << "no code: left-aligned";
  // Texts are centred vertically in their rows.
  const CellItem& w1 = find("W1");
  EXPECT_NEAR(w1.lines[0].y + w1.lines[0].height / 2, w1.box.center().y(), 0.01);
}

TEST(ReportTable, RulesAboveRowsAndTheFrameOfBorderMode3) {
  ReportWriter w;
  Begin(w);
  w.SetTableBorder(kTableBorderFrame);
  const double y0 = w.GetY();
  LoadTable(w);
  const double y_end = w.GetY();
  w.SetTableBorder(kTableBorderNone);
  LoadTable(w);
  w.EndDocument();
  const Page& p = w.Pages()[0];
  const auto rects = ItemsOf<RectItem>(p);
  ASSERT_EQ(rects.size(), 1u) << "only the table of border mode 3 is framed";
  EXPECT_EQ(rects[0].rect, QRectF(QPointF(kPageMargin, y0), QPointF(kPageMargin + 3210, y_end)));
  EXPECT_EQ(rects[0].brush.style, BrushStyle::Transparent);
  const double normal = w.TextHeight(" ") + 0.5 * 9 * 20;
  std::vector<double> rule_ys;
  for (const LineItem& l : ItemsOf<LineItem>(p)) {
    if (l.from.y() == l.to.y() && l.from.y() < y_end) rule_ys.push_back(l.from.y());
  }
  ASSERT_EQ(rule_ys.size(), 2u);
  EXPECT_NEAR(rule_ys[0], y0 + 3 * normal, 1e-6) << "rule above row 2";
  EXPECT_NEAR(rule_ys[1], y0 + 5 * normal, 1e-6) << "rule above row 4";
}

TEST(ReportTable, TotalsReadBackFromThePrintedCellsEqualTheirSums) {
  ReportWriter w;
  Begin(w);
  const float areas[] = {1.2345f, 2.3456f, 0.0004f};
  w.BeginTable();
  w.SetTableCols(2);
  w.SetTableRows(5);
  for (int i = 0; i < 3; ++i) w.SetCellText(i + 2, 2, FormatValue(areas[i], kFmt3));
  double total = 0;
  for (int r = 2; r <= 4; ++r) total += ReadNumber(w.GetCellText(r, 2));
  w.SetCellText(5, 2, FormatValue(total, kFmt3));
  EXPECT_EQ(w.GetCellText(2, 2), "1.235");
  EXPECT_EQ(w.GetCellText(4, 2), "0.000");
  EXPECT_EQ(w.GetCellText(5, 2), "3.581") << "the sum of the printed values, not 3.580";
  EXPECT_EQ(w.GetCellText(1, 1), "") << "an unset cell reads back empty";
  w.EndTable();
  EXPECT_EQ(w.GetCellText(5, 2), "3.581") << "the last table can still be read";
  w.EndDocument();
}

TEST(ReportTable, LongCellTextsWrapAndGrowTheRow) {
  ReportWriter w;
  Begin(w);
  w.BeginTable();
  w.SetTableCols(2);
  w.SetTableRows(2);
  w.SetColumnWidth(1, 1250);
  w.SetColumnWidth(2, 1250);
  const double normal = w.GetRowHeight(1);
  w.SetCellText(1, 1, "自重");
  w.SetCellText(2, 1, "可載荷重による土圧");
  w.EndTable();
  w.EndDocument();
  const auto cells = CellsOf(w.Pages()[0]);
  const CellItem& wrapped = cells.at({2, 1});
  ASSERT_EQ(wrapped.lines.size(), 2u);
  EXPECT_EQ(CellText(wrapped), "可載荷重による土圧");
  for (const TextRun& r : wrapped.lines) {
    EXPECT_GE(r.x, wrapped.box.left());
    EXPECT_LE(r.x + r.width, wrapped.box.right());
  }
  EXPECT_NEAR(cells.at({1, 1}).box.height(), normal, 1e-6);
  EXPECT_NEAR(wrapped.box.height(), 1.5 * normal, 1e-6)
      << "a two-line row is one and a half normal rows high";
}

// Header cells break between words: never inside a unit with its brackets, a Latin word or a
// katakana word, and a unit label's leading blank inside its bracket is not printed.
TEST(ReportTable, CellLinesEndOnlyWhereAWordEnds) {
  struct Case {
    const char* text;
    double width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"単位重量γ( kN/m3)", 1100, {"単位重量γ", "(kN/m3)"}},
      {"原点に対する回転モーメント( kN･m)", 2000, {"原点に対する回転", "モーメント(kN･m)"}},
      {"鉛直力V( kN)", 1070, {"鉛直力V", "(kN)"}},
      {"断面積(m2)", 1100, {"断面積(m2)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ReportWriter w;
    Begin(w);
    w.BeginTable();
    w.SetTableCols(1);
    w.SetTableRows(1);
    w.SetColumnWidth(1, c.width);
    w.SetCellText(1, 1, c.text);
    w.EndTable();
    w.EndDocument();
    const CellItem cell = CellsOf(w.Pages()[0]).at({1, 1});
    std::vector<std::string> lines;
    for (const TextRun& r : cell.lines) {
      lines.push_back(r.text);
      EXPECT_LE(r.x + r.width, cell.box.right() + 0.5);
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(w.GetCellText(1, 1), c.text) << "the cell keeps its text for reading back";
  }
}

TEST(ReportTable, ALongTableBreaksAcrossPagesRepeatingItsHeaderRow) {
  ReportWriter w;
  Begin(w);
  for (int i = 0; i < 40; ++i) w.Paragraph("text");
  w.BeginTable();
  w.SetTableCols(2);
  w.SetTableRows(61);
  w.SetTableFlag();
  w.SetHeaderRow(1);
  w.SetCellText(1, 1, "区分");
  for (int r = 2; r <= 61; ++r) w.SetCellText(r, 1, "row" + std::to_string(r));
  w.EndTable();
  w.Paragraph("after");
  w.EndDocument();
  ASSERT_GE(w.PageCount(), 2);
  int rows_seen = 0, headers = 0;
  for (const Page& p : w.Pages()) {
    for (const CellItem& c : ItemsOf<CellItem>(p)) {
      EXPECT_LE(c.box.bottom(), kA4Height - kPageMargin + 0.5);
      if (c.col != 1) continue;
      if (CellText(c) == "区分") {
        ++headers;
      } else {
        EXPECT_EQ(CellText(c), "row" + std::to_string(rows_seen + 2));
        ++rows_seen;
      }
    }
  }
  EXPECT_EQ(rows_seen, 60);
  EXPECT_EQ(headers, w.PageCount()) << "the header row opens every page of the table";
}

TEST(ReportTable, AFlaggedTableThatFitsOnAPageMovesWholeToTheNextPage) {
  ReportWriter w;
  Begin(w);
  w.SetY(kA4Height - kPageMargin - 600);
  LoadTable(w);
  w.EndDocument();
  ASSERT_EQ(w.PageCount(), 2);
  EXPECT_TRUE(ItemsOf<CellItem>(w.Pages()[0]).empty());
  const auto cells = CellsOf(w.Pages()[1]);
  EXPECT_EQ(cells.size(), 12u);
  EXPECT_NEAR(cells.at({1, 1}).box.top(), kPageMargin + w.TextHeight(" "), 1e-6);
}

TEST(ReportTable, BadTableInputIsAClearError) {
  ReportWriter w;
  Begin(w);
  EXPECT_THROW(w.SetTableRows(3), ReportError) << "no table is being built";
  EXPECT_THROW(w.GetCellText(1, 1), ReportError);
  w.BeginTable();
  EXPECT_THROW(w.BeginTable(), ReportError);
  try {
    w.SetTableRows(-1);
    ADD_FAILURE();
  } catch (const ReportError& e) {
    EXPECT_NE(std::string(e.what()).find("-1"), std::string::npos) << e.what();
  }
  EXPECT_THROW(w.SetTableCols(-2), ReportError);
  w.SetTableRows(3);
  w.SetTableCols(2);
  struct Cell {
    int row, col;
  } outside[] = {{0, 1}, {4, 1}, {1, 0}, {1, 3}, {-1, -1}};
  for (const Cell& c : outside) {
    try {
      w.SetCellText(c.row, c.col, "x");
      ADD_FAILURE() << c.row << "," << c.col;
    } catch (const ReportError& e) {
      EXPECT_NE(std::string(e.what()).find("(" + std::to_string(c.row) + ", " +
                                           std::to_string(c.col) + ")"),
                std::string::npos)
          << e.what();
    }
    EXPECT_THROW(w.GetCellText(c.row, c.col), ReportError);
  }
  EXPECT_THROW(w.SetRowHeight(4, 100), ReportError);
  EXPECT_THROW(w.SetRowHeight(1, -5), ReportError);
  EXPECT_THROW(w.GetRowHeight(0), ReportError);
  EXPECT_THROW(w.SetColumnWidth(3, 100), ReportError);
  EXPECT_THROW(w.SetColumnWidth(1, -100), ReportError);
  EXPECT_THROW(w.SetColumnSpan(1, 2, 2), ReportError) << "the span passes the last column";
  EXPECT_THROW(w.SetColumnSpan(1, 1, 0), ReportError);
  EXPECT_THROW(w.SetRuleAbove(0), ReportError);
  EXPECT_THROW(w.SetRuleAbove(1, 4), ReportError);
  EXPECT_THROW(w.SetCellAlignment(TableRange::Row(4), kAlignCentre), ReportError);
  EXPECT_THROW(w.SetCellAlignment(TableRange::All(), 7), ReportError);
  EXPECT_THROW(w.SetHeaderRow(5), ReportError);
  EXPECT_THROW(w.SetTableBorder(9), ReportError);
  EXPECT_THROW(w.SetTableRows(1000000), ReportError) << "a table beyond any report";
  EXPECT_THROW(w.Paragraph("inside"), ReportError) << "text waits for the table's end";
  EXPECT_THROW(w.NewPage(), ReportError);
  EXPECT_THROW(w.EndDocument(), ReportError);
  // The table still works after the refused calls.
  w.SetCellText(3, 2, "ok");
  EXPECT_EQ(w.GetCellText(3, 2), "ok");
  w.EndTable();
  w.EndDocument();
  EXPECT_EQ(w.PageCount(), 1);
}

TEST(ReportTable, EmptyTableWritesNothingAndKeepsThePosition) {
  ReportWriter w;
  Begin(w);
  const double y0 = w.GetY();
  w.BeginTable();
  w.SetTableRows(0);
  w.SetTableCols(3);
  w.EndTable();
  EXPECT_NEAR(w.GetY(), y0, 1e-9);
  w.EndDocument();
  EXPECT_TRUE(ItemsOf<CellItem>(w.Pages()[0]).empty());
}

}  // namespace
}  // namespace ktv
