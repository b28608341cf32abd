// Every file writer of the calculator driven through its dialog against faults that stop
// root too: the path is a folder, the path runs through a regular file, the disk is full
// (/dev/full), and a write cut off part-way (file size limit, EFBIG). Each fault must give
// its message, count nothing as written, keep byte for byte what the file held before (an
// appended-to file and a replaced one alike, with no temporary left beside it), and leave
// the dialog working: once the fault is gone, the next press writes exactly what a run that
// never met the fault writes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "common/text_files.h"
#include "dialogs/app_state.h"
#include "dialogs/platform/services.h"
#include "app/page4/batch_convert_frm.h"
#include "app/page4/height_fit_frm.h"
#include "app/page4/level_route_frm.h"
#include "app/page4/network_adjust_frm.h"
#include "geodetic/ui/frm_seven.h"
#include "plane/ui/stake_out.h"
#include "plane/ui/trav_frm.h"
#include "tests/support/file_limits.h"
#include "tests/support/gui.h"
#include "transform/point_files.h"
#include "transform/ui/co_chang.h"
#include "transform/ui/co_chang2.h"

// Failures print the texts, not their UTF-16 units.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::Press;
using testing::TextOf;
using testing::Type;

enum class Fault { Folder, UnderFile, DiskFull, CutOff, Pipe };

const char* FaultName(Fault f);
void PrintTo(Fault f, std::ostream* os) { *os << FaultName(f); }

const char* FaultName(Fault f) {
  switch (f) {
    case Fault::Folder: return "Folder";
    case Fault::UnderFile: return "UnderFile";
    case Fault::DiskFull: return "DiskFull";
    case Fault::CutOff: return "CutOff";
    case Fault::Pipe: return "Pipe";
  }
  return "";
}

// The plain-words reason the file layer gives for each fault.
QString Reason(Fault f) {
  switch (f) {
    case Fault::Folder: return "这是一个文件夹，不是文件";
    case Fault::UnderFile: return "路径中有一项不是文件夹";
    case Fault::DiskFull: return "磁盘已满";
    case Fault::CutOff: return "文件超过允许的大小";
    case Fault::Pipe: return "这是一个无人接收的管道或设备";
  }
  return {};
}

std::optional<std::string> Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// Puts HOME and XDG_DATA_HOME back as they were: the rigs point them at their own folders.
class EnvGuard {
 public:
  EnvGuard() {
    for (const char* v : {"HOME", "XDG_DATA_HOME"}) {
      const char* old = std::getenv(v);
      saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
    }
  }
  ~EnvGuard() {
    for (auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

struct Expected {
  QString text;
  QString title;
  MessageIcon icon;
};

// One writer and the dialog that drives it.
class Rig {
 public:
  virtual ~Rig() = default;
  // Whether the writer adds to the end of its file (and so must keep what it held).
  virtual bool Appends() const = 0;
  // Builds the dialog; `work` is a folder for the rig's own files, `target` the written path.
  virtual void Open(const fs::path& work, const fs::path& target) = 0;
  // Everything up to the press: files the writer reads, fields, the path chosen.
  virtual void Prepare() = 0;
  virtual void PressWriter() = 0;
  // The message a failed press shows.
  virtual Expected Failure(Fault fault) const = 0;
  // After a failed press: nothing the user sees claims the write took place.
  virtual void CheckNothingCounted() = 0;
  // Messages a successful press shows (most show none).
  virtual std::vector<QString> SuccessMessages() const { return {}; }
  RecordingMessageBox::Message* LastMessage() {
    auto& m = fakes.messages.messages;
    return m.empty() ? nullptr : &m.back();
  }

  AppState state;
  FakeServices fakes;
  fs::path work, target;
};

// ------------------------------------------------------------------ traverse, one leg

const char* const kTravTitle = "支导线计算";

class TraverseLegRig : public Rig {
 public:
  bool Appends() const override { return true; }
  void Open(const fs::path& w, const fs::path& t) override {
    work = w;
    target = t;
    fs::create_directories(work / "prog");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((work / "data").string()));
    dlg = std::make_unique<TravFrm>(state, fakes.services(), Q(work / "prog"));
  }
  void Prepare() override {
    fakes.files.answers = {Q(target)};
    Press(dlg.get(), "Command4");  // creates the chosen file with its two heading lines
    dlg->findChild<QCheckBox*>("Check2")->setChecked(true);  // walk the station on
    for (auto [name, text] : {std::pair{"Text1", "0"}, {"Text2", "0"}, {"Text3", "-100"},
                              {"Text4", "0"}, {"Text10", "90.0000"}, {"Text11", "100"},
                              {"Text14", "P1"}})
      Type(dlg.get(), name, text);
    station = Station();
  }
  void PressWriter() override { Press(dlg.get(), "Command2"); }
  Expected Failure(Fault f) const override {
    return {"结果文件无法写入：" + QDir::toNativeSeparators(Q(target)) + "\n" + Reason(f),
            kTravTitle, MessageIcon::Critical};
  }
  void CheckNothingCounted() override {
    // The leg is shown, but the station stays put so the same leg can be written again.
    EXPECT_NEAR(TextOf(dlg.get(), "Text13").toDouble(), -100, 1e-9);
    EXPECT_EQ(Station(), station);
    EXPECT_EQ(state.TravResultFile, target.string());
  }

  static QString Q(const fs::path& p) { return QString::fromStdString(p.string()); }
  QStringList Station() {
    QStringList s;
    for (const char* n : {"Text1", "Text2", "Text3", "Text4", "Text5"}) s << TextOf(dlg.get(), n);
    return s;
  }
  std::unique_ptr<TravFrm> dlg;
  QStringList station;
};

// ------------------------------------------------------------------ traverse, chosen file

class TraverseFileRig : public TraverseLegRig {
 public:
  bool Appends() const override { return false; }
  void Prepare() override { before = state.TravResultFile; }
  void PressWriter() override {
    fakes.files.answers = {Q(target)};
    Press(dlg.get(), "Command4");
  }
  void CheckNothingCounted() override {
    EXPECT_EQ(state.TravResultFile, before);
    EXPECT_EQ(TextOf(dlg.get(), "Text8"), QDir::toNativeSeparators(Q(before)));
  }
  std::string before;
};

// ------------------------------------------------------------------ traverse diagram bitmap

class DiagramRig : public TraverseLegRig {
 public:
  bool Appends() const override { return false; }
  void Prepare() override {
    Press(dlg.get(), "Command3");
    ASSERT_NE(dlg->net(), nullptr);
  }
  void PressWriter() override {
    fakes.files.answers = {Q(target)};
    dlg->net()->findChild<QAction*>("Net_Save")->trigger();
  }
  Expected Failure(Fault) const override {
    return {"保存失败!", "支导线网图", MessageIcon::Critical};
  }
  void CheckNothingCounted() override { EXPECT_TRUE(dlg->net()->isVisible()); }
};

// ------------------------------------------------------------------ seven-parameter grid

class GridRig : public Rig {
 public:
  bool Appends() const override { return false; }
  void Open(const fs::path& w, const fs::path& t) override {
    work = w;
    target = t;
    // The grid file is tmp.out in the home folder: the target's folder plays home.
    EXPECT_EQ(t.filename(), "tmp.out");
    qputenv("HOME", QByteArray::fromStdString(t.parent_path().string()));
    dlg = std::make_unique<FrmSeven>(state, fakes.services());
  }
  void Prepare() override { Press(dlg.get(), "Command1"); }
  void PressWriter() override { Press(dlg.get(), "Command2"); }
  Expected Failure(Fault f) const override {
    return {"修正格网文件 " + QString::fromStdString(target.string()) + " 无法写入: " + Reason(f),
            "七参数坐标转换", MessageIcon::Critical};
  }
  void CheckNothingCounted() override {
    // The correction itself was computed; only the grid file failed.
    EXPECT_EQ(TextOf(dlg.get(), "Label21"), ".1114");
  }
  std::unique_ptr<FrmSeven> dlg;
};

// ------------------------------------------------------------------ common-point result block

const char* const kTransformTitle = "平面坐标转换";

class ResultBlockRig : public Rig {
 public:
  bool Appends() const override { return true; }
  void Open(const fs::path& w, const fs::path& t) override {
    work = w;
    target = t;
    dlg = std::make_unique<Co_Chang>(state, fakes.services());
  }
  void Prepare() override {
    const fs::path old = work / "old.txt";
    WriteBytes(old, "A 100 100\r\nB 200 100\r\nC 150 250 corner\r\n");
    WriteBytes(target, "A 1100 1100\r\nB 1200 1100\r\n");
    fakes.files.answers = {QString::fromStdString(old.string()),
                           QString::fromStdString(target.string())};
    Press(dlg.get(), "Command5");
    Press(dlg.get(), "Command6");
  }
  void PressWriter() override { Press(dlg.get(), "Command1"); }
  Expected Failure(Fault f) const override {
    const QString path = QString::fromStdString(target.string());
    // The new file is read for its common points before the block is added to it, so a
    // path that is no file fails at reading; only a cut-off append reaches the writer.
    switch (f) {
      case Fault::Folder:
        return {"不能读取新坐标文件" + path + "：" + Reason(f), "Vantrel", MessageIcon::None};
      case Fault::UnderFile:
        return {"新坐标文件不存在!", kTransformTitle, MessageIcon::Critical};
      case Fault::DiskFull:
      case Fault::Pipe:
        return {"不能读取新坐标文件" + path + "：这不是一个普通文件", "Vantrel",
                MessageIcon::None};
      case Fault::CutOff:
        break;
    }
    return {"不能写入新坐标文件" + path + "：" + Reason(f), kTransformTitle,
            MessageIcon::Critical};
  }
  void CheckNothingCounted() override {
    EXPECT_FALSE(state.Transform.ParamsReady);
    Press(dlg.get(), "Command4");
    EXPECT_EQ(dlg->ParamWindow(), nullptr);
  }
  std::vector<QString> SuccessMessages() const override { return {"坐标旋转结束!"}; }
  std::unique_ptr<Co_Chang> dlg;
};

// ------------------------------------------------------------------ rotation result file

class RotationRig : public Rig {
 public:
  bool Appends() const override { return false; }
  void Open(const fs::path& w, const fs::path& t) override {
    work = w;
    target = t;
    dlg = std::make_unique<Co_Chang2>(state, fakes.services());
  }
  void Prepare() override {
    const fs::path old = work / "old.txt";
    WriteBytes(old, "A 100 100\r\nB 200 100 stone\r\n");
    fakes.files.answers = {QString::fromStdString(old.string()),
                           QString::fromStdString(target.string())};
    Press(dlg.get(), "Command5");
    Press(dlg.get(), "Command6");
    for (auto [name, text] : {std::pair{"Text2", "100"}, {"Text3", "100"}, {"Text4", "5000"},
                              {"Text5", "6000"}, {"Text6", "30.3000"}})
      Type(dlg.get(), name, text);
  }
  void PressWriter() override { Press(dlg.get(), "Rotate"); }
  Expected Failure(Fault f) const override {
    return {"不能写入新坐标文件" + QString::fromStdString(target.string()) + "：" + Reason(f),
            kTransformTitle, MessageIcon::Critical};
  }
  void CheckNothingCounted() override {
    for (const auto& m : fakes.messages.messages) EXPECT_NE(m.text, "坐标旋转结束!");
  }
  std::vector<QString> SuccessMessages() const override { return {"坐标旋转结束!"}; }
  std::unique_ptr<Co_Chang2> dlg;
};

// ------------------------------------------------------------------ stakeout data file

class StakeoutRig : public Rig {
 public:
  bool Appends() const override { return true; }
  void Open(const fs::path& w, const fs::path& t) override {
    work = w;
    target = t;
    dlg = std::make_unique<StakeOut>(state, fakes.services());
    dlg->show();
    dlg->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
  }
  void Prepare() override {
    // No line end after the last point: the append has to add one first.
    WriteBytes(target, "S 0 0 100\r\nB 100 0 0");
    fakes.files.answers = {QString::fromStdString(target.string())};
    Press(dlg.get(), "Command1");
    Pick("Combo1", "S");
    Pick("Combo2", "B");
    QTest::keyClicks(dlg->findChild<QComboBox*>("Combo3")->lineEdit(), "T1");
    for (auto [name, text] : {std::pair{"Text8", "0"}, {"Text9", "50"}, {"Text10", "0"}}) {
      QLineEdit* f = testing::Field(dlg.get(), name);
      f->setFocus(Qt::TabFocusReason);
      QTest::keyClicks(f, text);
    }
    testing::Find<QWidget>(dlg.get(), "Command2")->setFocus(Qt::TabFocusReason);
  }
  void PressWriter() override { Press(dlg.get(), "Command2"); }
  Expected Failure(Fault f) const override {
    return {"无法向数据文件添加点：" + Reason(f), "坐标放样", MessageIcon::Warning};
  }
  void CheckNothingCounted() override {
    EXPECT_EQ(TextOf(dlg.get(), "Label2"), "50.000");
    EXPECT_TRUE(dlg->StakeTyped());  // not recorded, so still to be recorded
  }
  void Pick(const char* combo, const QString& name) {
    auto* c = dlg->findChild<QComboBox*>(combo);
    const int row = c->findText(name);
    ASSERT_GE(row, 0);
    c->setCurrentIndex(row);
    emit c->activated(row);
  }
  std::unique_ptr<StakeOut> dlg;
};

// ------------------------------------------------------------------ levelling report

class LevelReportRig : public Rig {
 public:
  bool Appends() const override { return false; }
  void Open(const fs::path& w, const fs::path& t) override {
    work = w;
    target = t;
    dlg = std::make_unique<LevelRouteFrm>(state, fakes.services());
  }
  void Prepare() override {
    const fs::path route = work / "route.txt";
    WriteBytes(route, "路线 闭合\r\n已知 A 41.200\r\n测段 公里\r\nA B -1.418 1.0\r\nB C -2.452 3.0\r\nC A +3.858 2.0\r\n");
    fakes.files.answers = {QString::fromStdString(route.string())};
    Press(dlg.get(), "Command_Open");
    Press(dlg.get(), "Command_Calc");
  }
  void PressWriter() override {
    fakes.files.answers = {QString::fromStdString(target.string())};
    Press(dlg.get(), "Command_SaveReport");
  }
  Expected Failure(Fault f) const override {
    return {"文件无法写入：" + QString::fromStdString(target.string()) + "\n" + Reason(f), "水准路线",
            MessageIcon::Warning};
  }
  void CheckNothingCounted() override {}
  std::unique_ptr<LevelRouteFrm> dlg;
};

// ------------------------------------------------------------------ heights of a point file

class HeightApplyRig : public Rig {
 public:
  bool Appends() const override { return false; }
  void Open(const fs::path& w, const fs::path& t) override {
    work = w;
    target = t;
    dlg = std::make_unique<HeightFitFrm>(state, fakes.services());
  }
  void Prepare() override {
    const fs::path common = work / "common.txt", points = work / "points.txt";
    WriteBytes(common, "A 1000 1000 50.10 40.00\r\nB 2000 1000 50.20 40.05\r\nC 1000 2000 50.30 40.10\r\n");
    WriteBytes(points, "P1 1200 1100 50.5\r\nP2 1300 1200 51.5 well\r\n");
    fakes.files.answers = {QString::fromStdString(common.string())};
    Press(dlg.get(), "Command_Open");
    Type(dlg.get(), "Text_Input", QString::fromStdString(points.string()));
    Type(dlg.get(), "Text_Output", QString::fromStdString(target.string()));
  }
  void PressWriter() override { Press(dlg.get(), "Command_Apply"); }
  Expected Failure(Fault f) const override {
    return {"换算没有完成, 输出文件未写:\n不能写入" + QString::fromStdString(target.string()) + "：" + Reason(f),
            "高程拟合", MessageIcon::Warning};
  }
  void CheckNothingCounted() override {
    for (const auto& m : fakes.messages.messages) EXPECT_FALSE(m.text.startsWith("换算完成"));
  }
  std::vector<QString> SuccessMessages() const override {
    return {"换算完成: 2 个点写到 " + QString::fromStdString(target.string()) + "。"};
  }
  std::unique_ptr<HeightFitFrm> dlg;
};

// ------------------------------------------------------------------ 批量坐标转换

class BatchConvertRig : public Rig {
 public:
  bool Appends() const override { return false; }
  void Open(const fs::path& w, const fs::path& t) override {
    work = w;
    target = t;
    dlg = std::make_unique<BatchConvertFrm>(state, fakes.services());
  }
  void Prepare() override {
    WriteBytes(work / "points.txt", "A 31.82 117.22\r\nB 31.83 117.25 备注\r\nC 31.80 117.28\r\n");
    dlg->findChild<QLineEdit*>("Text_Input")->setText(Q(work / "points.txt"));
    dlg->findChild<QLineEdit*>("Text_Output")->setText(Q(target));
  }
  void PressWriter() override { Press(dlg.get(), "Command_Convert"); }
  Expected Failure(Fault f) const override {
    return {"没有写出输出文件 (原有的文件保持不变):\n不能写入" + Q(target) + "：" + Reason(f), "批量坐标转换",
            MessageIcon::Warning};
  }
  void CheckNothingCounted() override { EXPECT_EQ(dlg->findChild<QPlainTextEdit*>("Text_Result")->toPlainText(), ""); }
  std::vector<QString> SuccessMessages() const override { return {"已转换 3 个点, 写入 " + Q(target)}; }

  static QString Q(const fs::path& p) { return QString::fromStdString(p.string()); }
  std::unique_ptr<BatchConvertFrm> dlg;
};

// ------------------------------------------------------------------ the table

// ------------------------------------------------------------------ a network's observation file

class NetworkFileRig : public Rig {
 public:
  bool Appends() const override { return false; }
  void Open(const fs::path& w, const fs::path& t) override {
    work = w;
    target = t;
    dlg = std::make_unique<NetworkAdjustFrm>(state, fakes.services(), NetworkAdjustFrm::Mode::Levelling);
  }
  void Prepare() override {
    auto* editor = dlg->findChild<QPlainTextEdit*>("Text_File");
    editor->setPlainText("已知高程 BM1 10\n高差 BM1 A 1.002 1\n");
    editor->document()->setModified(true);  // as typing leaves it
  }
  void PressWriter() override {
    fakes.files.answers = {QString::fromStdString(target.string())};
    Press(dlg.get(), "Command_SaveAs");
  }
  Expected Failure(Fault f) const override {
    return {"文件无法写入：" + QString::fromStdString(target.string()) + "\n" + Reason(f), "水准网平差",
            MessageIcon::Warning};
  }
  // The typed text is still the unsaved one.
  void CheckNothingCounted() override {
    EXPECT_TRUE(dlg->findChild<QPlainTextEdit*>("Text_File")->document()->isModified());
  }
  std::unique_ptr<NetworkAdjustFrm> dlg;
};

enum class Writer { TraverseLeg, TraverseFile, Diagram, Grid, ResultBlock, Rotation, Stakeout, LevelReport, HeightApply, BatchConvert,
                    NetworkFile };

struct WriterInfo {
  Writer id;
  const char* name;
  const char* leaf;
};
void PrintTo(const WriterInfo& w, std::ostream* os) { *os << w.name; }

const WriterInfo kWriters[] = {
    {Writer::TraverseLeg, "TraverseLeg", "legs.out"},
    {Writer::TraverseFile, "TraverseFile", "chosen.out"},
    {Writer::Diagram, "Diagram", "net.bmp"},
    {Writer::Grid, "Grid", "tmp.out"},
    {Writer::ResultBlock, "ResultBlock", "new.txt"},
    {Writer::Rotation, "Rotation", "rotated.txt"},
    {Writer::Stakeout, "Stakeout", "stake.out"},
    {Writer::LevelReport, "LevelReport", "route_report.txt"},
    {Writer::HeightApply, "HeightApply", "heights.txt"},
    {Writer::BatchConvert, "BatchConvert", "converted.txt"},
    {Writer::NetworkFile, "NetworkFile", "network.txt"},
};

std::unique_ptr<Rig> MakeRig(Writer w) {
  switch (w) {
    case Writer::TraverseLeg: return std::make_unique<TraverseLegRig>();
    case Writer::TraverseFile: return std::make_unique<TraverseFileRig>();
    case Writer::Diagram: return std::make_unique<DiagramRig>();
    case Writer::Grid: return std::make_unique<GridRig>();
    case Writer::ResultBlock: return std::make_unique<ResultBlockRig>();
    case Writer::Rotation: return std::make_unique<RotationRig>();
    case Writer::Stakeout: return std::make_unique<StakeoutRig>();
    case Writer::LevelReport: return std::make_unique<LevelReportRig>();
    case Writer::HeightApply: return std::make_unique<HeightApplyRig>();
    case Writer::BatchConvert: return std::make_unique<BatchConvertRig>();
    case Writer::NetworkFile: return std::make_unique<NetworkFileRig>();
  }
  return nullptr;
}

class FileFaults : public ::testing::TestWithParam<std::tuple<WriterInfo, Fault>> {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("file_faults_" + std::to_string(::getpid()) + "_" +
             std::string(std::get<0>(GetParam()).name) + FaultName(std::get<1>(GetParam())));
    fs::remove_all(root_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // What a run that meets no fault leaves in the file: before and after the press.
  std::pair<std::string, std::string> CleanRun(const WriterInfo& w) {
    const fs::path dir = root_ / "clean";
    fs::create_directories(dir / "sub");
    auto rig = MakeRig(w.id);
    rig->Open(dir, dir / "sub" / w.leaf);
    rig->Prepare();
    const std::string before = Bytes(rig->target).value_or("");
    rig->PressWriter();
    const std::string after = Bytes(rig->target).value_or("");
    return {before, after};
  }

  EnvGuard env_;
  fs::path root_;
};

TEST_P(FileFaults, MessageNothingCountedNothingLostAndUsableAfterwards) {
  const auto& [w, fault] = GetParam();
  const auto [cleanBefore, cleanAfter] = CleanRun(w);
  ASSERT_GT(cleanAfter.size(), cleanBefore.size()) << "the clean run wrote nothing";

  const fs::path dir = root_ / "fault";
  const fs::path sub = dir / "sub";
  const fs::path target = sub / w.leaf;
  const fs::path real = dir / "real";  // behind a link that can be turned to /dev/full
  fs::create_directories(sub);
  auto rig = MakeRig(w.id);
  if (fault == Fault::DiskFull) fs::create_symlink(real, target);
  rig->Open(dir, target);
  rig->Prepare();
  // A file replaced whole must survive a failed replace: give it an earlier good one.
  if (!rig->Appends()) WriteBytes(target, "an earlier result, kept\r\n");
  const std::optional<std::string> earlier = Bytes(target);

  // Set the fault up under a writer that has already taken its path.
  switch (fault) {
    case Fault::Folder:
      if (fs::exists(target)) fs::rename(target, dir / "kept");
      fs::create_directory(target);
      break;
    case Fault::UnderFile:
      fs::rename(sub, dir / "kept");
      WriteBytes(sub, "a regular file\r\n");
      break;
    case Fault::DiskFull:
      fs::remove(target);
      fs::create_symlink("/dev/full", target);
      break;
    case Fault::Pipe:  // nobody reads it: opening it for writing must not wait for a reader
      if (fs::exists(target)) fs::rename(target, dir / "kept");
      ASSERT_EQ(mkfifo(target.c_str(), 0644), 0);
      break;
    case Fault::CutOff:
      break;
  }
  const size_t shown = rig->fakes.messages.messages.size();
  {
    // A writer stuck on the pipe ends the run with SIGALRM instead of hanging it.
    alarm(20);
    if (fault == Fault::CutOff) {
      // Room for a few bytes of the new lines only; a file written from the start gets 10.
      const rlim_t limit = (rig->Appends() ? earlier.value_or("").size() : 0) + 10;
      test::FileSizeLimit cut(limit);
      rig->PressWriter();
    } else {
      rig->PressWriter();
    }
    alarm(0);
  }

  ASSERT_EQ(rig->fakes.messages.messages.size(), shown + 1) << "one message for the fault";
  const Expected want = rig->Failure(fault);
  EXPECT_EQ(rig->LastMessage()->text, want.text);
  EXPECT_EQ(rig->LastMessage()->title, want.title);
  EXPECT_EQ(rig->LastMessage()->icon, want.icon);
  rig->CheckNothingCounted();
  // Where the earlier file is now: moved aside for the fault, behind the link, or in place.
  const fs::path held = fault == Fault::DiskFull    ? real
                        : fault == Fault::UnderFile ? dir / "kept" / w.leaf
                        : fault == Fault::CutOff    ? target
                                                    : dir / "kept";
  EXPECT_EQ(Bytes(held), earlier) << "earlier content lost";
  for (const fs::path& folder : {sub, dir / "kept"}) {
    if (!fs::is_directory(folder)) continue;
    for (const auto& e : fs::directory_iterator(folder))
      EXPECT_NE(e.path().filename().string().rfind("." + std::string(w.leaf) + ".", 0), 0u)
          << "temporary left behind: " << e.path();
  }

  // Take the fault away; the dialog writes what a clean run writes.
  switch (fault) {
    case Fault::Folder:
    case Fault::Pipe:
      fs::remove(target);
      if (fs::exists(dir / "kept")) fs::rename(dir / "kept", target);
      break;
    case Fault::UnderFile:
      fs::remove(sub);
      fs::rename(dir / "kept", sub);
      break;
    case Fault::DiskFull:
      fs::remove(target);
      fs::create_symlink(real, target);
      break;
    case Fault::CutOff:
      break;
  }
  rig->fakes.messages.messages.clear();
  rig->PressWriter();
  std::vector<QString> texts;
  for (const auto& m : rig->fakes.messages.messages) texts.push_back(m.text);
  EXPECT_EQ(texts, rig->SuccessMessages());
  const std::string now = Bytes(target).value_or("");
  if (rig->Appends()) {
    // A cut-off write left nothing behind, so earlier content plus the clean run's addition.
    ASSERT_TRUE(earlier.has_value());
    ASSERT_EQ(cleanAfter.substr(0, cleanBefore.size()), cleanBefore);
    EXPECT_EQ(now, *earlier + cleanAfter.substr(cleanBefore.size()));
  } else {
    EXPECT_EQ(now, cleanAfter);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryWriter, FileFaults,
    ::testing::Combine(::testing::ValuesIn(kWriters),
                       ::testing::Values(Fault::Folder, Fault::UnderFile, Fault::DiskFull,
                                         Fault::CutOff, Fault::Pipe)),
    [](const ::testing::TestParamInfo<FileFaults::ParamType>& p) {
      return std::string(std::get<0>(p.param).name) + "_" + FaultName(std::get<1>(p.param));
    });

// The traverse file the dialog creates when it opens: a program folder that cannot take it
// sends it to the user's data folder; when that fails too, the user is told and a chosen
// file works.
TEST(TraverseFileOnOpen, FaultyProgramFolderFallsBackOrIsReported) {
  EnvGuard env;
  const fs::path root = fs::temp_directory_path() / ("file_faults_open_" + std::to_string(::getpid()));
  const struct {
    Fault fault;
    bool dataFolderFails;
  } cases[] = {{Fault::Folder, false},    {Fault::UnderFile, false}, {Fault::DiskFull, false},
               {Fault::Folder, true},     {Fault::UnderFile, true},  {Fault::DiskFull, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(FaultName(c.fault)) + (c.dataFolderFails ? " +data" : ""));
    fs::remove_all(root);
    fs::create_directories(root);
    const fs::path prog = root / "prog";
    switch (c.fault) {
      case Fault::Folder: fs::create_directories(prog / "traverse.out"); break;
      case Fault::UnderFile: WriteBytes(prog, "not a folder"); break;
      default:
        fs::create_directories(prog);
        fs::create_symlink("/dev/full", prog / "traverse.out");
    }
    const fs::path data = root / "data";
    if (c.dataFolderFails) WriteBytes(data, "not a folder");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.string()));
    const QString fallback =
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("traverse.out");
    ASSERT_TRUE(fallback.startsWith(QString::fromStdString(data.string())));

    AppState state;
    FakeServices fakes;
    TravFrm dlg(state, fakes.services(), QString::fromStdString(prog.string()));
    EXPECT_EQ(QString::fromStdString(state.TravResultFile), fallback);
    EXPECT_EQ(TextOf(&dlg, "Text8"), QDir::toNativeSeparators(fallback));
    auto& shown = fakes.messages.messages;
    if (!c.dataFolderFails) {
      EXPECT_TRUE(shown.empty());
      EXPECT_EQ(SplitLines(Bytes(fallback.toStdString()).value_or("")).size(), 2u);
      continue;
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "结果文件无法写入：" + QDir::toNativeSeparators(fallback) + "\n" +
                                 Reason(Fault::UnderFile));
    EXPECT_EQ(shown[0].title, kTravTitle);
    EXPECT_EQ(shown[0].icon, MessageIcon::Critical);
    // Usable: a chosen file takes the legs.
    const fs::path chosen = root / "chosen.out";
    fakes.files.answers = {QString::fromStdString(chosen.string())};
    Press(&dlg, "Command4");
    for (auto [name, text] : {std::pair{"Text1", "0"}, {"Text2", "0"}, {"Text3", "-100"},
                              {"Text4", "0"}, {"Text10", "90"}, {"Text11", "100"}})
      Type(&dlg, name, text);
    Press(&dlg, "Command2");
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(SplitLines(Bytes(chosen).value_or("")).size(), 3u);
  }
  fs::remove_all(root);
}

// The result block's writer behind the dialog, for the faults the dialog's own reading of
// the new file stops first.
TEST(ResultBlockRoutine, WriteFaultsAreReportedAndTheOldFileIsLeftAlone) {
  const fs::path dir = fs::temp_directory_path() / ("file_faults_routine_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "folder");
  WriteBytes(dir / "plain.txt", "x\r\n");
  WriteBytes(dir / "old.txt", "A 1 2\r\n");
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
  TransformState state;
  const struct {
    fs::path path;
    Fault fault;
  } cases[] = {{dir / "folder", Fault::Folder},
               {dir / "plain.txt" / "new.txt", Fault::UnderFile},
               {"/dev/full", Fault::DiskFull},
               {dir / "pipe", Fault::Pipe}};
  for (const auto& c : cases) {
    std::string error;
    std::vector<std::string> told;
    const AppendOutcome out =
        T_Co_Rotate((dir / "old.txt").string(), c.path.string(), state,
                    [&](const std::string& t) { told.push_back(t); }, &error);
    EXPECT_EQ(out, AppendOutcome::WriteFailed) << FaultName(c.fault);
    EXPECT_EQ(QString::fromStdString(error), Reason(c.fault)) << FaultName(c.fault);
    EXPECT_TRUE(told.empty());
  }
  EXPECT_EQ(Bytes(dir / "old.txt"), "A 1 2\r\n");
  EXPECT_EQ(Bytes(dir / "plain.txt"), "x\r\n");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantrel
