#include "tandrel/tandrel.h"

#include <charconv>
#include <cmath>

#include "geodetic/ellipsoid.h"
#include "geodetic/gauss_kruger.h"
#include "plane/plane_helpers.h"
#include "tandrel/sentences.h"
#include "lambert_latitude.h"

namespace tandrel {

using namespace vantrel::rt;

namespace {

ModuleState g_module;
constexpr double kLambertPi = 3.14159265358979;
constexpr double kUtmScale = 0.9996;

// Field list stores into a caller's 1-based string array.
FieldStore ArrayStore(SafeArray& a) {
  return [&a](int32_t i, std::string_view text) {
    std::string* s = a.TextAt(i);
    if (!s) return false;
    s->assign(text);
    return true;
  };
}

vantrel::ComponentProjection Projection(const std::string& elli, double lo, double xxo, double yyo, double hho) {
  vantrel::Ellipsoid e = vantrel::Get_Earth(std::string_view(elli));
  return {lo, xxo, yyo, hho, e.a, e.e2};
}

void Forward(double& Xg, double& Yg, double phi, double lam, double lo, double xxo, double yyo, double hho,
             const std::string& elli) {
  auto p = Projection(elli, lo, xxo, yyo, hho);
  double h = 0, B = phi, L = lam, H = 0;
  vantrel::Sub4Component(p, Xg, Yg, h, B, L, H, 1, 2);
}

// Inverse projection; LO in radians, Phi and Rlam returned packed. Packing would read a
// latitude or longitude that is not finite back as 0, so that is a fault first.
void Inverse(double Xg, double Yg, double& Phi, double& Rlam, double lo, double xxo, double yyo, double hho,
             const std::string& elli) {
  auto p = Projection(elli, lo, xxo, yyo, hho);
  double h = 0, B = 0, L = 0, H = 0;
  vantrel::Sub4Component(p, Xg, Yg, h, B, L, H, 1, 1);
  RequireFinite(B, L);
  Phi = vantrel::Rad2dms_Buff_Component(B);
  Rlam = vantrel::Rad2dms_Buff_Component(L);
}

// Which pole a latitude names: +1 north, -1 south, 0 neither. Everything from the rounded
// quarter circle pi'/2 up to the double nearest 90 degrees is the pole, however the
// client wrote its right angle.
int Pole(double phi) {
  const double f = std::fabs(phi);
  if (f < kLambertPi / 2 || f > vantrel::kComponentPi.halfPi) return 0;
  return phi > 0 ? 1 : -1;
}

// Cone constants of the Lambert projection; false when they are not finite.
struct Lambert {
  double a, e, e2, n, K;
  double psi(double phi) const {
    double s = e * std::sin(phi);
    return std::log(std::tan(phi / 2 + kLambertPi / 4)) + (e / 2) * std::log((1 - s) / (1 + s));
  }
  double N(double phi) const { return a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi)); }
};

bool LambertSetup(const std::string& elli, double hho, double B1, double B2, Lambert& c) {
  vantrel::Ellipsoid el = vantrel::Get_Earth(std::string_view(elli));
  c.a = el.a + hho;
  c.e2 = el.e2;
  c.e = std::sqrt(el.e2);
  // A standard parallel at a pole defines no cone: its figures would be made of rounding.
  if (Pole(B1) != 0 || Pole(B2) != 0) return false;
  if (std::fabs(B2 - B1) < 1 / 360.0 / kLambertPi) {
    double p0 = (B1 + B2) / 2;
    c.n = std::sin(p0);
    c.K = std::pow(std::exp(1.0), c.n * c.psi(p0)) * c.N(p0) / std::tan(p0);
  } else {
    c.n = std::log(c.N(B1) * std::cos(B1) / (c.N(B2) * std::cos(B2))) / (c.psi(B2) - c.psi(B1));
    c.K = std::pow(std::exp(1.0), c.n * c.psi(B1)) * c.N(B1) * std::cos(B1) / c.n;
  }
  return std::isfinite(c.n) && std::isfinite(c.K) && c.n != 0;
}


class Tandrel final : public AutomationObject<Tandrel, ITandrel> {
 public:
  explicit Tandrel(ModuleState* m) : AutomationObject(m) {}

  bool CommPort_Avl(IDispatch* Obj1) override {
    if (!Obj1) return false;
    bool ok = true;
    auto get = [&](bool& v) {
      Variant r;
      if (Failed(Obj1->Get("PortOpen", r)) || Failed(r.ToBool(v))) ok = false;
    };
    auto put = [&](std::string_view name, Variant v) {
      if (Failed(Obj1->Put(name, std::move(v)))) ok = false;
    };
    bool open = false;
    get(open);
    if (ok && open) put("PortOpen", false);
    if (ok) get(open);
    if (ok && !open) {
      put("InputLen", int32_t(0));
      if (ok) put("PortOpen", true);
      if (ok) put("PortOpen", false);
    }
    if (!ok) Obj1->Put("PortOpen", false);  // leave the port closed whatever failed
    return ok;
  }
  bool GetAline_Ok(std::string& InBuff, std::string& Aline) override { return tandrel::GetAline_Ok(InBuff, Aline); }
  bool Read_GGA(std::string Aline, double& Obs_Sec, double& Phi, double& Lam, double& H, int32_t& Quality,
                int32_t& Sat_No, double& Hdop) override {
    return tandrel::Read_GGA(Aline, Obs_Sec, Phi, Lam, H, Quality, Sat_No, Hdop);
  }
  bool Read_GSN(std::string Aline, int32_t& Sat_No, int32_t& Ttt) override {
    return tandrel::Read_GSN(Aline, Sat_No, Ttt);
  }
  bool Read_VTG(std::string& Aline, double& Vx, double& Vy) override { return tandrel::Read_VTG(Aline, Vx, Vy); }
  bool Read_POS(std::string Aline, std::string& Aim_ShipNo, std::string& ShipNo, int32_t& SendPosInt) override {
    return tandrel::Read_POS(Aline, Aim_ShipNo, ShipNo, SendPosInt);
  }
  bool Read_MSG(std::string Aline, int32_t& n, SafeArray& InNum) override {
    return tandrel::Read_MSG(Aline, n, ArrayStore(InNum));
  }
  void GetBase(double& Phi1, double& Lam1, double& H1, double& Dx, double& Dy, double& Dz, double& X0, double& Y0,
               double& Z0, int32_t& Ier) override {
    Ier = 0;
    double X, Y, Z;
    vantrel::BLHXYZ(Phi1, Lam1, H1, X, Y, Z, vantrel::Get_Earth(std::string_view("84")));
    if (!std::isfinite(X) || !std::isfinite(Y) || !std::isfinite(Z)) {
      Ier = 1;
      return;
    }
    if (std::sqrt(X0 * X0 + Y0 * Y0 + Z0 * Z0) < 600000) X0 = X, Y0 = Y, Z0 = Z;
    Dx = X0 - X;
    Dy = Y0 - Y;
    Dz = Z0 - Z;
  }
  void GetRover(double& Phi1, double& Lam1, double& H1, double& Dx, double& Dy, double& Dz, double& Xg, double& Yg,
                int32_t& Ier) override {
    Ier = 0;
    double X, Y, Z;
    vantrel::BLHXYZ(Phi1, Lam1, H1, X, Y, Z, vantrel::Get_Earth(std::string_view("84")));
    X += Dx;
    Y += Dy;
    Z += Dz;
    double B, L, H;
    vantrel::xyzblh(B, L, H, X, Y, Z, vantrel::Get_Earth(std::string_view("54")), vantrel::kComponentPi);
    double x, y;
    Forward(x, y, B, L, 123 * vantrel::kComponentPi.pi / 180, 0, 0, 0, "54");
    if (!std::isfinite(x) || !std::isfinite(y)) {
      Ier = 1;
      return;
    }
    Xg = x;
    Yg = y;
  }
  void xyzblh(double& Phi, double& Lam, double& H, double& X, double& Y, double& Z, std::string& Elli) override {
    double B, L, h;
    vantrel::xyzblh(B, L, h, X, Y, Z, vantrel::Get_Earth(std::string_view(Elli)), vantrel::kComponentPi);
    RequireFinite(B, L, h);
    Phi = B, Lam = L, H = h;
  }
  void BLHXYZ(double& Phi, double& Lam, double& H, double& X, double& Y, double& Z, std::string& Elli) override {
    double x, y, z;
    vantrel::BLHXYZ(Phi, Lam, H, x, y, z, vantrel::Get_Earth(std::string_view(Elli)));
    RequireFinite(x, y, z);
    X = x, Y = y, Z = z;
  }
  void BL2XYg(double& Xg, double& Yg, double& Phi, double& Rlam, double& LO, double& XXO, double& YYO, double& HHO,
              std::string& Elli) override {
    double x, y;
    Forward(x, y, Phi, Rlam, LO, XXO, YYO, HHO, Elli);
    RequireFinite(x, y);
    Xg = x, Yg = y;
  }
  void XYg2BL(double Xg, double Yg, double& Phi, double& Rlam, double& LO, double& XXO, double& YYO, double& HHO,
              std::string& Elli) override {
    Inverse(Xg, Yg, Phi, Rlam, vantrel::Dms2Rad(LO, vantrel::kComponentPi), XXO, YYO, HHO, Elli);
  }
  void XYg2BL_UTM(double Xg, double Yg, double& Phi, double& Rlam, double LO, double XXO, double YYO, double HHO,
                  std::string Elli) override {
    UtmInverse(Xg, Yg, Phi, Rlam, vantrel::Dms2Rad(LO, vantrel::kComponentPi), XXO, YYO, HHO, Elli);
  }
  double Xy2az(double x1, double y1, double x2, double y2) override {
    return Finite(vantrel::Xy2az(x1, y1, x2, y2, vantrel::kComponentPi));
  }
  double Xy2d(double x1, double y1, double x2, double y2) override { return Finite(vantrel::Xy2d(x1, y1, x2, y2)); }
  double Dms2Rad(double Dms) override { return Finite(vantrel::Dms2Rad(Dms, vantrel::kComponentPi)); }
  double Rad2dms_Buff(double& Alf) override {
    RequireFinite(Alf);
    return Finite(vantrel::Rad2dms_Buff_Component(Alf));
  }
  bool GetAline_Babi(std::string& InBuff, std::string& Aline, int32_t& LorR, double& Water_H, double& Babi_H,
                     double& BT2CX, double& BT2XK) override {
    return tandrel::GetAline_Babi(InBuff, Aline, LorR, Water_H, Babi_H, BT2CX, BT2XK);
  }
  bool GetAline_DianLJ(std::string& InBuff, std::string& Aline, double& FWJ) override {
    return tandrel::GetAline_DianLJ(InBuff, Aline, FWJ);
  }
  bool GetAline_Command(std::string& InBuff, std::string& Aline) override {
    return tandrel::GetAline_Command(InBuff, Aline);
  }
  bool Read_Aline(std::string AlineIn, int32_t& n, SafeArray& InNum) override {
    int32_t stored = 0;
    auto store = [&](int32_t i, std::string_view t) {
      if (!ArrayStore(InNum)(i, t)) return false;
      stored = i;
      return true;
    };
    return tandrel::Read_Aline(AlineIn, n, store, [&] {
      for (int32_t i = 1; i <= stored; ++i) InNum.TextAt(i)->clear();
    });
  }
  bool MeanRMS(int32_t& n, SafeArray& InData, double& Rms, double& Mean, double& Delta) override {
    Mean = Rms = Delta = 0;
    if (n < 1) return false;
    double sum = 0, lo = 0, hi = 0;
    for (int32_t i = 1; i <= n; ++i) {
      const double* v = InData.DoubleAt(i);
      if (!v) return false;  // n larger than the array
      if (i == 1) lo = hi = *v;
      sum += *v;
      lo = std::min(lo, *v);
      hi = std::max(hi, *v);
    }
    const double mean = sum / n;
    double ss = 0;
    for (int32_t i = 1; i <= n; ++i) ss += (*InData.DoubleAt(i) - mean) * (*InData.DoubleAt(i) - mean);
    Mean = mean;
    Delta = hi - lo;
    Rms = n > 1 ? std::sqrt(ss / (n - 1)) : 0;
    return true;
  }
  bool GetBlank_Line_Ok(std::string& InBuff, std::string& Aline, std::string StartMsg, std::string EndMsg,
                        std::string FieldSep, bool Checksum, int32_t Checksum_Start, int32_t& n,
                        SafeArray& InNum) override {
    return tandrel::GetBlank_Line_Ok(InBuff, Aline, StartMsg, EndMsg, FieldSep, Checksum, Checksum_Start, n,
                                     ArrayStore(InNum));
  }
  void BL2XYg_UTM(double& Xg, double& Yg, double& Phi, double& Rlam, double& LO, double& XXO, double& YYO,
                  double& HHO, std::string& Elli) override {
    double x, y;
    Forward(x, y, Phi, Rlam, LO, XXO, YYO, HHO, Elli);
    const double fx = 1000 * XXO, fy = 1000 * YYO;
    const double xu = (x - fx) * kUtmScale + fx, yu = (y - fy) * kUtmScale + fy;
    RequireFinite(xu, yu);
    Xg = xu, Yg = yu;
  }
  bool BL2XYg_Lambert(double& Xg, double& Yg, double& Phi, double& Lam, double& LO, double B1, double B2,
                      double& XXO, double& YYO, double& HHO, std::string& Elli) override {
    Lambert c;
    if (!LambertSetup(Elli, HHO, B1, B2, c)) return false;
    double rho = 0;
    if (const int pole = Pole(Phi); pole != 0) {
      // The pole on the apex side is the apex itself; the other one lies at infinity.
      if ((pole > 0) != (c.n > 0)) return false;
    } else {
      rho = c.K * std::pow(std::exp(1.0), -c.n * c.psi(Phi));
    }
    const double theta = c.n * vantrel::ReduceLongitudeDifference(Lam - LO, vantrel::kComponentPi);
    const double x = rho * std::sin(theta) + 1000 * XXO, y = rho * std::cos(theta) + 1000 * YYO;
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    Xg = x;
    Yg = y;
    return true;
  }
  bool XYg2BL_Lambert(double& Xg, double& Yg, double& Phi, double& Lam, double& LO, double B1, double B2,
                      double& XXO, double& YYO, double& HHO, std::string& Elli) override {
    Lambert c;
    if (!LambertSetup(Elli, HHO, B1, B2, c)) return false;
    const double x = Xg - 1000 * XXO, y = Yg - 1000 * YYO;
    double lam = LO, ratio = 0;  // rho / K
    if (x == 0) {
      // On the central meridian theta = 0 and rho = y: the latitude comes from y alone.
      ratio = y / c.K;
    } else {
      if (y == 0) return false;
      lam = std::atan(x / y) / c.n + LO;
      const double s = std::sin(c.n * (lam - LO));
      if (s == 0) return false;
      ratio = x / c.K / s;
    }
    double phi = 0;
    if (ratio == 0) {
      // The apex: the pole on the cone's side.
      phi = c.n > 0 ? vantrel::kComponentPi.halfPi : -vantrel::kComponentPi.halfPi;
    } else {
      const double psi = -std::log(ratio) / c.n;
      if (!std::isfinite(psi)) return false;
      if (!detail::LambertLatitude(psi, c.e, phi)) return false;
    }
    Phi = phi;
    Lam = lam;
    return true;
  }

  static const DispatchTable<Tandrel>& Table() {
    static const DispatchTable<Tandrel> t = DispatchTable<Tandrel>()
        .Method("CommPort_Avl", &ITandrel::CommPort_Avl)
        .Method("GetAline_Ok", &ITandrel::GetAline_Ok)
        .Method("Read_GGA", &ITandrel::Read_GGA)
        .Method("Read_GSN", &ITandrel::Read_GSN)
        .Method("Read_VTG", &ITandrel::Read_VTG)
        .Method("Read_POS", &ITandrel::Read_POS)
        .Method("Read_MSG", &ITandrel::Read_MSG)
        .Method("GetBase", &ITandrel::GetBase)
        .Method("GetRover", &ITandrel::GetRover)
        .Method("xyzblh", &ITandrel::xyzblh)
        .Method("BLHXYZ", &ITandrel::BLHXYZ)
        .Method("BL2XYg", &ITandrel::BL2XYg)
        .Method("XYg2BL", &ITandrel::XYg2BL)
        .Method("XYg2BL_UTM", &ITandrel::XYg2BL_UTM)
        .Method("Xy2az", &ITandrel::Xy2az)
        .Method("Xy2d", &ITandrel::Xy2d)
        .Method("Dms2Rad", &ITandrel::Dms2Rad)
        .Method("Rad2dms_Buff", &ITandrel::Rad2dms_Buff)
        .Method("GetAline_Babi", &ITandrel::GetAline_Babi)
        .Method("GetAline_DianLJ", &ITandrel::GetAline_DianLJ)
        .Method("GetAline_Command", &ITandrel::GetAline_Command)
        .Method("Read_Aline", &ITandrel::Read_Aline)
        .Method("MeanRMS", &ITandrel::MeanRMS)
        .Method("GetBlank_Line_Ok", &ITandrel::GetBlank_Line_Ok)
        .Method("BL2XYg_UTM", &ITandrel::BL2XYg_UTM)
        .Method("BL2XYg_Lambert", &ITandrel::BL2XYg_Lambert)
        .Method("XYg2BL_Lambert", &ITandrel::XYg2BL_Lambert);
    return t;
  }
};

Ref<IUnknown> CreateForFactory(ModuleState& m) { return Ref<IUnknown>(MakeObject<Tandrel>(&m)); }

const ComponentClass kTandrelClass{kProgId, kClassId, "Tandrel GPS receiver component", &CreateForFactory};

}  // namespace

void UtmInverse(double Xg, double Yg, double& Phi, double& Rlam, double LO, double XXO,
                double YYO, double HHO, const std::string& Elli) {
  const double fx = 1000 * XXO, fy = 1000 * YYO;
  Inverse((Xg - fx) / kUtmScale + fx, (Yg - fy) / kUtmScale + fy, Phi, Rlam, LO, XXO, YYO, HHO, Elli);
}

bool detail::LambertLatitude(double psi, double e, double& phi, int maxRounds) {
  double p = 0;
  for (int round = 0; round < maxRounds; ++round) {
    const double es = e * std::sin(p);
    const double t = std::pow((1 - es) / (1 + es), -e / 2);
    const double next = 2 * std::atan(std::pow(std::exp(1.0), psi) * t) - 1.570796326794895;
    if (!std::isfinite(next)) return false;
    const bool done = std::fabs(next - p) < 1e-14;
    p = next;
    if (done) {
      phi = p;
      return true;
    }
  }
  return false;
}

Ref<ITandrel> CreateTandrel() { return Ref<ITandrel>(MakeObject<Tandrel>(&g_module)); }

}  // namespace tandrel

VANTREL_COMPONENT_ENTRY_POINTS(tandrel::kTandrelClass, tandrel::g_module)
