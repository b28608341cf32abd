// Tandrel as its clients see it: registered, created by its programmatic identifier and
// called by name with variants; and the port test against fakes, a pseudo-terminal and
// paths that are no port.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "sentence_helpers.h"
#include "tandrel/serial_port.h"
#include "tandrel/tandrel.h"

namespace rt = vantrel::rt;
using rt::Variant;
using namespace tandrel_test;

namespace {

constexpr double kOneDegree = std::numbers::pi / 180;

class TandrelByName : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    registry_ = std::filesystem::temp_directory_path() / ("tandrel_registry_" + std::to_string(getpid()) + ".ini");
    setenv("VANTREL_COMPONENT_REGISTRY", registry_.c_str(), 1);
    lib_ = dlopen(TANDREL_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib_, nullptr) << dlerror();
    ASSERT_EQ(Entry<rt::DllRegisterServerFn>("DllRegisterServer")(), rt::kOk);
  }
  static void TearDownTestSuite() {
    std::filesystem::remove(registry_);
    unsetenv("VANTREL_COMPONENT_REGISTRY");
  }
  template <class Fn>
  static Fn Entry(const char* name) {
    return reinterpret_cast<Fn>(dlsym(lib_, name));
  }
  void SetUp() override { ASSERT_EQ(rt::CreateObject(tandrel::kProgId, disp), rt::kOk); }

  // Calls by name; the boolean result, or false when the call itself failed.
  bool CallBool(const char* name, std::vector<Variant> args) {
    Variant r;
    const rt::HResult hr = disp->Call(name, args, &r);
    EXPECT_EQ(hr, rt::kOk) << name;
    EXPECT_TRUE(hr != rt::kOk || r.AsBool()) << name << " gives no boolean";
    return hr == rt::kOk && r.AsBool() && *r.AsBool();
  }
  double CallDouble(const char* name, std::vector<Variant> args) {
    Variant r;
    EXPECT_EQ(disp->Call(name, args, &r), rt::kOk) << name;
    return r.AsDouble() ? *r.AsDouble() : std::nan("");
  }
  void CallVoid(const char* name, std::vector<Variant> args) { EXPECT_EQ(disp->Call(name, args), rt::kOk) << name; }

  static double D(const Variant& v) { return v.AsDouble() ? *v.AsDouble() : std::nan(""); }
  static int32_t I(const Variant& v) { return v.AsInt32() ? *v.AsInt32() : -999; }
  static std::string S(const Variant& v) { return v.AsText() ? *v.AsText() : "<not text>"; }

  static inline std::filesystem::path registry_;
  static inline void* lib_ = nullptr;
  rt::Ref<rt::IDispatch> disp;
};

TEST_F(TandrelByName, MembersInInterfaceOrder) {
  const std::vector<std::string> want = {
      "CommPort_Avl", "GetAline_Ok",      "Read_GGA",      "Read_GSN",        "Read_VTG",       "Read_POS",
      "Read_MSG",     "GetBase",          "GetRover",      "xyzblh",          "BLHXYZ",         "BL2XYg",
      "XYg2BL",       "XYg2BL_UTM",       "Xy2az",         "Xy2d",            "Dms2Rad",        "Rad2dms_Buff",
      "GetAline_Babi", "GetAline_DianLJ", "GetAline_Command", "Read_Aline",   "MeanRMS",        "GetBlank_Line_Ok",
      "BL2XYg_UTM",   "BL2XYg_Lambert",   "XYg2BL_Lambert"};
  EXPECT_EQ(disp->MemberNames(), want);
  EXPECT_TRUE(rt::QueryAs<tandrel::ITandrel>(disp.get()));
}

TEST_F(TandrelByName, CanUnloadNowTracksLiveObjects) {
  auto canUnload = Entry<rt::DllCanUnloadNowFn>("DllCanUnloadNow");
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), rt::kFalse);
  auto typed = rt::CreateObjectAs<tandrel::ITandrel>(tandrel::kProgId);
  ASSERT_TRUE(typed);
  disp.reset();
  EXPECT_EQ(canUnload(), rt::kFalse);
  auto direct = tandrel::CreateTandrel();  // linked in: the same library, the same count
  typed.reset();
  EXPECT_EQ(canUnload(), rt::kFalse);
  direct.reset();
  EXPECT_EQ(canUnload(), rt::kOk);

  // A locked server stays loaded without objects.
  rt::Ref<rt::IClassFactory> factory;
  auto getClass = Entry<rt::DllGetClassObjectFn>("DllGetClassObject");
  ASSERT_EQ(getClass(tandrel::kClassId, rt::IClassFactory::kIid.data(), factory.put()), rt::kOk);
  ASSERT_EQ(factory->LockServer(true), rt::kOk);
  factory.reset();
  EXPECT_EQ(canUnload(), rt::kFalse);
  ASSERT_EQ(getClass(tandrel::kClassId, rt::IClassFactory::kIid.data(), factory.put()), rt::kOk);
  factory->LockServer(false);
  factory.reset();
  EXPECT_EQ(canUnload(), rt::kOk);
}

TEST_F(TandrelByName, CuttersWriteBackTheirReferenceArguments) {
  Variant buf("xx" + std::string(kHdt) + "\r\n$GPV"), aline("old");
  EXPECT_TRUE(CallBool("GetAline_Ok", {Variant::Ref(buf), Variant::Ref(aline)}));
  EXPECT_EQ(S(buf), "$GPV");
  EXPECT_EQ(S(aline), kHdt);
  // A buffer passed by value is the component's copy: the client's text stays.
  Variant copy(std::string(kHdt) + "\r\n");
  EXPECT_TRUE(CallBool("GetAline_Ok", {copy, Variant::Ref(aline)}));
  EXPECT_EQ(S(copy), std::string(kHdt) + "\r\n");

  buf = Variant("$HEHDT,1,T\r\n$HEHDT,1,T\r\n");
  EXPECT_FALSE(CallBool("GetAline_Ok", {Variant::Ref(buf), Variant::Ref(aline)}));
  EXPECT_EQ(S(aline), "");
  EXPECT_TRUE(CallBool("GetAline_Command", {Variant::Ref(buf), Variant::Ref(aline)}));
  EXPECT_EQ(S(aline), "$HEHDT,1,T");
  EXPECT_EQ(S(buf), "");

  Variant lorR, w, b, cx, xk(1.0);
  buf = Variant("$2,12.5,3.0,0.25,1.5\r\n");
  EXPECT_TRUE(CallBool("GetAline_Babi", {Variant::Ref(buf), Variant::Ref(aline), Variant::Ref(lorR), Variant::Ref(w),
                                         Variant::Ref(b), Variant::Ref(cx), Variant::Ref(xk)}));
  EXPECT_EQ(I(lorR), 2);
  EXPECT_EQ(D(w), 12.5);
  buf = Variant("$GPHDT,274.07,T\r\n");
  EXPECT_FALSE(CallBool("GetAline_DianLJ", {Variant::Ref(buf), Variant::Ref(aline), Variant::Ref(xk)}));
  EXPECT_EQ(D(xk), 0);
  buf = Variant("$hehdt,274.07,T*19\r\n");
  EXPECT_TRUE(CallBool("GetAline_DianLJ", {Variant::Ref(buf), Variant::Ref(aline), Variant::Ref(xk)}));
  EXPECT_EQ(D(xk), 274.07);
  buf = Variant("$HEHDT,1");  // not complete yet: the last heading stays
  EXPECT_FALSE(CallBool("GetAline_DianLJ", {Variant::Ref(buf), Variant::Ref(aline), Variant::Ref(xk)}));
  EXPECT_EQ(D(xk), 274.07);

  Variant n, arr(TextArray(3, "keep"));
  EXPECT_TRUE(CallBool("Read_Aline", {"a,,b*00", Variant::Ref(n), Variant::Ref(arr)}));
  EXPECT_EQ(I(n), 3);
  EXPECT_EQ(Stored(*arr.AsArray(), 3), (std::vector<std::string>{"a", "", "b*00"}));
  EXPECT_FALSE(CallBool("Read_Aline", {"x,y,z,w", Variant::Ref(n), Variant::Ref(arr)}));
  EXPECT_EQ(I(n), 4);
  EXPECT_EQ(Stored(*arr.AsArray(), 3), (std::vector<std::string>{"", "", ""}));

  buf = Variant("junk" + std::string(kHdt) + "\r\nrest");
  arr = Variant(TextArray(5));
  EXPECT_TRUE(CallBool("GetBlank_Line_Ok", {Variant::Ref(buf), Variant::Ref(aline), "$", "", ",", true, int32_t(2),
                                            Variant::Ref(n), Variant::Ref(arr)}));
  EXPECT_EQ(I(n), 3);
  EXPECT_EQ(*arr.AsArray()->TextAt(3), "T*19");
  EXPECT_EQ(S(buf), "rest");
  EXPECT_FALSE(CallBool("GetBlank_Line_Ok", {Variant::Ref(buf), Variant::Ref(aline), "#", "", ",", false, int32_t(0),
                                             Variant::Ref(n), Variant::Ref(arr)}));
  EXPECT_EQ(I(n), 0);
}

TEST_F(TandrelByName, ParsersFillEmptyVariants) {
  Variant obs, phi, lam, h, q, sat, hdop;
  EXPECT_TRUE(CallBool("Read_GGA", {kGga, Variant::Ref(obs), Variant::Ref(phi), Variant::Ref(lam), Variant::Ref(h),
                                    Variant::Ref(q), Variant::Ref(sat), Variant::Ref(hdop)}));
  EXPECT_NEAR(D(phi), (48 + 7.038 / 60) * kParserPi / 180, 1e-15);
  EXPECT_EQ(I(sat), 8);
  EXPECT_EQ(D(h), 46.9);
  // A run-time failure comes back as false with the stated outputs zeroed.
  EXPECT_FALSE(CallBool("Read_GGA", {Nmea("GPGGA,1,4807,N,01131,E,1,1e10,0.9,1,M,2,M,,"), Variant::Ref(obs),
                                     Variant::Ref(phi), Variant::Ref(lam), Variant::Ref(h), Variant::Ref(q),
                                     Variant::Ref(sat), Variant::Ref(hdop)}));
  EXPECT_EQ(D(phi), 0);
  EXPECT_EQ(I(sat), 0);
  EXPECT_EQ(D(h), 46.9);

  Variant s, ttt;
  EXPECT_TRUE(CallBool("Read_GSN", {"$GPGSN,07,1,2,3,4,5,6,7,8,12*40", Variant::Ref(s), Variant::Ref(ttt)}));
  EXPECT_EQ(I(ttt), 12);

  Variant vtg(kVtg), vx, vy;
  EXPECT_TRUE(CallBool("Read_VTG", {Variant::Ref(vtg), Variant::Ref(vx), Variant::Ref(vy)}));
  EXPECT_EQ(D(vy), 10.2);
  EXPECT_EQ(S(vtg), kVtg);

  Variant aim("A"), ship("B"), send;
  EXPECT_TRUE(CallBool("Read_POS", {"$PXPOS,A1,B2,12.5*70", Variant::Ref(aim), Variant::Ref(ship), Variant::Ref(send)}));
  EXPECT_EQ(S(aim) + S(ship), "");
  EXPECT_EQ(I(send), 12);

  Variant n, arr(TextArray(4));
  EXPECT_TRUE(CallBool("Read_MSG", {kHdt, Variant::Ref(n), Variant::Ref(arr)}));
  EXPECT_EQ(I(n), 3);
  EXPECT_EQ(*arr.AsArray()->TextAt(3), "T*19");
  Variant small(TextArray(2));
  EXPECT_FALSE(CallBool("Read_MSG", {kHdt, Variant::Ref(n), Variant::Ref(small)}));
  EXPECT_EQ(I(n), 0);
  // An unallocated array holds nothing.
  Variant none;
  EXPECT_FALSE(CallBool("Read_MSG", {kHdt, Variant::Ref(n), Variant::Ref(none)}));
}

TEST_F(TandrelByName, CoordinateMethods) {
  Variant X, Y, Z;
  CallVoid("BLHXYZ", {31.2 * kOneDegree, 121.5 * kOneDegree, 20.0, Variant::Ref(X), Variant::Ref(Y), Variant::Ref(Z), "84"});
  Variant phi, lam, h;
  CallVoid("xyzblh", {Variant::Ref(phi), Variant::Ref(lam), Variant::Ref(h), X, Y, Z, "84"});
  EXPECT_NEAR(D(phi), 31.2 * kOneDegree, 1e-11);

  Variant Xg, Yg;
  CallVoid("BL2XYg", {Variant::Ref(Xg), Variant::Ref(Yg), 31 * kOneDegree, CallDouble("Dms2Rad", {121.303}),
                      120 * kOneDegree, 0.0, 0.0, 0.0, "54"});
  EXPECT_NEAR(D(Xg), 3432012.058, 5e-4);
  EXPECT_NEAR(D(Yg), 144062.555, 5e-4);
  Variant B, L;
  CallVoid("XYg2BL", {Xg, Yg, Variant::Ref(B), Variant::Ref(L), 120.0, 0.0, 0.0, 0.0, "54"});
  EXPECT_NEAR(D(B), 31, 1e-9);
  EXPECT_NEAR(D(L), 121.303, 1e-9);

  CallVoid("BL2XYg_UTM", {Variant::Ref(Xg), Variant::Ref(Yg), 45 * kOneDegree, 3 * kOneDegree, 3 * kOneDegree, 0.0, 500.0, 0.0, "84"});
  EXPECT_NEAR(D(Xg), 4982950.400, 1e-3);
  CallVoid("BL2XYg_UTM", {Variant::Ref(Xg), Variant::Ref(Yg), 45 * kOneDegree, 4.5 * kOneDegree, 3 * kOneDegree, 0.0, 500.0, 0.0, "84"});
  CallVoid("XYg2BL_UTM", {Xg, Yg, Variant::Ref(B), Variant::Ref(L), 3.0, 0.0, 500.0, 0.0, "84"});
  EXPECT_NEAR(D(B), 45, 1e-9);
  EXPECT_NEAR(D(L), 4.3, 1e-9);  // 4 degrees 30 minutes

  const double b1 = 25 * kOneDegree, b2 = 47 * kOneDegree, lo = 110 * kOneDegree;
  EXPECT_TRUE(CallBool("BL2XYg_Lambert", {Variant::Ref(Xg), Variant::Ref(Yg), 36 * kOneDegree, 112 * kOneDegree, lo, b1, b2, 0.0,
                                          0.0, 0.0, "84"}));
  EXPECT_TRUE(CallBool("XYg2BL_Lambert", {Xg, Yg, Variant::Ref(B), Variant::Ref(L), lo, b1, b2, 0.0, 0.0, 0.0, "84"}));
  EXPECT_NEAR(D(B), 36 * kOneDegree, 1e-12);
  EXPECT_NEAR(D(L), 112 * kOneDegree, 1e-12);
  EXPECT_FALSE(CallBool("XYg2BL_Lambert", {0.0, -D(Yg), Variant::Ref(B), Variant::Ref(L), lo, b1, b2, 0.0, 0.0, 0.0, "84"}));

  EXPECT_DOUBLE_EQ(CallDouble("Xy2az", {0.0, 0.0, 1.0, 1.0}), std::numbers::pi / 4);
  EXPECT_DOUBLE_EQ(CallDouble("Xy2d", {0.0, 0.0, 3.0, 4.0}), 5);
  Variant alf(CallDouble("Dms2Rad", {121.303}));
  EXPECT_NEAR(CallDouble("Rad2dms_Buff", {Variant::Ref(alf)}), 121.303, 1e-9);

  Variant dx, dy, dz, x0(0.0), y0(0.0), z0(0.0), ier(int32_t(7));
  CallVoid("GetBase", {0.0, 0.0, 0.0, Variant::Ref(dx), Variant::Ref(dy), Variant::Ref(dz), Variant::Ref(x0),
                       Variant::Ref(y0), Variant::Ref(z0), Variant::Ref(ier)});
  EXPECT_EQ(I(ier), 0);
  EXPECT_NEAR(D(x0), 6378137, 1e-6);
  CallVoid("GetRover", {31.2 * kOneDegree, 123 * kOneDegree, 0.0, dx, dy, dz, Variant::Ref(Xg), Variant::Ref(Yg),
                        Variant::Ref(ier)});
  EXPECT_EQ(I(ier), 0);
  EXPECT_NEAR(D(Yg), 0, 1e-6);
  CallVoid("GetRover", {std::nan(""), 0.0, 0.0, dx, dy, dz, Variant::Ref(Xg), Variant::Ref(Yg), Variant::Ref(ier)});
  EXPECT_EQ(I(ier), 1);

  Variant rms, mean, delta;
  EXPECT_TRUE(CallBool("MeanRMS", {int32_t(4), rt::SafeArray::Doubles({1, 2, 3, 4}), Variant::Ref(rms),
                                   Variant::Ref(mean), Variant::Ref(delta)}));
  EXPECT_EQ(D(mean), 2.5);
  EXPECT_FALSE(CallBool("MeanRMS", {int32_t(5), rt::SafeArray::Doubles({1, 2}), Variant::Ref(rms), Variant::Ref(mean),
                                    Variant::Ref(delta)}));
  EXPECT_EQ(D(mean), 0);
}

TEST_F(TandrelByName, MisfitArgumentsAreCallErrors) {
  struct Case {
    const char* name;
    std::vector<Variant> args;
    rt::HResult want;
  };
  Variant r;
  const Case cases[] = {
      {"Xy2d", {1.0, 2.0, 3.0}, rt::kBadParamCount},
      {"Xy2d", {1.0, 2.0, 3.0, "north"}, rt::kTypeMismatch},
      {"Read_Aline", {"a,b", r, "not an array"}, rt::kTypeMismatch},
      {"Read_GPS", {}, rt::kUnknownName},
  };
  for (auto c : cases) EXPECT_EQ(disp->Call(c.name, c.args, &r), c.want) << c.name;
  std::vector<Variant> args = {0.0, 0.0, 3.0, 4.0};
  EXPECT_EQ(disp->Call("xy2D", args, &r), rt::kOk);  // names in any case
}

// By name a result that left the finite range fails the call with kOverflow, and the
// by-reference arguments keep what the client put in them.
TEST_F(TandrelByName, NonFiniteResultsFailTheCall) {
  const double nan = std::nan("");
  Variant a(7.0), b(7.0), c(7.0);
  struct Case {
    const char* name;
    std::vector<Variant> args;
  };
  const Case cases[] = {
      {"xyzblh", {Variant::Ref(a), Variant::Ref(b), Variant::Ref(c), nan, 0.0, 1.0, "84"}},
      {"BL2XYg", {Variant::Ref(a), Variant::Ref(b), 0.5, 2.0, 2.0, 0.0, 500.0, 1e308, "54"}},
      {"XYg2BL_UTM", {3e6, 1e60, Variant::Ref(a), Variant::Ref(b), 117.0, 0.0, 500.0, 0.0, "84"}},
      {"Xy2d", {0.0, 0.0, 1e308, 1e308}},
      {"Rad2dms_Buff", {Variant::Ref(c)}},
  };
  c = Variant(std::numeric_limits<double>::infinity());
  for (auto k : cases) {
    Variant r(-1.0);
    rt::InvokeError err;
    EXPECT_EQ(disp->Invoke(k.name, rt::InvokeKind::Method, k.args, &r, &err), rt::kOverflow) << k.name;
    EXPECT_EQ(err.description, "Overflow") << k.name;
    EXPECT_EQ(D(a), 7) << k.name;
    EXPECT_EQ(D(b), 7) << k.name;
  }
  EXPECT_EQ(D(c), std::numeric_limits<double>::infinity());
}

// ---- The port test -------------------------------------------------------------------

// A port object that logs every property access and fails the one numbered failAt.
class FakePort final : public rt::AutomationObject<FakePort, rt::IDispatch> {
 public:
  FakePort(bool open, int failAt) : open_(open), failAt_(failAt) {}
  bool open_;
  int failAt_;
  int32_t inputLen = -1;
  std::vector<std::string> log;

  static const rt::DispatchTable<FakePort>& Table() {
    using K = rt::InvokeKind;
    static const auto t = rt::DispatchTable<FakePort>()
                              .Member("PortOpen", K::PropertyGet,
                                      [](FakePort& p, std::span<Variant>, Variant* r, rt::InvokeError*) {
                                        if (p.Fails("get PortOpen")) return rt::kFail;
                                        *r = Variant(p.open_);
                                        return rt::kOk;
                                      })
                              .Member("PortOpen", K::PropertyPut,
                                      [](FakePort& p, std::span<Variant> a, Variant*, rt::InvokeError*) {
                                        bool v = *a[0].AsBool();
                                        if (p.Fails(v ? "open" : "close")) return rt::kFail;
                                        p.open_ = v;
                                        return rt::kOk;
                                      })
                              .Member("InputLen", K::PropertyPut,
                                      [](FakePort& p, std::span<Variant> a, Variant*, rt::InvokeError*) {
                                        if (p.Fails("InputLen")) return rt::kFail;
                                        p.inputLen = *a[0].AsInt32();
                                        return rt::kOk;
                                      });
    return t;
  }

 private:
  bool Fails(const std::string& what) {
    log.push_back(what);
    return int(log.size()) == failAt_;
  }
};

TEST(CommPortAvl, AccessOrderAndFailures) {
  auto tandrel = tandrel::CreateTandrel();
  const std::vector<std::string> closedSteps = {"get PortOpen", "get PortOpen", "InputLen", "open", "close"};
  const std::vector<std::string> openSteps = {"get PortOpen", "close", "get PortOpen", "InputLen", "open", "close"};
  for (bool startOpen : {false, true}) {
    const auto& steps = startOpen ? openSteps : closedSteps;
    for (int failAt = 0; failAt <= int(steps.size()); ++failAt) {
      auto port = rt::MakeObject<FakePort>(startOpen, failAt);
      const bool ok = tandrel->CommPort_Avl(port.get());
      EXPECT_EQ(ok, failAt == 0) << startOpen << failAt;
      EXPECT_FALSE(port->open_) << "left open; failure at " << failAt;
      // The accesses up to the failing one are those of the test, in order.
      const std::size_t upTo = failAt == 0 ? steps.size() : std::size_t(failAt);
      ASSERT_GE(port->log.size(), upTo);
      EXPECT_EQ(std::vector<std::string>(port->log.begin(), port->log.begin() + upTo),
                std::vector<std::string>(steps.begin(), steps.begin() + upTo));
      if (failAt == 0) {
        EXPECT_EQ(port->inputLen, 0);
      }
    }
  }
  EXPECT_FALSE(tandrel->CommPort_Avl(nullptr));
  EXPECT_FALSE(tandrel->CommPort_Avl(tandrel.get()));  // an object without the properties
}

class PseudoTerminal : public TandrelByName {
 protected:
  void SetUp() override {
    TandrelByName::SetUp();
    char name[256];
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    path_ = name;
  }
  void TearDown() override {
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
  }
  // What the port object has received once `want` characters are there (or 5 s passed).
  static std::string ReadAll(rt::IDispatch& port, std::size_t want, int slave) {
    std::string got;
    while (got.size() < want) {
      pollfd p{slave, POLLIN, 0};
      if (poll(&p, 1, 5000) <= 0) break;
      Variant in;
      EXPECT_EQ(port.Get("Input", in), rt::kOk);
      got += S(in);
    }
    return got;
  }
  int master_ = -1, slave_ = -1;
  std::string path_;
};

TEST_F(PseudoTerminal, PortTestLeavesItClosedAndSentencesArrive) {
  auto port = tandrel::CreateSerialPort(path_);
  ASSERT_EQ(port->Put("InputLen", int32_t(7)), rt::kOk);
  ASSERT_EQ(port->Put("PortOpen", true), rt::kOk);  // an open port is closed and tried again
  EXPECT_TRUE(CallBool("CommPort_Avl", {Variant(static_cast<rt::IDispatch*>(port.get()))}));
  Variant open, len;
  ASSERT_EQ(port->Get("PortOpen", open), rt::kOk);
  EXPECT_EQ(*open.AsBool(), false);
  ASSERT_EQ(port->Get("InputLen", len), rt::kOk);
  EXPECT_EQ(I(len), 0);

  // The client's loop: open, take what has arrived, cut sentences.
  ASSERT_EQ(port->Put("PortOpen", true), rt::kOk);
  const std::string stream = "~" + std::string(kGga) + "\r\n" + kVtg + "\r\n$GPGSN,07";
  ASSERT_EQ(write(master_, stream.data(), stream.size()), ssize_t(stream.size()));
  Variant buf(ReadAll(*port, stream.size(), slave_)), aline;
  EXPECT_EQ(S(buf), stream);  // raw: CR LF arrive as sent
  std::vector<std::string> got;
  while (CallBool("GetAline_Ok", {Variant::Ref(buf), Variant::Ref(aline)})) got.push_back(S(aline));
  EXPECT_EQ(got, (std::vector<std::string>{kGga, kVtg}));
  EXPECT_EQ(S(buf), "$GPGSN,07");

  // InputLen limits what one read returns.
  ASSERT_EQ(port->Put("InputLen", int32_t(4)), rt::kOk);
  ASSERT_EQ(write(master_, "abcdefgh", 8), 8);
  std::string first = ReadAll(*port, 1, slave_);
  EXPECT_LE(first.size(), 4u);
  EXPECT_EQ(first, std::string("abcd").substr(0, first.size()));
  ASSERT_EQ(port->Put("PortOpen", false), rt::kOk);
}

TEST_F(PseudoTerminal, PathsThatAreNoPort) {
  const auto file = std::filesystem::temp_directory_path() / ("tandrel_not_a_port_" + std::to_string(getpid()));
  std::ofstream(file) << "$GPGGA\r\n";
  for (const std::string& path : {file.string(), std::string("/nonexistent/ttyS9"), std::string()}) {
    auto port = tandrel::CreateSerialPort(path);
    EXPECT_FALSE(CallBool("CommPort_Avl", {Variant(static_cast<rt::IDispatch*>(port.get()))})) << path;
    EXPECT_FALSE(port->PortOpen()) << path;
    EXPECT_NE(port->Put("PortOpen", true), rt::kOk) << path;
  }
  std::filesystem::remove(file);
  EXPECT_FALSE(CallBool("CommPort_Avl", {Variant()}));  // no object at all
}

// Last: after unregistering, creation fails cleanly; registering again restores it.
TEST_F(TandrelByName, UnregisteredClassIsNotCreated) {
  disp.reset();
  ASSERT_EQ(Entry<rt::DllUnregisterServerFn>("DllUnregisterServer")(), rt::kOk);
  rt::Ref<rt::IDispatch> again;
  EXPECT_EQ(rt::CreateObject(tandrel::kProgId, again), rt::kClassNotRegistered);
  EXPECT_FALSE(again);
  EXPECT_EQ(Entry<rt::DllRegisterServerFn>("DllRegisterServer")(), rt::kOk);
  EXPECT_EQ(rt::CreateObject(tandrel::kProgId, again), rt::kOk);
}

}  // namespace
