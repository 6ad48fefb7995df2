// One update of the verdict panel as an edit makes it: the window's inputs collected, taken as
// the project's data, checked and computed by the family, and the table refreshed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QSettings>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>
#include <string>

#include "app/messages.h"
#include "app/startup.h"
#include "families/family_table.h"
#include "input_window/input_window.h"
#include "input_window/ui_services.h"
#include "input_window/verdict_panel.h"
#include "project/project_database.h"

namespace {

namespace fs = std::filesystem;

class NoDialogs : public ktv::FileDialogs {
 public:
  std::optional<QString> OpenFileName(const ktv::FileDialogRequest&) override { return {}; }
  std::optional<QString> SaveFileName(const ktv::FileDialogRequest&) override { return {}; }
};

// The window on a copy of a standard project, in a throw-away installation.
struct Window {
  QTemporaryDir root;
  ktv::RecordingMessageSink messages;
  NoDialogs dialogs;
  std::unique_ptr<ktv::InputWindow> window;

  explicit Window(const std::string& fixture) {
    const fs::path prg = fs::path(root.path().toStdString()) / "PRG";
    fs::create_directories(prg);
    fs::current_path(prg);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.path() + "/settings");
    const auto values = ktv::PrepareStartupValues(QString::fromStdString(prg.string()));
    fs::create_directories(values->folders.data.toStdString());
    fs::copy_file(std::string(KTV_DATA_DIR) + "/" + fixture,
                  values->working_database_path.toStdString());
    window = std::make_unique<ktv::InputWindow>(*values, messages, dialogs);
  }
};

void Update(benchmark::State& state, const std::string& fixture, bool section_aa) {
  Window w(fixture);
  if (section_aa) w.window->findChild<QCheckBox*>(QStringLiteral("chkhAA"))->setChecked(true);
  w.window->RefreshVerdicts();
  const ktv::WallChecks& shown = w.window->Verdicts()->Shown();
  if (!shown.error.empty() || shown.rows.empty()) {
    state.SkipWithError(shown.error.empty() ? "no rows" : shown.error.c_str());
    return;
  }
  for (auto _ : state) {
    w.window->RefreshVerdicts();
    benchmark::DoNotOptimize(w.window->Verdicts()->Shown().rows.data());
  }
  state.counters["rows"] = static_cast<double>(shown.rows.size());
}

void BM_VerdictPanelGravity(benchmark::State& state) {
  Update(state, "gravity/data/standard_gravity_si.mdb", false);
}
void BM_VerdictPanelLeaning(benchmark::State& state) {
  Update(state, "leaning/data/standard_leaning_si.mdb", false);
}
// The largest case: stem sections A-A′ and B-B′, toe and heel, both cases (32 rows).
void BM_VerdictPanelCantileverAA(benchmark::State& state) {
  Update(state, "cantilever/data/standard_cantilever_aa_si.mdb", true);
}
BENCHMARK(BM_VerdictPanelGravity)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VerdictPanelLeaning)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VerdictPanelCantileverAA)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
