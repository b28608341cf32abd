// 控制网平差 / 水准网平差: the dialog's report, saved files and drawing against the command line
// on the same observation file, and what a bad field, line or save does to it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <map>
#include <sstream>

#include "app/page4/network_adjust_frm.h"
#include "app/page4/page4_parts.h"
#include "tests/support/cli_run.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;
using NetFrm = NetworkAdjustFrm;

struct NetLevellingFrm : NetworkAdjustFrm {
  NetLevellingFrm(AppState& s, const Services& sv) : NetworkAdjustFrm(s, sv, Mode::Levelling) {}
};

std::string NetExample(const char* name) { return std::string(VANTREL_EXAMPLES_DIR) + "/adjustment/" + name; }

// The drawing's items of one kind, by name.
std::map<QString, QPointF> NetDrawn(NetworkAdjustFrm* f, const char* kind) {
  std::map<QString, QPointF> out;
  for (QGraphicsItem* i : f->Scene()->items())
    if (i->data(NetFrm::kItemKind).toString() == kind) out[i->data(NetFrm::kItemName).toString()] = i->pos();
  return out;
}

std::string NetReportOf(NetworkAdjustFrm* f) {
  return f->findChild<QPlainTextEdit*>("Text_Report")->toPlainText().toStdString() + "\n";
}

// The line of the report that starts with `head`.
std::string NetLineStarting(const std::string& report, const std::string& head) {
  std::istringstream in(report);
  for (std::string l; std::getline(in, l);)
    if (l.rfind(head, 0) == 0) return l;
  return "";
}

class NetAdjustFrm : public test::CliRunTest {
 protected:
  // An example with one observation spoiled, so that a blunder is there to be found.
  // As GBK with CR LF when asked, the way field software writes it.
  std::string Spoiled(const char* example, const std::string& from, const std::string& to, bool gbk = false) {
    const std::string path = dir_ / example;
    const std::string text = test::Replaced(test::Slurp(NetExample(example)), from, to);
    test::Spit(path, gbk ? test::Gbk(SplitLines(text)) : text);
    return path;
  }
  template <class F>
  void Open(Harness<F>& h, const std::string& path) {
    h.fakes.files.answers.push_back(QString::fromStdString(path));
    h.Press("Command_Open");
  }
  std::string Saved(Harness<NetFrm>& h, const char* button, const char* file) {
    const std::string path = dir_ / file;
    h.fakes.files.answers.push_back(QString::fromStdString(path));
    h.Press(button);
    return test::Slurp(path);
  }
};

TEST_F(NetAdjustFrm, PlaneReportFilesAndDrawingAreTheCommandLines) {
  const std::string file = Spoiled("network.txt", "552.084 3", "552.184 3");
  Harness<NetFrm> h;
  Open(h, file);
  h.Type("Text_DirectionSigma", "1.5");
  h.Type("Text_EllipseScale", "5000");
  h.Choose("Option_APriori");
  h.Press("Command_Adjust");
  ASSERT_TRUE(h.Messages().empty()) << h.Messages()[0].text.toStdString();

  ASSERT_EQ(Cli("adjust " + file + " --direction-sigma 1.5 --a-priori"), 0) << err_;
  const std::string cliText = out_;
  EXPECT_EQ(NetReportOf(h.dialog), cliText);
  std::string gbk;
  for (const auto& l : SplitLines(cliText)) gbk += Utf8ToGbk(l) + "\r\n";
  EXPECT_EQ(Saved(h, "Command_SaveText", "r.txt"), gbk);
  ASSERT_EQ(Cli("adjust " + file + " --direction-sigma 1.5 --a-priori --ellipse-scale 5000 --report html"), 0);
  EXPECT_EQ(Saved(h, "Command_SaveHtml", "r.html"), out_);
  ASSERT_EQ(Cli("adjust " + file + " --direction-sigma 1.5 --a-priori --report json"), 0);
  EXPECT_EQ(Saved(h, "Command_SaveJson", "r.json"), out_);

  // Every adjusted point of the coordinate table has its ellipse, every point its mark, where
  // the table puts it; the blunder the report names is the red line and the label's text.
  std::map<QString, QPointF> marks = NetDrawn(h.dialog, "known"), ellipses = NetDrawn(h.dialog, "ellipse");
  marks.merge(NetDrawn(h.dialog, "new"));
  size_t adjusted = 0, rows = 0;
  bool inTable = false;
  for (const auto& w : test::Words(cliText)) {
    if (w[0] == "坐标及其精度" || w[0] == "相对误差椭圆") inTable = w[0] == "坐标及其精度";
    if (!inTable || w.size() < 4 || w[0] == "点名") continue;
    const QString name = QString::fromStdString(w[0]);
    ++rows;
    ASSERT_TRUE(marks.count(name)) << w[0];
    EXPECT_NEAR(marks[name].x(), std::stod(w[2]), 5e-5);
    EXPECT_NEAR(-marks[name].y(), std::stod(w[1]), 5e-5);
    if (w.size() < 9) continue;  // a known point: no σ, no ellipse
    ++adjusted;
    EXPECT_EQ(ellipses.count(name), 1u) << w[0];
  }
  EXPECT_EQ(rows, marks.size());
  EXPECT_EQ(adjusted, ellipses.size());
  EXPECT_EQ(adjusted, 3u);
  EXPECT_EQ(h.Label("Label_Scale"), "▲ 已知点  ○ 待定点    误差椭圆放大 5000 倍");
  const std::string named = NetLineStarting(cliText, "数据探测");
  ASSERT_NE(named.find("最可能的粗差是 第 43 行 边长 N1→K1"), std::string::npos) << named;
  EXPECT_TRUE(h.Label("Label_Blunder").startsWith(QString::fromStdString(named.substr(named.find("最可能")))));
  const auto red = NetDrawn(h.dialog, "blunder");
  ASSERT_EQ(red.size(), 1u);
  EXPECT_EQ(red.begin()->first, "K1-N1");
}

TEST_F(NetAdjustFrm, LevellingReportAndRoutesAreTheCommandLines) {
  const std::string file = Spoiled("levelling.txt", "1.4458", "1.5458", true);
  Harness<NetLevellingFrm> h;
  EXPECT_EQ(h.dialog->windowTitle(), "水准网平差");
  Open(h, file);
  // A remark typed at the end: the box's text, not the file's bytes, is adjusted.
  h.Find<QPlainTextEdit>("Text_File")->appendPlainText("# 复核");
  h.Type("Text_LevelSigma", "1.5");
  h.Press("Command_Adjust");
  ASSERT_TRUE(h.Messages().empty()) << h.Messages()[0].text.toStdString();
  ASSERT_EQ(Cli("adjust " + file + " --level-sigma 1.5"), 0) << err_;
  EXPECT_EQ(NetReportOf(h.dialog), out_);
  EXPECT_EQ(NetDrawn(h.dialog, "known").size(), 2u);
  EXPECT_EQ(NetDrawn(h.dialog, "new").size(), 3u);
  EXPECT_EQ(NetDrawn(h.dialog, "ellipse").size(), 0u);
  EXPECT_EQ(NetDrawn(h.dialog, "line").size() + NetDrawn(h.dialog, "blunder").size(), 7u);
  const std::string named = NetLineStarting(out_, "数据探测");
  ASSERT_NE(named.find("高差 B→C"), std::string::npos) << named;
  EXPECT_EQ(NetDrawn(h.dialog, "blunder").begin()->first, "B-C");
  EXPECT_TRUE(h.Label("Label_Blunder").contains("高差 B→C"));
}

// A bad field, a bad line, a network that cannot be adjusted: one message each, naming the
// field or the line (the text box's cursor put there), and the dialog goes on working.
TEST_F(NetAdjustFrm, BadInputIsNamedAndTheDialogStaysUsable) {
  const std::string good = test::Slurp(NetExample("network.txt"));
  struct Case {
    const char* field;
    const char* typed;
    std::string text;
    QString message;
    int line;  // where the cursor goes, 0 for none
  };
  const std::vector<Case> cases = {
      {"Text_DirectionSigma", "abc", good, "方向中误差(秒)应为小于 1e9 的正数!", 0},
      {"Text_AngleSigma", "0", good, "测角中误差(秒)应为小于 1e9 的正数!", 0},
      {"Text_DistanceB", "-1", good, "测距中误差 b(ppm)应为不小于 0、小于 1e9 的数!", 0},
      {"Text_EllipseScale", "1e400", good, "误差椭圆放大倍数应为小于 1e9 的正数!", 0},
      {"Text_DistanceA", "0", "测距中误差 2 0\n边长 A B 100\n已知点 A 0 0\n", "测距中误差 a(毫米) 与 b(ppm) 不能都为 0!", 0},
      {nullptr, "", test::Replaced(good, "边长 N1 K1 552.084 3", "边长 N1 K1"),
       "新观测文件:43: 边长 行缺少数据项, 应为: 边长 点名 点名 平距(米) [σ(毫米)]!", 43},
      {nullptr, "", "边长 A B 100\n", "", 0},  // no known point: the adjustment's own reason
  };
  Harness<NetFrm> h;
  auto* editor = h.Find<QPlainTextEdit>("Text_File");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.toStdString());
    h.fakes.messages.messages.clear();
    for (const char* f : {"Text_DirectionSigma", "Text_AngleSigma", "Text_DistanceA", "Text_DistanceB", "Text_EllipseScale"})
      h.Type(f, "");
    if (c.field) h.Type(c.field, c.typed);
    editor->setPlainText(QString::fromStdString(c.text));
    h.Press("Command_Adjust");
    ASSERT_EQ(h.Messages().size(), 1u);
    EXPECT_EQ(h.Messages()[0].title, "控制网平差");
    if (c.message.isEmpty()) {
      EXPECT_TRUE(h.Messages()[0].text.startsWith("新观测文件: ")) << h.Messages()[0].text.toStdString();
    } else {
      EXPECT_EQ(h.Messages()[0].text, c.message);
    }
    if (c.line) {
      EXPECT_EQ(editor->textCursor().blockNumber() + 1, c.line);
      EXPECT_TRUE(editor->textCursor().selectedText().startsWith("边长 N1 K1    #")) << "the whole line selected";
    }
    EXPECT_TRUE(NetReportOf(h.dialog) == "\n" && h.dialog->Scene()->items().isEmpty());
    EXPECT_FALSE(h.Find<QPushButton>("Command_SaveText")->isEnabled());
  }
  // Mended, the same window adjusts.
  h.Type("Text_DistanceA", "");
  editor->setPlainText(QString::fromStdString(good));
  h.fakes.messages.messages.clear();
  h.Press("Command_Adjust");
  EXPECT_TRUE(h.Messages().empty());
  EXPECT_EQ(NetDrawn(h.dialog, "ellipse").size(), 3u);
  EXPECT_TRUE(h.Find<QPushButton>("Command_SaveText")->isEnabled());
  // A name GBK cannot hold: the text report is refused (the command line's -o refuses it too),
  // nothing is written.
  editor->setPlainText("已知高程 BM1 10\n高差 BM1 P😀 1.0 1\n高差 BM1 P😀 1.002 1\n");
  h.Press("Command_Adjust");
  h.fakes.files.answers = {QString::fromStdString(dir_ / "r.txt")};
  h.Press("Command_SaveText");
  ASSERT_EQ(h.Messages().size(), 1u);
  EXPECT_EQ(h.Messages()[0].text, "报告第 19 行的 “😀” GBK 里没有, 不能存为 GBK 文字文件 (可存为网页)!");
  EXPECT_TRUE(dir_.Entries().empty());
}

// The observation file is saved as GBK CR LF; a failed save says why and leaves the old file;
// a second 新建 (or close) is needed to throw unsaved text away.
TEST_F(NetAdjustFrm, ObservationFileSavesAllOrNothingAndUnsavedTextIsKept) {
  Harness<NetFrm> h;
  auto* editor = h.Find<QPlainTextEdit>("Text_File");
  editor->setPlainText("# 控制网\n已知点 A 1 2\n");
  const std::string path = dir_ / "obs.txt";
  h.fakes.files.answers = {QString::fromStdString(path), QString::fromStdString(path + "/under")};
  h.Press("Command_Save");
  const std::string saved = test::Gbk({"# 控制网", "已知点 A 1 2"});
  EXPECT_EQ(test::Slurp(path), saved);
  EXPECT_EQ(h.dialog->FilePath().toStdString(), path);
  editor->appendPlainText("已知点 B 3 4");
  h.Press("Command_SaveAs");
  ASSERT_EQ(h.Messages().size(), 1u);
  EXPECT_TRUE(h.Messages()[0].text.startsWith("文件无法写入：")) << h.Messages()[0].text.toStdString();
  EXPECT_EQ(test::Slurp(path), saved);
  h.Press("Command_New");
  EXPECT_EQ(h.Messages().size(), 2u);
  EXPECT_TRUE(editor->toPlainText().endsWith("已知点 B 3 4")) << "the first 新建 only warns";
  h.Press("Command_New");
  EXPECT_TRUE(editor->toPlainText().startsWith("# 控制网观测文件"));
  EXPECT_TRUE(h.dialog->FilePath().isEmpty());
  editor->appendPlainText("已知点 C 5 6");
  EXPECT_FALSE(h.dialog->close()) << "closing warns first, like 新建";
  EXPECT_EQ(h.Messages().size(), 3u);
  EXPECT_TRUE(h.dialog->close());
}

TEST_F(NetAdjustFrm, Screenshot) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "no screenshot folder";
  Harness<NetFrm> h;
  Open(h, NetExample("network.txt"));
  h.Press("Command_Adjust");
  EXPECT_TRUE(h.Messages().empty());
  MaybeScreenshot(h.dialog, "network_adjust_frm.png");
  Harness<NetLevellingFrm> l;
  Open(l, NetExample("levelling.txt"));
  l.Press("Command_Adjust");
  EXPECT_TRUE(l.Messages().empty());
  MaybeScreenshot(l.dialog, "network_adjust_frm_levelling.png");
}

}  // namespace
}  // namespace vantrel
