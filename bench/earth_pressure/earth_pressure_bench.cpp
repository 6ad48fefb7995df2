#include <benchmark/benchmark.h>

#include "earth_pressure/earth_pressure.h"

namespace {

void BM_CoulombKa(benchmark::State& state) {
  float phi = 0.5235987f, beta = 0.2f, alpha = 0.1f, delta = 0.35f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ktv::CoulombKa(phi, beta, alpha, delta));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CoulombKa);

void BM_CoulombKae(benchmark::State& state) {
  float phi = 0.5235987f, beta = 0.1f, alpha = 0.1f, theta = 0.1974f, delta = 0.25f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ktv::CoulombKae(phi, alpha, beta, theta, delta));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CoulombKae);

}  // namespace
