// Laying out a multi-page report and writing it to PDF.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include "app/format.h"
#include "app/messages.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace {

// About the mix of a family report: label lines, formula lines, tables and a figure per chapter.
void WriteChapters(ktv::ReportWriter& w, int chapters) {
  using namespace ktv;
  w.PageSetup();
  w.BeginDocument();
  w.SetHeader("工事名：ベンチマーク", "", kFullTitle);
  for (int ch = 0; ch < chapters; ++ch) {
    w.SetFontSize(FontSlot::Heading);
    w.Paragraph("（" + std::to_string(ch + 1) + "）自重および合力の作用位置計算");
    w.SetFontSize(FontSlot::Body);
    for (int i = 0; i < 12; ++i) {
      w.Text("　　　裏込土の内部摩擦角");
      w.SetX(4700);
      w.Text("φ = " + FormatValue(30.0f + i, kFmt0) + "°\r\n");
    }
    w.Paragraph("主働土圧係数は、クーロンの公式より");
    w.InsertFormulaPicture("1_3_9.bmp");
    w.SetY(w.GetY() - 240);
    w.Text("0.297\r\n");
    w.Paragraph("");
    w.Paragraph("");
    w.InsertFormulaPicture("1_3_1.bmp");
    w.Text("12.345 kN/m\r\n");
    w.BeginTable();
    w.SetTableCols(6);
    w.SetTableRows(6);
    w.SetRuleAbove(1, 2);
    w.SetRuleAbove(6);
    w.SetTableFlag();
    w.SetCellAlignment(TableRange::All(), kAlignNumbersRight);
    w.SetRowHeight(1, w.GetRowHeight(2) * 3);
    for (int c = 1; c <= 6; ++c) w.SetColumnWidth(c, 1500);
    for (int r = 1; r <= 6; ++r) {
      for (int c = 1; c <= 6; ++c) w.SetCellText(r, c, FormatValue(r * 1.234f + c, kFmt3));
    }
    w.EndTable();
    const double x = w.GetX() + 1200, y = w.GetY() + 300;
    w.SetPenWidth(30);
    w.DrawLine(x, y + 3000, x + 600, y);
    w.DrawLine(x + 600, y, x + 1200, y);
    w.DrawLine(x + 1200, y, x + 2400, y + 3000);
    w.DrawLine(x + 2400, y + 3000, x, y + 3000);
    w.SetPenWidth(0);
    w.DrawDimensionH(x, y + 3000, x + 2400, y + 3000, 300, 2400);
    w.DrawDimensionV(x - 200, y + 3000, x, y, 100, 3000);
    w.DrawLabel(x + 800, y + 2000, "W2");
    w.DrawArc(x + 1200, y, 400, 4.712389, 4.712389 + 0.4);
    w.SetY(y + 3800);
    w.NewPage();
  }
  w.EndDocument();
}

void BM_LayOut(benchmark::State& state) {
  for (auto _ : state) {
    ktv::ReportWriter w;
    WriteChapters(w, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(w.PageCount());
  }
}
BENCHMARK(BM_LayOut)->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond);

void BM_LayOutAndWritePdf(benchmark::State& state) {
  const QString path = QDir::tempPath() + "/ktv_report_bench.pdf";
  for (auto _ : state) {
    ktv::ReportWriter w;
    WriteChapters(w, static_cast<int>(state.range(0)));
    ktv::WritePdf(w, path);
  }
  state.counters["pdf_bytes"] = static_cast<double>(QFile(path).size());
  QFile::remove(path);
}
BENCHMARK(BM_LayOutAndWritePdf)->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);  // the report font needs it
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
