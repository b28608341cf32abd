// Points in the exchange formats (.dat, DXF, GeoJSON, KML): read into names and numpy arrays,
// written from them, by the batch layer's readers and writers.
#include <cmath>
#include <filesystem>

#include "batch/exchange/dxf_drawing.h"
#include "batch/exchange/point_formats.h"
#include "binding.h"
#include "common/file_replace.h"
#include "common/text_files.h"

namespace vantrel::python {

namespace {

batch::PointFormat FormatOf(const std::string& path, py::handle format) {
  if (!format.is_none()) {
    const auto f = batch::PointFormatByName(py::str(format).cast<std::string>());
    if (!f) RaiseInput(std::string(kBadInput) + " format 应为 'dat'、'dxf'、'geojson' 或 'kml'", {{"argument", py::str("format")}});
    return *f;
  }
  const auto f = batch::PointFormatOfPath(path);
  if (!f) RaiseInput(path + ": 扩展名不是 .dat .dxf .geojson .kml, 请用 format= 指定格式", {{"argument", py::str("format")}});
  return *f;
}

std::vector<std::string> Texts(py::handle seq, std::size_t n, const char* what) {
  std::vector<std::string> t(n);
  if (seq.is_none()) return t;
  t.clear();
  for (py::handle h : seq) t.push_back(h.is_none() ? std::string() : py::str(h).cast<std::string>());
  if (t.size() != n)
    RaiseInput(std::string(kBadInput) + " " + what + " 有 " + std::to_string(t.size()) + " 个, 点有 " + std::to_string(n) + " 个",
               {{"argument", py::str(what)}});
  return t;
}

std::vector<double> Column(py::handle a, std::size_t n, const char* what) {
  auto arr = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(a);
  if (!arr || arr.ndim() != 1 || static_cast<std::size_t>(arr.shape(0)) != n)
    RaiseInput(std::string(kBadInput) + " " + what + " 应为 " + std::to_string(n) + " 个数值的一维数组", {{"argument", py::str(what)}});
  return std::vector<double>(arr.data(), arr.data() + n);
}

}  // namespace

void BindFormats(py::module_& m) {
  py::object record = DefineRecord(m, "ExchangePoints", {"names", "x", "y", "h", "codes", "remarks", "format"},
                                   "Points of an exchange file: names (list of str); x, y, h float64 arrays (.dat and "
                                   "DXF: x north, y east in metres; GeoJSON and KML: x longitude, y latitude in "
                                   "degrees; h NaN where a point has no height); codes and remarks (list of str, '' "
                                   "where none); format ('dat', 'dxf', 'geojson' or 'kml').");
  m.def("read_points", [record](const std::filesystem::path& p, py::object format) {
    const std::string path = p.string();
    const batch::PointFormat f = FormatOf(path, format);
    FileBytesResult bytes = ReadFileBytes(path);
    if (!bytes.ok) RaiseFile("不能读取" + path + "：" + bytes.error, path);
    batch::ExchangeRead read;
    {
      py::gil_scoped_release unlocked;
      read = batch::ReadExchangePoints(bytes.bytes, path, f);
    }
    if (!read.ok) RaiseInput(read.error);
    const batch::ExchangePoints& pts = read.points;
    auto text = [&](const std::vector<std::string>& v) {
      py::list l;
      for (const std::string& s : v) l.append(py::str(pts.encoding == batch::Encoding::Gbk ? GbkToUtf8(s) : GbkOrUtf8ToUtf8(s)));
      return l;
    };
    auto array = [](const std::vector<double>& v) { return py::array_t<double>(static_cast<py::ssize_t>(v.size()), v.data()); };
    return record(text(pts.names), array(pts.x), array(pts.y), array(pts.h), text(pts.codes), text(pts.remarks),
                  py::str(batch::PointFormatName(f)));
  }, py::arg("path"), py::arg("format") = py::none(),
     R"doc(Reads the points of a .dat (name,code,Y,X,H: east first), DXF (POINT entities, each named by
the TEXT right after it, else the nearest free TEXT), GeoJSON (Point features, longitude first)
or KML (Placemarks with a Point) file. format: 'dat', 'dxf', 'geojson', 'kml', or None to go by
the extension. A faulty file raises InputError "FILE:LINE: reason"; an unreadable one FileError.)doc");

  m.def("write_points", [](const std::filesystem::path& p, py::object names, py::object x, py::object y, py::object h,
                           py::object format, py::object codes, py::object remarks, const std::string& encoding) {
    const std::string path = p.string();
    const batch::PointFormat f = FormatOf(path, format);
    if (encoding != "gbk" && encoding != "utf-8") RaiseInput(std::string(kBadInput) + " encoding 应为 'gbk' 或 'utf-8'");
    batch::ExchangePoints pts;
    for (py::handle n : names) pts.names.push_back(py::str(n).cast<std::string>());
    const std::size_t n = pts.names.size();
    pts.x = Column(x, n, "x");
    pts.y = Column(y, n, "y");
    pts.h = h.is_none() ? std::vector<double>(n, std::nan("")) : Column(h, n, "h");
    pts.codes = Texts(codes, n, "codes");
    pts.remarks = Texts(remarks, n, "remarks");
    // A .dat goes to the mapping software as GBK unless told; DXF names are GBK always.
    if (f == batch::PointFormat::Dat && encoding == "gbk") {
      for (auto* v : {&pts.names, &pts.codes}) {
        for (std::size_t i = 0; i < n; ++i) {
          if (GbkToUtf8(Utf8ToGbk((*v)[i])) != (*v)[i])
            RaiseInput("第 " + std::to_string(i + 1) + " 点 " + pts.names[i] + ": GBK 里没有其中的字, 用 encoding='utf-8'",
                       {{"index", py::int_(i)}});
          (*v)[i] = Utf8ToGbk((*v)[i]);
        }
      }
      pts.encoding = batch::Encoding::Gbk;
    }
    std::string error, bytes;
    {
      py::gil_scoped_release unlocked;
      bytes = batch::WriteExchangePoints(pts, f, error);
    }
    if (!error.empty()) RaiseInput(error);
    FileReplacement file(path);
    if (!file.Write(bytes) || !file.Commit()) RaiseFile("不能写入" + path + "：" + file.error(), path);
  }, py::arg("path"), py::arg("names"), py::arg("x"), py::arg("y"), py::arg("h") = py::none(),
     py::arg("format") = py::none(), py::arg("codes") = py::none(), py::arg("remarks") = py::none(),
     py::arg("encoding") = "gbk",
     R"doc(Writes points as a .dat, DXF, GeoJSON or KML file (format None: by the extension), replacing
the file only when all is written. x, y as read_points gives them (.dat, DXF: x north, y east in
metres; GeoJSON, KML: x longitude, y latitude in degrees); h None or NaN for no height. Codes go
to .dat, GeoJSON and KML, remarks to GeoJSON and KML. encoding: of a .dat ('gbk' default, as the
mapping software reads, or 'utf-8'). Plane values to the millimetre, degrees to 1e-9°.)doc");
}

}  // namespace vantrel::python
