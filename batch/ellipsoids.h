#pragma once
// The ellipsoids the batch layer's callers (vantrel-cli, the Python module) may name: the
// rows of geodetic/ellipsoids.h meant for them, with one check and its refusal texts.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geodetic/ellipsoids.h"

namespace vantrel::batch {

// "54", "80", "84" give the calculator's rows (exactly what Get_Earth gives for them),
// "2000" gives CGCS2000; any other text is no ellipsoid (unlike Get_Earth, which
// falls back on 54: a typo on a command line must not silently change the datum).
const EllipsoidRow* FindBatchEllipsoid(std::string_view code);
std::optional<Ellipsoid> EllipsoidByCode(std::string_view code);

// The codes EllipsoidByCode knows, in the order a help text lists them.
const std::vector<std::string_view>& EllipsoidCodes();
// The same as text: "54、80、84 或 2000" for EllipsoidCodeText("、", " 或 ").
std::string EllipsoidCodeText(std::string_view separator, std::string_view lastSeparator);

// Whether the Tandrel component, which UTM and Lambert go through, knows a row: it takes
// any text but its three for 54, so 2000 would be computed on the wrong ellipsoid.
bool ComponentKnowsEllipsoid(const EllipsoidRow& row);
bool ComponentKnowsEllipsoid(std::string_view code);
// The component's row an ellipsoid is (both numbers the same bits); nullptr for another.
const EllipsoidRow* ComponentRow(const Ellipsoid& e);
// "UTM 和兰勃特投影用 Tandrel 组件计算, 只有 54、80、84"
std::string ComponentEllipsoidsMessage();

}  // namespace vantrel::batch
