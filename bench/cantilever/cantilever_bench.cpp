// The cantilever wall: one whole calculation (earth pressure, parts, stability and the member
// design of every section) per wall.
#include <benchmark/benchmark.h>

#include "families/cantilever/cantilever_calculation.h"

namespace {

// The standard inverted-T wall of the fixtures in SI.
ktv::CantileverInputs Standard() {
  ktv::CantileverInputs in;
  in.gamma_c = 24.5f;
  in.sigma_ck = 2400;
  in.sigma_ca = 800;
  in.tau_a = 39;
  in.ec = 2500000;
  in.gamma = 19.6f;
  in.phi = 35;
  in.q = 10;
  in.kh = 0.2f;
  in.tan_phi_b = 0.6f;
  in.qa = 300;
  in.qa_e = 450;
  in.fsa = 1.5f;
  in.fsa_e = 1.2f;
  in.bar_kind = 1;
  in.bar_grade = 2;
  in.sigma_sa = 18000;
  in.sigma_sa_t = 18000;
  in.es = 20000000;
  in.dt0 = 7;
  in.dt1 = 7;
  in.bars = {{{7, 125}, {-1, 0}, {7, 125}, {-1, 0}, {6, 125}, {-1, 0}, {7, 125}, {-1, 0}}};
  in.shape = {0.57f, 0.4f, -0.37f, 1.0f, 2.4f, 2.4f, 6.3f, 0.5f, 0.6f, 0.4f, 0.6f, 0.4f, 0};
  return in;
}

// Argument: 0 the standard wall, 1 the same with A-A′, second arrangements and β 15°, 2 an L
// wall (no toe), 3 an inverted-L wall (no heel).
void BM_CantileverCalculation(benchmark::State& state) {
  ktv::CantileverInputs in = Standard();
  switch (state.range(0)) {
    case 1:
      in.design_section_aa = true;
      in.h_aa = 3.0f;
      for (int i = 1; i < 8; i += 2) in.bars[i] = {3, 250};
      in.shape.beta = 15;
      break;
    case 2:
      in.shape.l00 = 0;
      break;
    case 3:
      in.shape.l01 = in.shape.l02 = 0;
      break;
    default:
      break;
  }
  for (auto _ : state) {
    ktv::CantileverResults r = ktv::ComputeCantilever(in);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_CantileverCalculation)->DenseRange(0, 3);

}  // namespace

BENCHMARK_MAIN();
