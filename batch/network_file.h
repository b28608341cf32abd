#pragma once
// The observation file of a control network or a levelling network, in the manner of the
// point and traverse files (GBK or UTF-8, CR LF or LF, "#" remarks, Chinese keywords,
// blanks between items). A compass traverse file is read as a network too.
//
//   方向中误差 1.0            instrument accuracies, each once, anywhere (defaults in
//   测角中误差 1.4            PlaneOptions): directions, angles, azimuths and the unit
//   测距中误差 2 2            weight in arc seconds; distances a mm + b ppm; levelling
//   方位角中误差 1            每公里 (σ mm per √km, line amounts in km) or 每站 (σ mm
//   单位权中误差 1            per √set-up, amounts in set-ups)
//   水准中误差 每公里 2
//   已知点 A X Y [σx σy]      known coordinates (m), σ in mm (none or "-": held fixed);
//                             "-" for a coordinate not known, with "-" as its σ
//   已知高程 BM1 H [σ]        a known height (m), σ in mm
//   近似坐标 P X Y            approximate coordinates of a new point (m)
//   测站 A [σ]                a direction set at A (its own direction σ″), followed by
//   B 0.0000 [D]              its target lines: target, direction D.MMSS or "-", and the
//   C 67.2318 245.318         horizontal distance (m) when measured; a second 测站 block at
//                             A is a second set
//   角度 A B C 67.2318 [σ″]   at A clockwise from B to C
//   边长 A B D [σ mm]         horizontal distance
//   方位角 A B 45.0000 [σ″|固定]  azimuth A -> B; 固定 holds it (kHeldAzimuthSigma)
//   高差 A B dh L [σ mm]      levelling line: height B minus A (m), L km or set-ups
//   自由网 [points]           free datum, minimum norm over the points named (all if none)
//
// Angles are packed D.MMSS to 0.1″, figures below 1e9. (The levelling line is 高差, not
// 水准: the GBK bytes of 水准 are also well-formed UTF-8, and a GBK file with no other
// Chinese would be read as UTF-8.) A file with a 导线 line is a compass
// traverse file (batch/traverse_file.h) and is read by TraverseNetwork.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adjustment/levelling.h"
#include "adjustment/plane_network.h"
#include "adjustment/traverse_adjustment.h"
#include "batch/traverse_file.h"

namespace vantrel::batch {

struct NetworkFile {
  adjustment::PlaneNetwork plane;
  adjustment::PlaneOptions planeOptions;  // the accuracies the file's head states
  std::vector<adjustment::LevelPoint> levelPoints;
  std::vector<adjustment::LevelLine> levelLines;
  adjustment::LevellingOptions levellingOptions;
  // The file's line of every plane observation and of every levelling line (1-based), for
  // reports and messages.
  std::vector<int> observationLines, levelLineLines;
  // Set when the file was a compass traverse file: its input, so that a report can print
  // the compass result beside the rigorous one.
  std::optional<adjustment::TraverseInput> traverse;
};

struct NetworkFileResult {
  bool ok = false;
  std::string error;  // "FILE:LINE: reason" or "FILE: reason" in Chinese when !ok
  NetworkFile network;
};

// The σ that holds a known (固定) azimuth: the adjustment has no constraint kind.
inline constexpr double kHeldAzimuthSigma = 1e-9;  // rad

// Arc seconds per radian for accuracies (σ in ″), whoever states them: the file's head, the
// command line's options, Python's keywords. The true π: a σ is no angle typed in D.MMSS.
inline constexpr double kSigmaSecondsPerRadian = 206264.80624709636;

NetworkFileResult ReadNetworkFile(const std::string& path);
// The same from the file's bytes; fileName is only used in messages.
NetworkFileResult ParseNetworkText(std::string_view bytes, const std::string& fileName);

// A compass traverse as a network, for an input adjustment::AdjustTraverse accepts whose back- and
// fore-sight are not named after a new station: its known points (one per name) held fixed, every station's angle an Angle observation (clockwise from the station behind
// to the one ahead for left angles, from ahead to behind for right ones), every leg a
// Distance, a closed loop's connection angle an Angle at the start, its first-leg azimuth
// an Azimuth held by kHeldAzimuthSigma. A start or end oriented by an azimuth alone has no
// back- or fore-sight point to aim at: its angle, turned by that known azimuth, becomes the
// Azimuth of the first leg (the last leg, seen from the end) and keeps the angle's σ, so
// planeOptions.azimuthSigma is set to angleSigma (a caller changing one changes both).
// Angles and distances take planeOptions' σ; lines are the file's, when known.
NetworkFile TraverseNetwork(const adjustment::TraverseInput& input, const TraverseFileLines& lines = {});

}  // namespace vantrel::batch
