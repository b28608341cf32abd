#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "vantrel/runtime.h"

using namespace vantrel::rt;

namespace {

class IAdder : public IDispatch {
 public:
  static constexpr Iid kIid = "test.IAdder";
  virtual double Add(double a, double b) = 0;
  virtual bool Split(const std::string& in, int32_t& n, SafeArray& out) = 0;
};

class Adder : public AutomationObject<Adder, IAdder> {
 public:
  using AutomationObject::AutomationObject;
  double Add(double a, double b) override { return a + b; }
  bool Split(const std::string& in, int32_t& n, SafeArray& out) override {
    n = int32_t(in.size());
    for (int32_t i = 1; i <= n; ++i) {
      std::string* s = out.TextAt(i);
      if (!s) return false;
      *s = in.substr(i - 1, 1);
    }
    return true;
  }
  static const DispatchTable<Adder>& Table() {
    static const DispatchTable<Adder> t = DispatchTable<Adder>().Method("Add", &IAdder::Add).Method("Split", &IAdder::Split);
    return t;
  }
};

}  // namespace

TEST(Variant, CoercesArgumentsLikeByNameCalls) {
  struct Row { Variant v; HResult hr; double d; };
  const Row rows[] = {{Variant(), kOk, 0}, {Variant(2.5), kOk, 2.5}, {Variant(int32_t(7)), kOk, 7},
                      {Variant(true), kOk, -1}, {Variant(" 1.5e2 "), kOk, 150}, {Variant("12abc"), kTypeMismatch, 0},
                      {Variant(""), kTypeMismatch, 0}, {Variant(SafeArray::Doubles({1.0})), kTypeMismatch, 0}};
  for (const auto& r : rows) {
    double d = 0;
    EXPECT_EQ(r.v.ToDouble(d), r.hr);
    if (r.hr == kOk) {
      EXPECT_EQ(d, r.d);
    }
  }
  int32_t i = 0;
  EXPECT_EQ(Variant(2.5).ToInt32(i), kOk);
  EXPECT_EQ(i, 2);  // half to even
  EXPECT_EQ(Variant(3.5).ToInt32(i), kOk);
  EXPECT_EQ(i, 4);
  EXPECT_EQ(Variant(3e9).ToInt32(i), kOverflow);
}

TEST(SafeArray, BoundsAndTwoDimensions) {
  SafeArray a(ElemType::Double, {{1, 3}, {0, 1}});
  EXPECT_EQ(a.size(), 6u);
  ASSERT_NE(a.DoubleAt(3, 1), nullptr);
  *a.DoubleAt(3, 1) = 9;
  EXPECT_EQ(a.doubles()[5], 9);  // first index fastest
  EXPECT_EQ(a.DoubleAt(0, 0), nullptr);
  EXPECT_EQ(a.DoubleAt(4, 0), nullptr);
  EXPECT_EQ(a.DoubleAt(1), nullptr);  // wrong rank
  EXPECT_EQ(a.TextAt(1), nullptr);    // wrong element type
}

TEST(Automation, ByNameCallWritesBackOnlyThroughSlots) {
  Ref<Adder> obj = MakeObject<Adder>(nullptr);
  std::vector<Variant> args{Variant(1.5), Variant("2")};
  Variant r;
  ASSERT_EQ(obj->Call("add", args, &r), kOk);
  EXPECT_EQ(*r.AsDouble(), 3.5);

  Variant n(int32_t(0)), arr(SafeArray::Texts(1, 2));
  std::vector<Variant> a2{Variant("xy"), Variant::Ref(n), Variant::Ref(arr)};
  ASSERT_EQ(obj->Call("Split", a2, &r), kOk);
  EXPECT_TRUE(*r.AsBool());
  EXPECT_EQ(*n.AsInt32(), 2);
  EXPECT_EQ(*arr.AsArray()->TextAt(2), "y");

  std::vector<Variant> bad{Variant(1.0)};
  EXPECT_EQ(obj->Call("Add", bad, &r), kBadParamCount);
  EXPECT_EQ(obj->Call("Nope", bad, &r), kUnknownName);
  std::vector<Variant> mism{Variant(1.0), Variant("x")};
  InvokeError err;
  EXPECT_EQ(obj->Invoke("Add", InvokeKind::Method, mism, &r, &err), kTypeMismatch);
  EXPECT_EQ(err.argIndex, 1);
}

TEST(Automation, ModuleCountsLiveObjects) {
  ModuleState m;
  {
    Ref<Adder> a = MakeObject<Adder>(&m);
    Ref<IDispatch> d = QueryAs<IDispatch>(a.get());
    EXPECT_TRUE(d);
    EXPECT_FALSE(m.CanUnload());
    EXPECT_FALSE(QueryAs<IClassFactory>(a.get()));
  }
  EXPECT_TRUE(m.CanUnload());
}

TEST(Registry, RegisterReplaceUnregister) {
  auto path = std::filesystem::temp_directory_path() / ("vantrel_rt_reg_" + std::to_string(::getpid()) + ".ini");
  ::setenv("VANTREL_COMPONENT_REGISTRY", path.c_str(), 1);
  EXPECT_EQ(RegistryFilePath(), path);
  EXPECT_EQ(RegisterClassEntry({"A.A", "{1}", "/x/liba.so", "a"}), kOk);
  EXPECT_EQ(RegisterClassEntry({"B.B", "{2}", "/x/libb.so", "b"}), kOk);
  EXPECT_EQ(RegisterClassEntry({"A.A", "{1}", "/y/liba.so", "a"}), kOk);
  ASSERT_TRUE(FindClass("a.a"));
  EXPECT_EQ(FindClass("A.A")->library, "/y/liba.so");
  EXPECT_EQ(RegisteredClasses().size(), 2u);
  EXPECT_EQ(RegisterClassEntry({"C\nC", "{3}", "/x", ""}), kRegistrationFailed);
  EXPECT_EQ(UnregisterClassEntry("A.A", "{9}"), kFalse);  // another class's id
  EXPECT_EQ(UnregisterClassEntry("A.A"), kOk);
  EXPECT_FALSE(FindClass("A.A"));
  Ref<IDispatch> d;
  EXPECT_EQ(CreateObject("A.A", d), kClassNotRegistered);
  EXPECT_EQ(CreateObject("B.B", d), kModuleNotFound);
  std::filesystem::remove(path);
  ::unsetenv("VANTREL_COMPONENT_REGISTRY");
}

TEST(Messages, HostHandlerReceivesComponentMessages) {
  std::string got;
  SetComponentMessageHandler([&](std::string_view text, std::string_view title) { got = std::string(title) + "|" + std::string(text); });
  ShowComponentMessage("bad", "Ombrix");
  EXPECT_EQ(got, "Ombrix|bad");
  SetComponentMessageHandler({});
}
