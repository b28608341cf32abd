// Coordinate point files as the calculator reads and writes them: "name X Y [remark]" lines,
// GBK with CR LF, print zones.
#include <filesystem>
#include <limits>

#include "batch/point_table.h"
#include "binding.h"
#include "common/text_files.h"
#include "transform/point_files.h"

namespace vantrel::python {

namespace {

batch::LayoutChoice Choice(py::handle format, py::handle delimiter, py::handle columns) {
  batch::LayoutChoice c;
  if (!format.is_none()) {
    const std::string f = py::str(format);
    if (f == "points") c.layout = batch::Layout::Points;
    else if (f == "csv") c.layout = batch::Layout::Csv;
    else RaiseInput(std::string(kBadInput) + " format 应为 'points' 或 'csv'", {{"argument", py::str("format")}});
  }
  if (!delimiter.is_none()) {
    const std::string d = py::str(delimiter);
    if (d == "tab" || d == "\t") c.delimiter = '\t';
    else if (d == "," || d == ";") c.delimiter = d[0];
    else RaiseInput(std::string(kBadInput) + " delimiter 应为 ',' ';' 或 'tab'", {{"argument", py::str("delimiter")}});
  }
  if (!columns.is_none())
    for (py::handle h : columns) c.columns.push_back(py::str(h).cast<std::string>());
  return c;
}

}  // namespace

void BindPointFiles(py::module_& m) {
  py::object points = DefineRecord(m, "PointFileData", {"names", "xy", "remarks", "values", "columns"},
                                   "The points of a point file or CSV: names (list of str), xy (n, 2) array of x "
                                   "(north) and y (east) in metres, remarks (list of str, '' where a line has none), "
                                   "values (n, k) array of every number of each line, x and y first (NaN where a "
                                   "line has fewer), columns (the header names of values' columns, or None).");
  m.def("read_point_file", [points](const std::filesystem::path& p, const std::string& encoding, py::object format,
                                    py::object delimiter, py::object columns) {
    const std::string path = p.string();
    if (encoding != "auto" && encoding != "gbk") RaiseInput(std::string(kBadInput) + " encoding 应为 'auto' 或 'gbk'");
    const batch::LayoutChoice choice = Choice(format, delimiter, columns);
    FileBytesResult f = ReadFileBytes(path);
    if (!f.ok) RaiseFile(UnreadableFileMessage("坐标文件", path, f.error), path);
    std::string_view bytes = f.bytes;
    // 'auto' tells UTF-8 from GBK as every reader of ours does.
    const bool gbk = encoding == "gbk" || !TakeAsUtf8(bytes);
    batch::PointTableRead read;
    {
      py::gil_scoped_release unlocked;
      read = batch::ReadPointTable(bytes, path, choice);
    }
    const batch::PointTable& t = read.table;
    const std::size_t n = t.names.size();
    // Read as GBK, the first line that is not GBK text is the fault, as far as the points go.
    for (std::size_t i = 0; gbk && i < n; ++i) {
      if (!IsGbkText(t.names[i]) || !IsGbkText(t.remarks[i]))
        RaiseInput(NotGbkLineMessage("坐标文件", path, t.lines[i]),
                   {{"path", py::str(path)}, {"line", py::int_(t.lines[i])}});
    }
    if (!read.ok) {
      const std::string why = read.reason == "数据格式有错" ? std::string() : ": " + read.reason;
      RaiseInput("坐标文件" + path + "数据格式有错 (第" + std::to_string(read.line) + "行" + why + ")",
                 {{"path", py::str(path)}, {"line", py::int_(read.line)}});
    }
    auto text = [gbk](std::string_view s) { return gbk ? GbkToUtf8(s) : std::string(s); };
    std::vector<std::string> names, remarks;
    std::size_t k = 2;
    for (std::size_t i = 0; i < n; ++i) {
      names.push_back(text(t.names[i]));
      remarks.push_back(text(t.remarks[i]));
      k = std::max(k, t.values[i].size());
    }
    py::array_t<double> values({static_cast<py::ssize_t>(n), static_cast<py::ssize_t>(k)});
    double* v = values.mutable_data();
    std::fill(v, v + n * k, std::numeric_limits<double>::quiet_NaN());
    for (std::size_t i = 0; i < n; ++i) std::copy(t.values[i].begin(), t.values[i].end(), v + i * k);
    py::object xy = values[py::make_tuple(py::slice(0, static_cast<py::ssize_t>(n), 1), py::slice(0, 2, 1))];
    py::object names_of_columns = py::none();
    if (!t.columns.empty()) {
      py::list c;
      for (const auto& h : t.columns) c.append(py::str(text(h)));
      names_of_columns = c;
    }
    for (const std::string& note : t.notes) {
      const std::string said = "坐标文件" + path + ": " + text(note);
      if (PyErr_WarnEx(PyExc_UserWarning, said.c_str(), 1) < 0) throw py::error_already_set();
    }
    return points(names, py::module_::import("numpy").attr("ascontiguousarray")(xy), remarks, values,
                  names_of_columns);
  }, py::arg("path"), py::arg("encoding") = "auto", py::arg("format") = py::none(), py::arg("delimiter") = py::none(),
     py::arg("columns") = py::none(),
     R"doc(Reads a point file or CSV as vantrel-cli reads its input (the same batch routine).

A point file has one point a line, "name x y [more numbers...] [remark...]", fields separated
by spaces; every number after the name up to the first word that is none is kept, the rest
is the remark. Blank lines and lines starting with '#' are skipped. A file named .csv or
.tsv, one whose first line names the x and y columns (x, X, xg, N, northing, 北坐标; y, Y,
yg, E, easting, 东坐标: x is north, the surveying way), or one whose lines are "name,x,y..."
separated by commas or tabs is read as delimited fields; format ('points' | 'csv'),
delimiter (',' | ';' | 'tab') and columns (names by position, no header then) say it
outright. There the name is the column headed name, 点名, 点号 or id (else the first other
than x and y), every other column holding only numbers (or empty fields, NaN) joins values,
and the remaining columns make the remark; a column of numbers with one field that is none
goes to the remark with a UserWarning naming the column and the line.

encoding 'auto' takes a file of well-formed UTF-8 (a byte-order mark dropped) as UTF-8 and
any other as GBK; 'gbk' reads it as GBK, the calculator's encoding: a point line that is not
GBK text raises InputError "不能读取坐标文件PATH：第N行不是GBK文本". Returns
PointFileData(names, xy, remarks, values, columns). A file that cannot be read raises
FileError "不能读取坐标文件PATH：reason"; a line without a name, x and y InputError
"坐标文件PATH数据格式有错 (第N行)"; both InputErrors carry .line and .path.)doc");

  m.def("write_point_file", [](const std::filesystem::path& p, py::object names, py::object xy,
                               py::object remarks, bool append) {
    const std::string path = p.string();
    auto a = Table(xy, "xy", 2);
    const std::size_t n = static_cast<std::size_t>(a.shape(0));
    const std::vector<std::string> labels = Names(names, n, "P");
    std::vector<std::string> rest(n);
    if (!remarks.is_none()) {
      rest.clear();
      for (py::handle h : remarks) rest.push_back(h.is_none() ? std::string() : py::str(h).cast<std::string>());
      if (rest.size() != n)
        RaiseInput(std::string(kBadInput) + " remarks 有 " + std::to_string(rest.size()) + " 个, 点有 " +
                   std::to_string(n) + " 个");
    }
    for (std::size_t i = 0; i < n; ++i) {
      // A name the readers would not give back the same way.
      if (labels[i].empty() || labels[i].find(' ') != std::string::npos)
        RaiseInput("点名不能为空或含空格: " + py::repr(py::str(labels[i])).cast<std::string>(),
                   {{"index", py::int_(i)}});
    }
    std::vector<std::string> lines(n);
    WriteResult w;
    {
      py::gil_scoped_release unlocked;
      auto d = a.unchecked<2>();
      for (std::size_t i = 0; i < n; ++i) lines[i] = ResultLine(labels[i], d(i, 0), d(i, 1), rest[i]);
      w = WriteTextFile(path, lines, append);
    }
    if (!w.ok) RaiseFile("不能写入坐标文件" + path + "：" + w.error, path);
  }, py::arg("path"), py::arg("names"), py::arg("xy"), py::arg("remarks") = py::none(),
     py::arg("append") = false,
     R"doc(Writes a point file as the calculator writes its result lines: name, X and Y with "#.0000"
and the remark in print zones 14 columns wide (a Chinese character counts two), GBK, CR LF.

names: n str; xy: (n, 2) metres; remarks: n str or None. append=True adds to the end and never
truncates. A failure raises FileError; the file then holds what it held before.)doc");
}

}  // namespace vantrel::python
