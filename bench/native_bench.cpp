// Per-call cost of the native exports: inv at the largest order the calculator uses (60)
// and the 100000-step meridian arc, called through the shared libraries.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "nadrix.h"
#include "pirrow.h"

namespace {

void BM_inv_N60(benchmark::State& state) {
  const int32_t n = 60;
  std::vector<double> packed;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= i; ++j) packed.push_back(i == j ? 100.0 + i : 1.0 / (i + j));
  std::vector<double> rhs(n, 1.0);
  const int32_t job = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    auto a = packed;
    auto b = rhs;
    int32_t ier = -1;
    inv(a.data(), b.data(), &job, &n, &ier);
    benchmark::DoNotOptimize(a.data());
    benchmark::DoNotOptimize(ier);
  }
}
BENCHMARK(BM_inv_N60)->Arg(1)->Arg(3)->ArgName("job");

void BM_MArcLen_cal(benchmark::State& state) {
  const double b1 = 0.1, b2 = 0.9, a = 6378245, e2 = 0.006693421622966;
  for (auto _ : state) {
    double s = 0;
    MArcLen_cal(&b1, &b2, &a, &e2, &s);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_MArcLen_cal)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
