// Coordinate point files as the calculator reads and writes them: "name X Y [remark]" lines,
// GBK with CR LF, print zones.
#include <filesystem>

#include "binding.h"
#include "common/text_files.h"
#include "transform/point_files.h"

namespace vantrel::python {

namespace {

struct PointTable {
  std::vector<std::string> names, remarks;
  std::vector<double> xy;
};

std::vector<std::string> FileLines(const std::string& path, const std::string& encoding) {
  if (encoding == "gbk") {
    PointFile f = ReadPointFile(path);
    if (!f.ok) RaiseFile(UnreadableFileMessage("坐标文件", path, f.error), path);
    return std::move(f.lines);
  }
  if (encoding != "auto") RaiseInput(std::string(kBadInput) + " encoding 应为 'auto' 或 'gbk'");
  FileBytesResult f = ReadFileBytes(path);
  if (!f.ok) RaiseFile(UnreadableFileMessage("坐标文件", path, f.error), path);
  return SplitLines(GbkOrUtf8ToUtf8(f.bytes));
}

}  // namespace

void BindPointFiles(py::module_& m) {
  py::object points = DefineRecord(m, "PointFileData", {"names", "xy", "remarks"},
                                   "The points of a point file: names (list of str), xy (n, 2) array of X (north) "
                                   "and Y (east) in metres, remarks (list of str, '' where a line has none).");
  m.def("read_point_file", [points](const std::filesystem::path& p, const std::string& encoding) {
    const std::string path = p.string();
    const std::vector<std::string> lines = FileLines(path, encoding);
    PointTable t;
    {
      py::gil_scoped_release unlocked;
      for (const std::string& line : lines) {
        if (line.empty()) break;
        PointLine pl;
        if (!SplitPointLine(line, pl)) break;
        t.names.push_back(std::move(pl.Name));
        t.remarks.push_back(std::move(pl.Rest));
        t.xy.push_back(pl.X);
        t.xy.push_back(pl.Y);
      }
    }
    const std::size_t n = t.names.size();
    if (n < lines.size() && !lines[n].empty()) {
      RaiseInput("坐标文件" + path + "数据格式有错 (第" + std::to_string(n + 1) + "行)",
                 {{"path", py::str(path)}, {"line", py::int_(n + 1)}});
    }
    py::array_t<double> xy({static_cast<py::ssize_t>(n), py::ssize_t{2}});
    std::copy(t.xy.begin(), t.xy.end(), xy.mutable_data());
    return points(t.names, xy, t.remarks);
  }, py::arg("path"), py::arg("encoding") = "auto",
     R"doc(Reads a point file: one point a line, "name X Y [remark...]", fields separated by spaces.

The list ends at the first empty line or the end of the file, as the calculator's readers end
it. X and Y must pass the strict numeric test. encoding 'auto' takes UTF-8 (a byte-order mark
dropped) and anything else as GBK; 'gbk' reads as the calculator does, refusing bytes that are
not GBK. Returns PointFileData(names, xy, remarks). A file that cannot be read raises FileError
"不能读取坐标文件PATH：reason"; a faulty line InputError "坐标文件PATH数据格式有错 (第N行) "
with .line.)doc");

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
