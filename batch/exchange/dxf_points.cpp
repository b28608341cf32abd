// DXF through dxflib: the drawing writer of points, lines and reports, and the reader of
// named points.
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <dxflib/dl_writer_ascii.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>
#include <utility>
#include <cstdio>

#include "batch/exchange/dxf_drawing.h"
#include "common/line_reader.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::batch {

// dxflib's writer opens a file of its own; this one keeps the group codes in memory so that
// a drawing can be streamed, delivered to standard output or replaced whole. Numbers are
// written in their shortest exact form, so a drawing read and written again is the same.
class DxfStringWriter : public DL_WriterA {
 public:
  DxfStringWriter() : DL_WriterA("/dev/null", DL_Codes::AC1015) {}
  std::string Take() { return std::exchange(out_, std::string()); }
  void dxfReal(int gc, double value) const override {
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, value == 0 ? 0.0 : value);
    std::string text(buf, r.ptr);
    if (text.find_first_of(".en") == std::string::npos) text += ".0";
    Pair(gc, text);
  }
  void dxfInt(int gc, int value) const override { Pair(gc, std::to_string(value)); }
  void dxfHex(int gc, int value) const override {
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, 16);
    std::string text(buf, r.ptr);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Pair(gc, text);
  }
  void dxfString(int gc, const char* value) const override { Pair(gc, value); }
  void dxfString(int gc, const std::string& value) const override { Pair(gc, value); }

 private:
  void Pair(int gc, std::string_view value) const {
    const std::string code = std::to_string(gc);
    out_ += std::string(code.size() < 3 ? 3 - code.size() : 0, ' ') + code + "\r\n";
    out_ += value;
    out_ += "\r\n";
  }
  mutable std::string out_;
};

namespace {

DL_Attributes On(std::string_view layer) {
  return DL_Attributes(std::string(layer), 256, -1, "BYLAYER", 1.0);
}

}  // namespace

std::string DxfText(std::string_view utf8) {
  if (GbkToUtf8(Utf8ToGbk(utf8)) == utf8) return Utf8ToGbk(utf8);
  // Characters GBK lacks as the \U+XXXX escapes CAD programs read.
  std::string out;
  for (std::size_t i = 0, len; i < utf8.size(); i += len) {
    const unsigned char c = utf8[i];
    len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    const std::string_view ch = utf8.substr(i, len);
    if (GbkToUtf8(Utf8ToGbk(ch)) == ch) {
      out += Utf8ToGbk(ch);
      continue;
    }
    char32_t cp = len == 1 ? c : c & (0x7F >> len);
    for (std::size_t k = 1; k < ch.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(ch[k]) & 0x3F);
    char buf[16];
    std::snprintf(buf, sizeof buf, "\\U+%04X", static_cast<unsigned>(cp));
    out += buf;
  }
  return out;
}

struct DxfDrawing::Impl {
  DL_Dxf dxf;
  DxfStringWriter w;
  double textHeight;
};

DxfDrawing::DxfDrawing(double textHeight) : impl_(std::make_unique<Impl>()) { impl_->textHeight = textHeight; }
DxfDrawing::~DxfDrawing() = default;

std::string DxfDrawing::Head() {
  DL_Dxf& dxf = impl_->dxf;
  DxfStringWriter& w = impl_->w;
  dxf.writeHeader(w);
  w.dxfString(9, "$DWGCODEPAGE");
  w.dxfString(3, "ANSI_936");
  w.dxfString(9, "$INSUNITS");
  w.dxfInt(70, 6);  // metres
  w.sectionEnd();
  w.sectionTables();
  dxf.writeVPort(w);
  w.tableLinetypes(3);
  dxf.writeLinetype(w, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
  dxf.writeLinetype(w, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
  dxf.writeLinetype(w, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
  w.tableEnd();
  w.tableLayers(5);
  const std::pair<std::string_view, int> layers[] = {
      {"0", 7}, {kDxfPointLayer, 7}, {kDxfKnownLayer, 1}, {kDxfNameLayer, 3}, {kDxfLineLayer, 5}};
  for (const auto& [name, colour] : layers)
    dxf.writeLayer(w, DL_LayerData(std::string(name), 0), DL_Attributes("", colour, 100, "CONTINUOUS", 1.0));
  w.tableEnd();
  w.tableStyle(1);
  dxf.writeStyle(w, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, impl_->textHeight, "txt", ""));
  w.tableEnd();
  dxf.writeView(w);
  dxf.writeUcs(w);
  w.tableAppid(1);
  dxf.writeAppid(w, "ACAD");
  w.tableEnd();
  dxf.writeDimStyle(w, 1, 1, 1, 1, 1);
  dxf.writeBlockRecord(w);
  w.tableEnd();
  w.sectionEnd();
  w.sectionBlocks();
  for (const char* block : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
    dxf.writeBlock(w, DL_BlockData(block, 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(w, block);
  }
  w.sectionEnd();
  w.sectionEntities();
  return w.Take();
}

std::string DxfDrawing::Point(std::string_view gbkName, double x, double y, double z, std::string_view layer) {
  const double t = impl_->textHeight;
  impl_->dxf.writePoint(impl_->w, DL_PointData(y, x, z), On(layer));
  impl_->dxf.writeText(impl_->w,
                       DL_TextData(y + 0.5 * t, x + 0.5 * t, z, 0, 0, 0, t, 1.0, 0, 0, 0, std::string(gbkName), "Standard", 0),
                       On(kDxfNameLayer));
  return impl_->w.Take();
}

std::string DxfDrawing::Line(double x1, double y1, double x2, double y2, std::string_view layer) {
  impl_->dxf.writeLine(impl_->w, DL_LineData(y1, x1, 0, y2, x2, 0), On(layer));
  return impl_->w.Take();
}

std::string DxfDrawing::Tail() {
  impl_->w.sectionEnd();
  impl_->dxf.writeObjects(impl_->w);
  impl_->dxf.writeObjectsEnd(impl_->w);
  impl_->w.dxfEOF();
  return impl_->w.Take();
}

std::string DxfPointsFile(const ExchangePoints& points, std::string& error) {
  DxfDrawing d;
  std::string out = d.Head();
  for (std::size_t i = 0; i < points.size(); ++i) {
    const std::string name = points.encoding == Encoding::Gbk ? points.names[i] : DxfText(points.names[i]);
    const ExchangePoint p{name, "", "", points.x[i], points.y[i], points.h[i], !std::isnan(points.h[i])};
    if (const std::string why = ExchangePointProblem(p, PointFormat::Dxf); !why.empty()) {
      error = "第 " + std::to_string(i + 1) + " 点 " + points.names[i] + ": " + why;
      return {};
    }
    out += d.Point(name, p.x, p.y, p.hasHeight ? p.h : 0.0);
  }
  return out + d.Tail();
}

// ---------------------------------------------------------------- reading

namespace {

// What dxflib hands over: the points and texts outside blocks, in drawing order.
class PointCollector : public DL_CreationAdapter {
 public:
  struct Text {
    double x, y;
    std::string text;
    bool used = false;
  };
  struct Named {
    DL_PointData p;
    int text = -1;  // the TEXT written right after it
  };
  std::vector<Named> points;
  std::vector<Text> texts;
  std::string codePage;
  std::size_t allPoints = 0;  // with those in blocks: the order of POINT entities in the file

  void addBlock(const DL_BlockData&) override { inBlock_ = true; }
  void endBlock() override { inBlock_ = false; }
  void addPoint(const DL_PointData& d) override {
    ++allPoints;
    lastPoint_ = -1;
    if (inBlock_) return;
    points.push_back({d, -1});
    pointIndex_.push_back(allPoints - 1);
    lastPoint_ = static_cast<int>(points.size()) - 1;
  }
  void addText(const DL_TextData& d) override {
    if (inBlock_) return;
    texts.push_back({d.ipx, d.ipy, d.text});
    if (lastPoint_ >= 0) {
      points[static_cast<std::size_t>(lastPoint_)].text = static_cast<int>(texts.size()) - 1;
      texts.back().used = true;
    }
    lastPoint_ = -1;
  }
  void addLine(const DL_LineData&) override { lastPoint_ = -1; }
  void setVariableString(const std::string& key, const std::string& value, int) override {
    if (key == "$DWGCODEPAGE") codePage = value;
  }
  std::size_t FileIndex(std::size_t k) const { return pointIndex_[k]; }

 private:
  bool inBlock_ = false;
  int lastPoint_ = -1;
  std::vector<std::size_t> pointIndex_;
};

// The line of each POINT entity's "0" group in file order, and whether the group codes read
// as numbers: dxflib takes any text, so this is what tells a DXF from something else.
bool ScanGroups(std::string_view bytes, std::vector<std::size_t>& pointLines, std::size_t& badLine) {
  LineCursor cursor(bytes);
  std::size_t lineNo = 0;
  for (std::string_view code, value; cursor.Next(code);) {
    ++lineNo;
    const std::string_view c = TrimBlanks(code);
    int gc = -1;
    const auto r = std::from_chars(c.data(), c.data() + c.size(), gc);
    if (c.empty() || r.ec != std::errc() || r.ptr != c.data() + c.size()) {
      if (c.empty() && !cursor.Next(value)) break;  // blank lines at the end
      badLine = lineNo;
      return false;
    }
    if (!cursor.Next(value)) {
      badLine = lineNo;
      return false;
    }
    ++lineNo;
    if (gc == 0 && TrimBlanks(value) == "POINT") pointLines.push_back(lineNo - 1);
    // The groups whose value is a number (real or integer, by the DXF reference's ranges):
    // dxflib throws on one that is not, so it is told here with its line.
    const bool number = (gc >= 10 && gc <= 99) || (gc >= 140 && gc <= 147) || (gc >= 170 && gc <= 175) ||
                        (gc >= 210 && gc <= 239) || (gc >= 270 && gc <= 289) || (gc >= 370 && gc <= 389) ||
                        (gc >= 1010 && gc <= 1071);
    if (number && !ReadStrict(value)) {
      badLine = lineNo;
      return false;
    }
  }
  return true;
}

// The TEXTs not written right after a point, in a grid, so that the nearest one to a point drawn
// without its name is found without looking at them all (drawings hold many thousands).
class FreeTexts {
 public:
  explicit FreeTexts(std::vector<PointCollector::Text>& texts) : texts_(texts) {
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (const auto& t : texts) {
      if (t.used || !std::isfinite(t.x) || !std::isfinite(t.y)) continue;
      minX = std::min(minX, t.x), maxX = std::max(maxX, t.x), minY = std::min(minY, t.y), maxY = std::max(maxY, t.y);
      ++left_;
    }
    if (left_ == 0) return;
    side_ = static_cast<int>(std::clamp(std::sqrt(static_cast<double>(left_)), 1.0, 1024.0));
    x0_ = minX, y0_ = minY;
    cell_ = std::max({(maxX - minX) / side_, (maxY - minY) / side_, 1e-9}) * (1 + 1e-9);
    cells_.resize(static_cast<std::size_t>(side_) * side_);
    for (std::size_t i = 0; i < texts.size(); ++i) {
      if (texts[i].used || !std::isfinite(texts[i].x) || !std::isfinite(texts[i].y)) continue;
      cells_[Index(Cell(texts[i].x, x0_), Cell(texts[i].y, y0_))].push_back(static_cast<int>(i));
    }
  }

  // The nearest text not taken yet, taken now; -1 when none is left.
  int TakeNearest(double x, double y) {
    if (left_ == 0 || !std::isfinite(x) || !std::isfinite(y)) return -1;
    const int cx = Cell(x, x0_), cy = Cell(y, y0_);
    int best = -1;
    double bestD = std::numeric_limits<double>::infinity();
    for (int r = 0; r <= 2 * side_; ++r) {
      // Cells of ring r are at least (r - 1) cells away from the point.
      if (best >= 0 && (r - 1) * cell_ > bestD) break;
      for (int i = cx - r; i <= cx + r; ++i) {
        for (int j = cy - r; j <= cy + r; ++j) {
          if (std::max(std::abs(i - cx), std::abs(j - cy)) != r || i < 0 || j < 0 || i >= side_ || j >= side_) continue;
          for (int t : cells_[Index(i, j)]) {
            const auto& text = texts_[static_cast<std::size_t>(t)];
            const double d = std::hypot(text.x - x, text.y - y);
            if (!text.used && d < bestD) bestD = d, best = t;
          }
        }
      }
    }
    if (best >= 0) texts_[static_cast<std::size_t>(best)].used = true, --left_;
    return best;
  }

 private:
  int Cell(double v, double origin) const {
    return static_cast<int>(std::clamp(std::floor((v - origin) / cell_), 0.0, static_cast<double>(side_ - 1)));
  }
  std::size_t Index(int i, int j) const { return static_cast<std::size_t>(i) * side_ + j; }

  std::vector<PointCollector::Text>& texts_;
  std::size_t left_ = 0;
  int side_ = 1;
  double x0_ = 0, y0_ = 0, cell_ = 1;
  std::vector<std::vector<int>> cells_;
};

}  // namespace

ExchangeRead ReadDxfPoints(std::string_view bytes, const std::string& name) {
  ExchangeRead r;
  if (bytes.substr(0, 22) == "AutoCAD Binary DXF\r\n\x1a") {
    r.error = FileLineMessage(name, 1, "二进制 DXF 不能读, 请另存为文字 (ASCII) DXF!");
    return r;
  }
  std::vector<std::size_t> pointLines;
  std::size_t badLine = 0;
  if (!ScanGroups(bytes, pointLines, badLine)) {
    r.error = FileLineMessage(name, badLine, badLine % 2 == 1 ? "不是 DXF 文件 (此行应为组码整数, 其后一行为其值)!"
                                                              : "DXF 组值应为数值!");
    return r;
  }
  PointCollector c;
  DL_Dxf dxf;
  std::istringstream in{std::string(bytes)};
  bool read = false;
  try {
    read = dxf.in(in, &c);
  } catch (...) {
    // dxflib's own exceptions, on values the scan above let through.
    read = false;
  }
  if (!read) {
    r.error = FileLineMessage(name, 1, "不能读为 DXF!");
    return r;
  }
  ExchangePoints& p = r.points;
  p.encoding = c.codePage == "ANSI_936" || (!IsValidUtf8(bytes) && DetectEncoding(bytes) == Encoding::Gbk)
                   ? Encoding::Gbk
                   : Encoding::Utf8;
  FreeTexts free(c.texts);
  for (std::size_t k = 0; k < c.points.size(); ++k) {
    const auto& pt = c.points[k];
    const std::size_t idx = c.FileIndex(k);
    const std::size_t line = idx < pointLines.size() ? pointLines[idx] : 1;
    if (!std::isfinite(pt.p.x) || !std::isfinite(pt.p.y) || !std::isfinite(pt.p.z) || std::fabs(pt.p.x) >= 1e12 ||
        std::fabs(pt.p.y) >= 1e12 || std::fabs(pt.p.z) >= 1e12) {
      r.error = FileLineMessage(name, line, "POINT 的坐标超出范围!");
      return r;
    }
    int text = pt.text;
    if (text < 0) text = free.TakeNearest(pt.p.x, pt.p.y);
    std::string pointName = text >= 0 ? c.texts[static_cast<std::size_t>(text)].text : std::string();
    if (TrimBlanks(pointName).empty()) pointName = "P" + std::to_string(k + 1);
    p.names.push_back(pointName);
    p.codes.emplace_back();
    p.remarks.emplace_back();
    p.x.push_back(pt.p.y);
    p.y.push_back(pt.p.x);
    p.h.push_back(pt.p.z);
    r.lines.push_back(line);
  }
  r.ok = true;
  return r;
}

}  // namespace vantrel::batch
