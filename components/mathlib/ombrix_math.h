#pragma once
// The survey mathematics behind the Ombrix methods, on plain C++ types. The component
// class adapts these to its variants; faults come back as OmbrixFault.
#include <functional>
#include <string>

#include "common/messages.h"
#include "vantrel/runtime/fault.h"

namespace vantrel::ombrix {

// A runtime fault the method cannot handle itself: the client sees a failing call with
// the fault's code (the same fault type as every component's).
using OmbrixFault = rt::Fault;

// Packed degrees at the boundary wherever the interface says so; pi is 4*atan(1). A
// result that is not finite throws OmbrixFault(kOverflow) and leaves the outputs alone.
void xyzblh(double& Phi, double& Lam, double& h, double X, double Y, double Z,
            const std::string& Elli);
void BLHXYZ(double Phi, double Lam, double h, double& X, double& Y, double& Z,
            const std::string& Elli);
void Get_Earth(const std::string& Elli, double& a, double& E2);
void BL2XYg(double& Xg, double& Yg, double Phi, double Rlam, double LO, double XXO, double YYO,
            double HHO, const std::string& Elli);
void XYg2BL(double Xg, double Yg, double& Phi, double& Rlam, double LO, double XXO, double YYO,
            double HHO, const std::string& Elli);

// Throws OmbrixFault(kOverflow) when p(p-1) leaves 32-bit range.
int ij2n(int i, int j);

double Datan2(double Y, double X);
double Dms2Rad(double Dms);
// Rewrites Alf as the routine always has: |Alf| plus a ten-millionth of an arc second.
double Rad2dms_Buff(double& Alf);
double Xy2az(double x1, double y1, double x2, double y2);
double Xy2d(double x1, double y1, double x2, double y2);

// Where Rotation_Mat writes: element (i, j), 1-based; false when the target cannot
// take it (the method then stops with false).
using MatrixWriter = std::function<bool(int i, int j, double v)>;

inline constexpr const char* kAxisMessage = "轴号只能是1,2,3中的一个。";

// N = 1, 2, 3: rotation about that axis by Alf, written row by row; any other N shows
// kAxisMessage through onMessage and writes nothing.
bool Rotation_Mat(int N, double Alf, const MatrixWriter& R, const MessageHandler& onMessage);

// How Tube2Loc reaches Rotation_Mat: through the component's own interface.
using RotationCall = std::function<bool(int N, double Alf, double (&R)[3][3])>;

// F = R1(Alf) * (R2(Bata) * R1(Gama)); local = F * tube. Outputs only on success.
// The origin (X0, Y0, Z0) is accepted and not used.
bool Tube2Loc(double X0, double Y0, double Z0, double Alf, double Bata, double Gama,
              double& X_Loc, double& Y_Loc, double& h_Loc, double X_Tube, double Y_Tube,
              double h_Tube, const RotationCall& rotation);

}  // namespace vantrel::ombrix
