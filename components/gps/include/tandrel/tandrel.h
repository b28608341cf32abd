#pragma once
// Tandrel: the GPS receiver component. One class, programmatic identifier
// "Tandrel.Tandrel", with 27 methods in its interface order. Every method works only on
// its arguments; failures come back through results, Ier and zeroed outputs, never as a
// message. Angles are radians unless a method says packed degrees (D.MMSS).
//
// The methods without a boolean result or Ier (xyzblh, BLHXYZ, BL2XYg, XYg2BL, XYg2BL_UTM,
// BL2XYg_UTM, Xy2az, Xy2d, Dms2Rad, Rad2dms_Buff) fail when their arithmetic leaves the
// finite range (an inf or NaN anywhere in their results, or given to Rad2dms_Buff): by
// name the call returns kOverflow; through this typed interface the method throws
// vantrel::rt::Fault with code kOverflow. Either way the outputs keep what they held.
//
// Longitudes may be signed or in [0, 2pi) (packed: [0, 360)), the central meridian too:
// the forward methods take L - LO into (-pi, pi], so the inverse methods' longitudes go
// straight back in. The Lambert methods put the pole on the cone's apex side at the apex
// and refuse the other pole and standard parallels at a pole; XYg2BL_Lambert inverts a
// point on the central meridian (Lam = LO, the latitude from Yg alone).
//
// Units chosen where the description leaves them open:
//  * GetBase and GetRover take Phi1 and Lam1 in radians, as Read_GGA delivers them, and
//    GetRover projects with the central meridian 123 degrees given in radians.
//  * Read_POS returns Aim_ShipNo and ShipNo always empty (only SendPosInt is read).
//  * XYg2BL_Lambert gives up after 100 latitude rounds and returns false.
#include <cstdint>
#include <string>

#include "vantrel/runtime.h"

namespace tandrel {

using vantrel::rt::IDispatch;
using vantrel::rt::SafeArray;

inline constexpr const char* kProgId = "Tandrel.Tandrel";
inline constexpr const char* kClassId = "{6B3E2A41-7C1D-4E8F-9A25-3D0C5B7E1F64}";

// The typed side of the class's dual interface.
class ITandrel : public IDispatch {
 public:
  static constexpr vantrel::rt::Iid kIid = "Tandrel.ITandrel";

  virtual bool CommPort_Avl(IDispatch* Obj1) = 0;
  virtual bool GetAline_Ok(std::string& InBuff, std::string& Aline) = 0;
  virtual bool Read_GGA(std::string Aline, double& Obs_Sec, double& Phi, double& Lam, double& H,
                        int32_t& Quality, int32_t& Sat_No, double& Hdop) = 0;
  virtual bool Read_GSN(std::string Aline, int32_t& Sat_No, int32_t& Ttt) = 0;
  virtual bool Read_VTG(std::string& Aline, double& Vx, double& Vy) = 0;
  virtual bool Read_POS(std::string Aline, std::string& Aim_ShipNo, std::string& ShipNo,
                        int32_t& SendPosInt) = 0;
  virtual bool Read_MSG(std::string Aline, int32_t& n, SafeArray& InNum) = 0;
  virtual void GetBase(double& Phi1, double& Lam1, double& H1, double& Dx, double& Dy, double& Dz, double& X0,
                       double& Y0, double& Z0, int32_t& Ier) = 0;
  virtual void GetRover(double& Phi1, double& Lam1, double& H1, double& Dx, double& Dy, double& Dz,
                        double& Xg, double& Yg, int32_t& Ier) = 0;
  virtual void xyzblh(double& Phi, double& Lam, double& H, double& X, double& Y, double& Z,
                      std::string& Elli) = 0;
  virtual void BLHXYZ(double& Phi, double& Lam, double& H, double& X, double& Y, double& Z,
                      std::string& Elli) = 0;
  virtual void BL2XYg(double& Xg, double& Yg, double& Phi, double& Rlam, double& LO, double& XXO, double& YYO,
                      double& HHO, std::string& Elli) = 0;
  // LO in packed degrees; Phi and Rlam come back in packed degrees.
  virtual void XYg2BL(double Xg, double Yg, double& Phi, double& Rlam, double& LO, double& XXO, double& YYO,
                      double& HHO, std::string& Elli) = 0;
  virtual void XYg2BL_UTM(double Xg, double Yg, double& Phi, double& Rlam, double LO, double XXO, double YYO,
                          double HHO, std::string Elli) = 0;
  virtual double Xy2az(double x1, double y1, double x2, double y2) = 0;
  virtual double Xy2d(double x1, double y1, double x2, double y2) = 0;
  virtual double Dms2Rad(double Dms) = 0;
  virtual double Rad2dms_Buff(double& Alf) = 0;
  virtual bool GetAline_Babi(std::string& InBuff, std::string& Aline, int32_t& LorR, double& Water_H,
                             double& Babi_H, double& BT2CX, double& BT2XK) = 0;
  virtual bool GetAline_DianLJ(std::string& InBuff, std::string& Aline, double& FWJ) = 0;
  virtual bool GetAline_Command(std::string& InBuff, std::string& Aline) = 0;
  virtual bool Read_Aline(std::string AlineIn, int32_t& n, SafeArray& InNum) = 0;
  virtual bool MeanRMS(int32_t& n, SafeArray& InData, double& Rms, double& Mean, double& Delta) = 0;
  virtual bool GetBlank_Line_Ok(std::string& InBuff, std::string& Aline, std::string StartMsg,
                                std::string EndMsg, std::string FieldSep, bool Checksum,
                                int32_t Checksum_Start, int32_t& n, SafeArray& InNum) = 0;
  virtual void BL2XYg_UTM(double& Xg, double& Yg, double& Phi, double& Rlam, double& LO, double& XXO,
                          double& YYO, double& HHO, std::string& Elli) = 0;
  virtual bool BL2XYg_Lambert(double& Xg, double& Yg, double& Phi, double& Lam, double& LO, double B1,
                              double B2, double& XXO, double& YYO, double& HHO, std::string& Elli) = 0;
  virtual bool XYg2BL_Lambert(double& Xg, double& Yg, double& Phi, double& Lam, double& LO, double B1,
                              double B2, double& XXO, double& YYO, double& HHO, std::string& Elli) = 0;
};

// A new Tandrel object linked in directly (clients may also create it by progid).
vantrel::rt::Ref<ITandrel> CreateTandrel();

// XYg2BL_UTM with LO in radians: the method reads its packed LO with the component's pi and
// calls this, so a caller that holds the meridian in radians gets the method's very bits.
// Fails as the method does (vantrel::rt::Fault, kOverflow).
void UtmInverse(double Xg, double Yg, double& Phi, double& Rlam, double LO, double XXO,
                double YYO, double HHO, const std::string& Elli);

}  // namespace tandrel
