/* A plain C client of Pirrow and Nadrix, linked against the libraries. Built in the tree
 * and again against an installed copy. Exit status 0 when every check holds. */
#include <math.h>
#include <stdint.h>
#include <stdio.h>

#include "nadrix.h"
#include "pirrow.h"

static int failures = 0;

static void check(int ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

int main(void) {
  const double deg = 3.14159265358979323846 / 180;
  const double a = 6378245, e2 = 0.006693421622966;
  double B = 0, A = 0, N, M, R, RA;
  Radius_Cal(&B, &A, &a, &e2, &N, &M, &R, &RA);
  check(N == a, "Radius_Cal N = a at the equator");
  check(fabs(M - a * (1 - e2)) < 1e-6, "Radius_Cal M = a(1-e2) at the equator");
  check(RA == M, "Radius_Cal RA = M at azimuth 0");

  double b1 = 0, b2 = 1 * deg, S = 0, back = 0;
  MArcLen_cal(&b1, &b2, &a, &e2, &S);
  MArcLen_cal(&b2, &b1, &a, &e2, &back);
  check(fabs(S - 110576.3676) < 1e-4, "MArcLen_cal over one degree");
  check(fabs(S + back) < 1e-3, "MArcLen_cal reversed");
  MArcLen_cal(&b1, &b1, &a, &e2, &S);
  check(S == 0, "MArcLen_cal with B1 = B2");

  double l = 1 * deg;
  NArcLen_cal(&B, &l, &a, &e2, &S);
  check(fabs(S - 111321.3757) < 1e-4, "NArcLen_cal at the equator");

  int32_t xi = 3;
  double eta = 0, az = 90 * deg, z = 45 * deg, H = 0, dist = 0, du, dh, dg;
  Three_Cor_cal(&xi, &eta, &az, &z, &B, &B, &H, &dist, &du, &dh, &dg);
  check(fabs(du - 3) < 1e-12, "Three_Cor_cal du = 3 at z = 45 degrees");

  double m[1] = {4}, rhs[1] = {2};
  int32_t job = 3, n = 1, ier = -1;
  inv(m, rhs, &job, &n, &ier);
  check(ier == 0 && m[0] == 0.25 && rhs[0] == 0.5, "inv N = 1, job 3");
  job = 0;
  m[0] = 4;
  inv(m, rhs, &job, &n, &ier);
  check(ier == 129 && m[0] == 4, "inv job 0 gives 129");
  {
    double sing[3] = {1, 1, 1}, r2[2] = {1, 1};
    int32_t two = 2;
    job = 1;
    inv(sing, r2, &job, &two, &ier);
    check(ier == 130, "inv singular gives 130");
  }

  if (failures == 0) printf("c client: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
