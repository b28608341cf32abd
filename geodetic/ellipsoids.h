#pragma once
// The named reference ellipsoids: one table that the dialogs, the components, the batch
// layer, the command line and the Python module all read, each taking the rows meant for it.
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

struct Ellipsoid {
  double a;   // semi-major axis, m
  double e2;  // first eccentricity squared
};

// Who may name a row by its code. The calculator's dialogs and its components have three
// ellipsoids; files and scripts may also name CGCS2000.
enum EllipsoidUse : unsigned {
  kUsedByDialogs = 1,
  kUsedByComponents = 2,
  kUsedByBatch = 4,  // the batch layer, vantrel-cli and the Python module
  kUsedByCrs = 8,    // the coordinate systems by EPSG code (crs.h)
};

struct EllipsoidRow {
  std::string_view code;  // "54", "80", "84", "2000"
  std::string_view name;  // as the calculator shows it
  Ellipsoid ellipsoid;
  unsigned uses;
  constexpr bool UsedBy(EllipsoidUse use) const { return (uses & use) != 0; }
};

// China Geodetic Coordinate System 2000: a = 6378137 m, 1/f = 298.257222101, e2 = f (2 - f).
inline constexpr double kCgcs2000InverseFlattening = 298.257222101;

inline constexpr unsigned kEveryone = kUsedByDialogs | kUsedByComponents | kUsedByBatch;
// WGS 84 as the EPSG registry defines it: a = 6378137 m, 1/f = 298.257223563. The calculator's
// own 84 row carries the e2 of GRS 80, 3.3e-11 larger.
inline constexpr double kWgs84InverseFlattening = 298.257223563;

// In the order a help text lists them; the first row is what the components fall back on.
inline constexpr EllipsoidRow kEllipsoidRows[] = {
    {"54", "北京54", {6378245.0, 0.006693421622966}, kEveryone | kUsedByCrs},
    {"80", "北京80", {6378140.0, 0.006694384999588}, kEveryone | kUsedByCrs},
    {"84", "WGS84", {6378137.0, 0.0066943800229}, kEveryone},
    {"2000", "CGCS2000",
     {6378137.0, (1 / kCgcs2000InverseFlattening) * (2 - 1 / kCgcs2000InverseFlattening)},
     kUsedByBatch | kUsedByCrs},
    {"WGS84", "WGS 84",
     {6378137.0, (1 / kWgs84InverseFlattening) * (2 - 1 / kWgs84InverseFlattening)},
     kUsedByCrs},
};
inline constexpr Ellipsoid kEllipsoid54 = kEllipsoidRows[0].ellipsoid;
inline constexpr Ellipsoid kEllipsoid80 = kEllipsoidRows[1].ellipsoid;
inline constexpr Ellipsoid kEllipsoid84 = kEllipsoidRows[2].ellipsoid;
inline constexpr Ellipsoid kEllipsoid2000 = kEllipsoidRows[3].ellipsoid;

// The row of a code as `use` may name it, exactly as written ("84 " and "084" are no
// code); nullptr for any other text.
const EllipsoidRow* FindEllipsoid(std::string_view code, EllipsoidUse use);

// The codes `use` may name, for a message: "54、80、84 或 2000" is
// EllipsoidCodeList(kUsedByBatch, "、", " 或 ").
std::string EllipsoidCodeList(EllipsoidUse use, std::string_view separator,
                              std::string_view lastSeparator);

// The components' own rule for their clients: their codes as text, anything else is 54.
Ellipsoid Get_Earth(std::string_view code);
// The same for a code as a number (80 and 84 their rows, any other number 54).
Ellipsoid Get_Earth(int code);

}  // namespace vantrel
