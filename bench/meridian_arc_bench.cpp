// The meridian-arc dialog's computation: one million rectangle steps in the button handler.
// Target: well under 10 ms per press.
#include <benchmark/benchmark.h>

#include "geodetic/ellipsoid.h"
#include "geodetic/geodetic_quantities.h"

#ifdef VANTREL_BENCH_DIALOG
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs/platform/services.h"
#include "geodetic/ui/quantity_frms.h"
#endif

namespace {

void BM_MeridianArcRoutine(benchmark::State& state) {
  const double B1 = vantrel::Dms2Rad(0), B2 = vantrel::Dms2Rad(1);
  for (auto _ : state) {
    double S = 0;
    vantrel::MArcLen_cal(B1, B2, vantrel::kEllipsoid54.a, vantrel::kEllipsoid54.e2, S);
    benchmark::DoNotOptimize(S);
  }
}
BENCHMARK(BM_MeridianArcRoutine)->Unit(benchmark::kMillisecond);

#ifdef VANTREL_BENCH_DIALOG
void BM_MeridianArcDialogPress(benchmark::State& state) {
  vantrel::AppState app;
  vantrel::FakeServices fakes;
  vantrel::MArcLenFrm dialog(app, fakes.services());
  dialog.findChild<QLineEdit*>("Text1")->setText("0");
  dialog.findChild<QLineEdit*>("Text2")->setText("1");
  QPushButton* compute = dialog.findChild<QPushButton*>("Radius_cal");
  for (auto _ : state) compute->click();
}
BENCHMARK(BM_MeridianArcDialogPress)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef VANTREL_BENCH_DIALOG
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
#endif
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
