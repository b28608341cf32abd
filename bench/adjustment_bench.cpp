// Levelling networks on a square grid (lines to the right and downwards neighbours, corners
// known): the whole adjustment with every height's σ and every line's redundancy number.
#include <benchmark/benchmark.h>

#include "adjustment/levelling.h"
#include "adjustment/plane_network.h"
#include "tests/support/levelling_grid.h"
#include "tests/support/plane_grid.h"

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

// Plane networks on a jittered grid (direction sets and distances to every neighbour within
// 1.2 km, known points on the edge, approximate coordinates computed): the whole
// adjustment with every point's ellipse and every observation's redundancy number.
void BM_PlaneNetwork(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const auto grid = vantrel::test::MakePlaneGrid(side, 2024u, true);
  for (auto _ : state) {
    const auto result = vantrel::adjustment::AdjustPlaneNetwork(grid.network, grid.options);
    if (!result.ok) state.SkipWithError(result.error.c_str());
    benchmark::DoNotOptimize(result.sigma0);
  }
  state.counters["points"] = static_cast<double>(grid.network.points.size());
  state.counters["observations"] = static_cast<double>(grid.network.observations.size());
}
BENCHMARK(BM_PlaneNetwork)->Arg(10)->Arg(32)->Arg(100)->Arg(317)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
