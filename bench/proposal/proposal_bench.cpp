// The design assistant: candidate sections checked per second on one core for each family, and
// the time to propose for the standard leaning wall over its four lengths and for the standard
// cantilever wall over its slab lengths and the bars of D-D′.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "families/proposal/section_proposal.h"

namespace {

ktv::ProjectData Standard(const std::string& file) {
  return ktv::ReadProjectData(
      ktv::ProjectDatabase::OpenReadOnly(std::string(KTV_DATA_DIR) + "/" + file));
}

const char* const kFiles[] = {"gravity/data/standard_gravity_si.mdb",
                              "leaning/data/standard_leaning_si.mdb",
                              "cantilever/data/standard_cantilever_si.mdb"};

// A grid of about 2,000 points of the family's defaults, on one core.
void BM_CandidatesPerSecond(benchmark::State& state) {
  const ktv::ProjectData data = Standard(kFiles[state.range(0)]);
  std::vector<ktv::GridAxis> axes = ktv::DefaultAxes(data);
  int64_t points = 1;
  for (size_t a = 0; a < axes.size(); ++a) {
    const int64_t count = axes[a].Count();
    if (points * count > 2000) axes[a].hi = axes[a].lo;  // this one stays at its lowest value
    points *= axes[a].Count();
  }
  ktv::ProposalOptions options;
  options.threads = 1;
  int64_t tried = 0;
  for (auto _ : state) {
    const ktv::Proposal p = ktv::ProposeSection(data, axes, options);
    tried += p.tried;
    benchmark::DoNotOptimize(p.found);
  }
  state.SetItemsProcessed(tried);
  state.SetLabel(std::to_string(points) + " points");
}
BENCHMARK(BM_CandidatesPerSecond)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void Propose(benchmark::State& state, const ktv::ProjectData& data,
             const std::vector<ktv::GridAxis>& axes) {
  ktv::ProposalOptions options;
  options.threads = static_cast<int>(state.range(0));
  int64_t tried = 0;
  bool found = false;
  for (auto _ : state) {
    const ktv::Proposal p = ktv::ProposeSection(data, axes, options);
    tried = p.tried;
    found = p.found;
  }
  state.counters["candidates"] = static_cast<double>(tried);
  state.counters["found"] = found;
}

// T1, T2, L1 and B within ±50 %, 50 mm steps.
void BM_ProposeLeaning(benchmark::State& state) {
  const ktv::ProjectData data = Standard(kFiles[1]);
  Propose(
      state, data,
      {{"T1", 1500, 4500, 50}, {"T2", 200, 500, 50}, {"L1", 450, 1250, 50}, {"B", 1200, 3600, 50}});
}
BENCHMARK(BM_ProposeLeaning)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// L1 and L3 within ±50 %, 50 mm steps; the bar size of D-D′ 配筋1 and its spacing 100–300 mm.
void BM_ProposeCantilever(benchmark::State& state) {
  const ktv::ProjectData data = Standard(kFiles[2]);
  const double size = *ktv::FieldValue(data, "Size06");
  Propose(state, data,
          {{"L1", 500, 1500, 50},
           {"L3", 1200, 3600, 50},
           {"Size06", size - 2, size + 1, 1},
           {"ctc06", 100, 300, 25}});
}
BENCHMARK(BM_ProposeCantilever)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
