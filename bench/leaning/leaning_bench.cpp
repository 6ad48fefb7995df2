// The leaning wall: one whole calculation (section, earth pressure, stability, sections A-A and
// B-B), and one whole report (cover and chapters) written to PDF.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <string>

#include "app/standard_sizes.h"
#include "families/family_table.h"
#include "families/leaning/leaning_calculation.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace {

ktv::LeaningInputs Wall(float q, float l1, float t1, float t2, float b) {
  ktv::LeaningInputs in;
  in.gamma_c = 23.0f;
  in.sigma_cac = 450;
  in.sigma_cat = 23;
  in.tau_a = 23;
  in.gamma = 19.6f;
  in.phi = 35;
  in.tan_phi_b = 0.6f;
  in.q = q;
  in.qa = 300;
  in.fsa = 1.5f;
  in.h = 7.0f;
  in.d1 = 1.0f;
  in.l1 = l1;
  in.t1 = t1;
  in.t2 = t2;
  in.b = b;
  in.beta = 25;
  return in;
}

// Argument: 0 the standard wall, 1 a vertical back face, 2 a pointed crest without surcharge,
// 3 a long toe with the resultant behind the centre.
void BM_LeaningCalculation(benchmark::State& state) {
  const ktv::LeaningInputs cases[] = {
      Wall(10, 0.85f, 3.0f, 0.35f, 2.4f), Wall(10, 0.85f, 3.0f, 0.35f, 4.2f),
      Wall(0, 0.85f, 3.0f, 0, 2.4f), Wall(30, 4.0f, 0.2f, 0.5f, 6.5f)};
  const ktv::LeaningInputs in = cases[state.range(0)];
  for (auto _ : state) {
    ktv::LeaningCalculation c = ktv::ComputeLeaning(in);
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_LeaningCalculation)->DenseRange(0, 3);

// The preview's build sequence on the standard project, then the PDF file.
void BM_LeaningReportToPdf(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string db = (dir.path() + "/Data.mdb").toStdString();
  std::filesystem::copy_file(std::string(KTV_LEANING_DATA_DIR) + "/standard_leaning_si.mdb", db);
  const QString pdf = dir.path() + "/report.pdf";
  ktv::ReportContext ctx;
  ctx.working_database_path = db;
  for (auto _ : state) {
    ktv::ReportWriter w;
    const ktv::ReportBuildResult r =
        ktv::BuildReport(w, ktv::WallFamily::Leaning, ctx, ktv::ProgramFamilies().ReportEntries());
    if (!r.complete) {
      state.SkipWithError(r.error.c_str());
      break;
    }
    ktv::WritePdf(w, pdf);
  }
  state.counters["pdf_bytes"] = static_cast<double>(QFileInfo(pdf).size());
}
BENCHMARK(BM_LeaningReportToPdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
