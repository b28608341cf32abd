#pragma once
// Points in the exchange formats of the trade: the mapping software's point file (.dat,
// "name,code,Y,X,H": east before north), DXF drawings (POINT entities with Z heights, each
// named by the TEXT written right after it), GeoJSON (RFC 7946: longitude, latitude[,
// height] in degrees) and KML (Placemarks with Points, lon,lat[,h]).
//
// Coordinates by format: .dat and DXF hold plane coordinates, x north and y east in metres;
// GeoJSON and KML hold geographic ones, x longitude and y latitude in decimal degrees, the
// order those formats use. A missing height is NaN.
//
// Text: names, codes and remarks are bytes in `encoding`. Readers keep the bytes of .dat
// files as they are (GBK or UTF-8); GeoJSON and KML are UTF-8 by their rules; a DXF's GBK
// names (code page ANSI_936) come back as GBK. Writers convert where the format asks for
// another encoding, so that a file written, read and written again gives the same bytes.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/records.h"

namespace vantrel::batch {

enum class PointFormat { Dat, Dxf, GeoJson, Kml };

struct ExchangePoints {
  std::vector<std::string> names, codes, remarks;  // codes and remarks may be empty strings
  std::vector<double> x, y, h;
  Encoding encoding = Encoding::Utf8;
  std::size_t size() const { return names.size(); }
};

// "dat", "dxf", "geojson" (also "json"), "kml"; nullopt for anything else.
std::optional<PointFormat> PointFormatByName(std::string_view name);
// By the file's extension, ignoring case; nullopt when it names none of them.
std::optional<PointFormat> PointFormatOfPath(std::string_view path);
std::string_view PointFormatName(PointFormat format);
// GeoJSON and KML: geographic coordinates.
bool IsGeographicFormat(PointFormat format);

// A reader's answer: the points, or a message "FILE:LINE: reason" in Chinese.
struct ExchangeRead {
  bool ok = false;
  ExchangePoints points;
  std::vector<std::size_t> lines;  // where each point stands in the file, from 1
  std::string error;
};

// Reads the bytes of a file in `format`; `name` is how messages name the file.
ExchangeRead ReadExchangePoints(std::string_view bytes, const std::string& name, PointFormat format);

// The bytes of a file in `format`. Plane coordinates go to the millimetre, heights too,
// degrees to 1e-9° (0.1 mm on the ground). Empty with `error` when the points cannot be
// written (a non-finite coordinate, a latitude beyond ±90°, a name with a line break...).
std::string WriteExchangePoints(const ExchangePoints& points, PointFormat format, std::string& error);

// ---------------------------------------------------------------- one format each
ExchangeRead ReadDatPoints(std::string_view bytes, const std::string& name);
ExchangeRead ReadDxfPoints(std::string_view bytes, const std::string& name);
ExchangeRead ReadGeoJsonPoints(std::string_view bytes, const std::string& name);
ExchangeRead ReadKmlPoints(std::string_view bytes, const std::string& name);

// Pieces the writers share with the streamed conversions (batch/exchange/row_writers.cpp):
// the head and tail of a file and one point's entry, for points already checked.
struct ExchangePoint {
  std::string_view name, code, remark;  // in the writer's encoding (UTF-8; DAT as given)
  double x = 0, y = 0, h = 0;
  bool hasHeight = false;
};
std::string DatLine(const ExchangePoint& p);
std::string GeoJsonHead();
std::string GeoJsonFeature(const ExchangePoint& p, bool first);
std::string GeoJsonTail();
std::string KmlHead(std::string_view documentName);
std::string KmlPlacemark(const ExchangePoint& p);
std::string KmlTail();
// Why a point cannot be written in `format` ("" when it can).
std::string ExchangePointProblem(const ExchangePoint& p, PointFormat format);

// The line (from 1) of a byte offset.
std::size_t LineOfOffset(std::string_view bytes, std::size_t offset);
// "NAME:LINE: reason".
std::string FileLineMessage(const std::string& name, std::size_t line, std::string_view reason);

}  // namespace vantrel::batch
