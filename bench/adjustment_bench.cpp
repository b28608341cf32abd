// Levelling networks on a square grid (lines to the right and downwards neighbours, corners
// known): the whole adjustment with every height's σ and every line's redundancy number.
#include <benchmark/benchmark.h>

#include "adjustment/levelling.h"
#include "tests/support/levelling_grid.h"

namespace {

void BM_LevellingNetwork(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const auto grid = vantrel::test::MakeLevellingGrid(side, 2024u, true);
  for (auto _ : state) {
    const auto result = vantrel::adjustment::AdjustLevelling(grid.points, grid.lines);
    if (!result.ok) state.SkipWithError(result.error.c_str());
    benchmark::DoNotOptimize(result.sigma0);
  }
  state.counters["points"] = static_cast<double>(grid.points.size());
  state.counters["lines"] = static_cast<double>(grid.lines.size());
}
// 10^2, 10^3, 10^4 and 10^5 points.
BENCHMARK(BM_LevellingNetwork)->Arg(10)->Arg(32)->Arg(100)->Arg(317)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
