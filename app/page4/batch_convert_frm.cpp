#include "app/page4/batch_convert_frm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTemporaryFile>
#include <QThread>
#include <QVBoxLayout>
#include <cmath>
#include <fstream>

#include "app/page4/page4_parts.h"
#include "batch/commands.h"
#include "batch/crs_transform.h"
#include "batch/ellipsoids.h"
#include "batch/exchange/exchange_input.h"
#include "batch/gauss_options.h"
#include "batch/layout.h"
#include "batch/typed_angles.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "dialogs/file_progress.h"

namespace vantrel {

namespace {

const QString kBatchConvertTitle = "批量坐标转换";
// Lines shown of the input, and bad lines named in the message at the end.
constexpr int kBatchConvertPreviewLines = 10;
constexpr int kBatchConvertNamedLines = 5;

const char* const kBatchConvertSevenNames[7] = {"Text_DX", "Text_DY", "Text_DZ", "Text_M",
                                                  "Text_EX", "Text_EY", "Text_EZ"};
const char* const kBatchConvertSevenCaptions[7] = {"ΔX(米)", "ΔY(米)", "ΔZ(米)", "尺度 m(ppm)",
                                                     "εX(秒)", "εY(秒)", "εZ(秒)"};

QString BatchConvertQ(const std::string& s) { return QString::fromStdString(s); }
std::string BatchConvertS(const QString& s) { return s.toStdString(); }

QLabel* BatchConvertLabel(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

QGroupBox* BatchConvertFrame(QWidget* parent, const char* name, const QString& caption) {
  auto* g = new QGroupBox(caption, parent);
  g->setObjectName(name);
  return g;
}

// A system combo: every code of the table with its Chinese name, filtered by what is typed.
QComboBox* BatchConvertSystems(QWidget* parent, const char* name, int code) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  for (int k : CrsCodes()) {
    const Crs crs = *CrsByCode(k);
    c->addItem(QString("EPSG:%1  %2").arg(k).arg(BatchConvertQ(crs.chinese)), k);
    if (k == code) c->setCurrentIndex(c->count() - 1);
  }
  c->completer()->setFilterMode(Qt::MatchContains);
  c->completer()->setCompletionMode(QCompleter::PopupCompletion);
  c->setMinimumContentsLength(30);
  return c;
}

// The first word of a combo's text: "EPSG:4548" of an item, or the code as typed.
std::string BatchConvertCodeText(const QComboBox* c) {
  const QString t = c->currentText().trimmed();
  return BatchConvertS(t.section(QRegularExpression("\\s+"), 0, 0));
}

std::optional<Crs> BatchConvertParse(const QComboBox* c) {
  Crs crs;
  std::string error;
  if (!ParseCrs(BatchConvertCodeText(c), crs, error)) return std::nullopt;
  return crs;
}

QString BatchConvertDelimiterName(char d) {
  return d == '\t' ? "制表符" : d == ';' ? "分号" : d == ',' ? "逗号" : QString(QChar(d));
}

// The first 64 KiB of a regular file (a device or a pipe could give no end); nullopt when it
// cannot be read.
std::optional<std::string> BatchConvertHead(const std::string& path) {
  if (!QFileInfo(BatchConvertQ(path)).isFile()) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  std::string head(64 * 1024, '\0');
  if (in) in.read(head.data(), static_cast<std::streamsize>(head.size()));
  if (!in.is_open() || (!in && !in.eof())) return std::nullopt;
  head.resize(static_cast<std::size_t>(in.gcount()));
  return head;
}

// The first lines of a head as text, GBK shown as such.
QStringList BatchConvertLines(const std::string& head) {
  const bool utf8 = batch::DetectEncoding(head) != batch::Encoding::Gbk;
  QStringList lines = (utf8 ? BatchConvertQ(head) : BatchConvertQ(GbkToUtf8(head))).split('\n');
  if (lines.size() > kBatchConvertPreviewLines) lines = lines.mid(0, kBatchConvertPreviewLines);
  for (QString& l : lines) {
    if (l.endsWith('\r')) l.chop(1);
    if (l.size() > 200) l = l.left(200) + "…";
  }
  return lines;
}

}  // namespace

struct BatchConvertFrm::Plan {
  batch::Command command;
};

BatchConvertFrm::BatchConvertFrm(AppState& state, const Services& services, QWidget* parent)
    : VDialog(state, services, kBatchConvertTitle, parent) {
  setObjectName("BatchConvertFrm");

  // ---- input file, its first lines and the layout found
  auto* inFrame = BatchConvertFrame(this, "Frame_Input", "输入文件");
  input_ = page4::Field(inFrame, "Text_Input");
  auto* open = page4::Button(inFrame, "Command_Open", "打开(&O)…");
  layout_ = BatchConvertLabel(inFrame, "Label_Layout", "版式: 未打开文件");
  layout_->setWordWrap(true);
  preview_ = new page4::ReportView("Text_Preview", inFrame);
  preview_->setMinimumHeight(preview_->fontMetrics().lineSpacing() * 7);
  auto* inGrid = new QGridLayout(inFrame);
  inGrid->addWidget(input_, 0, 0);
  inGrid->addWidget(open, 0, 1);
  inGrid->addWidget(layout_, 1, 0, 1, 2);
  inGrid->addWidget(preview_, 2, 0, 1, 2);

  // ---- the two systems: by code, or by ellipsoid and meridian
  auto* sysFrame = BatchConvertFrame(this, "Frame_Systems", "坐标系");
  byCode_ = new QRadioButton("按 EPSG 代码", sysFrame);
  byCode_->setObjectName("Option_Code");
  byMeridian_ = new QRadioButton("按椭球和中央子午线 (高斯投影)", sysFrame);
  byMeridian_->setObjectName("Option_Meridian");
  byCode_->setChecked(true);
  systems_ = new QStackedWidget(sysFrame);
  systems_->setObjectName("Stack_Systems");

  auto* codePage = new QWidget(systems_);
  from_ = BatchConvertSystems(codePage, "Combo_From", 4490);
  to_ = BatchConvertSystems(codePage, "Combo_To", 4548);
  fromAxes_ = BatchConvertLabel(codePage, "Label_FromAxes", {});
  toAxes_ = BatchConvertLabel(codePage, "Label_ToAxes", {});
  auto* codeGrid = new QGridLayout(codePage);
  codeGrid->setContentsMargins(0, 0, 0, 0);
  codeGrid->addWidget(new QLabel("源坐标系", codePage), 0, 0);
  codeGrid->addWidget(from_, 0, 1);
  codeGrid->addWidget(fromAxes_, 1, 1);
  codeGrid->addWidget(new QLabel("目标坐标系", codePage), 2, 0);
  codeGrid->addWidget(to_, 2, 1);
  codeGrid->addWidget(toAxes_, 3, 1);
  codeGrid->setColumnStretch(1, 1);
  for (QComboBox* c : {from_, to_}) c->lineEdit()->setCursorPosition(0);

  auto* gaussPage = new QWidget(systems_);
  direction_ = page4::Combo(gaussPage, "Combo_Direction",
                                 {"大地坐标 B L → 高斯坐标 x 北 y 东", "高斯坐标 x 北 y 东 → 大地坐标 B L"});
  ellipsoid_ = new QComboBox(gaussPage);
  ellipsoid_->setObjectName("Combo_Ellipsoid");
  for (std::string_view code : batch::EllipsoidCodes())
    ellipsoid_->addItem(BatchConvertQ(std::string(batch::FindBatchEllipsoid(code)->name)), BatchConvertQ(std::string(code)));
  meridian_ = page4::Field(gaussPage, "Text_Meridian");
  zoneWidth_ = page4::Combo(gaussPage, "Combo_ZoneWidth", {"按中央子午线", "3°分带", "6°分带"});
  zonePrefix_ = new QCheckBox("带号在 y 前", gaussPage);
  zonePrefix_->setObjectName("Check_ZonePrefix");
  falseEasting_ = page4::Field(gaussPage, "Text_FalseEasting");
  falseEasting_->setPlaceholderText("默认");
  falseEasting_->setToolTip("空着: 带号在 y 前时 500 公里, 否则 0");
  falseNorthing_ = page4::Field(gaussPage, "Text_FalseNorthing", "0");
  planeHeight_ = page4::Field(gaussPage, "Text_PlaneHeight", "0");
  auto* gaussGrid = new QGridLayout(gaussPage);
  gaussGrid->setContentsMargins(0, 0, 0, 0);
  gaussGrid->addWidget(direction_, 0, 0, 1, 4);
  const std::pair<const char*, QWidget*> gaussRows[] = {
      {"椭球", ellipsoid_},           {"中央子午线", meridian_},   {"分带", zoneWidth_}, {"", zonePrefix_},
      {"东偏(公里)", falseEasting_}, {"北偏(公里)", falseNorthing_}, {"投影面高程(米)", planeHeight_}};
  for (int i = 0; i < 7; ++i) {
    gaussGrid->addWidget(new QLabel(gaussRows[i].first, gaussPage), 1 + i / 2, (i % 2) * 2);
    gaussGrid->addWidget(gaussRows[i].second, 1 + i / 2, (i % 2) * 2 + 1);
  }
  systems_->addWidget(codePage);
  systems_->addWidget(gaussPage);
  auto* sysBox = new QVBoxLayout(sysFrame);
  auto* modes = new QHBoxLayout;
  modes->addWidget(byCode_);
  modes->addWidget(byMeridian_);
  modes->addStretch(1);
  sysBox->addLayout(modes);
  sysBox->addWidget(systems_);

  // ---- the datum shift when the datums differ
  auto* datumFrame = BatchConvertFrame(this, "Frame_Datum", "基准转换 (源与目标的基准不同时)");
  auto* datumGrid = new QGridLayout(datumFrame);
  for (int i = 0; i < 7; ++i) {
    seven_[i] = page4::Field(datumFrame, kBatchConvertSevenNames[i]);
    datumGrid->addWidget(new QLabel(kBatchConvertSevenCaptions[i], datumFrame), i / 4 * 2, i % 4);
    datumGrid->addWidget(seven_[i], i / 4 * 2 + 1, i % 4);
  }
  auto* params = page4::Button(datumFrame, "Command_Params", "读参数文件(&P)…");
  sameDatum_ = new QCheckBox("视为同一基准", datumFrame);
  sameDatum_->setObjectName("Check_SameDatum");
  sameDatum_->setToolTip(
      "CGCS2000 与 WGS 84 的实现相差最多几厘米 (两椭球扁率之差在坐标上不到 0.1 毫米);\n"
      "只要米级精度时可当作同一基准, 要厘米级请给七参数");
  datumNote_ = BatchConvertLabel(datumFrame, "Label_Datum", {});
  datumGrid->addWidget(params, 3, 3);
  datumGrid->addWidget(sameDatum_, 4, 0, 1, 2);
  datumGrid->addWidget(datumNote_, 4, 2, 1, 2);

  // ---- how the numbers are written
  auto* optFrame = BatchConvertFrame(this, "Frame_Options", "选项");
  angles_ = page4::Combo(optFrame, "Combo_Angles", {"十进制度", "度.分秒 (D.MMSS)", "弧度"});
  heights_ = new QCheckBox("坐标后有大地高 H, 一起换算", optFrame);
  heights_->setObjectName("Check_Height");
  decimals_ = page4::Field(optFrame, "Text_Decimals");
  decimals_->setPlaceholderText("默认");
  decimals_->setToolTip("米的小数位数 (0 到 12); 空着: 平面 3 位, 空间直角 4 位");
  skipBad_ = new QCheckBox("跳过不能转换的行", optFrame);
  skipBad_->setObjectName("Check_SkipBad");
  skipBad_->setChecked(true);
  strict_ = new QCheckBox("离中央子午线超过 4° 的点作为错误行", optFrame);
  strict_->setObjectName("Check_Strict");
  auto* optGrid = new QGridLayout(optFrame);
  optGrid->addWidget(new QLabel("角度写法", optFrame), 0, 0);
  optGrid->addWidget(angles_, 0, 1);
  optGrid->addWidget(new QLabel("小数位数", optFrame), 0, 2);
  optGrid->addWidget(decimals_, 0, 3);
  optGrid->addWidget(heights_, 1, 0, 1, 2);
  optGrid->addWidget(skipBad_, 1, 2, 1, 2);
  optGrid->addWidget(strict_, 2, 0, 1, 4);

  // ---- output
  auto* outFrame = BatchConvertFrame(this, "Frame_Output", "输出文件");
  output_ = page4::Field(outFrame, "Text_Output");
  auto* browse = page4::Button(outFrame, "Command_Output", "…");
  browse->setFixedWidth(32);
  format_ = page4::Combo(outFrame, "Combo_Format",
                              {"同输入格式", "点文件/CSV (同输入的版式)", ".dat (点名,编码,Y东,X北,高程)", "DXF",
                               "GeoJSON", "KML"});
  auto* outGrid = new QGridLayout(outFrame);
  outGrid->addWidget(output_, 0, 0);
  outGrid->addWidget(browse, 0, 1);
  outGrid->setColumnStretch(0, 1);
  auto* formatRow = new QHBoxLayout;
  formatRow->addWidget(new QLabel("格式", outFrame));
  formatRow->addWidget(format_, 1);
  outGrid->addLayout(formatRow, 1, 0, 1, 2);

  result_ = new page4::ReportView("Text_Result", outFrame);
  result_->setMinimumHeight(result_->fontMetrics().lineSpacing() * 7);
  result_->setToolTip("转换后输出文件的前 10 行");
  outGrid->addWidget(new QLabel("转换结果 (输出文件的前 10 行)", outFrame), 2, 0, 1, 2);
  outGrid->addWidget(result_, 3, 0, 1, 2);

  auto* convert = page4::Button(this, "Command_Convert", "转换(&C)");
  convert->setDefault(true);
  auto* exit = MakeExitButton("Command_Exit");

  auto* left = new QVBoxLayout;
  left->addWidget(inFrame, 1);
  left->addWidget(outFrame, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(sysFrame);
  right->addWidget(datumFrame);
  right->addWidget(optFrame);
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addLayout(ButtonRow({convert, exit}));

  connect(open, &QPushButton::clicked, this, &BatchConvertFrm::Command_Open_Click);
  connect(browse, &QPushButton::clicked, this, &BatchConvertFrm::Command_Output_Click);
  connect(params, &QPushButton::clicked, this, &BatchConvertFrm::Command_Params_Click);
  connect(convert, &QPushButton::clicked, this, &BatchConvertFrm::Command_Convert_Click);
  connect(input_, &QLineEdit::editingFinished, this, &BatchConvertFrm::ShowPreview);
  connect(byCode_, &QRadioButton::toggled, this, [this](bool on) {
    systems_->setCurrentIndex(on ? 0 : 1);
    RefreshSystems();
  });
  // A system counts once chosen from the list or typed and left, not at every key.
  for (QComboBox* c : {from_, to_}) {
    connect(c, &QComboBox::activated, this, &BatchConvertFrm::RefreshSystems);
    connect(c->lineEdit(), &QLineEdit::editingFinished, this, &BatchConvertFrm::RefreshSystems);
  }
  for (QComboBox* c : {direction_, angles_})
    connect(c, &QComboBox::currentIndexChanged, this, &BatchConvertFrm::RefreshSystems);
  connect(heights_, &QCheckBox::toggled, this, &BatchConvertFrm::RefreshSystems);
  SelectOnEntry({input_, meridian_, falseEasting_, falseNorthing_, planeHeight_, seven_[0], seven_[1], seven_[2],
                 seven_[3], seven_[4], seven_[5], seven_[6], decimals_, output_});
  RefreshSystems();
  resize(1060, 700);
}

void BatchConvertFrm::Fail(const QString& text, QWidget* field) {
  page4::Warn(this, services(), kBatchConvertTitle, text);
  if (field) field->setFocus();
}

void BatchConvertFrm::Command_Open_Click() {
  const QString path = services().files->OpenFile(this, "打开", input_->text(),
                                                  "点文件 (*.txt *.csv *.tsv *.dat *.dxf *.geojson *.json *.kml);;所有文件 (*)");
  if (path.isEmpty()) return;
  input_->setText(QDir::toNativeSeparators(path));
  if (output_->text().trimmed().isEmpty()) {
    const QFileInfo info(path);
    output_->setText(QDir::toNativeSeparators(info.dir().filePath(info.completeBaseName() + "_out." + info.suffix())));
  }
  ShowPreview();
}

void BatchConvertFrm::Command_Output_Click() {
  const QString path = services().files->SaveFile(this, "输出文件", output_->text(), "所有文件 (*)");
  if (!path.isEmpty()) output_->setText(QDir::toNativeSeparators(path));
}

void BatchConvertFrm::Command_Params_Click() {
  QString path;
  const auto bytes = page4::OpenBytes(this, services(), kBatchConvertTitle, "七参数文件 (*.txt);;所有文件 (*)", &path);
  if (!bytes) return;
  // fit7 writes seven parameters, fit4 four (between two projected systems): the seven go
  // to their fields, the four are kept and shown in the note.
  batch::CrsTransform read;
  std::string error;
  if (!batch::ParseParameterText(*bytes, BatchConvertS(QDir::toNativeSeparators(path)), read, error))
    return Fail(BatchConvertQ(error));
  four_ = read.four;
  const SevenParameters p = read.seven.value_or(SevenParameters{});
  const double values[7] = {p.dX, p.dY, p.dZ, p.m, p.ex, p.ey, p.ez};
  for (int i = 0; i < 7; ++i) seven_[i]->setText(read.seven ? BatchConvertQ(GeneralNumberText(values[i])) : QString());
  RefreshSystems();
}

// The preview and the layout: the first lines as the file holds them (GBK shown as text),
// and how the stream would read the file for the command the fields give now.
void BatchConvertFrm::ShowPreview() {
  preview_->clear();
  const std::string path = BatchConvertS(input_->text().trimmed());
  if (path.empty()) {
    layout_->setText("版式: 未打开文件");
    return;
  }
  const std::optional<std::string> head = BatchConvertHead(path);
  if (!head) {
    layout_->setText("版式: 文件读不出来");
    return;
  }
  const bool utf8 = batch::DetectEncoding(*head) != batch::Encoding::Gbk;
  const QStringList lines = BatchConvertLines(*head);
  preview_->setPlainText(lines.join('\n'));

  const std::string encoding = utf8 ? "UTF-8" : "GBK";
  if (const auto format = batch::PointFormatOfPath(path)) {
    QString text = QString("版式: %1 文件").arg(BatchConvertQ(std::string(batch::PointFormatName(*format))));
    text += batch::IsGeographicFormat(*format) ? " (经度、纬度, 十进制度)" : " (平面坐标 x 北 y 东)";
    layout_->setText(text);
    return;
  }
  const std::optional<Plan> plan = ReadPlan(true);
  if (!plan) {
    layout_->setText(BatchConvertQ("版式: 选好坐标系后判断; 编码 " + encoding));
    return;
  }
  batch::FileContext ctx;
  bool header = false;
  std::string reason;
  if (!batch::DecideLayout(plan->command.inputs, {}, path, *head, ctx, header, reason)) {
    layout_->setText(BatchConvertQ("版式: " + reason));
    return;
  }
  QStringList inputs;
  for (const auto& c : plan->command.inputs) inputs << BatchConvertQ(c.name);
  QString text;
  if (ctx.layout == batch::Layout::Points) {
    text = "版式: 点文件 (点名 " + inputs.join(' ') + " [备注], 以空格分隔)";
  } else {
    text = "版式: CSV, 分隔符 " + BatchConvertDelimiterName(ctx.delimiter) + ", " +
           (header ? "表头 " + lines.value(0) : "无表头 (点名," + inputs.join(',') + ")");
  }
  layout_->setText(text + BatchConvertQ("; 编码 " + encoding));
}

void BatchConvertFrm::RefreshSystems() {
  const bool code = byCode_->isChecked();
  const auto from = BatchConvertParse(from_), to = BatchConvertParse(to_);
  fromAxes_->setText(from ? BatchConvertQ(std::string(AxisOrderText(from->axes))) : "无此代码");
  toAxes_->setText(to ? BatchConvertQ(std::string(AxisOrderText(to->axes))) : "无此代码");
  // The fields stay open to typing; the note says whether they are read.
  const bool differ = code && from && to && !SameDatum(*from, *to);
  sameDatum_->setEnabled(differ && batch::CrsTransformRefusal({*from, *to, {}, true}).empty());
  QString note;
  if (code && from && to) {
    const QString a = BatchConvertQ(std::string(DatumChineseName(from->datum)));
    const QString b = BatchConvertQ(std::string(DatumChineseName(to->datum)));
    note = differ ? a + " → " + b + ": 需要七参数" + (sameDatum_->isEnabled() ? "或视为同一基准" : "")
                  : "同为 " + a + " 基准, 不用七参数";
  }
  if (four_) note = BatchConvertQ("四参数 (读自文件): " + batch::FourParameterText(*four_));
  datumNote_->setText(note);
  heights_->setEnabled(code);
  ShowPreview();
}

std::optional<Crs> BatchConvertFrm::ReadCrs(QComboBox* combo, const QString& what, bool quiet) {
  Crs crs;
  std::string error;
  if (ParseCrs(BatchConvertCodeText(combo), crs, error)) return crs;
  if (!quiet) Fail(what + "：" + BatchConvertQ(error), combo);
  return std::nullopt;
}

std::optional<BatchConvertFrm::Plan> BatchConvertFrm::ReadPlan(bool quiet) {
  auto fail = [&](const QString& text, QWidget* field) -> std::optional<Plan> {
    if (!quiet) Fail(text, field);
    return std::nullopt;
  };
  // A number field: blank gives `blank` (none: required), else a finite number.
  auto number = [&](QLineEdit* f, const QString& what, std::optional<double> blank) -> std::optional<double> {
    const std::string t = BatchConvertS(f->text());
    if (IsBlank(t) && blank) return blank;
    const auto v = ReadStrict(t);
    if (v && std::isfinite(*v) && std::fabs(*v) < 1e9) return v;
    fail(what + "应为数值!", f);
    return std::nullopt;
  };
  // GeoJSON and KML hold decimal degrees whatever the field says.
  const auto inFormat = batch::PointFormatOfPath(BatchConvertS(input_->text().trimmed()));
  const batch::AngleUnit units[3] = {batch::AngleUnit::Degrees, batch::AngleUnit::Dms, batch::AngleUnit::Radians};
  const batch::AngleUnit angles =
      inFormat && batch::IsGeographicFormat(*inFormat) ? batch::AngleUnit::Degrees : units[angles_->currentIndex()];
  // The decimals, read after the systems (the field stands below them): -1 keeps the default.
  auto decimals = [&]() -> std::optional<int> {
    if (IsBlank(BatchConvertS(decimals_->text()))) return -1;
    const auto v = ReadStrict(BatchConvertS(decimals_->text()));
    if (v && *v == std::floor(*v) && *v >= 0 && *v <= 12) return static_cast<int>(*v);
    fail("小数位数应为 0 到 12 的整数!", decimals_);
    return std::nullopt;
  };
  Plan plan;
  try {
    if (byCode_->isChecked()) {
      const auto from = ReadCrs(from_, "源坐标系", quiet);
      if (!from) return std::nullopt;
      const auto to = ReadCrs(to_, "目标坐标系", quiet);
      if (!to) return std::nullopt;
      batch::CrsTransform t{*from, *to, {}, false};
      // The layout depends on the source alone: a pair still waiting for its datum shift is
      // read as the source onto itself.
      if (quiet) t.to = t.from;
      bool any = false;
      for (QLineEdit* f : seven_) any = any || !IsBlank(BatchConvertS(f->text()));
      // Typed seven parameters win over four read from a file.
      if (!quiet && !any && four_) t.four = four_;
      if (!quiet && !SameDatum(*from, *to)) {
        if (any) {
          double v[7];
          for (int i = 0; i < 7; ++i) {
            const auto x = number(seven_[i], QString(kBatchConvertSevenCaptions[i]).section('(', 0, 0), 0.0);
            if (!x) return std::nullopt;
            v[i] = *x;
          }
          t.seven = SevenParameters{v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
        }
        t.sameDatum = sameDatum_->isEnabled() && sameDatum_->isChecked();
      }
      if (std::string why = batch::CrsTransformRefusal(t); !why.empty()) {
        if (!t.seven && !t.four) why += "：请填写七参数或读参数文件";
        if (!t.seven && !t.four && sameDatum_->isEnabled()) why += ", 或选“视为同一基准”";
        return fail(BatchConvertQ(why), t.seven ? static_cast<QWidget*>(seven_[0]) : to_);
      }
      const auto places = decimals();
      if (!places) return std::nullopt;
      plan.command = batch::CrsCommand(t, angles, heights_->isChecked(), *places);
      return plan;
    }
    using batch::GaussRule;
    batch::GaussChoice c;
    c.ellipsoid = *batch::EllipsoidByCode(BatchConvertS(ellipsoid_->currentData().toString()));
    c.zoneWidth = zoneWidth_->currentIndex() * 3;
    c.zonePrefix = zonePrefix_->isChecked();
    c.meridian = !IsBlank(BatchConvertS(meridian_->text()));
    switch (batch::BrokenGaussRule(c)) {
      case GaussRule::MeridianAndZoneWidth:
        return fail("按 3°或 6°分带时, 中央子午线由各点经度定, 请清空中央子午线!", meridian_);
      case GaussRule::NoMeridianNorZone: return fail("请填写中央子午线, 或选择 3°或 6°分带!", meridian_);
      case GaussRule::PrefixWithoutZones: return fail("带号在 y 前需要 3°或 6°分带!", zoneWidth_);
      default: break;
    }
    double meridian = 0;
    if (c.zoneWidth == 0) {
      const auto m = number(meridian_, "中央子午线", std::nullopt);
      if (!m) return std::nullopt;
      if (angles == batch::AngleUnit::Dms && batch::PackedAngleStatus(*m) != batch::Status::Ok)
        return fail("中央子午线的分、秒应小于 60!", meridian_);
      meridian = batch::AngleToRadians(*m, angles);
      if (std::fabs(meridian) > 2 * std::acos(-1.0)) return fail("中央子午线应在 -360° 到 360° 之间!", meridian_);
    }
    std::optional<double> east;
    if (!IsBlank(BatchConvertS(falseEasting_->text()))) {
      east = number(falseEasting_, "东偏", std::nullopt);
      if (!east) return std::nullopt;
    }
    const auto north = number(falseNorthing_, "北偏", 0.0);
    if (!north) return std::nullopt;
    const auto height = number(planeHeight_, "投影面高程", 0.0);
    if (!height) return std::nullopt;
    batch::GaussParams p = batch::GaussParamsFor(c, meridian, *north, east ? &*east : nullptr, *height, 0, false);
    if (!batch::PrefixReadable(p)) {
      const batch::FalseEastingRange r = batch::PrefixFalseEastings(p);
      return fail(BatchConvertQ("带号在 y 前时东偏应在 " + GeneralNumberText(r.lowKm) + " 到 " +
                                GeneralNumberText(r.highKm) + " 公里之间, y 前面的带号才能读回!"),
                  falseEasting_);
    }
    const auto places = decimals();
    if (!places) return std::nullopt;
    plan.command = direction_->currentIndex() == 0 ? batch::GeodeticToGaussCommand(p, angles, *places)
                                                   : batch::GaussToGeodeticCommand(p, angles);
    return plan;
  } catch (const std::exception& e) {
    return fail(BatchConvertQ(e.what()), nullptr);
  }
}

void BatchConvertFrm::Command_Convert_Click() {
  result_->clear();
  RefreshSystems();  // a system still being typed counts as left
  const QString inPath = input_->text().trimmed();
  if (inPath.isEmpty()) return Fail("请先打开输入文件!", input_);
  if (!QFileInfo(inPath).isFile()) return Fail("输入文件不存在或不是文件：" + inPath, input_);
  const std::optional<Plan> plan = ReadPlan(false);
  if (!plan) return;
  const QString outPath = output_->text().trimmed();
  if (outPath.isEmpty()) return Fail("请先选择输出文件!", output_);
  if (QFileInfo(outPath).absoluteFilePath() == QFileInfo(inPath).absoluteFilePath())
    return Fail("输出文件不能与输入文件相同!", output_);

  const std::string inFile = BatchConvertS(inPath);
  batch::RunOptions options;
  options.inputs = {inFile};
  options.output = BatchConvertS(outPath);
  options.skipBadLines = skipBad_->isChecked();
  options.strict = strict_->isChecked();
  options.quiet = true;
  options.jobs = static_cast<unsigned>(std::max(1, QThread::idealThreadCount()));

  // An exchange file goes through the stream as CSV: .dat as it stands, the others as the
  // points read from them, in a temporary file that messages do not name.
  const auto inFormat = batch::PointFormatOfPath(inFile);
  batch::RowSource source;
  QTemporaryFile points;
  if (inFormat) {
    std::string bytes;
    if (*inFormat != batch::PointFormat::Dat) {
      FileBytesResult r = ReadFileBytes(inFile);
      if (!r.ok) return Fail("文件读不出来：" + inPath + "\n" + BatchConvertQ(r.error));
      bytes = std::move(r.bytes);
    }
    batch::ExchangeInput ex;
    std::string error;
    if (!batch::PrepareExchangeInput(*inFormat, bytes, inFile, plan->command, ex, error))
      return Fail(BatchConvertQ(error));
    options.layout = ex.layout;
    options.delimiter = ex.delimiter;
    options.columns = ex.columns;
    source = ex.source;
    if (!ex.csv.empty()) {
      if (!points.open() || points.write(ex.csv.data(), static_cast<qint64>(ex.csv.size())) !=
                                static_cast<qint64>(ex.csv.size()) || !points.flush())
        return Fail("不能建立临时文件：" + points.errorString());
      const std::string tmp = BatchConvertS(points.fileName());
      options.inputs = {tmp};
      options.sources[tmp] = ex.lines;
    }
  }
  // As input: its format when it can hold the results, else the CSV it was read as.
  static const std::optional<batch::PointFormat> kFormats[6] = {
      std::nullopt, std::nullopt, batch::PointFormat::Dat, batch::PointFormat::Dxf, batch::PointFormat::GeoJson,
      batch::PointFormat::Kml};
  const int choice = format_->currentIndex();
  const std::optional<batch::PointFormat> outFormat = choice == 0 ? inFormat : kFormats[choice];
  std::unique_ptr<batch::RowWriter> writer;
  if (outFormat) {
    std::string error;
    writer = batch::MakeRowWriter(*outFormat, plan->command, source, error);
    if (!writer && choice != 0)
      return Fail(BatchConvertQ("输出格式 " + std::string(batch::PointFormatName(*outFormat)) + ": " + error), format_);
    options.rowWriter = writer.get();
  }

  QStringList lines;
  options.messages = [&lines](const std::string& m) {
    if (m != "已中断") lines << BatchConvertQ(m);
  };
  FileProgress progress(this, services().clock);
  options.progress = progress.Stage("正在转换…");
  batch::RunResult r;
  try {
    r = batch::RunCommand(plan->command, options);
  } catch (const std::exception& e) {
    progress.Close();
    return Fail(BatchConvertQ(e.what()));
  }
  progress.Close();
  if (r.cancelled) return;  // a cancel says nothing: the output is as it was
  if (r.written) {
    const auto head = BatchConvertHead(options.output);
    result_->setPlainText(head ? BatchConvertLines(*head).join('\n') : QString());
  }
  auto named = [&lines] {
    QString s;
    for (int i = 0; i < lines.size() && i < kBatchConvertNamedLines; ++i) s += "\n" + lines[i];
    if (lines.size() > kBatchConvertNamedLines) s += "\n……";
    return s;
  };
  if (!r.written) return Fail("没有写出输出文件 (原有的文件保持不变):" + named());
  QString text = QString("已转换 %1 个点, 写入 %2").arg(r.points).arg(outPath);
  if (r.failed > 0) text += QString("\n%1 行不能转换:").arg(r.failed) + named();
  for (const auto& [warning, count] : r.warnings)
    text += BatchConvertQ("\n警告: " + batch::WarnedCountText(warning, count)) +
            " 勾选“离中央子午线超过 4° 的点作为错误行”可把这些点作为错误行。";
  Message(text, r.failed > 0 || r.warned > 0 ? MessageIcon::Warning : MessageIcon::Information, kBatchConvertTitle);
}

}  // namespace vantrel
