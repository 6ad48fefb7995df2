// The cantilever wall's whole report (cover, chapters and four figures) written to PDF, and the
// build sequence alone.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <string>

#include "families/family_table.h"
#include "report/report_build.h"
#include "report/report_render.h"
#include "report/report_writer.h"

namespace {

// The standard project in a temporary folder, with the read copy beside it.
struct Project {
  QTemporaryDir dir;
  ktv::ReportContext ctx;
  Project() {
    const std::string db = (dir.path() + "/Data.mdb").toStdString();
    std::filesystem::copy_file(std::string(KTV_CANTILEVER_DATA_DIR) + "/standard_cantilever_si.mdb",
                               db);
    ctx.working_database_path = db;
  }
};

bool Build(benchmark::State& state, ktv::ReportWriter& w, const ktv::ReportContext& ctx) {
  const ktv::ReportBuildResult r =
      ktv::BuildReport(w, ktv::WallFamily::Cantilever, ctx, ktv::ProgramFamilies().ReportEntries());
  if (!r.complete) state.SkipWithError(r.error.c_str());
  return r.complete;
}

void BM_CantileverReportToPdf(benchmark::State& state) {
  Project p;
  const QString pdf = p.dir.path() + "/report.pdf";
  for (auto _ : state) {
    ktv::ReportWriter w;
    if (!Build(state, w, p.ctx)) break;
    ktv::WritePdf(w, pdf);
  }
  state.counters["pdf_bytes"] = static_cast<double>(QFileInfo(pdf).size());
}
BENCHMARK(BM_CantileverReportToPdf)->Unit(benchmark::kMillisecond);

void BM_CantileverReportBuild(benchmark::State& state) {
  Project p;
  for (auto _ : state) {
    ktv::ReportWriter w;
    if (!Build(state, w, p.ctx)) break;
    benchmark::DoNotOptimize(w.PageCount());
  }
}
BENCHMARK(BM_CantileverReportBuild)->Unit(benchmark::kMillisecond);

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
