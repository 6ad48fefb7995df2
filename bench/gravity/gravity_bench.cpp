// The gravity wall: one calculation, and one whole report (cover and chapters) written to PDF.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <string>

#include "app/messages.h"
#include "app/standard_sizes.h"
#include "families/family_table.h"
#include "families/gravity/gravity_calculation.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace {

ktv::GravityInputs Wall(float t00, float t01, float t02) {
  ktv::GravityInputs in;
  in.gamma_c = 23.0f;
  in.sigma_cac = 450;
  in.gamma = 19.6f;
  in.phi = 35;
  in.tan_phi_b = 0.6f;
  in.q = 10;
  in.qa = 200;
  in.fsa = 1.5f;
  in.h = 2.3f;
  in.t00 = t00;
  in.t01 = t01;
  in.t02 = t02;
  in.beta = 29.05f;
  return in;
}

// Argument: 0 the standard wall (three parts), 1 W2 only, 2 W1 and W2, 3 W2 and W3.
void BM_GravityCalculation(benchmark::State& state) {
  const ktv::GravityInputs cases[] = {Wall(0.23f, 0.70f, 0.69f), Wall(0, 0.70f, 0),
                                      Wall(0.23f, 0.70f, 0), Wall(0, 0.70f, 0.69f)};
  const ktv::GravityInputs in = cases[state.range(0)];
  for (auto _ : state) {
    ktv::GravityCalculation c = ktv::ComputeGravity(in);
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_GravityCalculation)->DenseRange(0, 3);

// The preview's build sequence on the standard project, then the PDF file.
void BM_GravityReportToPdf(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string db = (dir.path() + "/Data.mdb").toStdString();
  std::filesystem::copy_file(std::string(KTV_GRAVITY_DATA_DIR) + "/standard_gravity_si.mdb", db);
  const QString pdf = dir.path() + "/report.pdf";
  ktv::ReportContext ctx;
  ctx.working_database_path = db;
  for (auto _ : state) {
    ktv::ReportWriter w;
    const ktv::ReportBuildResult r =
        ktv::BuildReport(w, ktv::WallFamily::Gravity, ctx, ktv::ProgramFamilies().ReportEntries());
    if (!r.complete) {
      state.SkipWithError(r.error.c_str());
      break;
    }
    ktv::WritePdf(w, pdf);
  }
  // The size of the file beside the time: most of it was once the formula pictures.
  state.counters["pdf_bytes"] = static_cast<double>(QFileInfo(pdf).size());
}
BENCHMARK(BM_GravityReportToPdf)->Unit(benchmark::kMillisecond);

// The build sequence alone (layout of cover and chapters, no file), to tell it from the PDF.
void BM_GravityReportBuild(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string db = (dir.path() + "/Data.mdb").toStdString();
  std::filesystem::copy_file(std::string(KTV_GRAVITY_DATA_DIR) + "/standard_gravity_si.mdb", db);
  ktv::ReportContext ctx;
  ctx.working_database_path = db;
  for (auto _ : state) {
    ktv::ReportWriter w;
    const ktv::ReportBuildResult r =
        ktv::BuildReport(w, ktv::WallFamily::Gravity, ctx, ktv::ProgramFamilies().ReportEntries());
    if (!r.complete) {
      state.SkipWithError(r.error.c_str());
      break;
    }
    benchmark::DoNotOptimize(w.PageCount());
  }
}
BENCHMARK(BM_GravityReportBuild)->Unit(benchmark::kMillisecond);

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
