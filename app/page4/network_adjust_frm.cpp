#include "app/page4/network_adjust_frm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFontDatabase>
#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cmath>
#include <map>
#include <numbers>
#include <set>

#include "app/page4/page4_parts.h"
#include "batch/observation_text.h"
#include "batch/stream.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel {
namespace {

const QString kNetObsFilter = "观测文件 (*.txt *.obs *.dat);;所有文件 (*)";
// What the report names a file typed here and not saved yet.
const char* const kNetUnsavedName = "新观测文件";

const char* const kNetPlaneTemplate =
    "# 控制网观测文件: 每项以空格分隔, # 后为注释\n"
    "方向中误差 1.0          # 秒\n"
    "测距中误差 2 2          # 毫米 + ppm\n"
    "# 已知点 点名 X(米) Y(米)\n"
    "# 近似坐标 点名 X(米) Y(米)          (可省, 由观测值推算)\n"
    "# 测站 点名                         (其后每行一个目标: 点名 方向值(度.分秒) [平距(米)])\n"
    "# 角度 测站 起始点 终止点 角值(度.分秒)\n"
    "# 边长 点名 点名 平距(米)\n"
    "# 方位角 点名 点名 方位角(度.分秒) [固定]\n";

const char* const kNetLevelTemplate =
    "# 水准网观测文件: 每项以空格分隔, # 后为注释\n"
    "水准中误差 每公里 2     # 毫米 (按测站数定权写 每站)\n"
    "# 已知高程 点名 高程(米)\n"
    "# 高差 起点 终点 高差(米) 路线长(公里)\n";

QLineEdit* NetField(QWidget* parent, const char* name, const QString& hint) {
  auto* f = new QLineEdit(parent);
  f->setObjectName(name);
  f->setPlaceholderText(hint);
  return f;
}

QString NetQ(const std::string& s) { return QString::fromStdString(s); }

// A mark that keeps its size on screen whatever the zoom, its name beside it.
}  // namespace

NetworkAdjustFrm::NetworkAdjustFrm(AppState& state, const Services& services, Mode mode, QWidget* parent)
    : VDialog(state, services, mode == Mode::Plane ? "控制网平差" : "水准网平差", parent), mode_(mode) {
  setObjectName("NetworkAdjustFrm");
  const bool plane = mode == Mode::Plane;

  // The observation file.
  auto* fileBox = new QGroupBox("观测文件", this);
  fileBox->setObjectName("Frame_File");
  fileLabel_ = new QLabel(fileBox);
  fileLabel_->setObjectName("Label_File");
  fileLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  editor_ = new QPlainTextEdit(fileBox);
  editor_->setObjectName("Text_File");
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* newButton = page4::Button(fileBox, "Command_New", "新建(&N)");
  auto* openButton = page4::Button(fileBox, "Command_Open", "打开(&O)...");
  auto* saveButton = page4::Button(fileBox, "Command_Save", "保存(&S)");
  auto* saveAsButton = page4::Button(fileBox, "Command_SaveAs", "另存为...");
  auto* fileButtons = new QHBoxLayout;
  for (QPushButton* b : {newButton, openButton, saveButton, saveAsButton}) fileButtons->addWidget(b);
  fileButtons->addStretch(1);
  auto* fileLayout = new QVBoxLayout(fileBox);
  fileLayout->addLayout(fileButtons);
  fileLayout->addWidget(fileLabel_);
  fileLayout->addWidget(editor_, 1);

  // The options the command line has that matter at a desk; a blank field keeps the file's value.
  auto* optionBox = new QGroupBox("平差选项 (空白为观测文件所给的值)", this);
  optionBox->setObjectName("Frame_Options");
  auto* grid = new QGridLayout(optionBox);
  int row = 0;
  auto addRow = [&](const QString& caption, QWidget* a, QWidget* b = nullptr) {
    grid->addWidget(new QLabel(caption, optionBox), row, 0);
    grid->addWidget(a, row, 1, 1, b ? 1 : 2);
    if (b) grid->addWidget(b, row, 2);
    ++row;
  };
  if (plane) {
    directionSigma_ = NetField(optionBox, "Text_DirectionSigma", "按文件 (秒)");
    angleSigma_ = NetField(optionBox, "Text_AngleSigma", "按文件 (秒)");
    distanceA_ = NetField(optionBox, "Text_DistanceA", "a 毫米");
    distanceB_ = NetField(optionBox, "Text_DistanceB", "b ppm");
    ellipseScale_ = NetField(optionBox, "Text_EllipseScale", "自动");
    addRow("方向中误差(″)", directionSigma_);
    addRow("测角中误差(″)", angleSigma_);
    addRow("测距中误差 a(毫米) + b(ppm)", distanceA_, distanceB_);
    addRow("误差椭圆放大倍数", ellipseScale_);
  } else {
    levelSigma_ = NetField(optionBox, "Text_LevelSigma", "按文件 (毫米)");
    addRow("水准中误差(毫米/√公里或√站)", levelSigma_);
  }
  aPosteriori_ = new QRadioButton("验后单位权中误差", optionBox);
  aPosteriori_->setObjectName("Option_APosteriori");
  aPosteriori_->setChecked(true);
  aPriori_ = new QRadioButton("先验单位权中误差", optionBox);
  aPriori_->setObjectName("Option_APriori");
  addRow("中误差按", aPosteriori_, aPriori_);
  free_ = new QCheckBox("自由网 (秩亏)", optionBox);
  free_->setObjectName("Check_Free");
  datumPoints_ = NetField(optionBox, "Text_DatumPoints", "基准点, 空白为全部点");
  datumPoints_->setEnabled(false);
  connect(free_, &QCheckBox::toggled, datumPoints_, &QWidget::setEnabled);
  addRow("基准", free_, datumPoints_);

  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(fileBox, 1);
  leftLayout->addWidget(optionBox);

  // The drawing and the report.
  auto* sketchBox = new QGroupBox(plane ? "控制网略图" : "水准网略图", this);
  sketchBox->setObjectName("Frame_Sketch");
  scene_ = new QGraphicsScene(this);
  view_ = new page4::ZoomView("Picture_Sketch", sketchBox);
  view_->setScene(scene_);
  view_->setBackgroundBrush(Qt::white);
  auto* zoomIn = page4::Button(sketchBox, "Command_ZoomIn", "放大");
  auto* zoomOut = page4::Button(sketchBox, "Command_ZoomOut", "缩小");
  auto* fitAll = page4::Button(sketchBox, "Command_FitAll", "全图");
  scaleLabel_ = new QLabel(sketchBox);
  scaleLabel_->setObjectName("Label_Scale");
  blunderLabel_ = new QLabel(sketchBox);
  blunderLabel_->setObjectName("Label_Blunder");
  blunderLabel_->setWordWrap(true);
  auto* zoomRow = new QHBoxLayout;
  zoomRow->addWidget(scaleLabel_, 1);
  for (QPushButton* b : {zoomIn, zoomOut, fitAll}) zoomRow->addWidget(b);
  auto* sketchLayout = new QVBoxLayout(sketchBox);
  sketchLayout->addWidget(view_, 1);
  sketchLayout->addWidget(blunderLabel_);
  sketchLayout->addLayout(zoomRow);

  auto* reportBox = new QGroupBox("平差报告", this);
  reportBox->setObjectName("Frame_Report");
  report_ = new page4::ReportView("Text_Report", reportBox);
  auto* reportLayout = new QVBoxLayout(reportBox);
  reportLayout->addWidget(report_);

  auto* right = new QSplitter(Qt::Vertical, this);
  right->addWidget(sketchBox);
  right->addWidget(reportBox);
  right->setStretchFactor(0, 1);
  right->setStretchFactor(1, 1);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->setObjectName("Splitter");
  split->addWidget(left);
  split->addWidget(right);
  split->setStretchFactor(0, 2);
  split->setStretchFactor(1, 3);

  auto* adjust = page4::Button(this, "Command_Adjust", "平差计算(&A)");
  adjust->setDefault(true);
  auto* saveText = page4::Button(this, "Command_SaveText", "保存文字报告(&T)...");
  auto* saveHtml = page4::Button(this, "Command_SaveHtml", "保存网页报告(&H)...");
  auto* saveJson = page4::Button(this, "Command_SaveJson", "保存JSON(&J)...");
  reportButtons_ = {saveText, saveHtml, saveJson};
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split, 1);
  layout->addLayout(ButtonRow({adjust, saveText, saveHtml, saveJson, MakeExitButton("Command_Exit")}));

  for (QLineEdit* f : {directionSigma_, angleSigma_, distanceA_, distanceB_, ellipseScale_, levelSigma_, datumPoints_})
    if (f) SelectOnEntry({f});

  connect(newButton, &QPushButton::clicked, this, &NetworkAdjustFrm::Command_New_Click);
  connect(openButton, &QPushButton::clicked, this, &NetworkAdjustFrm::Command_Open_Click);
  connect(saveButton, &QPushButton::clicked, this, &NetworkAdjustFrm::Command_Save_Click);
  connect(saveAsButton, &QPushButton::clicked, this, &NetworkAdjustFrm::Command_SaveAs_Click);
  connect(adjust, &QPushButton::clicked, this, &NetworkAdjustFrm::Command_Adjust_Click);
  connect(saveText, &QPushButton::clicked, this, &NetworkAdjustFrm::Command_SaveText_Click);
  connect(saveHtml, &QPushButton::clicked, this, &NetworkAdjustFrm::Command_SaveHtml_Click);
  connect(saveJson, &QPushButton::clicked, this, &NetworkAdjustFrm::Command_SaveJson_Click);
  connect(zoomIn, &QPushButton::clicked, this, [this] { view_->ZoomBy(1.25); });
  connect(zoomOut, &QPushButton::clicked, this, [this] { view_->ZoomBy(0.8); });
  connect(fitAll, &QPushButton::clicked, this, [this] { view_->FitAll(); });
  // A report saved is always the report of the text in the box: editing puts saving off
  // until the next adjustment.
  connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
    discardArmed_ = false;
    for (QPushButton* b : reportButtons_) b->setEnabled(false);
  });
  connect(editor_->document(), &QTextDocument::modificationChanged, this, [this] { Load({}, path_, utf8_); });

  Load(plane ? kNetPlaneTemplate : kNetLevelTemplate, {}, false);
  // The window opens on the first option, as every dialog opens on its first field.
  (plane ? directionSigma_ : levelSigma_)->setFocus();
  resize(1240, 860);
}

void NetworkAdjustFrm::Warn(const QString& text) { page4::Warn(this, services(), windowTitle(), text); }

// ---------------------------------------------------------------- the observation file

// Load with an empty text only updates the file's caption (path and whether it is saved).
void NetworkAdjustFrm::Load(const QString& text, const QString& path, bool utf8) {
  path_ = path;
  utf8_ = utf8;
  if (!text.isNull()) {
    fileBytes_.reset();
    editor_->setPlainText(text);
    editor_->document()->setModified(false);
    // A file opened is read from its head; a new one is typed on at its end.
    editor_->moveCursor(path.isEmpty() ? QTextCursor::End : QTextCursor::Start);
    ClearAdjusted();
  }
  QString caption = path.isEmpty() ? QString("%1 (未保存)").arg(kNetUnsavedName) : QDir::toNativeSeparators(path);
  if (editor_->document()->isModified()) caption += " *";
  fileLabel_->setText(caption);
}

bool NetworkAdjustFrm::MayDiscard() {
  if (!editor_->document()->isModified() || discardArmed_) return true;
  Warn("观测文件已修改而未保存。要保存请按 保存; 再按一次则放弃修改。");
  discardArmed_ = true;
  return false;
}

// Closing with typed text unsaved is refused once, with the same warning.
void NetworkAdjustFrm::closeEvent(QCloseEvent* event) {
  if (!MayDiscard()) return event->ignore();
  VDialog::closeEvent(event);
}

void NetworkAdjustFrm::Command_New_Click() {
  if (!MayDiscard()) return;
  Load(mode_ == Mode::Plane ? kNetPlaneTemplate : kNetLevelTemplate, {}, false);
}

void NetworkAdjustFrm::Command_Open_Click() {
  if (!MayDiscard()) return;
  QString path;
  const std::optional<std::string> bytes = page4::OpenBytes(this, services(), windowTitle(), kNetObsFilter, &path);
  if (!bytes) return;
  if (!batch::IsGbkOrUtf8Text(*bytes)) {
    Warn(QDir::toNativeSeparators(path) + ": " + batch::kNotTextReason);
    return;
  }
  std::string_view view = *bytes;
  const bool utf8 = TakeAsUtf8(view);
  // Lines as the reader splits them, so that line numbers in its messages are the box's.
  QString text;
  for (const std::string& line : SplitLines(utf8 ? std::string(view) : GbkToUtf8(view))) text += NetQ(line) + "\n";
  Load(text, path, utf8);
  fileBytes_ = *bytes;
}

// Saved as GBK with CR LF like every other text file here; a file that was UTF-8, or holds a
// character GBK has not, is saved as UTF-8 so that nothing typed is lost.
bool NetworkAdjustFrm::WriteObservations(const QString& path) {
  const std::string text = editor_->toPlainText().toStdString();
  bool utf8 = utf8_ || GbkToUtf8(Utf8ToGbk(text)) != text;
  std::string bytes;
  for (const std::string& line : SplitLines(text)) bytes += (utf8 ? line : Utf8ToGbk(line)) + "\r\n";
  if (const std::string error = page4::WriteBytes(path, bytes); !error.empty()) {
    Warn("文件无法写入：" + QDir::toNativeSeparators(path) + "\n" + NetQ(error));
    return false;
  }
  editor_->document()->setModified(false);
  Load({}, path, utf8);
  fileBytes_ = bytes;
  return true;
}

void NetworkAdjustFrm::Command_Save_Click() {
  if (path_.isEmpty()) return Command_SaveAs_Click();
  WriteObservations(path_);
}

void NetworkAdjustFrm::Command_SaveAs_Click() {
  if (!services().files) return;
  const QString path = services().files->SaveFile(this, "保存观测文件", {}, kNetObsFilter);
  if (!path.isEmpty()) WriteObservations(path);
}

void NetworkAdjustFrm::GoToLine(const std::string& error, const std::string& name) {
  if (error.compare(0, name.size() + 1, name + ":") != 0) return;
  size_t at = name.size() + 1, end = at;
  while (end < error.size() && std::isdigit(static_cast<unsigned char>(error[end]))) ++end;
  if (end == at || end >= error.size() || error[end] != ':') return;
  const int line = std::atoi(error.substr(at, std::min<size_t>(end - at, 9)).c_str());
  const QTextBlock block = editor_->document()->findBlockByNumber(line - 1);
  if (!block.isValid()) return;
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  editor_->setTextCursor(cursor);
  editor_->centerCursor();
  editor_->setFocus();
}

// ---------------------------------------------------------------- options

bool NetworkAdjustFrm::ReadSigma(QLineEdit* field, const QString& what, bool zeroAllowed, std::optional<double>& value) {
  value.reset();
  if (!field) return true;
  const std::string text = field->text().toStdString();
  if (IsBlank(text)) return true;
  const std::optional<double> v = ReadStrict(text);
  // Figures below 1e9, as the observation file's own.
  if (v && std::isfinite(*v) && (zeroAllowed ? *v >= 0 : *v > 0) && *v < 1e9) {
    value = v;
    return true;
  }
  Warn(what + (zeroAllowed ? "应为不小于 0、小于 1e9 的数!" : "应为小于 1e9 的正数!"));
  field->setFocus();
  field->selectAll();
  return false;
}

bool NetworkAdjustFrm::ReadOptions(batch::NetworkOverrides& o, double& ellipseScale) {
  std::optional<double> scale;
  if (!ReadSigma(directionSigma_, "方向中误差(秒)", false, o.directionSigma) ||
      !ReadSigma(angleSigma_, "测角中误差(秒)", false, o.angleSigma) ||
      !ReadSigma(distanceA_, "测距中误差 a(毫米)", true, o.distanceSigmaA) ||
      !ReadSigma(distanceB_, "测距中误差 b(ppm)", true, o.distanceSigmaB) ||
      !ReadSigma(ellipseScale_, "误差椭圆放大倍数", false, scale) ||
      !ReadSigma(levelSigma_, "水准中误差(毫米)", false, o.levelSigma))
    return false;
  ellipseScale = scale.value_or(0);
  o.aPriori = aPriori_->isChecked();
  if (free_->isChecked()) {
    o.free = true;
    // Point names hold no blanks: blanks and commas of either width part them.
    static const QRegularExpression parts("[\\s,，、;；]+");
    for (const QString& n : datumPoints_->text().split(parts, Qt::SkipEmptyParts)) o.datumPoints.push_back(n.toStdString());
  }
  return true;
}

// ---------------------------------------------------------------- adjusting

void NetworkAdjustFrm::Command_Adjust_Click() {
  batch::NetworkOverrides overrides;
  double ellipseScale = 0;
  if (!ReadOptions(overrides, ellipseScale)) return;
  ClearAdjusted();
  Adjusted a;
  a.name = path_.isEmpty() ? kNetUnsavedName : batch::InputName(path_.toStdString());
  a.options.ellipseScale = ellipseScale;
  // A file as it was opened or saved is read from its own bytes, as the command line reads it
  // (the text box makes a no-break space a blank); edited text from the box.
  const bool asFiled = fileBytes_ && !editor_->document()->isModified();
  batch::NetworkFileResult read =
      batch::ParseNetworkText(asFiled ? *fileBytes_ : editor_->toPlainText().toStdString(), a.name);
  if (!read.ok) {
    Warn(NetQ(read.error));
    GoToLine(read.error, a.name);
    return;
  }
  a.file = std::move(read.network);
  const adjustment::PlaneOptions& p = a.file.planeOptions;
  if (distanceA_ && overrides.distanceSigmaA.value_or(p.distanceSigmaA * 1000) + overrides.distanceSigmaB.value_or(p.distanceSigmaB * 1e6) <= 0) {
    Warn("测距中误差 a(毫米) 与 b(ppm) 不能都为 0!");
    (distanceA_->text().trimmed().isEmpty() ? distanceB_ : distanceA_)->setFocus();
    return;
  }
  batch::Override(overrides, a.file);
  a.adjustment = batch::AdjustNetworkFile(a.file);
  if (!a.adjustment.ok) {
    Warn(NetQ(a.name + ": " + a.adjustment.error));
    return;
  }
  a.lines = batch::NetworkReportText(a.file, a.name, a.adjustment);
  adjusted_ = std::move(a);
  ShowAdjusted();
}

void NetworkAdjustFrm::ClearAdjusted() {
  adjusted_.reset();
  report_->clear();
  scene_->clear();
  scaleLabel_->clear();
  blunderLabel_->clear();
  for (QPushButton* b : reportButtons_) b->setEnabled(false);
}

void NetworkAdjustFrm::ShowAdjusted() {
  QString text;
  for (const std::string& l : adjusted_->lines) text += NetQ(l) + "\n";
  text.chop(1);
  report_->setPlainText(text);
  Draw();
  for (QPushButton* b : reportButtons_) b->setEnabled(true);
}

// ---------------------------------------------------------------- saving the reports

void NetworkAdjustFrm::Command_SaveText_Click() {
  if (!adjusted_) return;
  page4::SaveGbkReport(this, services(), windowTitle(), adjusted_->lines);
}

void NetworkAdjustFrm::Command_SaveHtml_Click() {
  if (!adjusted_) return;
  page4::SaveBytes(this, services(), windowTitle(), "网页 (*.html *.htm);;所有文件 (*)",
                   batch::NetworkReportHtml(adjusted_->file, adjusted_->name, adjusted_->adjustment, adjusted_->options));
}

void NetworkAdjustFrm::Command_SaveJson_Click() {
  if (!adjusted_) return;
  page4::SaveBytes(this, services(), windowTitle(), "JSON (*.json);;所有文件 (*)",
                   batch::NetworkReportJson(adjusted_->file, adjusted_->name, adjusted_->adjustment));
}

}  // namespace vantrel
