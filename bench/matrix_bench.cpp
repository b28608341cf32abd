// INVERS solving and inverting (job 3) at the calculator's smallest and largest orders.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "transform/matrix_inversion.h"

namespace {

// Packed G*G^T + N*I: symmetric positive definite and well conditioned.
std::vector<double> PackedSpd(int n) {
  std::mt19937 gen(12345u + n);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> g(static_cast<std::size_t>(n) * n);
  for (double& x : g) x = u(gen);
  std::vector<double> packed;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j <= i; ++j) {
      double s = i == j ? n : 0.0;
      for (int k = 0; k < n; ++k) s += g[i * n + k] * g[j * n + k];
      packed.push_back(s);
    }
  return packed;
}

void BM_InversSolveInvert(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> a0 = PackedSpd(n);
  const std::vector<double> b0(n, 1.0);
  std::vector<double> a(a0.size());
  std::vector<double> b(b0.size());
  int ier = 0;
  for (auto _ : state) {
    a = a0;
    b = b0;
    vantrel::INVERS(a.data(), b.data(), 3, n, ier);
    benchmark::DoNotOptimize(a.data());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  if (ier != 0) state.SkipWithError("INVERS rejected the matrix");
}
BENCHMARK(BM_InversSolveInvert)->Arg(4)->Arg(60);

}  // namespace

BENCHMARK_MAIN();
