// Random typing and pressing over every catalogue dialog: fields get hostile texts and valid
// numbers, the file dialogs answer with hostile files, buttons are pressed in random order.
// A round fails on a message the program does not know, a window left closed, disabled or
// modal, a field that no longer takes text, or a result shown as inf or NaN; a crash or a
// hang (the watchdog) ends the run with the seed and the last action.
//
// Longer runs on request: VANTREL_MONKEY_ROUNDS (total rounds), VANTREL_MONKEY_SEED.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/catalogue.h"
#include "app/main_window.h"
#include "common/text_files.h"
#include "dialogs/vdialog.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;
using Rng = std::mt19937;

// ------------------------------------------------------------------ run settings

constexpr unsigned kDefaultSeed = 20261208;
// Default total: 25 entries x 226 rounds one by one, plus 2,850 rounds through the main window
// (a longer run: VANTREL_MONKEY_ROUNDS).
constexpr int kDefaultRounds = 8500;

unsigned Seed() {
  const QByteArray s = qgetenv("VANTREL_MONKEY_SEED");
  return s.isEmpty() ? kDefaultSeed : static_cast<unsigned>(s.toULongLong());
}

int TotalRounds() {
  const QByteArray s = qgetenv("VANTREL_MONKEY_ROUNDS");
  const int n = s.isEmpty() ? kDefaultRounds : s.toInt();
  return std::max(n, 1);
}

// Two thirds of the rounds go to the entries one by one, the rest to the whole-program run.
int RoundsPerEntry() {
  return std::max(1, TotalRounds() * 2 / 3 / static_cast<int>(DispatchTable().size()));
}
int MixedRounds() { return std::max(1, TotalRounds() - RoundsPerEntry() * int(DispatchTable().size())); }

// ------------------------------------------------------------------ watchdog

// The last action, printed when a round hangs; set before every step.
std::mutex gActionMutex;
std::string gAction;
std::atomic<long> gProgress{0};

void Doing(const QString& what) {
  std::lock_guard<std::mutex> lock(gActionMutex);
  gAction = what.toStdString();
  ++gProgress;
}

// Ends the process with the last action when no step finishes within the limit.
class Watchdog {
 public:
  Watchdog() : thread_([this] { Run(); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(m_);
      stop_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }

 private:
  void Run() {
    using namespace std::chrono_literals;
    const auto limit = 120s;
    long seen = gProgress.load();
    std::unique_lock<std::mutex> lock(m_);
    while (!cv_.wait_for(lock, limit, [this] { return stop_; })) {
      const long now = gProgress.load();
      if (now == seen) {
        std::lock_guard<std::mutex> a(gActionMutex);
        std::fprintf(stderr, "monkey: no progress for %llds, seed %u, last action: %s\n",
                     static_cast<long long>(limit.count()), Seed(), gAction.c_str());
        std::fflush(stderr);
        std::abort();
      }
      seen = now;
    }
  }
  std::mutex m_;
  std::condition_variable cv_;
  bool stop_ = false;
  std::thread thread_;
};

// ------------------------------------------------------------------ known messages

struct KnownMessage {
  QRegularExpression text;
  QRegularExpression title;
};

QString E(const char* s) { return QRegularExpression::escape(QString::fromUtf8(s)); }

const std::vector<KnownMessage>& KnownMessages() {
  static const std::vector<KnownMessage> known = [] {
    const QString any = ".+";  // a path, a number or an error reason
    const QString xyz = "空间坐标－大地坐标|大地坐标－高斯坐标";
    const QString geoid = xyz + "|54椭球大地水准面差距|抵偿面高程";
    const QString plane = "平面坐标转换";
    const QString trav = "支导线计算";
    const QString stake = "坐标放样";
    const QString seven = "七参数坐标转换";
    const std::vector<std::pair<QString, QString>> list = {
        // The dialogs' own texts.
        {E("X或B应为数值!"), xyz},
        {E("Y或L应为数值!"), xyz},
        {E("Z应为数值!"), xyz},
        {E("B或Xg应为数值!"), xyz},
        {E("L或Yg应为数值!"), xyz},
        {E("H应为数值!"), xyz},
        {E("请输入投影面高程!"), xyz},
        {E("请输入大地水准面差距或自动由程序计算!"), xyz},
        {E("纬度不在中国范围内, 不能计算54椭球大地水准面差距!"), geoid},
        {E("经度不在中国范围内, 不能计算54椭球大地水准面差距!"), geoid},
        {E("点位不在中国范围内, 不能计算54椭球大地水准面差距!"), xyz},
        {E("Unknown k in Sub4"), "Vantrel"},
        {E("输入信息错误!"), "抵偿面高程"},
        {E("请输入数据!"), "高斯坐标换带"},
        {E("请输入数值!"), "高斯坐标换带"},
        {E("危险圆！ "), "Vantrel"},
        {E(" 起算点坐标错!"), trav},
        {E(" 后视点坐标错!"), trav},
        {E("至后视点方向角错!"), trav},
        {E(" 转折角错!"), trav},
        {E(" 边长错!"), trav},
        {E("支导线点数超过最大值: 20个点!"), trav},
        {E("保存失败!"), "支导线网图"},
        {E("数据输入必须是数字！"), "提示"},
        {E("数据文件中坐标项包含有非数字字符！"), "数据文件数据输入有误"},
        {E("测站点与后视点相同"), "提示"},
        {E("后视点与测站点相同"), "提示"},
        {E("放样点与测站点相同"), "提示"},
        {E("放样点与前视点相同"), "提示"},
        {E("请打开数据文件!"), stake},
        {E("先选择老坐标文件!"), plane},
        {E("先选择新坐标文件!"), plane},
        {E("老坐标文件不存在!"), plane},
        {E("新坐标文件不存在!"), plane},
        {E("老坐标文件为空!"), plane},
        {E("公共点少于2个,不能转换!"), plane},
        {E("不收敛! 坐标转换失败!"), plane},
        {E("坐标旋转结束!"), plane},
        {E("老坐标X必须是数字!"), plane},
        {E("老坐标Y必须是数字!"), plane},
        {E("新坐标X必须是数字!"), plane},
        {E("新坐标Y必须是数字!"), plane},
        {E("旋转角必须是数字!"), plane},
        {E("老坐标文件") + any + E("数据格式有错"), "Vantrel"},
        {E("新坐标文件") + any + E("数据格式有错"), "Vantrel"},
        {E("老坐标文件") + any + E("数据格式有错!"), plane},
        {E("IJOB INPUT PARAMETER OUT OF RANGE"), "Vantrel"},

        // Mends the issues named.
        {E("两个观测角不能构成交会，无法求得P点！"), "前方交会"},  // no intersection
        {E("结果文件无法写入：") + any, trav},                     // traverse file not written
        {E("天顶距无效, 不能为0!"), "三差改正"},                  // zenith distance 0
        // Seven parameters: a field that is not a number, named by its label.
        {E("“") + "(X=|Y=|Z=|X平移\\(米\\)|Y平移\\(米\\)|Z平移\\(米\\)|尺度因子|X轴旋转|Y轴旋转|"
                  "Z轴旋转|中央子午线|X平移\\(公里\\)|Y平移\\(公里\\)|投影面高程\\(米\\))" +
             E("”必须是数字!"),
         seven},
        {E("修正格网文件 ") + any + E(" 无法写入: ") + any, seven},  // grid file not written
        {E("找不到用户主目录, 修正格网文件无法写入!"), seven},       // no place for the grid file
        {E("公共点不能确定转换参数,不能转换!"), plane},              // normal matrix rejected
        {E("共有") + "\\d+" + E("个公共点,只用前20个公共点计算转换参数!"), plane},  // over 20
        {"不能读取(老|新)坐标文件" + any, "Vantrel|" + plane},       // unreadable point file
        {E("不能写入新坐标文件") + any, plane},                      // result not written
        {E("数据文件无法打开：") + any, stake},                      // stakeout file unreadable
        {E("无法向数据文件添加点：") + any, stake},                  // typed point not added

        // Mends of obvious faults our dialogs made without an issue naming them.
        // The correction before any computation read an empty output label by the strict
        // rule: reported instead of ending the program.
        {E("没有可修正的高斯坐标, 请先计算!"), seven},
        // The diagram reads a result file that has gone or is not a file: reported, not a
        // run-time error.
        {E("无法读取结果文件：") + any, "支导线网图"},
        // Stakeout azimuths from coordinates far out of range cannot be shown as D M S.
        {E("角度超出范围，无法计算！"), stake},
        // A typed point with a blank name or a blank inside it would read back as another
        // point, or stop every later load of the file at its line.
        {E("点号为空或含有空格的点未添加到数据文件。"), stake},
        // Rotating a file onto itself would empty it before it is read.
        {E("新坐标文件不能与老坐标文件相同!"), plane},
        // The text editor could not be started (none installed, or the start failed).
        {E("不能启动文本编辑器!"), plane},

        // The fourth page's dialogs: the routines' own messages, under the dialog's title.
        // 导线平差.
        {E("“") + "(起点|后视点|终点|前视点)(点名| X| Y)" + E("”") +
             "(" + E("不能为空, 也不能含空格、# 或控制字符!") + "|" + E("应为数字 (米, 绝对值小于 1e9)!") + ")",
         "导线平差"},
        {E("“") + "(起始方位|首边方位|连接角|终止方位)" +
             E("”应为度.分秒 D.MMSS (0 至 360 度, 分、秒小于 60, 最多到 0.1″)!"),
         "导线平差"},
        {E("测站表第 ") + "\\d+" + E(" 行: ") + any, "导线平差"},  // a row's reason, its own or the reader's
        {E("“角度限差”应为正数 (秒)!"), "导线平差"},
        {E("“改正数取至”应为 0, 或 0.1 至 60 之间 0.1 的整数倍 (秒)!"), "导线平差"},
        {E("“测角中误差”应为正数 (秒)!"), "导线平差"},
        {E("“测距中误差”应为 a 毫米 + b ppm: 都是数字, 不为负, 不全为 0!"), "导线平差"},
        {E("还没有计算结果, 请先计算!"), "导线平差"},
        {E("报告第 ") + "\\d+" + E(" 行的 “") + any + E("” GBK 里没有, 不能存为 GBK 文字文件 (可存为网页)!"),
         "导线平差|控制网平差|水准网平差|水准路线|高程拟合|七参数计算|四参数计算"},
        {"(" + E("文件无法写入：") + "|" + E("文件读不出来：") + ")" + any, "导线平差"},
        {"/" + any + ": " + any, "导线平差"},  // an opened file's FILE:LINE: reason
        {E("没有测站!"), "导线平差"},                  // the station table left empty
        // The compass rule's refusals of typed data (the routine's reasons).
        {"(" + E("角度闭合差") + "|" + E("导线全长相对闭合差")+ ")" + any + E("不能平差!"), "导线平差"},
        {"(" + E("第一个测站应为起点") + "|" + E("最后一个测站应为终点") + "|" + E("测站点名重复:") + ")" + any,
         "导线平差"},

        // 控制网平差, 水准网平差.
        // The reader's and the adjustment's reasons after the file's path (or the name of one typed).
        {"(新观测文件|/" + any + "):(\\d+:)? " + any, "控制网平差|水准网平差"},
        {"(文件读不出来|文件无法写入)：" + any, "控制网平差|水准网平差"},
        {"(方向中误差\\(秒\\)|测角中误差\\(秒\\)|误差椭圆放大倍数|水准中误差\\(毫米\\))" + E("应为小于 1e9 的正数!"),
         "控制网平差|水准网平差"},
        {"测距中误差 (a\\(毫米\\)|b\\(ppm\\))" + E("应为不小于 0、小于 1e9 的数!"), "控制网平差"},
        {E("测距中误差 a(毫米) 与 b(ppm) 不能都为 0!"), "控制网平差"},
        {E("观测文件已修改而未保存。要保存请按 保存; 再按一次则放弃修改。"), "控制网平差|水准网平差"},

        // 水准路线, 高程拟合.
        {"(起点|终点)(点名|已知高程)(是空的!|不能含空格或 #: .+!|不能含控制字符!)", "水准路线"},
        {"(测段表|手簿)第\\d+行的\\S+(是空的!|不能含空格或 #: .+!|不能含控制字符!)", "水准路线"},
        {"(路线类型|起点已知高程|终点已知高程|观测数据|测段表第\\d+行|手簿第\\d+行): " + any, "水准路线"},
        {"(没有测段|手簿至少要有两个点 \\(一个测站\\)|起点 .+ 没有已知高程 .+|附合路线的终点 .+ 没有已知高程)!?",
         "水准路线"},
        {E("自定限差 c 应为正的毫米数!") + "|" + E("先计算, 再保存计算表!"), "水准路线"},
        {"没有各测段的(长度|测站数) .+!|高差闭合差 .+ 毫米超限 .+!|.+水准的限差只按路线长度 .+!", "水准路线"},
        {"(测段 .+|闭合水准路线应回到起点 .+|支水准路线.+)!", "水准路线"},
        {"公共点表第\\d+行(的\\S+(是空的!|不能含空格或 #: .+!|不能含控制字符!)|: " + any + ")", "高程拟合"},
        {E("公共点表中没有公共点!") + "|" + E("多面函数的 c 应为正的米数 (空为默认)!") + "|" + E("先拟合, 再保存计算表!"),
         "高程拟合"},
        {".+拟合至少要 .+ 个拟合点 .+!|拟合点.+(拟合|平面拟合|点)!|拟合点的分布定不出.+!", "高程拟合"},
        {E("先选择要换算的点文件!") + "|" + E("先选择输出文件!") + "|" + E("输出文件应写完整的路径 (或用 浏览… 选择)!") +
             "|" + E("输出文件不能是点文件本身!") + "|" +
             E("正常高小数位应为 0 至 12 的整数!") + "|" + E("点文件不存在: ") + any,
         "高程拟合"},
        {E("换算没有完成, 输出文件未写:\n") + any, "高程拟合"},
        {E("换算完成: ") + "\\d+" + E(" 个点写到 ") + any, "高程拟合"},
        // Files opened in either: the reader's FILE:LINE: reason, or the whole file's.
        {any + ":\\d+: " + any, "水准路线|高程拟合"},
        {any + ": (" + E("不是 GBK 或 UTF-8 文本 (UTF-16 或二进制文件?), 请存为 GBK 或 UTF-8 文本!") + "|没有公共点!|缺少 .+|没有测段!|手簿至少要有两个点.+|起点 .+ 没有已知高程.+|附合路线的终点 .+)",
         "水准路线|高程拟合"},
        {"(文件读不出来：|文件无法写入：)" + any, "水准路线|高程拟合"},

        // 七参数计算, 四参数计算, 批量坐标转换.
        {E("请选择公共点文件!"), "七参数计算"},
        {"请选择(老|新)坐标文件!", "四参数计算"},
        {any + ":\\d+: " + "(公共点行应为: 点名 (X Y Z X' Y' Z'|B L H B' L' H')!|纬度错!|经度错!|大地高错!|空间坐标错!)",
         "七参数计算"},
        {E("文件读不出来：") + any, "七参数计算"},  // an unreadable common-point file
        {any + ": " + "(公共点少于3个|公共点共线|公共点重合), 不能求七参数!", "七参数计算"},
        {any + E(": 公共点 ") + any + E(" 坐标错!"), "七参数计算"},
        {E("公共点表:") + "\\d+: (点名为空或含有空格|(老坐标x|老坐标y|新坐标X|新坐标Y)必须是数字)!", "四参数计算"},
        {"不能读取(老|新)坐标文件" + any, "四参数计算"},
        {"(老|新)坐标文件" + any + E("数据格式有错"), "四参数计算"},
        {E("公共点少于2个,不能转换!"), "四参数计算"},
        {E("共有") + "\\d+" + E("个公共点,只用前20个公共点计算转换参数!"), "四参数计算"},
        {E("公共点不能确定转换参数,不能转换!"), "四参数计算"},
        {E("不收敛! 坐标转换失败!"), "四参数计算"},
        {E("四参数已交给平面坐标转换1, 其“转换参数”窗口显示这组参数。"), "四参数计算"},
        {E("文件无法写入：") + any, "七参数计算|四参数计算"},
        // 批量坐标转换: the fields in turn, the routines' refusals, the run's counts.
        {E("请先打开输入文件!"), "批量坐标转换"},
        {E("输入文件不存在或不是文件：") + any, "批量坐标转换"},
        {"(源|目标)坐标系：" + any, "批量坐标转换"},
        {any + " 是(同一基准|不同的基准)" + any, "批量坐标转换"},
        {E("四参数是平面坐标之间的转换, 只用于两个投影坐标系之间; 地理坐标、空间直角坐标要用七参数"), "批量坐标转换"},
        {"(ΔX|ΔY|ΔZ|尺度 m|εX|εY|εZ|中央子午线|东偏|北偏|投影面高程)" + E("应为数值!"), "批量坐标转换"},
        {E("小数位数应为 0 到 12 的整数!"), "批量坐标转换"},
        {E("请先选择输出文件!"), "批量坐标转换"},
        {E("输出文件不能与输入文件相同!"), "批量坐标转换"},
        {"输出格式 (dat|dxf|geojson|kml): " + any, "批量坐标转换"},
        {E("请填写中央子午线, 或选择 3°或 6°分带!"), "批量坐标转换"},
        {E("按 3°或 6°分带时, 中央子午线由各点经度定, 请清空中央子午线!"), "批量坐标转换"},
        {E("带号在 y 前需要 3°或 6°分带!"), "批量坐标转换"},
        {E("中央子午线的分、秒应小于 60!"), "批量坐标转换"},
        {E("中央子午线应在 -360° 到 360° 之间!"), "批量坐标转换"},
        {E("带号在 y 前时东偏应在 ") + any + E(" 公里之间, y 前面的带号才能读回!"), "批量坐标转换"},
        {E("文件读不出来：") + any, "批量坐标转换"},
        {any + "(:\\d+)?: (不是文字文件|.*只占一行|“.*” 不是数值|应有 .+ 个数值|没有.*参数).*", "批量坐标转换"},
        {"(dat|dxf|geojson|kml) 文件存的是" + any, "批量坐标转换"},
        {E("不能建立临时文件：") + any, "批量坐标转换"},
        {E("已转换 ") + "\\d+" + E(" 个点, 写入 ") + any, "批量坐标转换"},
        {E("没有写出输出文件 (原有的文件保持不变):") + ".*", "批量坐标转换"},

    };
    std::vector<KnownMessage> out;
    const auto opts = QRegularExpression::DotMatchesEverythingOption;
    for (const auto& [text, title] : list)
      out.push_back({QRegularExpression(QRegularExpression::anchoredPattern(text), opts),
                     QRegularExpression(QRegularExpression::anchoredPattern(title))});
    return out;
  }();
  return known;
}

bool IsKnown(const RecordingMessageBox::Message& m) {
  for (const KnownMessage& k : KnownMessages())
    if (k.text.match(m.text).hasMatch() && k.title.match(m.title).hasMatch()) return true;
  return false;
}

// ------------------------------------------------------------------ hostile input

int Pick(Rng& rng, int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
bool Chance(Rng& rng, double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; }

const std::vector<QString>& HostileTexts() {
  static const std::vector<QString> texts = {
      "", " ", "   ", "\t", "abc", "1e400", "-1e400", "1e-400", "-0", "-0.0", "NaN", "nan",
      "-nan", "inf", "-inf", "Infinity", "1,5", "1.5.5", "--1", "+", "-", ".", "e5", "1e",
      "1e+", "0x1A", "１２３", "坐标", "北京54", "测站 A", QString("\x01\x02\x1b"), "12\n34",
      "\r\n", QString(QChar(0x7f)), "12abc", " 12.50 ", "1 000", "AUTO", "auto", "9e307",
      "-9e307", "1.7976931348623157e308", "4.9e-324", "360", "-360", "359.5959", "90", "0",
      QString(400, '9'), QString(5000, '1') + ".5", "0." + QString(300, '0') + "1",
      "-" + QString(310, '9'), QString(20000, '7'), QString(200, ' ') + "1",
      QString::fromUtf8("１.５"), QString::fromUtf8("\xe2\x80\x8b" "1"), "1e99999999999",
  };
  return texts;
}

QString ValidNumber(Rng& rng) {
  switch (Pick(rng, 7)) {
    case 0:
      return QString::number(Pick(rng, 1000));
    case 1:  // plane coordinates in metres
      return QString::number(std::uniform_real_distribution<double>(-5e6, 5e6)(rng), 'f', Pick(rng, 5));
    case 2: {  // packed angle D.MMSS
      return QString("%1.%2%3")
          .arg(Pick(rng, 360))
          .arg(Pick(rng, 60), 2, 10, QChar('0'))
          .arg(Pick(rng, 60), 2, 10, QChar('0'));
    }
    case 3:  // latitudes and longitudes in and around China
      return QString::number(std::uniform_real_distribution<double>(15, 140)(rng), 'f', 4);
    case 4:
      return QString::number(std::uniform_real_distribution<double>(-1, 1)(rng), 'g', 6);
    case 5:
      return QString::number(std::uniform_real_distribution<double>(1e6, 4e6)(rng), 'f', 3);
    default:
      return QString::number(std::uniform_real_distribution<double>(-1e16, 1e16)(rng), 'e', 3);
  }
}

QString Junk(Rng& rng) {
  QString s;
  const int n = Pick(rng, 30);
  for (int i = 0; i < n; ++i) {
    switch (Pick(rng, 4)) {
      case 0: s += QChar(char16_t(Pick(rng, 32))); break;                 // control
      case 1: s += QChar(char16_t(0x4e00 + Pick(rng, 0x5000))); break;    // Chinese
      case 2: s += QChar(char16_t(33 + Pick(rng, 94))); break;            // ASCII
      default: s += "0123456789.-+eE "[Pick(rng, 16)]; break;
    }
  }
  return s;
}

// ------------------------------------------------------------------ hostile files

QByteArray Gbk(const QString& utf) { return QByteArray::fromStdString(Utf8ToGbk(utf.toStdString())); }

// The folder the dialogs read and write in, with files rewritten for every dialog opened.
class FilePool {
 public:
  FilePool() {
    dir_.setAutoRemove(true);
    base_ = dir_.path();
    QDir(base_).mkpath("folder");
  }
  QString Path(const QString& name) const { return QDir(base_).filePath(name); }
  const QString& Base() const { return base_; }

  void Regenerate(Rng& rng) {
    PointFiles(rng);
    StakeFiles(rng);
    QByteArray bytes;
    for (int i = Pick(rng, 4096); i > 0; --i) bytes += char(Pick(rng, 256));
    Write("bytes.txt", bytes);
    Write("empty.txt", {});
    Write("blanks.txt", "   \r\n\t\r\n  \r\nP1 1 2\r\n");
    Write("first_empty.txt", "\r\nP1 1 2\r\n");
    Write("lf_only.txt", "A 100 200\nB 300 400\nC 500 600\n");
    Write("long_line.txt", QByteArray(200000, '8') + " 1 2\r\n");
    // Bytes that are not GBK in the middle of good lines.
    Write("not_gbk.txt", "A 1 2\r\n\x81\x20\xff\xfe 3 4\r\nB 5 6\r\n");
    Write("nan.txt", "N1 NaN 5\r\nN2 1e400 2\r\nN3 inf -inf\r\nN4 -0 1,5\r\nN5 1e308 -1e308\r\n");
  }

  // An open dialog's answer: mostly usable files, often hostile ones, sometimes cancel.
  QString OpenAnswer(Rng& rng) const {
    static const char* const good[] = {"old.txt", "new.txt", "stake.out"};
    static const char* const hostile[] = {
        "same.txt", "bytes.txt", "empty.txt", "blanks.txt", "first_empty.txt", "lf_only.txt",
        "long_line.txt", "not_gbk.txt", "nan.txt", "stake_bad.out", "many.txt", "folder",
        "missing.txt", "old.txt/under"};
    const int r = Pick(rng, 10);
    if (r < 4) return Path(good[Pick(rng, 3)]);
    if (r < 8) return Path(hostile[Pick(rng, std::size(hostile))]);
    if (r == 8) return "/dev/zero";
    return {};
  }

  // A save dialog's answer: a new file, an existing one, a folder, a path under a file, a
  // full disk, or cancel.
  QString SaveAnswer(Rng& rng) const {
    switch (Pick(rng, 8)) {
      case 0:
      case 1:
      case 2: return Path(QString("out_%1.txt").arg(Pick(rng, 5)));
      case 3: return Path(Pick(rng, 2) ? "new.txt" : "old.txt");
      case 4: return Path("folder");
      case 5: return Path("old.txt/under");
      case 6: return "/dev/full";
      default: return {};
    }
  }

  // A text for a field that holds a file name.
  QString PathText(Rng& rng) const {
    return Chance(rng, 0.8) ? OpenAnswer(rng) : SaveAnswer(rng);
  }

 private:
  void Write(const QString& name, const QByteArray& bytes) {
    QFile f(Path(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
  }

  void PointFiles(Rng& rng) {
    std::uniform_real_distribution<double> coord(-1e5, 1e5);
    const int n = 2 + Pick(rng, 26);  // over 20 common points now and then
    QByteArray oldFile, newFile, same, many;
    for (int i = 0; i < n; ++i) {
      const QString name = Chance(rng, 0.2) ? QString("点%1").arg(i) : QString("P%1").arg(i);
      const double x = coord(rng), y = coord(rng);
      oldFile += Gbk(QString("%1 %2 %3 %4\r\n").arg(name).arg(x, 0, 'f', 3).arg(y, 0, 'f', 3)
                         .arg(Chance(rng, 0.3) ? "备注" : ""));
      if (Chance(rng, 0.8))
        newFile += Gbk(QString("%1 %2 %3\r\n").arg(name).arg(x + 100 + coord(rng) * 1e-6, 0, 'f', 4)
                           .arg(y - 50, 0, 'f', 4));
      same += Gbk(QString("%1 10 20\r\n").arg(name));
    }
    if (Chance(rng, 0.2)) newFile += "   \r\n";  // a blank-only line: a format error
    Write("old.txt", oldFile);
    Write("new.txt", newFile);
    Write("same.txt", same);
    for (int i = 0; i < 300; ++i) many += QString("M%1 %2 %3\r\n").arg(i).arg(i * 3.5).arg(i * -2.25).toLatin1();
    Write("many.txt", many);
  }

  void StakeFiles(Rng& rng) {
    QByteArray good;
    const int n = 1 + Pick(rng, 8);
    for (int i = 0; i < n; ++i)
      good += Gbk(QString("%1  %2 %3 %4 %5\r\n")
                      .arg(Chance(rng, 0.3) ? QString("放样%1").arg(i) : QString("S%1").arg(i))
                      .arg(std::uniform_real_distribution<double>(-500, 500)(rng), 0, 'f', 3)
                      .arg(std::uniform_real_distribution<double>(-500, 500)(rng), 0, 'f', 3)
                      .arg(std::uniform_real_distribution<double>(0, 200)(rng), 0, 'f', 3)
                      .arg(Chance(rng, 0.5) ? "code" : ""));
    if (Chance(rng, 0.3)) good += "S1 0 0 0\r\n";  // a duplicated name
    if (Chance(rng, 0.3)) good += "\r\nLATE 1 2 3\r\n";
    Write("stake.out", good);
    Write("stake_bad.out", "A 1 2 3\r\nB 4\r\nC x y z\r\nD 5e9 -5e9 1e300\r\n");
  }

  QTemporaryDir dir_{QDir::tempPath() + "/vantrel_monkey_XXXXXX"};
  QString base_;
};

// The file dialogs answer from the pool and remember nothing else.
class PoolFileDialogs : public FileDialogs {
 public:
  PoolFileDialogs(const FilePool& pool, Rng& rng) : pool_(pool), rng_(rng) {}
  QString OpenFile(QWidget*, const QString&, const QString&, const QString&) override {
    return pool_.OpenAnswer(rng_);
  }
  QString SaveFile(QWidget*, const QString&, const QString&, const QString&) override {
    return pool_.SaveAnswer(rng_);
  }

 private:
  const FilePool& pool_;
  Rng& rng_;
};

// ------------------------------------------------------------------ the monkey

// Fields that hold file names get paths more often than numbers.
bool IsPathField(const QWidget* window, const QLineEdit* f) {
  static const std::map<QString, std::set<QString>> fields = {
      {"Co_Chang", {"Text1", "Text2"}}, {"Co_Chang2", {"Text1", "Text7"}}};
  auto it = fields.find(window->objectName());
  return it != fields.end() && it->second.count(f->objectName());
}

// A result text that is not a number: inf or nan standing alone or after a sign or blank.
bool ShowsNonFinite(const QString& text) {
  static const QRegularExpression re(
      "(^|[\\s±=:：(])[-+]?(nan|inf)", QRegularExpression::CaseInsensitiveOption);
  return re.match(text).hasMatch();
}

QString Describe(const QString& s) {
  QString shown = s.size() > 80 ? s.left(80) + QString("…(%1 chars)").arg(s.size()) : s;
  shown.replace('\n', "\\n").replace('\r', "\\r").replace('\t', "\\t");
  return shown;
}

class Monkey {
 public:
  Monkey(Rng& rng, const FilePool& pool, RecordingMessageBox& messages)
      : rng_(rng), pool_(pool), messages_(messages) {}

  int rounds = 0;
  int messagesSeen = 0;
  // A new dialog: the fields typed into before are gone.
  void Forget() { typed_.clear(); }
  std::map<QString, int> buttonsSeen;  // rounds in which each button could be pressed
  std::set<QString> buttonsPressed;
  std::map<QString, int> shown;  // messages by title and text, for VANTREL_MONKEY_VERBOSE

  void Report(const QString& what, int openings) const {
    std::printf("[monkey] %s: %d rounds, %d openings, %d messages, %zu buttons pressed\n",
                what.toUtf8().constData(), rounds, openings, messagesSeen, buttonsPressed.size());
    if (qEnvironmentVariableIsEmpty("VANTREL_MONKEY_VERBOSE")) return;
    for (const auto& [m, n] : shown) std::printf("[monkey]   %6d  %s\n", n, Describe(m).toUtf8().constData());
    for (const QString& b : buttonsPressed) std::printf("[monkey]   pressed %s\n", b.toUtf8().constData());
  }

  // One round on the open dialog: fill fields, perhaps pick in a list, press one button.
  // Returns false once the dialog has been unloaded.
  bool Round(VDialog* dialog, const QString& where) {
    QPointer<VDialog> guard(dialog);
    ++rounds;
    const QString at = where + QString(" round %1").arg(rounds);
    std::vector<QWidget*> windows = Windows(dialog);
    if (windows.size() > 3) ADD_FAILURE() << at.toStdString() << ": windows pile up: " << windows.size();

    std::vector<QLineEdit*> fields;
    std::vector<QComboBox*> combos;
    for (QWidget* w : windows) {
      for (QLineEdit* f : w->findChildren<QLineEdit*>())
        if (f->isVisible() && f->isEnabled() && !f->isReadOnly() && f->window() == w) fields.push_back(f);
      for (QComboBox* c : w->findChildren<QComboBox*>())
        if (c->isVisible() && c->isEnabled() && c->window() == w) combos.push_back(c);
    }
    std::shuffle(fields.begin(), fields.end(), rng_);
    validRound_ = Chance(rng_, 0.4);
    const int mode = Pick(rng_, 20);  // all fields, none (press again), or a few
    const size_t fill = mode < 5 ? fields.size() : mode < 12 ? 0 : std::min<size_t>(fields.size(), 1 + Pick(rng_, 3));
    for (size_t i = 0; i < fill && guard; ++i) Fill(fields[i], at);
    if (!guard) return false;

    if (!combos.empty() && Chance(rng_, 0.3)) {
      QComboBox* c = combos[Pick(rng_, int(combos.size()))];
      if (c->count() > 0) {
        const int i = Pick(rng_, c->count());
        Doing(at + ": pick " + c->objectName() + QString(" item %1").arg(i));
        c->setCurrentIndex(i);
        emit c->activated(i);
      }
    }
    if (!guard) return false;

    Press(Windows(dialog), at);
    FlushDeletes();
    CheckMessages(at);
    if (!guard) return false;
    CheckUsable(dialog, at);
    return true;
  }

  // The field's text counts as typed by the user, not written by the dialog.
  void Typed(QLineEdit* f) { typed_[f] = f->text(); }

  // Every message since the last look must be one the program knows.
  void CheckMessages(const QString& at) {
    for (const auto& m : messages_.messages) {
      ++messagesSeen;
      ++shown[m.title + " | " + m.text.left(40)];
      EXPECT_TRUE(IsKnown(m)) << at.toStdString() << ": unknown message \"" << m.text.toStdString()
                              << "\" titled \"" << m.title.toStdString() << "\"";
    }
    messages_.messages.clear();
  }

  void CheckUsable(VDialog* dialog, const QString& at) {
    const std::string where = at.toStdString();
    EXPECT_TRUE(dialog->isVisible()) << where << ": the dialog vanished without being unloaded";
    EXPECT_TRUE(dialog->isEnabled()) << where << ": the dialog was left disabled";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << where << ": a modal window stays open";
    for (QWidget* w : Windows(dialog)) {
      for (QLineEdit* f : w->findChildren<QLineEdit*>()) {
        // A pick list shows point names from the data file, which may read "inf".
        if (f->window() != w || qobject_cast<QComboBox*>(f->parentWidget())) continue;
        auto it = typed_.find(f);
        const bool written = it == typed_.end() || it->second != f->text();
        if (written && ShowsNonFinite(f->text()))
          ADD_FAILURE() << where << ": " << f->objectName().toStdString() << " shows \""
                        << f->text().toStdString() << "\"";
      }
      for (QLabel* l : w->findChildren<QLabel*>())
        if (ShowsNonFinite(l->text()))
          ADD_FAILURE() << where << ": " << l->objectName().toStdString() << " shows \""
                        << l->text().toStdString() << "\"";
    }
  }

 // The dialog and the windows open beside it: those it opened (the parameter window, the
 // diagram) and a diagram an earlier traverse dialog left open.
  static std::vector<QWidget*> Windows(VDialog* dialog) {
    std::vector<QWidget*> out{dialog};
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != dialog && w->isVisible()) out.push_back(w);
    return out;
  }

 private:
  QString TextFor(QWidget* window, QLineEdit* f) {
    if (IsPathField(window, f) && Chance(rng_, 0.6)) {
      // The usual pair of point files now and then, so the transformations run to the end.
      const QString usual = UsualFile(window, f);
      if (!usual.isEmpty() && Chance(rng_, 0.5)) return pool_.Path(usual);
      return pool_.PathText(rng_);
    }
    // Some rounds type numbers only, so computations get past their checks.
    const int r = Pick(rng_, 20);
    if (validRound_) return r < 19 ? ValidNumber(rng_) : HostileTexts()[Pick(rng_, int(HostileTexts().size()))];
    if (r < 9) return ValidNumber(rng_);
    if (r < 17) return HostileTexts()[Pick(rng_, int(HostileTexts().size()))];
    if (r < 18) return pool_.PathText(rng_);
    return Junk(rng_);
  }

  static QString UsualFile(const QWidget* window, const QLineEdit* f) {
    const QString form = window->objectName(), name = f->objectName();
    if (form == "Co_Chang") return name == "Text1" ? "old.txt" : "new.txt";
    if (form == "Co_Chang2") return name == "Text7" ? "old.txt" : "out_0.txt";
    return {};
  }

  void Fill(QLineEdit* f, const QString& at) {
    QWidget* window = f->window();
    const QString text = TextFor(window, f);
    const QString name = window->objectName() + "." + f->objectName();
    Doing(at + ": focus " + name);
    if (!window->isActiveWindow()) {
      window->activateWindow();
      (void)QTest::qWaitForWindowActive(window, 500);
    }
    // Entering the field the way a user does; leaving the last one runs its check.
    f->setFocus(Chance(rng_, 0.7) ? Qt::TabFocusReason : Qt::MouseFocusReason);
    QPointer<QLineEdit> field(f);
    if (!field) return;
    Doing(at + ": type \"" + Describe(text) + "\" into " + name);
    bool plain = text.size() < 60;
    for (QChar ch : text)
      if (ch.unicode() < 32 || ch.unicode() >= 127) plain = false;
    field->clear();
    if (plain && Chance(rng_, 0.7)) {
      QTest::keyClicks(field, text);
    } else if (Chance(rng_, 0.5)) {
      field->insert(text);
    } else {
      field->setText(text);
    }
    if (!field) return;
    typed_[field] = field->text();
    EXPECT_EQ(field->text(), text.left(field->maxLength()))
        << at.toStdString() << ": " << name.toStdString() << " did not take the typed text";
  }

  void Press(const std::vector<QWidget*>& windows, const QString& at) {
    struct Choice {
      QAbstractButton* button;
      QWidget* window;
      int weight;
    };
    std::vector<Choice> choices;
    int total = 0;
    for (QWidget* w : windows) {
      for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
        if (!b->isVisible() || !b->isEnabled() || b->window() != w) continue;
        const QString key = Key(w, b);
        ++buttonsSeen[key];
        // Closing is rarer than computing, so a dialog lives for a few dozen rounds.
        const int weight = b->text().contains("退出") ? 1 : 6;
        choices.push_back({b, w, weight});
        total += weight;
      }
    }
    // The window's close box now and then, on the dialog or on one it opened.
    if (Chance(rng_, 0.01) || choices.empty()) {
      QWidget* w = windows[Pick(rng_, int(windows.size()))];
      Doing(at + ": close box of " + w->objectName());
      w->close();
      return;
    }
    int r = Pick(rng_, total);
    for (const Choice& c : choices) {
      if ((r -= c.weight) >= 0) continue;
      const QString key = Key(c.window, c.button);
      buttonsPressed.insert(key);
      Doing(at + ": press " + key);
      // A mouse press takes the focus first, so the field being left is checked first.
      if (Chance(rng_, 0.5) && c.button->focusPolicy() != Qt::NoFocus) {
        if (!c.window->isActiveWindow()) {
          c.window->activateWindow();
          (void)QTest::qWaitForWindowActive(c.window, 500);
        }
        QPointer<QAbstractButton> b(c.button);
        b->setFocus(Qt::MouseFocusReason);
        if (b && b->isEnabled() && b->isVisible()) b->click();
      } else {
        c.button->click();
      }
      return;
    }
  }

  static QString Key(QWidget* window, QAbstractButton* b) {
    return window->objectName() + "/" + (b->objectName().isEmpty() ? b->text() : b->objectName());
  }

  Rng& rng_;
  const FilePool& pool_;
  RecordingMessageBox& messages_;
  std::map<QLineEdit*, QString> typed_;  // what the monkey last typed, per field
  bool validRound_ = false;              // this round types numbers only
};

// ------------------------------------------------------------------ the runs

// What may stay open after its dialog unloads: only the traverse diagram, which lives until
// its own exit.
void ExpectOnlyDiagramsLeft(const QString& after) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->objectName() != "TravNet")
      ADD_FAILURE() << "window left open after " << after.toStdString() << ": "
                    << w->objectName().toStdString();
}

// Closes what a run left open, before the state and services it uses go away.
void CloseLeftWindows() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) w->close();
  FlushDeletes();
}

// The services of one run: recorded messages, pool file dialogs, recorded programs.
struct MonkeyServices {
  MonkeyServices(const FilePool& pool, Rng& rng) : files(pool, rng) {}
  RecordingMessageBox messages;
  PoolFileDialogs files;
  RecordingLauncher launcher;
  FakeRegistry registry;
  Services services() { return {&messages, &files, &launcher, &registry}; }
};

class MonkeyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pool_ = new FilePool;
    // Files the dialogs name relative to the working folder, and the grid file in the home
    // folder, land in the pool rather than beside the tests.
    QDir::setCurrent(pool_->Base());
    qputenv("HOME", pool_->Base().toUtf8());
    qputenv("XDG_DATA_HOME", pool_->Path("data").toUtf8());
  }
  static void TearDownTestSuite() {
    delete pool_;
    pool_ = nullptr;
  }
  static FilePool* pool_;
  Watchdog watchdog_;
};

FilePool* MonkeyTest::pool_ = nullptr;

class EntryMonkey : public MonkeyTest, public ::testing::WithParamInterface<size_t> {};

// One entry, opened again whenever it is closed, with a fresh program state.
TEST_P(EntryMonkey, HostileRoundsKeepTheDialogUsable) {
  const CatalogueEntry& entry = DispatchTable()[GetParam()];
  const unsigned seed = Seed() + static_cast<unsigned>(GetParam()) * 7919u;
  SCOPED_TRACE("seed " + std::to_string(seed) + " (VANTREL_MONKEY_SEED=" + std::to_string(Seed()) +
               "), entry " + entry.text.toStdString());
  ASSERT_TRUE(entry.factory) << "entry without a dialog";
  Rng rng(seed);
  AppState state;
  MonkeyServices services(*pool_, rng);
  Monkey monkey(rng, *pool_, services.messages);
  const int rounds = RoundsPerEntry();
  int openings = 0;
  while (monkey.rounds < rounds) {
    pool_->Regenerate(rng);
    Doing(entry.text + ": open");
    QPointer<VDialog> dialog = entry.factory(state, services.services());
    ++openings;
    monkey.Forget();
    int unloads = 0;
    QObject::connect(dialog, &VDialog::unloaded, [&unloads] { ++unloads; });
    dialog->show();
    dialog->activateWindow();
    (void)QTest::qWaitForWindowActive(dialog, 1000);
    monkey.CheckMessages(entry.text + ": opening");
    while (monkey.rounds < rounds && monkey.Round(dialog, entry.text)) {
    }
    if (dialog) {
      dialog->close();
      FlushDeletes();
      monkey.CheckMessages(entry.text + ": closing");
    }
    EXPECT_EQ(unloads, 1) << "unloading signalled once per opening";
    EXPECT_TRUE(dialog.isNull()) << "an unloaded dialog is deleted";
    ExpectOnlyDiagramsLeft(entry.text);
  }
  CloseLeftWindows();
  // Every button that stood ready for long was pressed at least once (a window opened only
  // briefly, such as the parameter window, may be missed).
  for (const auto& [b, n] : monkey.buttonsSeen)
    if (n >= 200 && !monkey.buttonsPressed.count(b))
      ADD_FAILURE() << "button never pressed in " << n << " rounds: " << b.toStdString();
  monkey.Report(entry.text, openings);
}

// The largest and smallest numbers in every field at once, then every button but exit in
// turn: overflow inside a computation must end in a known message or a finite result.
TEST_P(EntryMonkey, ExtremeNumbersInEveryField) {
  const CatalogueEntry& entry = DispatchTable()[GetParam()];
  SCOPED_TRACE("entry " + entry.text.toStdString());
  Rng rng(Seed());
  AppState state;
  MonkeyServices services(*pool_, rng);
  Monkey monkey(rng, *pool_, services.messages);
  const char* const extremes[] = {"1.7976931348623157e308", "-1.7976931348623157e308",
                                  "4.9e-324", "1e300", "-1e-300", "0", "-0"};
  for (const char* v : extremes) {
    pool_->Regenerate(rng);
    const QString at = entry.text + " with " + v;
    QPointer<VDialog> dialog = entry.factory(state, services.services());
    dialog->show();
    for (QLineEdit* f : dialog->findChildren<QLineEdit*>()) {
      if (!f->isVisible() || f->isReadOnly() || qobject_cast<QComboBox*>(f->parentWidget()) ||
          IsPathField(dialog, f))
        continue;
      f->setText(v);
      monkey.Typed(f);
    }
    for (int pass = 0; pass < 2 && dialog; ++pass) {
      for (QWidget* w : Monkey::Windows(dialog)) {
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
          if (!dialog) break;
          if (!b->isVisible() || !b->isEnabled() || b->text().contains("退出")) continue;
          Doing(at + ": press " + b->objectName());
          b->click();
          FlushDeletes();
          monkey.CheckMessages(at + ": " + b->objectName());
          if (dialog) monkey.CheckUsable(dialog, at + ": " + b->objectName());
        }
      }
    }
    if (dialog) dialog->close();
    FlushDeletes();
    monkey.CheckMessages(at + ": closing");
  }
  CloseLeftWindows();
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EntryMonkey, ::testing::Range<size_t>(0, DispatchTable().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           return DispatchTable()[info.param].form.toStdString() + "_" +
                                  std::to_string(info.param);
                         });

// The whole program: entries chosen from the main window in random order over one program
// state, so what one dialog leaves in it (ellipsoid, projection, traverse file, parameters)
// meets the next. The main window must come back usable after every dialog.
TEST_F(MonkeyTest, MainWindowSurvivesEveryEntryInTurn) {
  const unsigned seed = Seed() + 104729u;
  SCOPED_TRACE("seed " + std::to_string(seed) + " (VANTREL_MONKEY_SEED=" + std::to_string(Seed()) + ")");
  Rng rng(seed);
  AppState state;
  MonkeyServices services(*pool_, rng);
  Monkey monkey(rng, *pool_, services.messages);
  Vantrel main(state, services.services());
  main.exitProgram = [] { ADD_FAILURE() << "a dialog ended the program"; };
  main.show();
  const QString pageKeys[] = {"Coor_Cal", "Geo_Sur", "Proj_Sur"};
  const int rounds = MixedRounds();
  int openings = 0;
  while (monkey.rounds < rounds) {
    pool_->Regenerate(rng);
    const int page = 1 + Pick(rng, 3);
    main.Toolbar1_ButtonClick(pageKeys[page - 1]);
    QListWidget* list = main.ListView1();
    ASSERT_GT(list->count(), 0);
    QListWidgetItem* item = list->item(Pick(rng, list->count()));
    Doing("main window: choose " + item->text());
    main.ListView1_ItemClick(item);
    ++openings;
    QPointer<VDialog> dialog = main.OpenDialog();
    ASSERT_TRUE(dialog) << item->text().toStdString() << " opened nothing";
    monkey.Forget();
    EXPECT_FALSE(main.isVisible());
    dialog->activateWindow();
    (void)QTest::qWaitForWindowActive(dialog, 1000);
    monkey.CheckMessages(item->text() + ": opening");
    const int stay = 10 + Pick(rng, 60);
    for (int i = 0; i < stay && monkey.rounds < rounds; ++i)
      if (!monkey.Round(dialog, "main window/" + item->text())) break;
    if (dialog) dialog->close();
    FlushDeletes();
    monkey.CheckMessages(item->text() + ": closing");
    EXPECT_TRUE(main.isVisible() && main.isEnabled())
        << "main window not back after " << item->text().toStdString();
  }
  CloseLeftWindows();
  monkey.Report("main window", openings);
}

}  // namespace
}  // namespace vantrel
