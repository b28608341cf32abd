// 批量坐标转换: whole files converted as vantrel-cli convert converts them, byte for byte;
// fields read in order with a message each; a cancelled or failed run keeps the old output.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QProgressDialog>
#include <QTimer>

#include "app/page4/batch_convert_frm.h"
#include "app/page4/page4_parts.h"
#include "batch/crs_transform.h"
#include "tests/support/cli_run.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;
using test::Slurp;
using test::Spit;

// Points around 117°E in CGCS2000 degrees: a remark line, a Chinese remark, a line that is
// no point and one 5° from the meridian (converted, with a warning).
const std::string kBatchPoints =
    "# CGCS2000\n"
    "K01 31.8206512 117.2272301 控制点\n"
    "K02 31.8352208 117.2513946\n"
    "K03 31.7981735 116.2860412 桥头\n"
    "BAD 31.79 east\n"
    "K04 -0.5 117.9999999\n"
    "FAR 40.1 122.1\n";

const std::string kBatchGeoJson =
    R"({"type":"FeatureCollection","features":[)"
    R"({"type":"Feature","properties":{"name":"G1"},"geometry":{"type":"Point","coordinates":[117.2272301,31.8206512,12.5]}},)"
    R"({"type":"Feature","properties":{"name":"G2"},"geometry":{"type":"Point","coordinates":[116.01,40.3,8]}}]})";

class BatchConvert : public test::CliRunTest {
 protected:
  Harness<BatchConvertFrm> h;

  std::string Path(const std::string& name) { return dir_ / name; }
  void Open(const std::string& path) {
    h.fakes.files.answers = {QString::fromStdString(path)};
    h.Press("Command_Open");
  }
  void Pick(const char* combo, const QString& text) {
    auto* c = h.Find<QComboBox>(combo);
    if (c->isEditable()) {
      c->setEditText(text);
      emit c->lineEdit()->editingFinished();  // as the focus leaving it
    } else {
      c->setCurrentIndex(c->findText(text, Qt::MatchStartsWith));
    }
  }
  // Converts and gives the one message it showed.
  QString Convert() {
    const std::size_t before = h.Messages().size();
    h.Press("Command_Convert");
    EXPECT_EQ(h.Messages().size(), before + 1);
    return h.Messages().size() > before ? h.Messages().back().text : QString();
  }
};

TEST_F(BatchConvert, FilesComeOutAsTheCommandLineWritesThem) {
  const std::string in = Path("pts.txt"), geo = Path("pts.geojson");
  Spit(in, kBatchPoints);
  Spit(geo, kBatchGeoJson);

  // A point file, geographic to projected, bad lines skipped.
  Open(in);
  EXPECT_EQ(h.Field("Text_Output").toStdString(), Path("pts_out.txt"));
  const QString said = Convert();
  ASSERT_EQ(Cli("convert --from EPSG:4490 --to EPSG:4548 --on-error skip " + in + " -o " + Path("cli.txt")), 1) << err_;
  const std::string cli = Slurp(Path("cli.txt"));
  EXPECT_FALSE(cli.empty());
  EXPECT_TRUE(Slurp(Path("pts_out.txt")) == cli) << Slurp(Path("pts_out.txt")) << "\n" << cli;
  // Every line the command line told is in the message, in its words.
  const QStringList told = QString::fromStdString(err_).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(told.size(), 2);
  EXPECT_TRUE(said.startsWith("已转换 5 个点, 写入 " + QString::fromStdString(Path("pts_out.txt")))) << said.toStdString();
  EXPECT_TRUE(said.contains("\n1 行不能转换:\n" + told[0] + "\n")) << said.toStdString();
  EXPECT_TRUE(said.contains(told[1].section(" 用 --strict", 0, 0))) << said.toStdString();
  EXPECT_EQ(h.Messages().back().icon, MessageIcon::Warning);

  // GeoJSON in, with heights, written as a .dat file.
  Open(geo);
  h.Find<QLineEdit>("Text_Output")->setText(QString::fromStdString(Path("geo_out.dat")));
  h.Find<QCheckBox>("Check_Height")->setChecked(true);
  Pick("Combo_Format", ".dat");
  Convert();
  ASSERT_EQ(Cli("convert --from EPSG:4490 --to EPSG:4548 --height --to-format dat " + geo + " -o " + Path("cli.dat")), 0)
      << err_;
  EXPECT_TRUE(Slurp(Path("geo_out.dat")) == Slurp(Path("cli.dat"))) << Slurp(Path("geo_out.dat"));
  EXPECT_NE(Slurp(Path("geo_out.dat")).find("G2,"), std::string::npos);
}

TEST_F(BatchConvert, TheMeridianWayGivesTheDigitsOfTheCodeWay) {
  const std::string in = Path("pts.txt");
  Spit(in, kBatchPoints);
  Open(in);
  Convert();
  const std::string byCode = Slurp(Path("pts_out.txt"));
  h.Choose("Option_Meridian");
  Pick("Combo_Ellipsoid", "CGCS2000");
  h.Type("Text_Meridian", "117");
  h.Type("Text_FalseEasting", "500");
  h.Find<QLineEdit>("Text_Output")->setText(QString::fromStdString(Path("gauss.txt")));
  Convert();
  EXPECT_TRUE(Slurp(Path("gauss.txt")) == byCode) << Slurp(Path("gauss.txt")) << byCode;
}

TEST_F(BatchConvert, EachBadFieldIsToldInTurnAndTheDialogStaysUsable) {
  const std::string in = Path("pts.txt"), params = Path("params.txt"), old = Path("old.txt");
  Spit(in, kBatchPoints);
  Spit(params, "# fit7\n1,2,3,4,5,6\n");
  Spit(old, "kept\r\n");
  auto output = [&](const std::string& p) { h.Find<QLineEdit>("Text_Output")->setText(QString::fromStdString(p)); };
  const std::string refusal54 = batch::CrsTransformRefusal({*CrsByCode(4490), *CrsByCode(4214), {}, false});
  const std::string refusal84 = batch::CrsTransformRefusal({*CrsByCode(4490), *CrsByCode(4326), {}, false});
  struct Case {
    std::function<void()> make;
    QString message;  // the whole text, or its start with a trailing "…"
  };
  const Case cases[] = {
      {[] {}, "请先打开输入文件!"},
      {[&] { Open(in); Pick("Combo_From", "EPSG:9999"); }, "源坐标系：…"},
      {[&] { Pick("Combo_From", "4490"); Pick("Combo_To", "EPSG:4214"); },
       QString::fromStdString(refusal54) + "：请填写七参数或读参数文件"},
      {[&] { h.Type("Text_DX", "1e400"); }, "ΔX应为数值!"},
      {[&] { h.Type("Text_DX", ""); h.fakes.files.answers = {QString::fromStdString(params)}; h.Press("Command_Params"); },
       QString::fromStdString(params) + ":2: 应有 7 个数值…"},
      {[&] { Spit(params, "1,2,3,4\n"); h.fakes.files.answers = {QString::fromStdString(params)}; h.Press("Command_Params"); },
       "四参数是平面坐标之间的转换, 只用于两个投影坐标系之间; 地理坐标、空间直角坐标要用七参数"},
      {[&] { Spit(params, "1 2 3 4 5 6 7\n"); h.fakes.files.answers = {QString::fromStdString(params)}; h.Press("Command_Params"); },
       "已转换 5 个点, 写入 " + QString::fromStdString(Path("pts_out.txt")) + "\n1 行不能转换:…"},
      {[&] {
         EXPECT_EQ(h.Field("Text_EZ"), "7");  // the file's seven in their fields
         for (const char* f : {"Text_DX", "Text_DY", "Text_DZ", "Text_M", "Text_EX", "Text_EY", "Text_EZ"}) h.Type(f, "");
         Pick("Combo_To", "EPSG:4326");
       },
       QString::fromStdString(refusal84) + "：请填写七参数或读参数文件, 或选“视为同一基准”"},
      {[&] { h.Find<QCheckBox>("Check_SameDatum")->setChecked(true); h.Type("Text_Decimals", "13"); },
       "小数位数应为 0 到 12 的整数!"},
      {[&] { h.Type("Text_Decimals", "2"); output(in); }, "输出文件不能与输入文件相同!"},
      {[&] { output(old); Pick("Combo_To", "EPSG:4548"); Pick("Combo_Format", "KML"); }, "输出格式 kml: …"},
      {[&] { Pick("Combo_Format", "同输入"); output(old + "/under.txt"); }, "没有写出输出文件 (原有的文件保持不变):\n不能写入…"},
      {[&] { output(old); h.Choose("Option_Meridian"); }, "请填写中央子午线, 或选择 3°或 6°分带!"},
      {[&] { h.Type("Text_Meridian", "117.60"); Pick("Combo_Angles", "度.分秒"); }, "中央子午线的分、秒应小于 60!"},
      {[&] { Pick("Combo_ZoneWidth", "3°"); }, "按 3°或 6°分带时, 中央子午线由各点经度定, 请清空中央子午线!"},
  };
  for (const Case& c : cases) {
    const std::size_t before = h.Messages().size();
    c.make();
    if (h.Messages().size() == before) h.Press("Command_Convert");
    ASSERT_EQ(h.Messages().size(), before + 1) << c.message.toStdString();
    const QString text = h.Messages().back().text;
    if (c.message.endsWith("…")) {
      EXPECT_TRUE(text.startsWith(c.message.chopped(1))) << text.toStdString();
    } else {
      EXPECT_EQ(text, c.message);
    }
    EXPECT_EQ(h.Messages().back().title, "批量坐标转换");
    EXPECT_EQ(Slurp(old), "kept\r\n");
  }
  // Still usable: back to codes, the run writes two decimals, as asked.
  h.Choose("Option_Code");
  Pick("Combo_Angles", "十进制度");
  EXPECT_TRUE(Convert().startsWith("已转换 5 个点"));
  EXPECT_NE(Slurp(old).find("\nK01           3521987.79 "), std::string::npos) << Slurp(old);
  EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"old.txt", "params.txt", "pts.txt", "pts_out.txt"}));
}

TEST_F(BatchConvert, ACancelledRunKeepsTheOldOutputAndSaysNothing) {
  std::string big;
  char line[80];
  for (int i = 0; i < 40000; ++i) {
    std::snprintf(line, sizeof line, "P%d %.7f %.7f\r\n", i, 31.5 + i * 1e-5, 116.5 + i * 2e-5);
    big += line;
  }
  ASSERT_GT(big.size(), std::size_t{1} << 20);  // more than one block of the stream
  const std::string in = Path("big.txt"), out = Path("big_out.txt");
  Spit(in, big);
  Spit(out, "earlier\r\n");
  Open(in);
  h.fakes.clock.step = 600;  // the progress shows at the first block's end
  bool pressed = false;
  h.fakes.clock.onRead = [&] {
    auto* p = h.dialog->findChild<QProgressDialog*>("FileProgress");
    if (!p || !p->isVisible() || pressed) return;
    pressed = true;
    EXPECT_EQ(p->labelText(), "正在转换…");
    QPushButton* cancel = p->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    QTimer::singleShot(0, cancel, [cancel] { cancel->click(); });
  };
  h.Press("Command_Convert");
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(h.Messages().empty());
  EXPECT_EQ(Slurp(out), "earlier\r\n");
  EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"big.txt", "big_out.txt"}));
  h.fakes.clock.onRead = {};
  EXPECT_EQ(Convert(), "已转换 40000 个点, 写入 " + QString::fromStdString(out));
  EXPECT_EQ(Slurp(out).rfind("P0 ", 0), 0u);
}

TEST_F(BatchConvert, ThePreviewShowsTheFirstLinesAndTheLayoutFound) {
  std::string csv = "name,lat,lon\r\n";
  for (int i = 0; i < 14; ++i) csv += "Q" + std::to_string(i) + ",31.5,117." + std::to_string(i) + "\r\n";
  const std::string in = Path("pts.csv");
  Spit(in, csv);
  Open(in);
  const QStringList shown = h.Find<page4::ReportView>("Text_Preview")->toPlainText().split('\n');
  ASSERT_EQ(shown.size(), 10);
  EXPECT_EQ(shown[0], "name,lat,lon");
  EXPECT_EQ(shown[9], "Q8,31.5,117.8");
  EXPECT_EQ(h.Label("Label_Layout"), "版式: CSV, 分隔符 逗号, 表头 name,lat,lon; 编码 UTF-8");
  Spit(in + ".txt", test::Gbk({"点1 31.5 117.1 备注"}));
  Open(in + ".txt");
  EXPECT_EQ(h.Find<page4::ReportView>("Text_Preview")->toPlainText(), "点1 31.5 117.1 备注\n");
  EXPECT_EQ(h.Label("Label_Layout"), "版式: 点文件 (点名 B L [备注], 以空格分隔); 编码 GBK");
  // The axes of each system beside it; the same-datum choice only where it may be taken.
  EXPECT_EQ(h.Label("Label_FromAxes"), "纬度 B, 经度 L");
  EXPECT_EQ(h.Label("Label_ToAxes"), "x 北, y 东 (米; 北坐标在前)");
  auto* same = h.Find<QCheckBox>("Check_SameDatum");
  EXPECT_FALSE(same->isEnabled());
  EXPECT_EQ(h.Label("Label_Datum"), "同为 CGCS2000 基准, 不用七参数");
  Pick("Combo_To", "EPSG:32650");
  EXPECT_EQ(h.Label("Label_ToAxes"), "E 东, N 北 (米; 东坐标在前)");
  EXPECT_TRUE(same->isEnabled());
  EXPECT_TRUE(same->toolTip().contains("几厘米"));
  Pick("Combo_To", "EPSG:2435");
  EXPECT_FALSE(same->isEnabled());
  EXPECT_EQ(h.Label("Label_Datum"), "CGCS2000 → 北京54: 需要七参数");
}

TEST_F(BatchConvert, Screenshot) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "no screenshot folder";
  const std::string in = Path("cgcs2000_points.txt");
  Spit(in, Slurp(std::string(VANTREL_EXAMPLES_DIR) + "/convert/cgcs2000_points.txt"));
  Open(in);
  Convert();
  MaybeScreenshot(h.dialog, "batch_convert_frm.png");
}

}  // namespace
}  // namespace vantrel
