#pragma once
// The levelling computation table (水准测量成果计算表) of a route, as text lines in print
// zones (written as a GBK file with CR LF) and as an HTML page with an SVG height profile;
// a field book's reduction table (测站, 点号, 后视/前视读数, 高差) with its checks before it.
// The figures are the routine's own (adjustment/level_route.h): every row and column adds up
// at the printed millimetres.
#include <string>
#include <vector>

#include "adjustment/level_route.h"
#include "batch/level_route_file.h"
#include "batch/report_layout.h"

namespace vantrel::batch {

struct LevelReportInput {
  adjustment::LevelRouteInput input;
  const LevelFieldBook* book = nullptr;  // the field book the sections came from, if any
};

// The report's parts before they are laid out: a window shows the same cells and lines.
struct LevelReportModel {
  std::string title;
  std::vector<std::string> facts;
  report::Table book;  // empty without a field book
  std::vector<std::string> bookSummary;
  report::Table route;  // the last row is the Σ row
  std::vector<std::string> summary;
};
LevelReportModel LevelRouteReportModel(const LevelReportInput& in, const adjustment::LevelRouteResult& result);

std::vector<std::string> LevelRouteReportText(const LevelReportInput& in,
                                              const adjustment::LevelRouteResult& result);
std::string LevelRouteReportHtml(const LevelReportInput& in, const adjustment::LevelRouteResult& result);
// The height profile on its own: distance (or set-ups) along the route against height.
std::string LevelProfileSvg(const adjustment::LevelRouteResult& result);

}  // namespace vantrel::batch
