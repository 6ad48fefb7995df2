// A demonstration report that uses every operation of the writer, built through the whole build
// sequence, written to PDF and rendered to PNG. The files stay in the build folder for a look.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>

#include "app/format.h"
#include "app/settings.h"
#include "page_inspect.h"
#include "project/project_database.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace ktv {
namespace {

using testing_util::ItemsOf;

void Heading(ReportWriter& w, const std::string& text) {
  w.SetFontSize(FontSlot::Heading);
  w.Paragraph(text);
  w.SetFontSize(FontSlot::Body);
}

// A gravity-like section figure: outline, dimensions, α and β marks, labels, rotated texts.
void Figure(ReportWriter& w, double x, double y, double size) {
  const double k = size / 4.0;  // twips per metre of a 3 m wall with 0.5 m margins
  const double m = 0.5 * k, yb = y + size - m;
  const QPointF p0(x + m, yb), p1(x + m + 0.6 * k, yb - 3 * k), p2(x + m + 1.1 * k, yb - 3 * k),
      p3(x + m + 2.3 * k, yb);
  w.SetPenWidth(30);
  w.DrawLine(p0.x(), p0.y(), p1.x(), p1.y());
  w.DrawLine(p1.x(), p1.y(), p2.x(), p2.y());
  w.DrawLine(p2.x(), p2.y(), p3.x(), p3.y());
  w.DrawLine(p3.x(), p3.y(), p0.x(), p0.y());
  w.SetPenWidth(0);
  w.DrawDimensionH(p1.x(), p1.y(), p2.x(), p1.y() - m, m / 4, 500);
  w.DrawDimensionH(p0.x(), yb, p3.x(), p3.y(), 0.75 * m, 2300);
  w.DrawDimensionV(x, p0.y(), p1.x(), p1.y(), m / 4, 3000);
  // α mark at the back top corner.
  const double alpha = std::atan(1.2 / 3.0);
  w.DrawLine(p2.x(), p2.y(), p2.x(), p2.y() + m);
  w.DrawCircle(p2.x(), p2.y(), 0.75 * m, 3 * kPi / 2, 3 * kPi / 2 + alpha);
  std::string a = "α = " + FormatValue(RadToDeg(static_cast<float>(alpha)), kFmt3) + "°";
  w.DrawLabel(p2.x() - w.TextWidth(a) / 2, p2.y() + m, a);
  // Backfill surface at β with its annotation along it.
  const double beta = DegToRad(10);
  w.SetPenWidth(30);
  w.DrawLine(p2.x(), p2.y(), p2.x() + 2 * m, p2.y());
  w.DrawLine(p2.x(), p2.y(), p2.x() + 2 * m * std::cos(beta), p2.y() - 2 * m * std::sin(beta));
  w.SetPenWidth(0);
  w.DrawArc(p2.x(), p2.y(), m / 2, 0, beta);
  std::string b = "β = 10.00°、q = 10 kN/m2";
  const double h = w.TextHeight(b);
  w.SetX(p2.x() + 100 * std::cos(beta) - h * std::sin(beta));
  w.SetY(p2.y() - 100 * std::sin(beta) - h * std::cos(beta));
  w.SetTextAngle(static_cast<int>(std::lround(10 * 10.0)));
  w.Text(b);
  w.SetTextAngle(0);
  // Batter label along the back face (higher than the family figure has it, clear of the arrows).
  const double theta = alpha + 4.712389;
  const double len = (2.0 / 3.0) * std::hypot(1.2 * k, 3 * k);
  std::string batter = "1：" + FormatValue(static_cast<float>(std::abs(std::tan(alpha))), kFmt2);
  const double hb = w.TextHeight(batter);
  w.SetX(len / 2 * std::cos(theta) - hb * std::sin(theta) + p2.x());
  w.SetY(-len / 2 * std::sin(theta) - hb * std::cos(theta) + p2.y());
  w.SetTextAngle(static_cast<int>(std::lround((RadToDeg(static_cast<float>(alpha)) + 270) * 10)));
  w.Text(batter);
  w.SetTextAngle(0);
  // Thrust arrows with filled heads (low on the back face, clear of the batter label), and
  // part labels on white.
  const QPointF at(p2.x() + 1.25 * len * std::cos(theta), p2.y() - 1.25 * len * std::sin(theta));
  w.SetPenWidth(25);
  w.DrawLine(at.x(), at.y(), at.x(), at.y() - 0.3 * len);
  w.DrawLine(at.x(), at.y(), at.x() + 0.3 * len, at.y());
  w.SetPenWidth(0);
  w.SetBrushStyle(BrushStyle::Solid);
  w.DrawPolygon({{at.x() + 50, at.y() - 200}, at, {at.x() - 50, at.y() - 200}});
  w.DrawPolygon({{at.x() + 200, at.y() + 50}, at, {at.x() + 200, at.y() - 50}});
  w.SetBrushStyle(BrushStyle::Transparent);
  w.DrawLabel(at.x() - w.TextWidth("Pv") / 2, at.y() - 0.3 * len - w.TextHeight("Pv") - 20, "Pv");
  w.DrawLabel(at.x() + 0.3 * len + 80, at.y() - w.TextHeight("Ph") / 2, "Ph");
  const double yl = p0.y() + (p1.y() - p0.y()) / 3;
  for (auto [label, cx] :
       {std::pair{"W1", (p0.x() + p1.x()) / 2}, std::pair{"W2", (p1.x() + p2.x()) / 2},
        std::pair{"W3", p2.x() + (p3.x() - p2.x()) / 4}}) {
    w.DrawLabel(cx - w.TextWidth(label) / 2, yl - w.TextHeight(label) / 2 - 20, label);
  }
  // Dotted guides and a circle.
  w.SetPenStyle(PenStyle::Dotted);
  w.DrawLine(p1.x(), p1.y(), p1.x(), yb);
  w.DrawLine(p2.x(), p2.y(), p2.x(), yb);
  w.SetPenStyle(PenStyle::Solid);
}

void DemoChapters(ReportWriter& w, const ReportContext&) {
  w.SetFontSize(FontSlot::Title);
  w.Paragraph("重力式擁壁の設計計算");
  Heading(w, "");
  Heading(w, "１ 設計条件");
  Heading(w, "（１）単位体積重量及び土質定数");
  w.Paragraph("　　　コンクリート　　　　　　　γc = 23.000 kN/m3");
  w.Paragraph("　　　裏込土の内部摩擦角　φ = 30°");
  w.Paragraph("");
  Heading(w, "（３）基礎の安定（常時）");
  w.Text("　　　基礎地盤の許容支持力度");
  w.SetX(4700);
  w.Text("ｑa = 300.0 kN/m2\r\n");
  w.Text("　　　滑動に対する安全率");
  w.SetX(4700);
  w.Text("1.5 以上\r\n");
  w.Text("\r\n");
  Heading(w, "２ 形状寸法");
  Figure(w, w.GetX() + 1200, w.GetY() + 300, 5000);
  w.NewPage();

  Heading(w, "３ 土圧計算");
  w.Paragraph("");
  w.Paragraph("主働土圧係数は、クーロンの公式より");
  w.InsertFormulaPicture("1_3_9.bmp");
  w.SetY(w.GetY() - 240);
  w.Text("0.297\r\n");
  w.Paragraph("");
  w.Paragraph("");
  w.Paragraph("したがって、下図を参照にして");
  w.InsertFormulaPicture("1_3_1.bmp");
  w.Text("12.345 kN/m\r\n");
  w.InsertFormulaPicture("1_3_2.bmp");
  w.Text("4.567 kN/m\r\n");
  w.Paragraph("");
  Heading(w, "４　安全計算");
  Heading(w, "（１）自重および合力の作用位置計算");
  w.Paragraph("前ページの図を参考にして下表の計算結果を得た。");

  // Self-weight table; its totals are read back from the printed cells.
  w.SetTableBorder(kTableBorderFrame);
  w.BeginTable();
  w.SetTableCols(6);
  w.SetTableRows(5);
  w.SetRuleAbove(1, 2);
  w.SetRuleAbove(5);
  w.SetTableFlag();
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  w.SetRowHeight(1, w.GetRowHeight(2) * 3);
  const double widths[] = {1200, 2000, 1300, 1300, 1300, 2000};
  for (int c = 1; c <= 6; ++c) w.SetColumnWidth(c, widths[c - 1]);
  w.SetHeaderRow(1);
  w.SetCellAlignment(TableRange::Row(1), kAlignCentre);
  const char* header[] = {"区分",         "断面積(m2)", "単位重量γ( kN/m3)",
                          "鉛直力V( kN)", "アーム(m)",  "原点に対する回転モーメント( kN･m)"};
  for (int c = 1; c <= 6; ++c) w.SetCellText(1, c, header[c - 1]);
  const float parts[3][3] = {{0.9f, 0.3f, 0.5f}, {1.5f, 0.5f, 0.85f}, {1.8f, 0.6f, 1.5f}};
  for (int i = 0; i < 3; ++i) {
    const int r = i + 2;
    const float v = parts[i][0] * 23.0f;
    w.SetCellText(r, 1, "W" + std::to_string(i + 1));
    w.SetCellText(r, 2, FormatValue(parts[i][0], kFmt3));
    w.SetCellText(r, 3, FormatValue(23.0f, kFmt2));
    w.SetCellText(r, 4, FormatValue(v, kFmt3));
    w.SetCellText(r, 5, FormatValue(parts[i][2], kFmt3));
    w.SetCellText(r, 6, FormatValue(v * parts[i][2], kFmt3));
  }
  double sum_v = 0, sum_m = 0;
  for (int r = 2; r <= 4; ++r) {
    sum_v += ReadNumber(w.GetCellText(r, 4));
    sum_m += ReadNumber(w.GetCellText(r, 6));
  }
  w.SetCellText(5, 1, "計");
  w.SetCellText(5, 4, FormatValue(sum_v, kFmt3));
  w.SetCellText(5, 6, FormatValue(sum_m, kFmt3));
  w.EndTable();
  w.Paragraph("");
  w.Paragraph("したがって下の表の計算結果を得た。");

  // Load and moment tables side by side.
  const double y0 = w.GetY(), x0 = w.GetX() + 3210;
  w.BeginTable();
  w.SetTableCols(3);
  w.SetTableRows(4);
  w.SetRuleAbove(2);
  w.SetRuleAbove(4);
  w.SetTableFlag();
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  w.SetRowHeight(1, w.GetRowHeight(2) * 3);
  for (int c = 1; c <= 3; ++c) w.SetColumnWidth(c, 1070);
  const char* load[4][3] = {{"荷重", "鉛直力V( kN)", "水平力H( kN)"},
                            {"自重", "96.600", ""},
                            {"土圧", "4.567", "12.345"},
                            {"合計", "101.167", "12.345"}};
  for (int r = 1; r <= 4; ++r) {
    for (int c = 1; c <= 3; ++c) w.SetCellText(r, c, load[r - 1][c - 1]);
  }
  w.EndTable();
  w.SetY(y0);
  w.DrawLine(x0, y0, x0, y0 + 1950);
  w.BeginTable();
  w.SetTableIndent(3210);
  w.SetTableCols(4);
  w.SetTableRows(5);
  w.SetRuleAbove(1, 3);
  w.SetRuleAbove(5);
  w.SetTableFlag();
  w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
  w.SetRowHeight(1, w.GetRowHeight(3) * 1.5);
  w.SetRowHeight(2, w.GetRowHeight(3) * 1.5);
  const double mw[] = {950, 950, 2000, 2000};
  for (int c = 1; c <= 4; ++c) w.SetColumnWidth(c, mw[c - 1]);
  w.SetColumnSpan(1, 1, 2);
  w.SetColumnSpan(1, 3, 2);
  const char* moment[5][4] = {{"原点からの距離(m)", "", "原点に対する回転モーメント( kN･m)", ""},
                              {"x", "y", "抵抗モーメント Mr", "転倒モーメント M"},
                              {"", "", "101.775", ""},
                              {"1.860", "1.000", "8.495", "12.345"},
                              {"", "", "110.270", "12.345"}};
  for (int r = 1; r <= 5; ++r) {
    for (int c = 1; c <= 4; ++c) w.SetCellText(r, c, moment[r - 1][c - 1]);
  }
  w.EndTable();
  w.Paragraph("");
  w.Paragraph("擁壁底面の合力の作用位置dは");
  w.InsertFormulaPicture("1_3_3.bmp");
  w.Text("0.965 m\r\n");
  w.Paragraph("");
  Heading(w, "（２）転倒に対する安定");
  w.Paragraph("合力の偏心距離eは");
  const double y1 = w.GetY();
  w.InsertFormulaPicture("1_3_4.bmp");
  w.Text("0.185 m");
  w.Text(" ＜ ");
  w.SetY(y1);
  w.InsertFormulaPicture("1_3_5.bmp");
  w.Text("0.383 m　　ＯＫ\r\n");
  w.Paragraph("");
  // Enough text to run onto the next page.
  for (int i = 1; i <= 40; ++i) {
    w.Paragraph("　　　続きの行 " + std::to_string(i) + "：躯体の応力度は躯体下面で最大となる。");
  }
}

std::string RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return "<failed: " + program.toStdString();
  return p.readAllStandardOutput().toStdString();
}

TEST(ReportDemo, DocumentRendersToPdfAndPngWithRealText) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
  const std::string db = (dir.path() + "/Data.mdb").toStdString();
  CreateProjectDatabase(db);
  ProjectDatabase::Open(db).Write(ProjectNameRow{"県道３２号線道路改良工事", "令和6年4月1日", 0});
  FamilyEntryTable entries{};
  entries[kGravity] = DemoChapters;
  ReportWriter w;
  ReportContext context;
  context.working_database_path = db;
  context.cover.office_name = "株式会社　擁壁設計";
  ReportBuildResult r = BuildReport(w, WallFamily::Gravity, context, entries);
  ASSERT_TRUE(r.complete) << r.error;
  ASSERT_EQ(r.page_count, 4) << DocumentText(w);
  EXPECT_EQ(r.report_pages, 3);

  // Every kind of item was produced.
  int kinds[8] = {};
  for (const Page& p : w.Pages()) {
    for (const PageItem& item : p.items) ++kinds[item.index()];
  }
  for (int k = 0; k < 8; ++k) EXPECT_GT(kinds[k], 0) << "item kind " << k;

  const std::string text = DocumentText(w);
  for (const char* expected : {
           "=== page 0 ===\n",
           "工事名：県道３２号線道路改良工事\n",
           "\n重力式擁壁\n",
           "事務所名：株式会社　擁壁設計　\n",
           "日付　　　：令和6年4月1日　\n",
           "=== page 1 ===\n工事名：県道３２号線道路改良工事 擁壁計算ﾌﾟﾛｸﾞﾗﾑ　KTV-PN3 ver2.10\n",
           "\n　　　基礎地盤の許容支持力度 ｑa = 300.0 kN/m2\n",
           "\n[1_3_1] 12.345 kN/m\n",
           "\nW1 0.900 23.00 20.700 0.500 10.350\n",
           "\n計 96.600 101.775\n",
           "\n[1_3_4] 0.185 m ＜ [1_3_5] 0.383 m　　ＯＫ\n",
           "\n1\n=== page 2 ===",
           "\n3\n",
       }) {
    EXPECT_NE(text.find(expected), std::string::npos) << "missing: " << expected << "\n" << text;
  }
  EXPECT_EQ(text.find("\n0\n=== page 1"), std::string::npos) << "the cover shows no number";

  const QString out_dir = QStringLiteral(KTV_REPORT_OUTPUT_DIR);
  const QString pdf = out_dir + "/report_demo.pdf";
  QFile::remove(pdf);
  WritePdf(w, pdf);
  ASSERT_TRUE(QFile::exists(pdf));
  if (QStandardPaths::findExecutable("pdfinfo").isEmpty()) GTEST_SKIP() << "poppler-utils missing";

  const std::string info = RunTool("pdfinfo", {pdf});
  EXPECT_NE(info.find("Pages:           4"), std::string::npos) << info;
  EXPECT_NE(info.find("Page size:       595 x 842 pts (A4)"), std::string::npos) << info;
  const std::string fonts = RunTool("pdffonts", {pdf});
  EXPECT_NE(fonts.find("IPAPMincho"), std::string::npos) << fonts;
  // Every font is embedded: the "emb" column (fifth from the end) of each font line says yes.
  QStringList font_lines = QString::fromStdString(fonts).split('\n', Qt::SkipEmptyParts);
  ASSERT_GE(font_lines.size(), 3) << fonts;
  for (qsizetype i = 2; i < font_lines.size(); ++i) {
    QStringList cols = font_lines[i].split(' ', Qt::SkipEmptyParts);
    ASSERT_GE(cols.size(), 6) << fonts;
    EXPECT_EQ(cols[cols.size() - 5], "yes") << font_lines[i].toStdString();
  }

  const std::string cover = RunTool("pdftotext", {"-f", "1", "-l", "1", "-layout", pdf, "-"});
  EXPECT_NE(cover.find("工事名：県道３２号線道路改良工事"), std::string::npos) << cover;
  const std::string first = RunTool("pdftotext", {"-f", "2", "-l", "2", "-layout", pdf, "-"});
  EXPECT_NE(first.find("工事名："), std::string::npos) << first;
  EXPECT_NE(first.find("重力式擁壁の設計計算"), std::string::npos) << first;
  // The footer of the first report page: its last non-blank line is "1".
  QString trimmed = QString::fromStdString(first).trimmed();
  EXPECT_TRUE(trimmed.endsWith("\n1") || trimmed.endsWith(" 1")) << first;

  // PNG pages for a look, and a check that the page is drawn (not blank).
  const QString prefix = out_dir + "/report_demo";
  RunTool("pdftoppm", {"-r", "80", "-png", pdf, prefix});
  QImage page1(prefix + "-2.png");
  ASSERT_FALSE(page1.isNull());
  EXPECT_NEAR(static_cast<double>(page1.width()) / page1.height(), 210.0 / 297.0, 0.01);
  int dark = 0;
  for (int y = 0; y < page1.height(); ++y) {
    for (int x = 0; x < page1.width(); ++x) dark += qGray(page1.pixel(x, y)) < 128;
  }
  EXPECT_GT(dark, 2000);

  // The same page painted straight onto an image at 96 dpi.
  QImage direct(static_cast<int>(kA4Width / 15), static_cast<int>(kA4Height / 15),
                QImage::Format_RGB32);
  QPainter painter(&direct);
  PaintPage(w, 1, painter, 1.0 / 15);
  painter.end();
  EXPECT_TRUE(direct.save(out_dir + "/report_demo_direct_page1.png"));
  EXPECT_THROW(PaintPage(w, 4, painter, 1.0), ReportError);
}

TEST(ReportDemo, WritePdfRefusesAnEmptyDocumentAndAnUnwritablePath) {
  ReportWriter w;
  EXPECT_THROW(WritePdf(w, QDir::tempPath() + "/never.pdf"), ReportError);
  w.PageSetup();
  w.BeginDocument();
  w.EndDocument();
  EXPECT_THROW(WritePdf(w, "/nonexistent-folder/x/report.pdf"), ReportError);
}

}  // namespace
}  // namespace ktv
