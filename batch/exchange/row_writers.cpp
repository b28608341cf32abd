#include "batch/exchange/row_writers.h"

#include <cmath>

#include "batch/exchange/dxf_drawing.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

int OutputIndex(const Command& c, std::initializer_list<std::string_view> names) {
  for (std::size_t i = 0; i < c.outputs.size(); ++i) {
    for (std::string_view n : names) {
      if (c.outputs[i].name == n) return static_cast<int>(i);
    }
  }
  return -1;
}

class FormatRows : public RowWriter {
 public:
  FormatRows(PointFormat format, int x, int y, int h, RowSource source)
      : format_(format), x_(x), y_(y), h_(h), source_(source) {}

  std::string Head() override {
    switch (format_) {
      case PointFormat::GeoJson: return GeoJsonHead();
      case PointFormat::Kml: return KmlHead("Vantrel");
      case PointFormat::Dxf: return dxf_.Head();
      case PointFormat::Dat: return "";
    }
    return "";
  }

  std::string Row(const PointRow& row, std::string& out) override {
    const bool geographic = IsGeographicFormat(format_);
    auto value = [&](int k) {
      const double v = row.values[static_cast<std::size_t>(k)];
      return geographic ? v * 180 / M_PI : v;
    };
    ExchangePoint p;
    p.x = value(x_);
    p.y = value(y_);
    std::string_view remark = row.rest;
    if (h_ >= 0) {
      p.h = row.values[static_cast<std::size_t>(h_)], p.hasHeight = true;
    } else if (source_.heightField >= 0 && static_cast<std::size_t>(source_.heightField) < row.fields.size()) {
      const std::string& t = row.fields[static_cast<std::size_t>(source_.heightField)];
      if (!t.empty()) {
        const auto v = ReadStrict(t);
        if (!v) return "高程应为数值!";
        p.h = *v, p.hasHeight = true;
      }
    } else if (row.fields.empty()) {
      std::string_view rest = row.rest;
      const std::string_view word = TakeWord(rest);
      if (const auto v = ReadStrict(word)) p.h = *v, p.hasHeight = true, remark = TrimBlanks(rest);
    }
    std::string code;
    if (source_.codeField >= 0 && static_cast<std::size_t>(source_.codeField) < row.fields.size())
      code = row.fields[static_cast<std::size_t>(source_.codeField)];
    // GeoJSON and KML are UTF-8, a DXF GBK; a .dat keeps the input's bytes.
    std::string name(row.name), rem(remark);
    if (geographic) {
      for (std::string* s : {&name, &code, &rem}) {
        if (!IsValidUtf8(*s)) *s = GbkToUtf8(*s);
      }
    } else if (format_ == PointFormat::Dxf && IsValidUtf8(name)) {
      name = DxfText(name);
    }
    p.name = name, p.code = code, p.remark = rem;
    if (std::string why = ExchangePointProblem(p, format_); !why.empty()) return why;
    switch (format_) {
      case PointFormat::Dat: out += DatLine(p); break;
      case PointFormat::GeoJson: out += GeoJsonFeature(p, first_); break;
      case PointFormat::Kml: out += KmlPlacemark(p); break;
      case PointFormat::Dxf: out += dxf_.Point(p.name, p.x, p.y, p.hasHeight ? p.h : 0.0); break;
    }
    first_ = false;
    return "";
  }

  std::string Tail() override {
    switch (format_) {
      case PointFormat::GeoJson: return GeoJsonTail();
      case PointFormat::Kml: return KmlTail();
      case PointFormat::Dxf: return dxf_.Tail();
      case PointFormat::Dat: return "";
    }
    return "";
  }

 private:
  PointFormat format_;
  int x_, y_, h_;
  RowSource source_;
  DxfDrawing dxf_;
  bool first_ = true;
};

}  // namespace

std::unique_ptr<RowWriter> MakeRowWriter(PointFormat format, const Command& command, const RowSource& source,
                                         std::string& error) {
  const int h = OutputIndex(command, {"H", "hg"});
  if (IsGeographicFormat(format)) {
    const int lat = OutputIndex(command, {"B"}), lon = OutputIndex(command, {"L"});
    if (lat < 0 || lon < 0) {
      error = std::string(format == PointFormat::Kml ? "KML" : "GeoJSON") +
              " 只存经纬度 (CGCS2000 或 WGS 84): 这个命令算出的不是经纬度 B L, 请先换算为大地坐标 (如 gauss2blh) 再写成此格式";
      return nullptr;
    }
    return std::make_unique<FormatRows>(format, lon, lat, h, source);
  }
  const int x = OutputIndex(command, {"x", "xg", "N"}), y = OutputIndex(command, {"y", "yg", "E"});
  if (x < 0 || y < 0) {
    error = std::string(format == PointFormat::Dxf ? "DXF" : ".dat") +
            " 只存平面坐标: 这个命令算出的不是平面坐标 x y, 请用算出 x y 的命令 (如 blh2gauss), 经纬度可写成 geojson 或 kml";
    return nullptr;
  }
  return std::make_unique<FormatRows>(format, x, y, h, source);
}

}  // namespace vantrel::batch
