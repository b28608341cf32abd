// Plane surveying: azimuth and distance, the forward computation, intersection, resection,
// the open traverse leg by leg and its result file.
#include "binding.h"
#include "plane/intersection.h"
#include "plane/plane_helpers.h"
#include "plane/traverse.h"

namespace vantrel::python {

namespace {

constexpr const char* kNoIntersection = "两个观测角不能构成交会，无法求得P点！";
constexpr const char* kDangerCircle = "危险圆！";

void Written(const WriteResult& w, const std::string& path) {
  if (!w.ok) RaiseFile("结果文件无法写入：" + path + "\n" + w.error, path);
}

}  // namespace

void BindPlane(py::module_& m) {
  m.def("azimuth", [](py::object x1, py::object y1, py::object x2, py::object y2) {
    Broadcast b({{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}});
    return Elementwise<4, 1>(b, py::none(), [](const auto& x, auto& y) {
      y[0] = Xy2az(x[0], x[1], x[2], x[3]);
      return (const char*)nullptr;
    });
  }, py::arg("x1"), py::arg("y1"), py::arg("x2"), py::arg("y2"),
     R"doc(Azimuth from point 1 to point 2, radians in [0, 2π), clockwise from +X (north).

X is the first coordinate (north), Y the second (east), metres. Coordinate differences below
1e-9 m count as zero; coincident points give 0.)doc");

  m.def("distance", [](py::object x1, py::object y1, py::object x2, py::object y2) {
    Broadcast b({{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}});
    return Elementwise<4, 1>(b, py::none(), [](const auto& x, auto& y) {
      y[0] = Xy2d(x[0], x[1], x[2], x[3]);
      return (const char*)nullptr;
    });
  }, py::arg("x1"), py::arg("y1"), py::arg("x2"), py::arg("y2"), "Horizontal distance between two points, metres.");

  py::object offsets = DefineRecord(m, "Offsets", {"dx", "dy"}, "Coordinate differences, metres (dx north, dy east).");
  m.def("plane_forward", [offsets](py::object side, py::object az) {
    Broadcast b({{"distance", side}, {"azimuth", az}});
    return Elementwise<2, 2>(b, offsets, [](const auto& x, auto& y) {
      PolarOffsets(x[0], x[1], y[0], y[1]);
      return (const char*)nullptr;
    });
  }, py::arg("distance"), py::arg("azimuth"),
     R"doc(The forward computation of 坐标正反算: the coordinate differences a side spans.

distance in metres, azimuth in radians clockwise from north. Returns Offsets(dx, dy); the
dialog shows them in the general text (vantrel.general_text).)doc");

  py::object polar = DefineRecord(m, "Polar", {"distance", "azimuth"}, "A side: distance (m) and azimuth (radians).");
  m.def("plane_inverse", [polar](py::object x1, py::object y1, py::object x2, py::object y2) {
    Broadcast b({{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}});
    return Elementwise<4, 2>(b, polar, [](const auto& x, auto& y) {
      y[0] = Xy2d(x[0], x[1], x[2], x[3]);
      y[1] = Xy2az(x[0], x[1], x[2], x[3]);
      return (const char*)nullptr;
    });
  }, py::arg("x1"), py::arg("y1"), py::arg("x2"), py::arg("y2"),
     R"doc(The inverse computation of 坐标正反算: Polar(distance, azimuth) from point 1 to point 2.

The dialog shows the distance in the general text and the azimuth split by split_azimuth.)doc");

  py::object parts = DefineRecord(m, "AzimuthParts", {"degrees", "minutes", "seconds"},
                                  "An azimuth split for display: whole degrees, whole minutes, seconds.");
  m.def("split_azimuth", [parts](py::object az) {
    Broadcast b({{"azimuth", az}});
    return Elementwise<1, 3>(b, parts, [](const auto& x, auto& y) {
      const AzimuthParts p = SplitAzimuth(x[0]);
      y = {p.degrees, p.minutes, p.seconds};
      return (const char*)nullptr;
    });
  }, py::arg("azimuth"), R"doc(An azimuth (radians) as the dialogs show it: whole degrees and minutes (floors) and
seconds, without carry (seconds just under 60 stay under 60). Returns AzimuthParts.)doc");

  m.def("join_azimuth", [](py::object d, py::object mi, py::object s) {
    Broadcast b({{"degrees", d}, {"minutes", mi}, {"seconds", s}});
    return Elementwise<3, 1>(b, py::none(), [](const auto& x, auto& y) {
      y[0] = JoinAzimuth(x[0], x[1], x[2]);
      return (const char*)nullptr;
    });
  }, py::arg("degrees"), py::arg("minutes"), py::arg("seconds"),
     "Degrees, minutes and seconds to radians; 60 or more minutes or seconds are taken as they stand.");

  py::object point = DefineRecord(m, "PlanePoint", {"x", "y"}, "A plane point, metres (x north, y east).");
  m.def("forward_intersection", [point](py::object xa, py::object ya, py::object xb, py::object yb,
                                        py::object alpha, py::object beta) {
    Broadcast b({{"xa", xa}, {"ya", ya}, {"xb", xb}, {"yb", yb}, {"alpha", alpha}, {"beta", beta}});
    return Elementwise<6, 2>(b, point, [](const auto& x, auto& y) {
      PlanePoint p;
      if (!ForwardIntersection(x[0], x[1], x[2], x[3], x[4], x[5], p)) return kNoIntersection;
      y = {p.x, p.y};
      return (const char*)nullptr;
    });
  }, py::arg("xa"), py::arg("ya"), py::arg("xb"), py::arg("yb"), py::arg("alpha"), py::arg("beta"),
     R"doc(Forward intersection (前方交会): P on the left of A→B, alpha observed at A, beta at B (radians).

Returns PlanePoint(x, y) in metres (the dialog shows "#.0000"). Angles that give no
intersection raise InputError "两个观测角不能构成交会，无法求得P点！".)doc");

  m.def("resection", [point](py::object xa, py::object ya, py::object xb, py::object yb, py::object xc,
                             py::object yc, py::object alpha, py::object beta) {
    Broadcast b({{"xa", xa}, {"ya", ya}, {"xb", xb}, {"yb", yb}, {"xc", xc}, {"yc", yc}, {"alpha", alpha},
                 {"beta", beta}});
    return Elementwise<8, 2>(b, point, [](const auto& x, auto& y) {
      PlanePoint p;
      switch (Resection(x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7], p)) {
        case ResectionStatus::DangerCircle: return kDangerCircle;
        case ResectionStatus::Fault: return kBadInput;
        case ResectionStatus::Ok: break;
      }
      y = {p.x, p.y};
      return (const char*)nullptr;
    });
  }, py::arg("xa"), py::arg("ya"), py::arg("xb"), py::arg("yb"), py::arg("xc"), py::arg("yc"),
     py::arg("alpha"), py::arg("beta"),
     R"doc(Resection (后方交会) from the known points A, B, C.

alpha subtends BC (clockwise from P→C to P→B), beta subtends CA (from P→A to P→C), radians.
Returns PlanePoint(x, y) in metres. P on or near the circle through A, B, C raises InputError
"危险圆！"; a computation that breaks down raises InputError "输入信息错误!".)doc");

  py::object leg = DefineRecord(m, "TraverseLeg", {"x", "y", "azimuth", "left_angle", "reverse_azimuth"},
                                "One open-traverse leg: the new point x, y (m), the forward azimuth, the turning "
                                "angle as a left angle and the reverse azimuth (the next leg's back-sight), radians.");
  m.def("traverse_leg", [leg](py::object x0, py::object y0, py::object back, py::object angle,
                              py::object side, bool left) {
    Broadcast b({{"x0", x0}, {"y0", y0}, {"back_azimuth", back}, {"angle", angle}, {"side", side}});
    return Elementwise<5, 5>(b, leg, [left](const auto& x, auto& y) {
      const TraverseLeg l = ComputeTraverseLeg(x[0], x[1], x[2], x[3], left, x[4]);
      y = {l.x, l.y, l.azimuth, l.leftAngle, l.reverseAzimuth};
      return (const char*)nullptr;
    });
  }, py::arg("x0"), py::arg("y0"), py::arg("back_azimuth"), py::arg("angle"), py::arg("side"),
     py::arg("left") = true,
     R"doc(One leg of the open traverse (支导线计算) from station x0, y0 (m).

back_azimuth: station → back-sight point; angle: the observed turning angle, a left angle
(left=True) or a right angle; radians. side: metres. Returns TraverseLeg; the next leg starts
at (x, y) with back_azimuth = reverse_azimuth. The dialog shows x and y in the general text.)doc");

  m.def("create_traverse_file", [](const std::filesystem::path& p, bool chosen) {
    const std::string path = p.string();
    Written(CreateTraverseFile(path, chosen ? TraverseHeadings::Chosen : TraverseHeadings::Default), path);
  }, py::arg("path"), py::arg("chosen") = true,
     R"doc(Creates (or empties) an open-traverse result file with its two head lines (GBK, CR LF).

chosen=True writes the head the dialog writes for a file the user chose, False the one of its
default traverse.out. A failure raises FileError.)doc");

  m.def("append_traverse_record", [](const std::filesystem::path& p, const std::string& name, double x, double y,
                                     double x0, double y0, double back_azimuth, double side, double left_angle) {
    const std::string path = p.string();
    Written(AppendTraverseRecord(path, TraverseRecord{name, x, y, x0, y0, back_azimuth, side, left_angle}), path);
  }, py::arg("path"), py::arg("name"), py::arg("x"), py::arg("y"), py::arg("x0"), py::arg("y0"),
     py::arg("back_azimuth"), py::arg("side"), py::arg("left_angle"),
     R"doc(Appends one leg's record line to a traverse result file, as the dialog does after 计算:
name, the new point x, y, the station x0, y0 (m), the back-sight azimuth (radians), the side
(m) and the left angle (radians). Never truncates the file; a failure raises FileError.)doc");
}

}  // namespace vantrel::python
