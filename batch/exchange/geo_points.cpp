// GeoJSON (RFC 7946) and KML: points in geographic coordinates, longitude first.
#include <pugixml.hpp>

#include <cmath>
#include <nlohmann/json.hpp>

#include "batch/exchange/point_formats.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

// Degrees to 1e-9° (0.1 mm on the ground), heights to the millimetre.
std::string Degrees(double v) { return FormatPattern(v, "0.000000000"); }
std::string Height(double v) { return FormatPattern(v, "0.000"); }

std::string JsonString(std::string_view utf8) { return nlohmann::json(std::string(utf8)).dump(); }

std::string XmlText(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Coordinates(const ExchangePoint& p) {
  std::string c = Degrees(p.x) + "," + Degrees(p.y);
  if (p.hasHeight) c += "," + Height(p.h);
  return c;
}

// Where each feature of a FeatureCollection starts: the objects of the top object's
// "features" array, found by a scan that skips strings, so that a message can name a line.
std::vector<std::size_t> FeatureOffsets(std::string_view bytes) {
  std::vector<std::size_t> offsets;
  std::string stack, key;
  bool inFeatures = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '"') {
      const std::size_t start = ++i;
      for (; i < bytes.size() && bytes[i] != '"'; ++i) {
        if (bytes[i] == '\\') ++i;
      }
      if (stack == "{") key = std::string(bytes.substr(start, std::min(i, bytes.size()) - start));
    } else if (c == '{' || c == '[') {
      if (c == '[' && stack == "{") inFeatures = key == "features";
      if (c == '{' && stack == "{[" && inFeatures) offsets.push_back(i);
      stack.push_back(c);
    } else if ((c == '}' || c == ']') && !stack.empty()) {
      stack.pop_back();
    }
  }
  return offsets;
}

// A property's text: a string as it is, another value as JSON writes it, null as "".
std::string PropertyText(const nlohmann::json& properties, const char* key) {
  if (!properties.is_object() || !properties.contains(key) || properties[key].is_null()) return "";
  const nlohmann::json& v = properties[key];
  return v.is_string() ? v.get<std::string>() : v.dump();
}

// The "type" member of an object, "" when it is missing or not a string.
std::string TypeName(const nlohmann::json& j) {
  if (!j.is_object()) return "";
  const auto t = j.find("type");
  return t != j.end() && t->is_string() ? t->get<std::string>() : "";
}

}  // namespace

// ---------------------------------------------------------------- GeoJSON
// {"type":"Feature","geometry":{"type":"Point","coordinates":[117.5,31.25,12.345]},"properties":{"name":"A1"}}

std::string GeoJsonHead() { return "{\"type\":\"FeatureCollection\",\"features\":[\n"; }

std::string GeoJsonFeature(const ExchangePoint& p, bool first) {
  std::string f = first ? "" : ",\n";
  f += R"({"type":"Feature","geometry":{"type":"Point","coordinates":[)" + Coordinates(p) +
       R"(]},"properties":{"name":)" + JsonString(p.name);
  if (!p.code.empty()) f += ",\"code\":" + JsonString(p.code);
  if (!p.remark.empty()) f += ",\"remark\":" + JsonString(p.remark);
  return f + "}}";
}

std::string GeoJsonTail() { return "\n]}\n"; }

ExchangeRead ReadGeoJsonPoints(std::string_view bytes, const std::string& name) {
  ExchangeRead r;
  nlohmann::json doc;
  try {
    doc = nlohmann::json::parse(bytes.begin(), bytes.end());
  } catch (const nlohmann::json::parse_error& e) {
    r.error = FileLineMessage(name, LineOfOffset(bytes, e.byte > 0 ? e.byte - 1 : 0), "不是有效的 JSON 文字!");
    return r;
  } catch (const nlohmann::json::exception&) {
    // A number too large for a double (1e400) is the library's out_of_range, without a place.
    r.error = FileLineMessage(name, 1, "JSON 中有数值超出范围!");
    return r;
  }
  if (!doc.is_object()) {
    r.error = FileLineMessage(name, 1, "GeoJSON 应为对象 (FeatureCollection 或 Feature)!");
    return r;
  }
  if (doc.contains("crs")) {
    // RFC 7946 dropped "crs": WGS 84 longitude and latitude always. An older file that names
    // another system would be read wrongly, so it is refused.
    const std::string crs = doc["crs"].dump();
    if (crs.find("CRS84") == std::string::npos && crs.find("4326") == std::string::npos &&
        crs.find("4490") == std::string::npos) {
      r.error = FileLineMessage(name, 1, "crs 指定的不是 WGS 84 或 CGCS2000 经纬度, 请先换算为经纬度!");
      return r;
    }
  }
  std::vector<const nlohmann::json*> features;
  std::vector<std::size_t> lines;
  const std::string type = TypeName(doc);
  if (type == "FeatureCollection") {
    if (!doc.contains("features") || !doc["features"].is_array()) {
      r.error = FileLineMessage(name, 1, "FeatureCollection 缺少 features 数组!");
      return r;
    }
    const std::vector<std::size_t> offsets = FeatureOffsets(bytes);
    for (std::size_t k = 0; k < doc["features"].size(); ++k) {
      features.push_back(&doc["features"][k]);
      lines.push_back(k < offsets.size() ? LineOfOffset(bytes, offsets[k]) : 1);
    }
  } else if (type == "Feature") {
    features.push_back(&doc);
    lines.push_back(1);
  } else {
    r.error = FileLineMessage(name, 1, "GeoJSON 的 type 应为 FeatureCollection 或 Feature!");
    return r;
  }
  ExchangePoints& p = r.points;
  for (std::size_t k = 0; k < features.size(); ++k) {
    const nlohmann::json& f = *features[k];
    auto fail = [&](std::string_view reason) {
      r.error = FileLineMessage(name, lines[k], reason);
      return r;
    };
    if (TypeName(f) != "Feature") return fail("应为 Feature 对象!");
    if (!f.contains("geometry") || !f["geometry"].is_object()) return fail("要素缺少 geometry!");
    const nlohmann::json& g = f["geometry"];
    const std::string gtype = TypeName(g);
    if (gtype != "Point") return fail("只读 Point 要素, 此要素为 " + (gtype.empty() ? std::string("空") : gtype) + "!");
    if (!g.contains("coordinates") || !g["coordinates"].is_array()) return fail("Point 缺少 coordinates!");
    const nlohmann::json& c = g["coordinates"];
    if (c.size() < 2 || c.size() > 3) return fail("coordinates 应为 [经度, 纬度] 或 [经度, 纬度, 高程]!");
    for (const auto& v : c) {
      if (!v.is_number()) return fail("coordinates 的各项应为数值!");
    }
    const double lon = c[0].get<double>(), lat = c[1].get<double>();
    if (!(std::fabs(lon) <= 180)) return fail("经度超出 -180° 到 180° (GeoJSON 先经度后纬度)!");
    if (!(std::fabs(lat) <= 90)) return fail("纬度超出 -90° 到 90° (GeoJSON 先经度后纬度)!");
    const nlohmann::json properties = f.contains("properties") ? f["properties"] : nlohmann::json();
    std::string pointName = PropertyText(properties, "name");
    if (pointName.empty() && f.contains("id")) pointName = f["id"].is_string() ? f["id"].get<std::string>() : f["id"].dump();
    if (pointName.empty()) return fail("要素没有点名 (properties 的 name 或要素的 id)!");
    p.names.push_back(pointName);
    p.codes.push_back(PropertyText(properties, "code"));
    p.remarks.push_back(PropertyText(properties, "remark"));
    p.x.push_back(lon);
    p.y.push_back(lat);
    p.h.push_back(c.size() == 3 ? c[2].get<double>() : std::nan(""));
    r.lines.push_back(lines[k]);
  }
  r.ok = true;
  return r;
}

// ---------------------------------------------------------------- KML

std::string KmlHead(std::string_view documentName) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n<name>" +
         XmlText(documentName) + "</name>\n";
}

std::string KmlPlacemark(const ExchangePoint& p) {
  std::string m = "<Placemark><name>" + XmlText(p.name) + "</name>";
  // XML drops text that is all blanks: such a remark or code is not written at all.
  if (!IsBlank(p.remark)) m += "<description>" + XmlText(p.remark) + "</description>";
  if (!IsBlank(p.code)) m += "<ExtendedData><Data name=\"code\"><value>" + XmlText(p.code) + "</value></Data></ExtendedData>";
  return m + "<Point><coordinates>" + Coordinates(p) + "</coordinates></Point></Placemark>\n";
}

std::string KmlTail() { return "</Document>\n</kml>\n"; }

ExchangeRead ReadKmlPoints(std::string_view bytes, const std::string& name) {
  ExchangeRead r;
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed = doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) {
    r.error = FileLineMessage(name, LineOfOffset(bytes, static_cast<std::size_t>(std::max<std::ptrdiff_t>(parsed.offset, 0))),
                              "不是有效的 XML 文字!");
    return r;
  }
  if (std::string_view(doc.document_element().name()) != "kml") {
    r.error = FileLineMessage(name, 1, "不是 KML 文件 (根元素应为 kml)!");
    return r;
  }
  ExchangePoints& p = r.points;
  for (const pugi::xpath_node& node : doc.select_nodes("//*[local-name()='Placemark']")) {
    const pugi::xml_node m = node.node();
    const std::size_t line = LineOfOffset(bytes, static_cast<std::size_t>(m.offset_debug()));
    auto fail = [&](std::string_view reason) {
      r.error = FileLineMessage(name, line, reason);
      return r;
    };
    const pugi::xml_node point = m.child("Point");
    if (!point) return fail("只读含 Point 的 Placemark!");
    const std::string_view text = TrimBlanks(point.child_value("coordinates"));
    std::vector<double> c;
    for (std::size_t start = 0; c.size() <= 3;) {
      const std::size_t comma = text.find(',', start);
      const auto v = ReadStrict(TrimBlanks(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
      if (!v) return fail("coordinates 应为 经度,纬度[,高程] 的数值!");
      c.push_back(*v);
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    if (c.size() < 2 || c.size() > 3) return fail("coordinates 应为 经度,纬度[,高程] (一个点)!");
    if (!(std::fabs(c[0]) <= 180)) return fail("经度超出 -180° 到 180°!");
    if (!(std::fabs(c[1]) <= 90)) return fail("纬度超出 -90° 到 90°!");
    const std::string pointName = m.child_value("name");
    if (pointName.empty()) return fail("Placemark 没有 name!");
    std::string code;
    for (const pugi::xml_node d : m.child("ExtendedData").children("Data")) {
      if (std::string_view(d.attribute("name").value()) == "code") code = d.child_value("value");
    }
    p.names.push_back(pointName);
    p.codes.push_back(code);
    p.remarks.push_back(m.child_value("description"));
    p.x.push_back(c[0]);
    p.y.push_back(c[1]);
    p.h.push_back(c.size() == 3 ? c[2] : std::nan(""));
    r.lines.push_back(line);
  }
  r.ok = true;
  return r;
}

}  // namespace vantrel::batch
