#pragma once
// The adjustment reports as DXF drawings, beside their HTML pages: the points (known ones on
// their own layer) named, and the observed lines (traverse legs, the network's observed
// pairs and known sides) as LINE entities.
#include <string>

#include "adjustment/traverse_adjustment.h"
#include "batch/network_adjustment.h"

namespace vantrel::batch {

std::string TraverseReportDxf(const adjustment::TraverseInput& input, const adjustment::TraverseAdjustment& adjustment);

// Empty when the file has no plane network (a levelling network has no plane coordinates).
// Heights adjusted by a levelling network go to the points of the same name as Z.
std::string NetworkReportDxf(const NetworkFile& file, const NetworkAdjustment& adjustment);

}  // namespace vantrel::batch
