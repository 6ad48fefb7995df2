#include "report/report_writer.h"

#include <gtest/gtest.h>

#include <QString>
#include <cmath>

#include "app/format.h"
#include "report/picture_source.h"
#include "page_inspect.h"

namespace ktv {
namespace {

using testing_util::Begin;
using testing_util::BodyRuns;
using testing_util::FindRun;
using testing_util::ItemsOf;

constexpr double kEps = 1e-6;

TEST(ReportWriterPages, PageStartCountsPagesSetsFooterAndWritesOneBlankLine) {
  ReportWriter w;
  w.PageSetup();
  EXPECT_EQ(w.PageCounter(), -1);
  w.BeginDocument();
  EXPECT_EQ(w.PageCounter(), 0);
  EXPECT_EQ(w.Footer(), "|0|");
  const double line = w.TextHeight("X");
  EXPECT_NEAR(w.GetY(), kPageMargin + line, kEps);
  EXPECT_NEAR(w.GetX(), kPageMargin, kEps);
  w.SetFooter("");
  w.Paragraph("cover");
  w.NewPage();
  EXPECT_EQ(w.PageCounter(), 1);
  EXPECT_EQ(w.Footer(), "|1|");
  EXPECT_NEAR(w.GetY(), kPageMargin + line, kEps);
  EXPECT_EQ(w.PageCount(), 0) << "the page count exists only after EndDocument";
  w.EndDocument();
  ASSERT_EQ(w.PageCount(), 2);
  EXPECT_EQ(w.Pages()[0].number, 0);
  EXPECT_EQ(w.Pages()[0].footer, "") << "a footer cleared on the page applies to it";
  EXPECT_EQ(w.Pages()[1].footer, "|1|");
  // The centred page number of page 1 is a run centred on the page below the bottom margin.
  const auto runs = ItemsOf<TextRun>(w.Pages()[1]);
  const auto number = FindRun(runs, "1");
  ASSERT_TRUE(number);
  EXPECT_NEAR(number->x + number->width / 2, kA4Width / 2, 0.5);
  EXPECT_GE(number->y, kA4Height - kPageMargin);
}

TEST(ReportWriterPages, HeaderPartsStandLeftCentredAndRight) {
  ReportWriter w;
  Begin(w);
  w.SetHeader("工事名：A||TITLE");
  w.EndDocument();
  const auto runs = ItemsOf<TextRun>(w.Pages()[0]);
  const auto left = FindRun(runs, "工事名：A");
  const auto right = FindRun(runs, "TITLE");
  ASSERT_TRUE(left);
  ASSERT_TRUE(right);
  EXPECT_NEAR(left->x, kPageMargin, kEps);
  EXPECT_NEAR(right->x + right->width, kA4Width - kPageMargin, 0.01);
  EXPECT_LT(left->y + left->height, kPageMargin) << "the header stands in the top margin";
}

TEST(ReportWriterPages, ALongLeftHeaderPartStandsAboveTheRightPartInsteadOfOverIt) {
  std::string name;
  for (int i = 0; i < 45; ++i) name += "長";
  ReportWriter w;
  Begin(w);
  w.SetHeader("工事名：" + name, "", "擁壁計算ﾌﾟﾛｸﾞﾗﾑ　KTV-PN3 ver2.10");
  w.EndDocument();
  const auto runs = ItemsOf<TextRun>(w.Pages()[0]);
  const auto left = FindRun(runs, "工事名：" + name);
  const auto right = FindRun(runs, "擁壁計算ﾌﾟﾛｸﾞﾗﾑ　KTV-PN3 ver2.10");
  ASSERT_TRUE(left);
  ASSERT_TRUE(right);
  ASSERT_GT(left->x + left->width, right->x) << "the parts would overlap on one line";
  EXPECT_NEAR(right->y - left->y, left->height, 1e-9);
  EXPECT_GE(left->y, 0);
  EXPECT_LT(right->y + right->height, kPageMargin);
}

TEST(ReportWriterPages, SplitThreeParts) {
  struct Case {
    const char* text;
    std::array<std::string, 3> parts;
  } cases[] = {
      {"a|b|c", {"a", "b", "c"}}, {"|7|", {"", "7", ""}},  {"L||R", {"L", "", "R"}},
      {"only", {"only", "", ""}}, {"a|b", {"a", "b", ""}}, {"a|b|c|d", {"a", "b", "c|d"}},
      {"", {"", "", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitThreeParts(c.text), c.parts) << c.text;
}

TEST(ReportWriterPages, ThreePartHeaderKeepsBarsOfTheProjectNameInTheLeftPart) {
  ReportWriter w;
  Begin(w);
  w.SetHeader("工事名：A|B", "", "TITLE");
  auto parts = SplitThreeParts(w.Header());
  EXPECT_EQ(parts[0], "工事名：A｜B");
  EXPECT_EQ(parts[1], "");
  EXPECT_EQ(parts[2], "TITLE");
}

TEST(ReportWriterText, TextWithCrLfReturnsToTheLeftMarginOfTheNextLine) {
  ReportWriter w;
  Begin(w);
  const double y0 = w.GetY(), line = w.TextHeight(" ");
  w.SetX(4700);
  w.Text("ｑa = 100\r\nnext");
  EXPECT_NEAR(w.GetY(), y0 + line, kEps);
  EXPECT_NEAR(w.GetX(), kPageMargin + w.TextWidth("next"), 1e-3);
  w.EndDocument();
  const auto runs = BodyRuns(w.Pages()[0]);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NEAR(runs[0].x, 4700, kEps);
  EXPECT_NEAR(runs[1].x, kPageMargin, kEps);
  EXPECT_NEAR(runs[1].y, y0 + line, kEps);
}

TEST(ReportWriterText, TextEndingInCrLfThenEmptyParagraphLeavesExactlyOneEmptyLine) {
  ReportWriter w;
  Begin(w);
  const double line = w.TextHeight(" ");
  w.Text("value\r\n");
  w.Paragraph("");
  w.Paragraph("after");
  w.EndDocument();
  const auto runs = BodyRuns(w.Pages()[0]);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NEAR(runs[1].y - runs[0].y, 2 * line, kEps);
}

TEST(ReportWriterText, ParagraphStartsAtTheCurrentXAndEndsTheLine) {
  ReportWriter w;
  Begin(w);
  const double y0 = w.GetY();
  w.SetX(3000);
  w.Paragraph("centred");
  EXPECT_NEAR(w.GetX(), kPageMargin, kEps);
  EXPECT_NEAR(w.GetY(), y0 + w.TextHeight(" "), kEps);
  // A Paragraph after a Text without line end finishes that line.
  w.Text("label");
  w.Paragraph("");
  EXPECT_NEAR(w.GetY(), y0 + 2 * w.TextHeight(" "), kEps);
  w.EndDocument();
  EXPECT_NEAR(BodyRuns(w.Pages()[0])[0].x, 3000, kEps);
}

TEST(ReportWriterText, ExtentsFollowTheFontSlot) {
  ReportWriter w;
  Begin(w);
  w.SetFontSize(FontSlot::Body);
  const double body_w = w.TextWidth("工事名"), body_h = w.TextHeight("工事名");
  EXPECT_GT(body_w, 0);
  EXPECT_EQ(w.FontSize(), 9);
  w.SetFontSize(FontSlot::Cover);
  EXPECT_EQ(w.FontSize(), 13);
  EXPECT_NEAR(w.TextWidth("工事名") / body_w, 13.0 / 9.0, 0.02);
  EXPECT_NEAR(w.TextHeight("工事名") / body_h, 13.0 / 9.0, 1e-9);
  EXPECT_NEAR(w.TextHeight("a\r\nb"), 2 * w.TextHeight("a"), kEps);
  EXPECT_NEAR(w.TextWidth("ab\r\nabcd"), w.TextWidth("abcd"), kEps);
  // Full-width characters of the report font are one em wide.
  w.SetFontSize(FontSlot::Body);
  EXPECT_NEAR(w.TextWidth("工"), 180, 1);
  ReportWriter custom({12, 11, 10, 14});
  EXPECT_EQ(custom.SlotSize(FontSlot::Title), 12);
  EXPECT_EQ(custom.SlotSize(FontSlot::Cover), 14);
}

TEST(ReportWriterText, LongTextWrapsInsideTheMargins) {
  ReportWriter w;
  Begin(w);
  std::string long_text;
  for (int i = 0; i < 12; ++i) long_text += "定番下面と基礎地盤間の摩擦係数等";
  w.SetX(4000);
  w.Paragraph(long_text);
  w.EndDocument();
  const auto runs = BodyRuns(w.Pages()[0]);
  ASSERT_GT(runs.size(), 2u);
  std::string joined;
  for (size_t i = 0; i < runs.size(); ++i) {
    joined += runs[i].text;
    EXPECT_LE(runs[i].x + runs[i].width, kA4Width - kPageMargin + 0.01);
    if (i > 0) {
      EXPECT_NEAR(runs[i].x, kPageMargin, kEps);
      EXPECT_NEAR(runs[i].y - runs[i - 1].y, w.TextHeight(" "), kEps);
    }
  }
  EXPECT_EQ(joined, long_text) << "wrapping loses or repeats no character";
  EXPECT_NEAR(runs[0].x, 4000, kEps);
}

// A very long text (a project name from a damaged file, say) is laid out line by line in time
// proportional to the text, and every line is still as full as the width allows.
TEST(ReportWriterText, AVeryLongTextFillsEveryLineOverManyPages) {
  ReportWriter w;
  Begin(w);
  std::string text;
  for (int i = 0; text.size() < 64 * 1024; ++i) {
    text += (i % 7 == 0) ? "Retaining wall " : "擁壁の設計計算";
  }
  w.Paragraph(text);
  w.EndDocument();
  ASSERT_GT(w.PageCount(), 5);
  const QString all = QString::fromStdString(text);
  const double right = kA4Width - kPageMargin;
  std::string joined;
  qsizetype at = 0;
  for (const Page& page : w.Pages()) {
    for (const TextRun& r : BodyRuns(page)) {
      joined += r.text;
      at += QString::fromStdString(r.text).size();
      EXPECT_LE(r.x + r.width, right + 0.01);
      // Full: one more character would pass the margin, unless the line ends at a blank.
      if (at < all.size() && r.text.back() != ' ') {
        EXPECT_GT(r.x + w.TextWidth(r.text + all.mid(at, 1).toStdString()), right) << r.text;
      }
    }
  }
  EXPECT_EQ(joined, text);
}

TEST(ReportWriterText, WrappingKeepsLatinWordsWholeAndJapaneseLinesFull) {
  ReportWriter w;
  Begin(w);
  std::string words;
  for (int i = 0; i < 40; ++i) words += "word" + std::to_string(i) + " ";
  w.Paragraph(words);
  std::string japanese = "ここでは付着力 c=0 と考え";
  for (int i = 0; i < 8; ++i) japanese += "常時の許容応力度の場合のすべり摩擦係数を採用する";
  w.Paragraph(japanese);
  w.EndDocument();
  const auto runs = BodyRuns(w.Pages()[0]);
  std::string latin;
  size_t i = 0;
  for (; i < runs.size() && latin.size() < words.size(); ++i) {
    latin += runs[i].text;
    if (latin.size() < words.size()) {
      EXPECT_EQ(runs[i].text.back(), ' ') << runs[i].text;
    }
  }
  EXPECT_EQ(latin, words);
  ASSERT_LT(i, runs.size());
  const double body = kA4Width - 2 * kPageMargin;
  EXPECT_GT(runs[i].width, 0.9 * body) << "a blank early in a Japanese line is no break point";
}

TEST(ReportWriterText, TextFlowsToTheNextPageAtTheBottomMargin) {
  ReportWriter w;
  Begin(w);
  for (int i = 0; i < 150; ++i) w.Paragraph("line " + std::to_string(i));
  w.EndDocument();
  ASSERT_GE(w.PageCount(), 3);
  int seen = 0;
  for (const Page& page : w.Pages()) {
    const auto runs = BodyRuns(page);
    ASSERT_FALSE(runs.empty());
    EXPECT_NEAR(runs.front().y, kPageMargin + w.TextHeight(" "), kEps)
        << "each page begins with one blank line";
    for (const TextRun& r : runs) {
      EXPECT_LE(r.y + r.height, kA4Height - kPageMargin + 0.5);
      EXPECT_EQ(r.text, "line " + std::to_string(seen++));
    }
    EXPECT_EQ(page.footer, "|" + std::to_string(page.number) + "|");
  }
  EXPECT_EQ(seen, 150);
}

TEST(ReportWriterText, EmptyLineAtThePageFootDoesNotAddASecondBlankLine) {
  ReportWriter w;
  Begin(w);
  const double line = w.TextHeight(" ");
  w.SetY(kA4Height - kPageMargin - line / 2);
  w.Paragraph("");
  EXPECT_EQ(w.PageCounter(), 1);
  EXPECT_NEAR(w.GetY(), kPageMargin + line, kEps);
}

TEST(ReportWriterText, RotatedTextIsOneRunAtTheAnchorAndDoesNotWrap) {
  ReportWriter w;
  Begin(w);
  w.SetX(11000);  // beyond the right margin: figures place texts where they like
  w.SetY(5000);
  w.SetTextAngle(900);
  w.Text("1234567890");
  const double width = w.TextWidth("1234567890");
  EXPECT_NEAR(w.GetX(), 11000, 1e-6);
  EXPECT_NEAR(w.GetY(), 5000 - width, 1e-6) << "the position moves along the rotated text";
  w.SetTextAngle(0);
  w.EndDocument();
  const auto runs = BodyRuns(w.Pages()[0]);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].angle, 900);
  EXPECT_EQ(runs[0].text, "1234567890");
}

TEST(ReportWriterPictures, InsertFormulaPictureLeavesXAtTheRightEdgeAndYCentred) {
  for (const char* file : {"1_3_9.bmp", "1_3_1.bmp", "1_6_96_2.bmp", "1_4_23.bmp"}) {
    ReportWriter w;
    Begin(w);
    w.SetX(1500);
    const double y1 = w.GetY();
    const QSizeF size = w.PictureSize(file);
    ASSERT_GT(size.width(), 0) << file;
    ASSERT_GT(size.height(), 0) << file;
    w.InsertFormulaPicture(file);
    EXPECT_NEAR(w.GetX(), 1500 + size.width(), kEps) << file;
    EXPECT_NEAR(w.GetY(), (y1 + y1 + size.height() - w.TextHeight(" ")) / 2, kEps) << file;
    const double value_x = w.GetX(), value_y = w.GetY();
    w.Text("0.333\r\n");
    w.EndDocument();
    const auto pictures = ItemsOf<PictureItem>(w.Pages()[0]);
    ASSERT_EQ(pictures.size(), 1u);
    std::string file_name = file;
    EXPECT_EQ(pictures[0].key, file_name.substr(0, file_name.size() - 4));
    EXPECT_NEAR(pictures[0].box.left(), 1500, kEps);
    EXPECT_NEAR(pictures[0].box.top(), y1, kEps);
    EXPECT_NEAR(pictures[0].box.width(), size.width(), kEps);
    EXPECT_NEAR(pictures[0].box.height(), size.height(), kEps);
    const auto value = FindRun(BodyRuns(w.Pages()[0]), "0.333");
    ASSERT_TRUE(value);
    EXPECT_NEAR(value->x, value_x, kEps);
    EXPECT_NEAR(value->y, value_y, kEps);
    // The value's line box is centred on the picture's middle line.
    EXPECT_NEAR(value->y + value->height / 2, pictures[0].box.center().y(), kEps);
  }
}

TEST(ReportWriterPictures, EveryListedKeyHasANaturalSize) {
  ReportWriter w;
  const auto keys = KnownFormulaPictureKeys();
  EXPECT_EQ(keys.size(), 138u);
  for (const std::string& key : keys) {
    QSizeF s = w.PictureSize(key + ".bmp");
    EXPECT_GT(s.width(), 0) << key;
    EXPECT_GT(s.height(), 0) << key;
  }
}

TEST(ReportWriterPictures, AnUnknownPictureIsAnErrorThatNamesIt) {
  for (const char* file : {"1_3_19.bmp", "9_9_9.bmp", "1_6_9.bmp", "1_3_9"}) {
    ReportWriter w;
    Begin(w);
    std::string file_name = file;
    try {
      w.InsertFormulaPicture(file);
      ADD_FAILURE() << file << " was accepted";
    } catch (const ReportError& e) {
      std::string key = file_name.size() > 4 ? file_name.substr(0, file_name.size() - 4) : "";
      EXPECT_NE(std::string(e.what()).find("\"" + key + "\""), std::string::npos) << e.what();
    }
    EXPECT_THROW(w.DrawPictureInBox(file, 0, 0, 100, 100), ReportError);
    EXPECT_THROW(w.PictureSize(file), ReportError);
  }
  ReportWriter w;
  Begin(w);
  EXPECT_THROW(w.InsertFormulaPicture(".bmp"), ReportError);
}

TEST(ReportWriterPictures, DrawPictureInBoxScalesIntoTheBox) {
  ReportWriter w;
  Begin(w);
  w.DrawPictureInBox("1_6_20.bmp", 3000, 2000, 2000, 2600);
  w.EndDocument();
  const auto pictures = ItemsOf<PictureItem>(w.Pages()[0]);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].key, "1_6_20");
  EXPECT_EQ(pictures[0].box, QRectF(2000, 2000, 1000, 600));
}

TEST(ReportWriterDrawing, ItemsCarryTheDrawingStateOfTheirTime) {
  ReportWriter w;
  Begin(w);
  w.SetPenWidth(30);
  w.DrawLine(0, 0, 100, 100);
  w.SetPenWidth(0);
  w.SetPenStyle(PenStyle::Dotted);
  w.DrawLine(0, 0, 100, 0);
  w.SetPenStyle(PenStyle::Solid);
  w.SetBrushStyle(BrushStyle::Solid);
  w.DrawCircle(500, 500, 35);
  w.DrawPolygon({{0, 0}, {50, -200}, {-50, -200}});
  w.SetBrushStyle(BrushStyle::Transparent);
  w.DrawRectangle(200, 300, 100, 100);
  w.DrawCircle(1000, 1000, 500, 3 * kPi / 2, 3 * kPi / 2 + 0.3);
  w.EndDocument();
  const Page& p = w.Pages()[0];
  const auto lines = ItemsOf<LineItem>(p);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].pen.width, 30);
  EXPECT_EQ(lines[1].pen.width, 0);
  EXPECT_EQ(lines[1].pen.style, PenStyle::Dotted);
  const auto circles = ItemsOf<CircleItem>(p);
  ASSERT_EQ(circles.size(), 1u);
  EXPECT_EQ(circles[0].brush.style, BrushStyle::Solid);
  EXPECT_EQ(ItemsOf<PolygonItem>(p).at(0).points.size(), 3u);
  EXPECT_EQ(ItemsOf<RectItem>(p).at(0).rect, QRectF(100, 100, 100, 200));
  const auto arcs = ItemsOf<ArcItem>(p);
  ASSERT_EQ(arcs.size(), 1u);
  EXPECT_NEAR(arcs[0].end - arcs[0].start, 0.3, 1e-6);
}

TEST(ReportWriterDrawing, DrawLabelBlanksItsBoxThenWritesTheText) {
  ReportWriter w;
  Begin(w);
  w.DrawLabel(2000, 3000, "W1");
  EXPECT_EQ(w.CurrentBrush().style, BrushStyle::Transparent);
  EXPECT_EQ(w.CurrentBrush().color, kColorBlack);
  EXPECT_EQ(w.CurrentPen().color, kColorBlack);
  EXPECT_NEAR(w.GetX(), 2000 + w.TextWidth("W1"), 1e-6);
  EXPECT_NEAR(w.GetY(), 3000, 1e-6);
  const double tw = w.TextWidth("W1"), th = w.TextHeight("W1");
  w.EndDocument();
  const Page& p = w.Pages()[0];
  const auto rects = ItemsOf<RectItem>(p);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].rect, QRectF(2000, 3000, tw, th));
  EXPECT_EQ(rects[0].brush.style, BrushStyle::Solid);
  EXPECT_EQ(rects[0].brush.color, kColorWhite);
  EXPECT_EQ(rects[0].pen.color, kColorWhite);
  const auto run = FindRun(BodyRuns(p), "W1");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->x, 2000);
  EXPECT_EQ(run->y, 3000);
  // The white ground comes before the text in drawing order.
  size_t rect_at = 0, text_at = 0;
  for (size_t i = 0; i < p.items.size(); ++i) {
    if (std::holds_alternative<RectItem>(p.items[i])) rect_at = i;
    if (const auto* r = std::get_if<TextRun>(&p.items[i]); r && r->text == "W1") text_at = i;
  }
  EXPECT_LT(rect_at, text_at);
}

TEST(ReportWriterDrawing, DimensionHWritesItsValueCentredAboveTheDimensionLine) {
  ReportWriter w;
  Begin(w);
  const double x0 = 2000, y1 = 5000, x8 = 6000, y2 = 4400, offset = 150;
  w.DrawDimensionH(x0, y1, x8, y2, offset, 3500.4f);
  const double tw = w.TextWidth("3500"), th = w.TextHeight("3500");
  w.EndDocument();
  const Page& p = w.Pages()[0];
  const auto label = FindRun(BodyRuns(p), "3500");
  ASSERT_TRUE(label);
  EXPECT_NEAR(label->x, (x0 + x8 - tw) / 2, 1e-6);
  EXPECT_NEAR(label->y, y2 + offset - th - 20, 1e-6);
  EXPECT_EQ(label->angle, 0);
  const auto lines = ItemsOf<LineItem>(p);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].from, QPointF(x0, y1));
  EXPECT_EQ(lines[0].to, QPointF(x0, y2));
  EXPECT_EQ(lines[1].from, QPointF(x8, y1));
  EXPECT_EQ(lines[2].from, QPointF(x0, y2 + offset));
  EXPECT_EQ(lines[2].to, QPointF(x8, y2 + offset));
  const auto dots = ItemsOf<CircleItem>(p);
  ASSERT_EQ(dots.size(), 2u);
  EXPECT_EQ(dots[0].centre, QPointF(x0, y2 + offset));
  EXPECT_EQ(dots[1].centre, QPointF(x8, y2 + offset));
  EXPECT_EQ(dots[0].radius, 35);
  EXPECT_EQ(dots[0].brush.style, BrushStyle::Solid);
  EXPECT_EQ(ItemsOf<RectItem>(p).size(), 1u) << "the label stands on a white ground";
}

TEST(ReportWriterDrawing, DimensionVWritesItsValueUpwardsLeftOfTheDimensionLine) {
  ReportWriter w;
  Begin(w);
  const double x0 = 2000, y1 = 9000, x8 = 3000, y2 = 4000, offset = 125;
  w.DrawDimensionV(x0, y1, x8, y2, offset, 5000.0f);
  EXPECT_EQ(w.TextAngle(), 0) << "the text angle is reset";
  EXPECT_EQ(w.CurrentBrush().style, BrushStyle::Transparent);
  const double tw = w.TextWidth("5000"), th = w.TextHeight("5000");
  w.EndDocument();
  const Page& p = w.Pages()[0];
  const auto label = FindRun(BodyRuns(p), "5000");
  ASSERT_TRUE(label);
  EXPECT_EQ(label->angle, 900);
  EXPECT_NEAR(label->x, x0 + offset - th, 1e-6);
  EXPECT_NEAR(label->y, (tw + y1 + y2) / 2, 1e-6);
  const auto lines = ItemsOf<LineItem>(p);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].from, QPointF(x0, y1));
  EXPECT_EQ(lines[0].to, QPointF(x8, y1));
  EXPECT_EQ(lines[1].from, QPointF(x0, y2));
  EXPECT_EQ(lines[2].from, QPointF(x0 + offset, y1));
  EXPECT_EQ(lines[2].to, QPointF(x0 + offset, y2));
  EXPECT_EQ(ItemsOf<RectItem>(p).size(), 0u) << "no white ground";
}

TEST(ReportWriterDrawing, DimensionLabelsUseTheBasicRoundingOfTheZeroFormat) {
  struct Case {
    float value;
    const char* label;
  } cases[] = {{2.5f, "3"}, {-0.4f, "0"}, {1499.5f, "1500"}, {0.0f, "0"}};
  for (const Case& c : cases) {
    ReportWriter w;
    Begin(w);
    w.DrawDimensionH(1000, 2000, 3000, 2000, 100, c.value);
    w.EndDocument();
    EXPECT_TRUE(FindRun(BodyRuns(w.Pages()[0]), c.label)) << c.value;
  }
}

TEST(ReportWriterErrors, OperationsOutsideAnOpenDocumentAreErrors) {
  ReportWriter w;
  EXPECT_THROW(w.Paragraph("x"), ReportError);
  EXPECT_THROW(w.NewPage(), ReportError);
  EXPECT_THROW(w.DrawLine(0, 0, 1, 1), ReportError);
  EXPECT_THROW(w.BeginTable(), ReportError);
  Begin(w);
  w.EndDocument();
  EXPECT_THROW(w.Text("late"), ReportError);
  EXPECT_THROW(w.EndDocument(), ReportError);
  EXPECT_THROW(w.InsertFormulaPicture("1_3_1.bmp"), ReportError);
  // A new document may follow.
  w.BeginDocument();
  EXPECT_EQ(w.PageCounter(), 0);
  w.EndDocument();
  EXPECT_EQ(w.PageCount(), 1);
}

TEST(ReportWriterErrors, NonFiniteCoordinatesAreRefused) {
  ReportWriter w;
  Begin(w);
  const double nan = std::nan("");
  const double inf = INFINITY;
  EXPECT_THROW(w.SetX(nan), ReportError);
  EXPECT_THROW(w.SetY(inf), ReportError);
  EXPECT_THROW(w.DrawLine(0, nan, 1, 1), ReportError);
  EXPECT_THROW(w.DrawCircle(0, 0, inf), ReportError);
  EXPECT_THROW(w.DrawArc(0, 0, 10, 0, nan), ReportError);
  EXPECT_THROW(w.DrawRectangle(0, 0, inf, 1), ReportError);
  EXPECT_THROW(w.DrawPolygon({{0, 0}, {nan, 1}, {2, 2}}), ReportError);
  EXPECT_THROW(w.DrawLabel(nan, 0, "x"), ReportError);
  EXPECT_THROW(w.DrawDimensionH(0, 0, 100, 0, 10, std::nanf("")), ReportError);
  EXPECT_THROW(w.DrawDimensionV(0, 0, inf, 0, 10, 1.0f), ReportError);
  EXPECT_NO_THROW(w.EndDocument());
  EXPECT_TRUE(ItemsOf<LineItem>(w.Pages()[0]).empty()) << "nothing half-drawn";
}

TEST(ReportWriterErrors, DiscardLeavesNoPages) {
  ReportWriter w;
  Begin(w);
  w.Paragraph("a");
  w.NewPage();
  w.Discard();
  EXPECT_TRUE(w.Pages().empty());
  EXPECT_EQ(w.PageCount(), 0);
  EXPECT_FALSE(w.IsDocumentOpen());
  EXPECT_THROW(w.Paragraph("b"), ReportError);
}

}  // namespace
}  // namespace ktv
