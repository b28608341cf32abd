#include "batch/ellipsoids.h"

namespace vantrel::batch {

const EllipsoidRow* FindBatchEllipsoid(std::string_view code) {
  return FindEllipsoid(code, kUsedByBatch);
}

std::optional<Ellipsoid> EllipsoidByCode(std::string_view code) {
  const EllipsoidRow* row = FindBatchEllipsoid(code);
  if (!row) return std::nullopt;
  return row->ellipsoid;
}

const std::vector<std::string_view>& EllipsoidCodes() {
  static const std::vector<std::string_view> codes = [] {
    std::vector<std::string_view> c;
    for (const EllipsoidRow& row : kEllipsoidRows)
      if (row.UsedBy(kUsedByBatch)) c.push_back(row.code);
    return c;
  }();
  return codes;
}

std::string EllipsoidCodeText(std::string_view separator, std::string_view lastSeparator) {
  return EllipsoidCodeList(kUsedByBatch, separator, lastSeparator);
}

bool ComponentKnowsEllipsoid(const EllipsoidRow& row) { return row.UsedBy(kUsedByComponents); }

bool ComponentKnowsEllipsoid(std::string_view code) {
  return FindEllipsoid(code, kUsedByComponents) != nullptr;
}

const EllipsoidRow* ComponentRow(const Ellipsoid& e) {
  for (const EllipsoidRow& row : kEllipsoidRows)
    if (row.UsedBy(kUsedByComponents) && row.ellipsoid.a == e.a && row.ellipsoid.e2 == e.e2)
      return &row;
  return nullptr;
}

std::string ComponentEllipsoidsMessage() {
  return "UTM 和兰勃特投影用 Tandrel 组件计算, 只有 " +
         EllipsoidCodeList(kUsedByComponents, "、", "、");
}

}  // namespace vantrel::batch
