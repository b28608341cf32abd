#include "batch/ellipsoids.h"

namespace vantrel::batch {

std::optional<Ellipsoid> EllipsoidByCode(std::string_view code) {
  if (code == "54" || code == "80" || code == "84") return Get_Earth(code);
  if (code == "2000") return kEllipsoid2000;
  return std::nullopt;
}

const std::vector<std::string_view>& EllipsoidCodes() {
  static const std::vector<std::string_view> codes{"54", "80", "84", "2000"};
  return codes;
}

bool ComponentKnowsEllipsoid(std::string_view code) {
  return code == "54" || code == "80" || code == "84";
}

}  // namespace vantrel::batch
