#include "batch/exchange/point_formats.h"

#include <algorithm>
#include <cmath>

#include "common/line_reader.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

std::string Lower(std::string_view s) {
  std::string l(s);
  std::transform(l.begin(), l.end(), l.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return l;
}

// The text of .dat files to the millimetre, as the mapping software writes them.
std::string DatMetres(double v) { return FormatPattern(v, "0.000"); }

}  // namespace

std::optional<PointFormat> PointFormatByName(std::string_view name) {
  const std::string l = Lower(name);
  if (l == "dat") return PointFormat::Dat;
  if (l == "dxf") return PointFormat::Dxf;
  if (l == "geojson" || l == "json") return PointFormat::GeoJson;
  if (l == "kml") return PointFormat::Kml;
  return std::nullopt;
}

std::optional<PointFormat> PointFormatOfPath(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return std::nullopt;
  return PointFormatByName(path.substr(dot + 1));
}

std::string_view PointFormatName(PointFormat format) {
  switch (format) {
    case PointFormat::Dat: return "dat";
    case PointFormat::Dxf: return "dxf";
    case PointFormat::GeoJson: return "geojson";
    case PointFormat::Kml: return "kml";
  }
  return "";
}

bool IsGeographicFormat(PointFormat format) { return format == PointFormat::GeoJson || format == PointFormat::Kml; }

std::size_t LineOfOffset(std::string_view bytes, std::size_t offset) {
  offset = std::min(offset, bytes.size());
  std::size_t line = 1;
  for (std::size_t i = 0; i < offset; ++i) {
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) ++line;
  }
  return line;
}

std::string FileLineMessage(const std::string& name, std::size_t line, std::string_view reason) {
  return name + ":" + std::to_string(line) + ": " + std::string(reason);
}

std::string ExchangePointProblem(const ExchangePoint& p, PointFormat format) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || (p.hasHeight && !std::isfinite(p.h))) return "坐标不是有限数值!";
  for (std::string_view text : {p.name, p.code, p.remark}) {
    if (text.find_first_of("\r\n") != std::string_view::npos) return "点名、编码或备注中有换行符!";
    // XML has no place for them, and no CAD program shows them.
    for (const char c : text) {
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return "点名、编码或备注中有控制字符!";
    }
  }
  if (IsBlank(p.name)) return "点名为空!";
  if (format == PointFormat::Dat && (p.name.find(',') != std::string_view::npos ||
                                     p.code.find(',') != std::string_view::npos))
    return "点名或编码中有逗号, .dat 文件以逗号分隔各项!";
  if (IsGeographicFormat(format)) {
    for (std::string_view text : {p.name, p.code, p.remark}) {
      if (!IsValidUtf8(text)) return "点名、编码或备注不是有效的 GBK 或 UTF-8 文字!";
    }
    if (std::fabs(p.y) > 90) return "纬度超出 -90° 到 90°!";
    if (std::fabs(p.x) > 180) return "经度超出 -180° 到 180°!";
  } else if (std::fabs(p.x) >= 1e12 || std::fabs(p.y) >= 1e12 || (p.hasHeight && std::fabs(p.h) >= 1e12)) {
    return "坐标太大!";
  }
  return "";
}

// ---------------------------------------------------------------- .dat
// 1,,53167.312,31456.118,12.345   (name, code, Y east, X north, H; H may be empty)

std::string DatLine(const ExchangePoint& p) {
  std::string line(p.name);
  line += ',';
  line += p.code;
  line += ',' + DatMetres(p.y) + ',' + DatMetres(p.x) + ',';
  if (p.hasHeight) line += DatMetres(p.h);
  return line + "\r\n";
}

ExchangeRead ReadDatPoints(std::string_view bytes, const std::string& name) {
  ExchangeRead r;
  r.points.encoding = DetectEncoding(bytes) == Encoding::Gbk ? Encoding::Gbk : Encoding::Utf8;
  LineCursor cursor(bytes);
  std::size_t lineNo = 0;
  for (std::string_view line; cursor.Next(line);) {
    ++lineNo;
    if (IsBlank(line)) continue;
    std::vector<std::string_view> f;
    for (std::size_t start = 0;;) {
      const std::size_t comma = line.find(',', start);
      // Names and codes keep their bytes; the numbers are read with the blanks around them.
      f.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    auto fail = [&](std::string_view reason) {
      r.error = FileLineMessage(name, lineNo, reason);
      return r;
    };
    if (f.size() < 4) return fail("应为 点名,编码,Y(东),X(北),高程 以逗号分隔!");
    if (f.size() > 5) return fail("多于 5 项: 点名,编码,Y(东),X(北),高程!");
    if (IsBlank(f[0])) return fail("点名为空!");
    const auto y = ReadStrict(f[2]);
    const auto x = ReadStrict(f[3]);
    if (!y) return fail("Y(东坐标)应为数值!");
    if (!x) return fail("X(北坐标)应为数值!");
    std::optional<double> h;
    if (f.size() == 5 && !IsBlank(f[4])) {
      h = ReadStrict(f[4]);
      if (!h) return fail("高程应为数值!");
    }
    ExchangePoints& p = r.points;
    p.names.emplace_back(f[0]);
    p.codes.emplace_back(f[1]);
    p.remarks.emplace_back();
    p.x.push_back(*x);
    p.y.push_back(*y);
    p.h.push_back(h ? *h : std::nan(""));
    r.lines.push_back(lineNo);
  }
  r.ok = true;
  return r;
}

// ---------------------------------------------------------------- dispatch

ExchangeRead ReadExchangePoints(std::string_view bytes, const std::string& name, PointFormat format) {
  switch (format) {
    case PointFormat::Dat: return ReadDatPoints(bytes, name);
    case PointFormat::Dxf: return ReadDxfPoints(bytes, name);
    case PointFormat::GeoJson: return ReadGeoJsonPoints(bytes, name);
    case PointFormat::Kml: return ReadKmlPoints(bytes, name);
  }
  return {};
}

std::string DxfPointsFile(const ExchangePoints& points, std::string& error);  // dxf_points.cpp

std::string WriteExchangePoints(const ExchangePoints& points, PointFormat format, std::string& error) {
  error.clear();
  const std::size_t n = points.size();
  if (points.x.size() != n || points.y.size() != n || points.h.size() != n || points.codes.size() != n ||
      points.remarks.size() != n) {
    error = "点名与坐标的个数不同!";
    return {};
  }
  // GeoJSON and KML are UTF-8 whatever the points came in.
  const bool toUtf8 = IsGeographicFormat(format) && points.encoding == Encoding::Gbk;
  auto text = [&](const std::string& s) { return toUtf8 ? GbkToUtf8(s) : s; };
  if (format == PointFormat::Dxf) return DxfPointsFile(points, error);
  std::string out = format == PointFormat::GeoJson ? GeoJsonHead()
                    : format == PointFormat::Kml   ? KmlHead("Vantrel")
                                                   : std::string();
  for (std::size_t i = 0; i < n; ++i) {
    const std::string name = text(points.names[i]), code = text(points.codes[i]), remark = text(points.remarks[i]);
    const ExchangePoint p{name, code, remark, points.x[i], points.y[i], points.h[i], !std::isnan(points.h[i])};
    if (const std::string why = ExchangePointProblem(p, format); !why.empty()) {
      error = "第 " + std::to_string(i + 1) + " 点 " + name + ": " + why;
      return {};
    }
    switch (format) {
      case PointFormat::Dat: out += DatLine(p); break;
      case PointFormat::GeoJson: out += GeoJsonFeature(p, i == 0); break;
      case PointFormat::Kml: out += KmlPlacemark(p); break;
      case PointFormat::Dxf: break;
    }
  }
  if (format == PointFormat::GeoJson) out += GeoJsonTail();
  if (format == PointFormat::Kml) out += KmlTail();
  return out;
}

}  // namespace vantrel::batch
