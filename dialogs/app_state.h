#pragma once
// The program-wide values, one object for the whole run, handed to every dialog when it is
// created. A test builds a fresh one; nothing here is a hidden global.
#include <cstdint>
#include <string>

#include "geodetic/ellipsoid.h"
#include "transform/transform_state.h"

namespace vantrel {

struct AppState {
  // The current ellipsoid and projection values the geodetic dialogs set before computing.
  ProjectionState Projection;

  // Start-up and catalogue.
  bool SplashDone = false;
  std::int16_t CurrentPage = 0;  // 0 until the main window first loads, then 1 to 4
  int LastItem = -1;             // row of the entry last chosen on the current page; -1 none
  std::string HelpFile;          // set when the help button is pressed

  // Which conversion the space/geodetic/Gauss dialog offers; exactly one is true when it opens.
  bool SpaceGeodeticMode = false;
  bool GeodeticGaussMode = false;

  // Gauss zone change: CentralMeridian (radians) as it was before its latest computation.
  double LanChSavedMeridian = 0;

  // Open traverse: the result file the diagram window reads back.
  std::string TravResultFile;

  // Plane transformation by common points: CommonPoints, TransParam and ParamsReady live here.
  TransformState Transform;
};

}  // namespace vantrel
