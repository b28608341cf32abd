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

QPushButton* NetButton(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

QString NetQ(const std::string& s) { return QString::fromStdString(s); }

// A mark that keeps its size on screen whatever the zoom, its name beside it.
QGraphicsItem* NetMark(QGraphicsScene* scene, QPointF at, bool known, const std::string& name, QPointF away) {
  QAbstractGraphicsShapeItem* mark;
  if (known) {
    mark = new QGraphicsPolygonItem(QPolygonF({{0, -7}, {6, 4}, {-6, 4}}));
    mark->setBrush(QColor("#1f3f8f"));
  } else {
    mark = new QGraphicsEllipseItem(-4, -4, 8, 8);
    mark->setBrush(Qt::white);
  }
  mark->setPen(QPen(QColor("#1f3f8f"), 1.5));
  mark->setFlag(QGraphicsItem::ItemIgnoresTransformations);
  mark->setPos(at);
  mark->setZValue(3);
  mark->setData(NetworkAdjustFrm::kItemKind, known ? "known" : "new");
  mark->setData(NetworkAdjustFrm::kItemName, NetQ(name));
  scene->addItem(mark);
  auto* label = new QGraphicsSimpleTextItem(NetQ(name), mark);
  const QRectF box = label->boundingRect();
  // Names stand on the side away from the network's middle, so lines rarely cross them.
  const double len = std::hypot(away.x(), away.y());
  const QPointF dir = len > 0 ? away / len : QPointF(1, -1) / std::sqrt(2.0);
  label->setPos(dir.x() * (box.width() / 2 + 9) - box.width() / 2, dir.y() * (box.height() / 2 + 9) - box.height() / 2);
  return mark;
}

void NetLine(QGraphicsScene* scene, QPointF p, QPointF q, bool blunder, const std::string& name) {
  QPen pen(blunder ? QColor("#d01010") : QColor("#1f3f8f"), blunder ? 3.5 : 1.2);
  pen.setCosmetic(true);
  QGraphicsLineItem* line = scene->addLine(QLineF(p, q), pen);
  line->setZValue(blunder ? 2 : 1);
  line->setData(NetworkAdjustFrm::kItemKind, blunder ? "blunder" : "line");
  line->setData(NetworkAdjustFrm::kItemName, NetQ(name));
}

// An invisible frame a little larger than the points, so that "全图" leaves room for the names.
void NetFrame(QGraphicsScene* scene, const std::vector<QPointF>& points) {
  QRectF r;
  for (const QPointF& p : points) r = r.united(QRectF(p, QSizeF(1e-6, 1e-6)));
  const double m = std::max({r.width(), r.height(), 1.0}) * 0.12;
  scene->addRect(r.adjusted(-m, -m, m, m), Qt::NoPen);
}

// A diagram of the levelling routes: points spaced as the number of routes between them
// (stress majorisation from a circle, so the same file always gives the same picture).
std::vector<QPointF> NetRouteDiagram(size_t n, const std::vector<std::pair<size_t, size_t>>& routes) {
  std::vector<QPointF> p(n);
  for (size_t i = 0; i < n; ++i) {
    const double t = 2 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n);
    p[i] = QPointF(std::sin(t), -std::cos(t)) * (100.0 * static_cast<double>(n) / std::numbers::pi);
  }
  if (n < 3 || n > 300) return p;  // beyond a few hundred points the circle will do
  std::vector<std::vector<size_t>> next(n);
  for (const auto& [a, b] : routes) next[a].push_back(b), next[b].push_back(a);
  std::vector<std::vector<double>> d(n, std::vector<double>(n, 0));
  for (size_t s = 0; s < n; ++s) {
    std::vector<int> hops(n, -1);
    std::vector<size_t> queue{s};
    hops[s] = 0;
    for (size_t k = 0; k < queue.size(); ++k)
      for (size_t t : next[queue[k]])
        if (hops[t] < 0) hops[t] = hops[queue[k]] + 1, queue.push_back(t);
    // Points on separate routes stand a little beyond the farthest of the others.
    for (size_t t = 0; t < n; ++t) d[s][t] = 200.0 * (hops[t] < 0 ? static_cast<double>(n) / 2 + 1 : hops[t]);
  }
  // Classical scaling first (the two leading eigenvectors of the doubly centred squared
  // distances, by power iteration): a start without the circle's crossings.
  std::vector<std::vector<double>> b(n, std::vector<double>(n));
  std::vector<double> rowMean(n, 0);
  double mean = 0;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) rowMean[i] += d[i][j] * d[i][j] / n, mean += d[i][j] * d[i][j] / n / n;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) b[i][j] = -0.5 * (d[i][j] * d[i][j] - rowMean[i] - rowMean[j] + mean);
  std::vector<std::vector<double>> axes;
  std::vector<double> roots;
  for (int axis = 0; axis < 2; ++axis) {
    std::vector<double> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = axis ? std::cos(1.0 + i) : 1.0 + static_cast<double>(i) / n;
    double lambda = 0;
    for (int k = 0; k < 100; ++k) {
      for (const auto& u : axes) {  // deflate the axis found before
        double dot = 0;
        for (size_t i = 0; i < n; ++i) dot += u[i] * v[i];
        for (size_t i = 0; i < n; ++i) v[i] -= dot * u[i];
      }
      std::vector<double> w(n, 0);
      for (size_t i = 0; i < n; ++i)
        for (size_t j = 0; j < n; ++j) w[i] += b[i][j] * v[j];
      double norm = 0;
      for (double x : w) norm += x * x;
      norm = std::sqrt(norm);
      if (!(norm > 1e-12)) break;
      lambda = norm;
      for (size_t i = 0; i < n; ++i) v[i] = w[i] / norm;
    }
    axes.push_back(v);
    roots.push_back(std::sqrt(lambda));
  }
  // A little of the circle is kept, so that no two points start on one spot.
  for (size_t i = 0; i < n; ++i) p[i] = p[i] * 0.05 + QPointF(axes[0][i] * roots[0], axes[1][i] * roots[1]);
  for (int iteration = 0; iteration < 200; ++iteration)
    for (size_t i = 0; i < n; ++i) {
      QPointF sum;
      double weights = 0;
      for (size_t j = 0; j < n; ++j) {
        if (j == i) continue;
        const QPointF v = p[i] - p[j];
        const double len = std::max(std::hypot(v.x(), v.y()), 1e-9), w = 1 / (d[i][j] * d[i][j]);
        sum += w * (p[j] + d[i][j] * v / len);
        weights += w;
      }
      p[i] = sum / weights;
    }
  return p;
}

// The report's data-snooping paragraphs, in the order of its sections (plane, then levelling).
std::vector<std::string> NetSnooping(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  const std::string head = "数据探测 (Baarda";
  for (const std::string& l : lines)
    if (l.compare(0, head.size(), head) == 0) out.push_back(l);
  return out;
}

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
  auto* newButton = NetButton(fileBox, "Command_New", "新建(&N)");
  auto* openButton = NetButton(fileBox, "Command_Open", "打开(&O)...");
  auto* saveButton = NetButton(fileBox, "Command_Save", "保存(&S)");
  auto* saveAsButton = NetButton(fileBox, "Command_SaveAs", "另存为...");
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
  auto* zoomIn = NetButton(sketchBox, "Command_ZoomIn", "放大");
  auto* zoomOut = NetButton(sketchBox, "Command_ZoomOut", "缩小");
  auto* fitAll = NetButton(sketchBox, "Command_FitAll", "全图");
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

  auto* adjust = NetButton(this, "Command_Adjust", "平差计算(&A)");
  adjust->setDefault(true);
  auto* saveText = NetButton(this, "Command_SaveText", "保存文字报告(&T)...");
  auto* saveHtml = NetButton(this, "Command_SaveHtml", "保存网页报告(&H)...");
  auto* saveJson = NetButton(this, "Command_SaveJson", "保存JSON(&J)...");
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

// ---------------------------------------------------------------- the drawing

void NetworkAdjustFrm::Draw() {
  const batch::NetworkAdjustment& a = adjusted_->adjustment;
  // The entry's own network when the file has it, else the one it has.
  const bool plane = a.plane && !a.plane->points.empty() && (mode_ == Mode::Plane || !a.levelling);
  if (plane) DrawPlane(a, adjusted_->file);
  else if (a.levelling) DrawLevelling(a, adjusted_->file);
  // The blunder as the report names it.
  const std::vector<std::string> snooping = NetSnooping(adjusted_->lines);
  if (!snooping.empty()) {
    const std::string& s = plane ? snooping.front() : snooping.back();
    const size_t colon = s.find("): ");
    const QString said = NetQ(colon == std::string::npos ? s : s.substr(colon + 3));
    const bool suspect = said.startsWith("最可能的粗差");
    blunderLabel_->setText(suspect ? said + " (图中红线)" : said);
    blunderLabel_->setStyleSheet(suspect ? "color: #d01010; font-weight: bold;" : "");
  }
  view_->FitAll();
}

void NetworkAdjustFrm::DrawPlane(const batch::NetworkAdjustment& a, const batch::NetworkFile& f) {
  const adjustment::PlaneResult& r = *a.plane;
  // Scene x east, y south: the map as drawn on paper, the screen's y running down.
  auto at = [&](size_t i) { return QPointF(r.points[i].y, -r.points[i].x); };
  std::map<std::string, size_t> index;
  std::vector<QPointF> all;
  QPointF middle;
  for (size_t i = 0; i < r.points.size(); ++i) {
    index.emplace(r.points[i].name, i);
    all.push_back(at(i));
    middle += at(i) / static_cast<double>(r.points.size());
  }
  NetFrame(scene_, all);

  std::set<std::pair<size_t, size_t>> joined, red;
  auto join = [&](const std::string& p, const std::string& q, std::set<std::pair<size_t, size_t>>& into) {
    const auto i = index.find(p), j = index.find(q);
    if (i != index.end() && j != index.end() && i->second != j->second) into.insert(std::minmax(i->second, j->second));
  };
  for (size_t k = 0; k < f.plane.observations.size(); ++k) {
    const adjustment::PlaneObservation& o = f.plane.observations[k];
    auto& into = static_cast<int>(k) == r.suspectObservation ? red : joined;
    join(o.station, o.target, into);
    if (o.kind == adjustment::ObservationKind::Angle) join(o.station, o.target2, into);
  }
  for (const auto& [i, j] : joined)
    if (!red.count({i, j})) NetLine(scene_, at(i), at(j), false, r.points[i].name + "-" + r.points[j].name);
  for (const auto& [i, j] : red) NetLine(scene_, at(i), at(j), true, r.points[i].name + "-" + r.points[j].name);

  // The ellipses drawn to the HTML report's factor: the same picture at any zoom.
  const double factor = batch::NetworkEllipseScale(a, adjusted_->options);
  QPen ellipsePen(QColor("#c0392b"), 1.2);
  ellipsePen.setCosmetic(true);
  for (size_t i = 0; i < r.points.size(); ++i) {
    const adjustment::AdjustedPlanePoint& p = r.points[i];
    const adjustment::PlanePoint& in = f.plane.points.at(i);
    NetMark(scene_, at(i), in.knownX || in.knownY, p.name, at(i) - middle);
    if (!p.adjustedX && !p.adjustedY) continue;
    const double e = p.ellipse.major * factor, g = p.ellipse.minor * factor;
    auto* ellipse = scene_->addEllipse(-e, -g, 2 * e, 2 * g, ellipsePen);
    // The major axis at its azimuth φ, clockwise from north: the scene's x axis turned by φ − 90°.
    ellipse->setRotation(p.ellipse.azimuth * 180 / std::numbers::pi - 90);
    ellipse->setPos(at(i));
    ellipse->setZValue(4);
    ellipse->setData(kItemKind, "ellipse");
    ellipse->setData(kItemName, NetQ(p.name));
  }
  scaleLabel_->setText("▲ 已知点  ○ 待定点    误差椭圆放大 " + NetQ(GeneralNumberText(factor)) + " 倍");
}

// Levelling points have no plane position: where the file's plane network has them all they
// stand there, else the routes are drawn as a diagram.
void NetworkAdjustFrm::DrawLevelling(const batch::NetworkAdjustment& a, const batch::NetworkFile& f) {
  const adjustment::LevellingResult& r = *a.levelling;
  std::map<std::string, QPointF> planePos;
  if (a.plane)
    for (const adjustment::AdjustedPlanePoint& p : a.plane->points) planePos.emplace(p.name, QPointF(p.y, -p.x));
  bool placed = !r.points.empty();
  for (const adjustment::AdjustedLevelPoint& p : r.points) placed = placed && planePos.count(p.name);
  std::map<std::string, size_t> index;
  for (size_t i = 0; i < r.points.size(); ++i) index.emplace(r.points[i].name, i);
  std::vector<std::pair<size_t, size_t>> routes;
  for (const adjustment::LevelLine& l : f.levelLines)
    if (index.count(l.from) && index.count(l.to)) routes.emplace_back(index[l.from], index[l.to]);
  const size_t n = r.points.size();
  const std::vector<QPointF> diagram = placed ? std::vector<QPointF>() : NetRouteDiagram(n, routes);
  std::map<std::string, QPointF> pos;
  std::vector<QPointF> all;
  QPointF middle;
  for (size_t i = 0; i < n; ++i) {
    const QPointF p = placed ? planePos[r.points[i].name] : diagram[i];
    pos[r.points[i].name] = p;
    all.push_back(p);
    middle += p / static_cast<double>(n);
  }
  NetFrame(scene_, all);
  for (size_t k = 0; k < f.levelLines.size(); ++k) {
    const adjustment::LevelLine& l = f.levelLines[k];
    if (pos.count(l.from) && pos.count(l.to))
      NetLine(scene_, pos[l.from], pos[l.to], static_cast<int>(k) == r.suspectLine, l.from + "-" + l.to);
  }
  for (size_t i = 0; i < n; ++i)
    NetMark(scene_, pos[r.points[i].name], f.levelPoints.at(i).knownHeight.has_value(), r.points[i].name,
            pos[r.points[i].name] - middle);
  scaleLabel_->setText(placed ? "▲ 已知高程点  ○ 待定点    点位按平面坐标"
                              : "▲ 已知高程点  ○ 待定点    水准路线示意 (点位不按比例)");
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
