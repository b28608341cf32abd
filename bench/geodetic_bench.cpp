// Geodetic routines timed beside PROJ on the same points (PROJ only when it was found).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "geodetic/ellipsoid.h"
#include "geodetic/gauss_kruger.h"
#include "geodetic/geodetic_quantities.h"

#ifdef VANTREL_HAVE_PROJ
#include <proj.h>
#endif

namespace {

using namespace vantrel;

struct Point {
  double B, L, H, X, Y, Z;
};

// 32 x 32 points, 20..50 N and within 3 degrees of the central meridian 120 E.
const std::vector<Point>& Points() {
  static const std::vector<Point> points = [] {
    std::vector<Point> p;
    for (int i = 0; i < 32; ++i)
      for (int j = 0; j < 32; ++j) {
        Point q{};
        q.B = (20 + 30.0 * i / 31) * kPi / 180;
        q.L = (117 + 6.0 * j / 31) * kPi / 180;
        q.H = 50 + 10 * j;
        BLHXYZ(q.B, q.L, q.H, q.X, q.Y, q.Z, kEllipsoid54);
        p.push_back(q);
      }
    return p;
  }();
  return points;
}

ProjectionState State() {
  ProjectionState s;
  s.SetEllipsoid(kEllipsoid54);
  s.CentralMeridian = 120 * kPi / 180;
  s.GeoidUndulation = 30;
  s.PlaneHeight = 200;
  return s;
}

void BM_Sub4ForwardNoLift(benchmark::State& st) {
  ProjectionState s = State();
  for (auto _ : st)
    for (Point p : Points()) {
      double x, y, h;
      Sub4(s, x, y, h, p.B, p.L, p.H, 0, 2);
      benchmark::DoNotOptimize(x + y);
    }
  st.SetItemsProcessed(st.iterations() * Points().size());
}
BENCHMARK(BM_Sub4ForwardNoLift);

// range(0) 1: the state's plane height and anomaly (lifted); 0: both 0, the dialog's
// defaults, where nothing is lifted.
ProjectionState StateFor(const benchmark::State& st) {
  ProjectionState s = State();
  if (st.range(0) == 0) s.GeoidUndulation = s.PlaneHeight = 0;
  return s;
}

void BM_BL2XYg(benchmark::State& st) {
  ProjectionState s = StateFor(st);
  for (auto _ : st)
    for (Point p : Points()) {
      double x, y, h;
      BL2XYg(s, x, y, h, p.B, p.L, p.H);
      benchmark::DoNotOptimize(x + y);
    }
  st.SetItemsProcessed(st.iterations() * Points().size());
}
BENCHMARK(BM_BL2XYg)->ArgName("lifted")->Arg(1)->Arg(0);

void BM_XYg2BL(benchmark::State& st) {
  ProjectionState s = StateFor(st);
  std::vector<double> xs, ys;
  for (Point p : Points()) {
    double x, y, h;
    BL2XYg(s, x, y, h, p.B, p.L, p.H);
    xs.push_back(x);
    ys.push_back(y);
  }
  for (auto _ : st)
    for (size_t i = 0; i < xs.size(); ++i) {
      double x = xs[i], y = ys[i], h = 0, B, L, H;
      XYg2BL(s, x, y, h, B, L, H);
      benchmark::DoNotOptimize(B + L);
    }
  st.SetItemsProcessed(st.iterations() * xs.size());
}
BENCHMARK(BM_XYg2BL)->ArgName("lifted")->Arg(1)->Arg(0);

void BM_xyzblh(benchmark::State& st) {
  for (auto _ : st)
    for (const Point& p : Points()) {
      double B, L, H;
      xyzblh(B, L, H, p.X, p.Y, p.Z, kEllipsoid54);
      benchmark::DoNotOptimize(B + L + H);
    }
  st.SetItemsProcessed(st.iterations() * Points().size());
}
BENCHMARK(BM_xyzblh);

void BM_MArcLenOneMillionSteps(benchmark::State& st) {
  const double B1 = 0, B2 = 45 * kPi / 180, a = kEllipsoid54.a, e2 = kEllipsoid54.e2;
  for (auto _ : st) {
    double S;
    MArcLen_cal(B1, B2, a, e2, S);
    benchmark::DoNotOptimize(S);
  }
}
BENCHMARK(BM_MArcLenOneMillionSteps)->Unit(benchmark::kMillisecond);

#ifdef VANTREL_HAVE_PROJ
void BM_ProjTmercForward(benchmark::State& st) {
  PJ* P = proj_create(PJ_DEFAULT_CTX, "+proj=tmerc +lat_0=0 +lon_0=120 +k=1 +x_0=0 +y_0=0 +ellps=krass");
  if (P == nullptr) {
    st.SkipWithError("PROJ tmerc not available");
    return;
  }
  for (auto _ : st)
    for (const Point& p : Points()) {
      PJ_COORD c = proj_trans(P, PJ_FWD, proj_coord(p.L, p.B, 0, 0));
      benchmark::DoNotOptimize(c.xy.x + c.xy.y);
    }
  st.SetItemsProcessed(st.iterations() * Points().size());
  proj_destroy(P);
}
BENCHMARK(BM_ProjTmercForward);

// The inverse on the plane points of the same set (projected without lift by PROJ itself).
void BM_ProjTmercInverse(benchmark::State& st) {
  PJ* P = proj_create(PJ_DEFAULT_CTX, "+proj=tmerc +lat_0=0 +lon_0=120 +k=1 +x_0=0 +y_0=0 +ellps=krass");
  if (P == nullptr) {
    st.SkipWithError("PROJ tmerc not available");
    return;
  }
  std::vector<PJ_COORD> plane;
  for (const Point& p : Points()) plane.push_back(proj_trans(P, PJ_FWD, proj_coord(p.L, p.B, 0, 0)));
  for (auto _ : st)
    for (const PJ_COORD& c : plane) {
      PJ_COORD g = proj_trans(P, PJ_INV, c);
      benchmark::DoNotOptimize(g.lp.lam + g.lp.phi);
    }
  st.SetItemsProcessed(st.iterations() * plane.size());
  proj_destroy(P);
}
BENCHMARK(BM_ProjTmercInverse);

void BM_ProjGeocentricInverse(benchmark::State& st) {
  PJ* P = proj_create(PJ_DEFAULT_CTX, "+proj=cart +ellps=krass");
  if (P == nullptr) {
    st.SkipWithError("PROJ cart not available");
    return;
  }
  for (auto _ : st)
    for (const Point& p : Points()) {
      PJ_COORD c = proj_trans(P, PJ_INV, proj_coord(p.X, p.Y, p.Z, 0));
      benchmark::DoNotOptimize(c.lpz.lam + c.lpz.phi + c.lpz.z);
    }
  st.SetItemsProcessed(st.iterations() * Points().size());
  proj_destroy(P);
}
BENCHMARK(BM_ProjGeocentricInverse);
#endif

}  // namespace

BENCHMARK_MAIN();
