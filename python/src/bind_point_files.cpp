// Coordinate point files as the calculator reads and writes them: "name X Y [remark]" lines,
// GBK with CR LF, print zones.
#include <filesystem>

#include "binding.h"
#include "common/line_reader.h"
#include "common/text_files.h"
#include "transform/point_files.h"

namespace vantrel::python {

namespace {

struct PointTable {
  std::vector<std::string> names, remarks;
  std::vector<double> xy;
  std::uint64_t stop = 0;  // the faulty line's number, 0 when the list ended normally
  bool notGbk = false;     // that line is not GBK text
};

// The list as the calculator's readers take it, line by line: it ends at the first empty
// line or the end; a line that is no point line, or (GBK) not GBK text, stops it there.
PointTable ReadTable(std::string_view bytes, bool gbk) {
  PointTable t;
  LineCursor cursor(bytes);
  std::string_view line;
  for (std::uint64_t number = 1; cursor.Next(line); ++number) {
    if (line.empty()) break;
    if (gbk) {
      PointRecord r;
      const LineRead read = ReadPointRecord(line, r);
      if (read != LineRead::Point) {
        t.stop = number;
        t.notGbk = read == LineRead::NotGbk;
        break;
      }
      t.names.push_back(GbkToUtf8(r.fields.Name));
      t.remarks.push_back(GbkToUtf8(r.fields.Rest));
      t.xy.push_back(r.X);
      t.xy.push_back(r.Y);
    } else {
      PointLine pl;
      if (!SplitPointLine(line, pl)) {
        t.stop = number;
        break;
      }
      t.names.push_back(std::move(pl.Name));
      t.remarks.push_back(std::move(pl.Rest));
      t.xy.push_back(pl.X);
      t.xy.push_back(pl.Y);
    }
  }
  return t;
}

}  // namespace

void BindPointFiles(py::module_& m) {
  py::object points = DefineRecord(m, "PointFileData", {"names", "xy", "remarks"},
                                   "The points of a point file: names (list of str), xy (n, 2) array of X (north) "
                                   "and Y (east) in metres, remarks (list of str, '' where a line has none).");
  m.def("read_point_file", [points](const std::filesystem::path& p, const std::string& encoding) {
    const std::string path = p.string();
    if (encoding != "auto" && encoding != "gbk") RaiseInput(std::string(kBadInput) + " encoding 应为 'auto' 或 'gbk'");
    FileBytesResult f = ReadFileBytes(path);
    if (!f.ok) RaiseFile(UnreadableFileMessage("坐标文件", path, f.error), path);
    std::string_view bytes = f.bytes;
    // 'auto' tells UTF-8 from GBK as every reader of ours does.
    const bool gbk = encoding == "gbk" || !TakeAsUtf8(bytes);
    PointTable t;
    {
      py::gil_scoped_release unlocked;
      t = ReadTable(bytes, gbk);
    }
    const std::size_t n = t.names.size();
    if (t.stop != 0) {
      const std::string message = t.notGbk ? NotGbkLineMessage("坐标文件", path, t.stop)
                                           : "坐标文件" + path + "数据格式有错 (第" + std::to_string(t.stop) + "行)";
      RaiseInput(message, {{"path", py::str(path)}, {"line", py::int_(t.stop)}});
    }
    py::array_t<double> xy({static_cast<py::ssize_t>(n), py::ssize_t{2}});
    std::copy(t.xy.begin(), t.xy.end(), xy.mutable_data());
    return points(t.names, xy, t.remarks);
  }, py::arg("path"), py::arg("encoding") = "auto",
     R"doc(Reads a point file: one point a line, "name X Y [remark...]", fields separated by spaces.

The list ends at the first empty line or the end of the file, as the calculator's readers end
it. X and Y must pass the strict numeric test. encoding 'gbk' reads as the calculator does,
line by line: a line that is not GBK text stops the list only when it is reached (InputError
"不能读取坐标文件PATH：第N行不是GBK文本"); bytes after the list's end are never looked at.
'auto' takes a file of well-formed UTF-8 (a byte-order mark dropped) as UTF-8 and any other
file as 'gbk' does. Returns PointFileData(names, xy, remarks). A file that cannot be read
raises FileError "不能读取坐标文件PATH：reason"; a faulty line InputError
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
