// Common-point gathering (T_Co_New) and the appended result block (T_Co_Rotate), and the
// rotation result file (RotatePointFile), on generated point files of 10^4 to 10^6 lines:
// the time should grow linearly.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "transform/point_files.h"
#include "transform/rotation_transform.h"

namespace {

namespace fs = std::filesystem;

// An old file of n points with remarks (some Chinese) and a new file holding every
// tenth of them, shifted and listed in reverse, so most lookups miss nothing.
struct Files {
  std::string oldPath, newPath, newBytes;
};

Files Generate(long n) {
  const fs::path dir = fs::temp_directory_path() / ("vantrel_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  Files f{(dir / ("old_" + std::to_string(n))).string(), (dir / ("new_" + std::to_string(n))).string(), ""};
  std::ofstream old(f.oldPath, std::ios::binary | std::ios::trunc);
  char line[128];
  for (long i = 0; i < n; ++i) {
    std::snprintf(line, sizeof line, "P%ld %.3f %.3f %s\r\n", i, 3.0e6 + i * 0.731,
                  5.0e5 + i * 0.377, i % 3 ? "code" : "\xBD\xE7\xD7\xAE");  // 界桩
    old << line;
  }
  for (long i = n - 1; i >= 0; i -= 10) {
    std::snprintf(line, sizeof line, "P%ld %.3f %.3f\r\n", i, 3.0e6 + i * 0.731 + 100,
                  5.0e5 + i * 0.377 - 50);
    f.newBytes += line;
  }
  return f;
}

void BM_GatherAndRotate(benchmark::State& state) {
  const long n = state.range(0);
  const Files f = Generate(n);
  vantrel::TransformState s;
  s.TransParam = {100, -50, 1e-5, 2e-6};
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(f.newPath, std::ios::binary | std::ios::trunc) << f.newBytes;
    state.ResumeTiming();
    vantrel::T_Co_New(f.oldPath, f.newPath, "", "", s);
    benchmark::DoNotOptimize(s.CommonFound);
    vantrel::T_Co_Rotate(f.oldPath, f.newPath, s);
  }
  state.SetComplexityN(n);
  state.counters["common"] = s.CommonFound;
  fs::remove(f.oldPath);
  fs::remove(f.newPath);
}
BENCHMARK(BM_GatherAndRotate)
    ->Arg(10'000)->Arg(100'000)->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_RotatePointFile(benchmark::State& state) {
  const long n = state.range(0);
  const Files f = Generate(n);
  const std::string out = f.newPath + ".rotated";
  const vantrel::RotationCentres centres{3.0e6, 5.0e5, 3.1e6, 4.9e5, 0.3};
  std::string error;
  for (auto _ : state) {
    vantrel::RotatePointFile(f.oldPath, out, centres, "17.1108", {}, error);
  }
  state.SetComplexityN(n);
  fs::remove(f.oldPath);
  fs::remove(out);
}
BENCHMARK(BM_RotatePointFile)
    ->Arg(10'000)->Arg(100'000)->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
