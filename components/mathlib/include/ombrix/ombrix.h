#pragma once
// Ombrix: the survey mathematics component. Its one class (programmatic identifier
// "Ombrix.Ombrix") implements _Ombrix, callable through this typed interface or by name.
// Every method returns an HResult; functions give their value through the last argument.
// Angles marked packed are D.MMSS; the rest radians. Elli: "80", "84", else the 1954 one.
#include <cstdint>
#include <string>

#include "vantrel/runtime.h"

namespace vantrel::ombrix {

inline constexpr const char* kProgId = "Ombrix.Ombrix";
inline constexpr const char* kClsid = "{6F1D2A40-7B3C-4E59-9A1E-0C4B8E3D5A21}";
inline constexpr const char* kLibid = "{6F1D2A41-7B3C-4E59-9A1E-0C4B8E3D5A21}";
// The default title of the component's messages.
inline constexpr const char* kMessageTitle = "Ombrix";

class _Ombrix : public rt::IDispatch {
 public:
  static constexpr rt::Iid kIid = "{6F1D2A42-7B3C-4E59-9A1E-0C4B8E3D5A21}";

  virtual rt::HResult xyzblh(double& Phi, double& Lam, double& h, double& X, double& Y,
                             double& Z, std::string& Elli) = 0;
  virtual rt::HResult BLHXYZ(double& Phi, double& Lam, double& h, double& X, double& Y,
                             double& Z, std::string& Elli) = 0;
  virtual rt::HResult Get_Earth(std::string& Elli, double& a, double& E2) = 0;
  virtual rt::HResult BL2XYg(double& Xg, double& Yg, double& Phi, double& Rlam, double& LO,
                             double& XXO, double& YYO, double& HHO, std::string& Elli) = 0;
  virtual rt::HResult XYg2BL(double& Xg, double& Yg, double& Phi, double& Rlam, double& LO,
                             double& XXO, double& YYO, double& HHO, std::string& Elli) = 0;
  // kOverflow when p(p-1) leaves 32-bit range.
  virtual rt::HResult ij2n(int32_t& i, int32_t& j, int32_t& result) = 0;
  // a and B: variants holding one-dimensional arrays of doubles, packed as ij2n indexes.
  virtual rt::HResult INVERS(rt::Variant& a, rt::Variant& B, int32_t& ijob, int32_t& N,
                             rt::Variant& Ier) = 0;
  virtual rt::HResult Datan2(double& Y, double& X, double& result) = 0;
  virtual rt::HResult Dms2Rad(double& Dms, double& result) = 0;
  virtual rt::HResult Rad2dms_Buff(double& Alf, double& result) = 0;
  virtual rt::HResult Xy2az(double& x1, double& y1, double& x2, double& y2, double& result) = 0;
  virtual rt::HResult Xy2d(double& x1, double& y1, double& x2, double& y2, double& result) = 0;
  virtual rt::HResult Tube2Loc(double& X0, double& Y0, double& Z0, double& Alf, double& Bata,
                               double& Gama, double& X_Loc, double& Y_Loc, double& h_Loc,
                               double X_Tube, double Y_Tube, double h_Tube, bool& result) = 0;
  // R: a two-dimensional array of doubles covering 1..3 in both dimensions.
  virtual rt::HResult Rotation_Mat(int32_t N, double Alf, rt::SafeArray& R, bool& result) = 0;
};

// A new Ombrix object without going through registration (for programs that link it).
__attribute__((visibility("default"))) rt::Ref<_Ombrix> CreateOmbrix();

}  // namespace vantrel::ombrix
