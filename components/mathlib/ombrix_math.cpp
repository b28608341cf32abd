#include "components/mathlib/ombrix_math.h"

#include <cmath>

#include "geodetic/ellipsoid.h"
#include "geodetic/gauss_kruger.h"
#include "plane/plane_helpers.h"
#include "transform/matrix_inversion.h"

namespace vantrel::ombrix {

using rt::Finite;
using rt::RequireFinite;

void xyzblh(double& Phi, double& Lam, double& h, double X, double Y, double Z,
            const std::string& Elli) {
  const Ellipsoid ell = vantrel::Get_Earth(std::string_view(Elli));
  double B = 0, L = 0, H = 0;
  vantrel::xyzblh(B, L, H, X, Y, Z, ell, kComponentPi);
  RequireFinite(B, L, H);
  Phi = Rad2dms_Buff_Component(B);
  Lam = Rad2dms_Buff_Component(L);
  h = H;
}

void BLHXYZ(double Phi, double Lam, double h, double& X, double& Y, double& Z,
            const std::string& Elli) {
  const double B = vantrel::Dms2Rad(Phi, kComponentPi);
  const double L = vantrel::Dms2Rad(Lam, kComponentPi);
  const Ellipsoid ell = vantrel::Get_Earth(std::string_view(Elli));
  double x, y, z;
  vantrel::BLHXYZ(B, L, h, x, y, z, ell);
  RequireFinite(x, y, z);
  X = x;
  Y = y;
  Z = z;
}

void Get_Earth(const std::string& Elli, double& a, double& E2) {
  const Ellipsoid ell = vantrel::Get_Earth(std::string_view(Elli));
  a = ell.a;
  E2 = ell.e2;
}

void BL2XYg(double& Xg, double& Yg, double Phi, double Rlam, double LO, double XXO, double YYO,
            double HHO, const std::string& Elli) {
  double B = vantrel::Dms2Rad(Phi, kComponentPi);
  double L = vantrel::Dms2Rad(Rlam, kComponentPi);
  const Ellipsoid ell = vantrel::Get_Earth(std::string_view(Elli));
  ComponentProjection p{vantrel::Dms2Rad(LO, kComponentPi), XXO, YYO, HHO, ell.a, ell.e2};
  double x = 0, y = 0, h = 0, H = 0;
  Sub4Component(p, x, y, h, B, L, H, 1, 2);
  RequireFinite(x, y);
  Xg = x;
  Yg = y;
}

void XYg2BL(double Xg, double Yg, double& Phi, double& Rlam, double LO, double XXO, double YYO,
            double HHO, const std::string& Elli) {
  const Ellipsoid ell = vantrel::Get_Earth(std::string_view(Elli));
  ComponentProjection p{vantrel::Dms2Rad(LO, kComponentPi), XXO, YYO, HHO, ell.a, ell.e2};
  double x = Xg, y = Yg, h = 0, B = 0, L = 0, H = 0;
  Sub4Component(p, x, y, h, B, L, H, 1, 1);
  RequireFinite(B, L);
  Phi = Rad2dms_Buff_Component(B);
  Rlam = Rad2dms_Buff_Component(L);
}

int ij2n(int i, int j) {
  const auto pos = ij2n_checked(i, j);
  if (!pos) throw OmbrixFault(rt::kOverflow, "Overflow");
  return *pos;
}

double Datan2(double Y, double X) { return Finite(vantrel::Datan2(Y, X, kComponentPi)); }

double Dms2Rad(double Dms) { return Finite(vantrel::Dms2Rad(Dms, kComponentPi)); }

double Rad2dms_Buff(double& Alf) {
  RequireFinite(Alf);
  return Rad2dms_Buff_Component(Alf);
}

double Xy2az(double x1, double y1, double x2, double y2) {
  return Finite(vantrel::Xy2az(x1, y1, x2, y2, kComponentPi));
}

double Xy2d(double x1, double y1, double x2, double y2) {
  return Finite(vantrel::Xy2d(x1, y1, x2, y2));
}

bool Rotation_Mat(int N, double Alf, const MatrixWriter& R, const MessageHandler& onMessage) {
  if (N < 1 || N > 3) {
    if (onMessage) onMessage(kAxisMessage);
    return false;
  }
  const double c = std::cos(Alf), s = std::sin(Alf);
  double m[3][3] = {};
  switch (N) {
    case 1: m[0][0] = 1; m[1][1] = c; m[1][2] = -s; m[2][1] = s; m[2][2] = c; break;
    case 2: m[0][0] = c; m[0][2] = s; m[1][1] = 1; m[2][0] = -s; m[2][2] = c; break;
    default: m[0][0] = c; m[0][1] = -s; m[1][0] = s; m[1][1] = c; m[2][2] = 1; break;
  }
  // Row by row; a target that refuses an element ends the method, earlier ones stay.
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (!R(i + 1, j + 1, m[i][j])) return false;
  return true;
}

bool Tube2Loc(double /*X0*/, double /*Y0*/, double /*Z0*/, double Alf, double Bata, double Gama,
              double& X_Loc, double& Y_Loc, double& h_Loc, double X_Tube, double Y_Tube,
              double h_Tube, const RotationCall& rotation) {
  double R1[3][3] = {}, R2[3][3] = {}, R3[3][3] = {};
  if (!rotation(1, Alf, R1) || !rotation(2, Bata, R2) || !rotation(1, Gama, R3)) return false;
  double T[3][3] = {}, F[3][3] = {};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) T[i][j] += R2[i][k] * R3[k][j];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) F[i][j] += R1[i][k] * T[k][j];
  const double v[3] = {X_Tube, Y_Tube, h_Tube};
  double r[3] = {};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r[i] += F[i][j] * v[j];
  for (double x : r)
    if (!std::isfinite(x)) return false;
  X_Loc = r[0];
  Y_Loc = r[1];
  h_Loc = r[2];
  return true;
}

}  // namespace vantrel::ombrix
