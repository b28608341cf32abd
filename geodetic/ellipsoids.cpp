#include "geodetic/ellipsoids.h"

namespace vantrel {

const EllipsoidRow* FindEllipsoid(std::string_view code, EllipsoidUse use) {
  for (const EllipsoidRow& row : kEllipsoidRows)
    if (row.code == code && row.UsedBy(use)) return &row;
  return nullptr;
}

std::string EllipsoidCodeList(EllipsoidUse use, std::string_view separator,
                              std::string_view lastSeparator) {
  std::string list, pending;
  for (const EllipsoidRow& row : kEllipsoidRows) {
    if (!row.UsedBy(use)) continue;
    if (!pending.empty()) list += (list.empty() ? "" : std::string(separator)) + pending;
    pending = row.code;
  }
  if (list.empty()) return pending;
  return list + std::string(lastSeparator) + pending;
}

Ellipsoid Get_Earth(std::string_view code) {
  const EllipsoidRow* row = FindEllipsoid(code, kUsedByComponents);
  return row ? row->ellipsoid : kEllipsoidRows[0].ellipsoid;
}

Ellipsoid Get_Earth(int code) { return Get_Earth(std::string_view(std::to_string(code))); }

}  // namespace vantrel
