#include "app/page4/traverse_adjust_frm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGraphicsScene>
#include <QGraphicsSvgItem>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

#include "adjustment/traverse_adjustment.h"
#include "app/page4/page4_parts.h"
#include "batch/network_adjustment.h"
#include "batch/network_file.h"
#include "batch/network_report.h"
#include "batch/traverse_file.h"
#include "batch/traverse_report.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel {

namespace {

const QString kTravAdjCaption = "导线平差";
// What the reports call data typed in the dialog and not yet saved to a file.
const std::string kTravAdjTableName = "导线观测表";
const QString kTravAdjFilter = "导线观测文件 (*.txt *.dat);;所有文件 (*)";
// The file's keywords: a station of that name would be read as a keyword line.
const char* const kTravAdjKeywords[] = {"导线", "起点", "后视", "终点", "前视",
                                        "起始方位", "终止方位", "连接角", "首边方位"};
const QString kTravAdjNameRule = "不能为空, 也不能含空格、# 或控制字符!";
const QString kTravAdjMetresRule = "应为数字 (米, 绝对值小于 1e9)!";
const QString kTravAdjAngleRule = "应为度.分秒 D.MMSS (0 至 360 度, 分、秒小于 60, 最多到 0.1″)!";

std::string TravAdjStd(const QString& s) { return s.toStdString(); }

// A name the file can carry as one item.
bool TravAdjNameOk(const QString& text) {
  if (text.isEmpty()) return false;
  for (char32_t c : text.toUcs4())
    if (c == '#' || QChar::isSpace(c) || !QChar::isPrint(c)) return false;
  return true;
}

bool TravAdjNumberItem(const QString& text) {
  return !text.isEmpty() && !text.contains('#') && !text.contains(QRegularExpression("\\s"));
}

bool TravAdjMetresOk(const QString& text) {
  const auto v = ReadStrict(TravAdjStd(text));
  return TravAdjNumberItem(text) && v && std::fabs(*v) < adjustment::kTraverseMaxMetres;
}

bool TravAdjAngleOk(const QString& text) {
  const std::string s = TravAdjStd(text);
  return TravAdjNumberItem(text) && batch::ReadPackedAngle(s) && batch::PackedAngleTenths(s);
}

QLineEdit* TravAdjField(QWidget* parent, const char* name, int width = 110) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setMinimumWidth(width);
  return e;
}

}  // namespace

TraverseAdjustFrm::TraverseAdjustFrm(AppState& state, const Services& services, QWidget* parent)
    : VDialog(state, services, kTravAdjCaption, parent) {
  setObjectName("TraverseAdjustFrm");

  // Known data.
  auto* known = new QGroupBox("已知数据", this);
  known->setObjectName("Frame_Known");
  kind_ = page4::Combo(known, "Combo_Kind", {"附合导线", "闭合导线"});
  side_ = page4::Combo(known, "Combo_Side", {"左角", "右角"});
  auto* kindRow = new QHBoxLayout;
  kindRow->addWidget(new QLabel("导线类型", known));
  kindRow->addWidget(kind_, 1);
  kindRow->addWidget(new QLabel("观测角", known));
  kindRow->addWidget(side_, 1);

  auto* points = new QGridLayout;
  points->addWidget(new QLabel("点名", known), 0, 1);
  points->addWidget(new QLabel("X (米)", known), 0, 2);
  points->addWidget(new QLabel("Y (米)", known), 0, 3);
  const std::pair<Point*, const char*> rows[] = {
      {&start_, "起点"}, {&back_, "后视点"}, {&end_, "终点"}, {&fore_, "前视点"}};
  const char* const prefixes[] = {"Start", "Back", "End", "Fore"};
  for (int r = 0; r < 4; ++r) {
    Point& p = *rows[r].first;
    const QByteArray prefix = QByteArray("Text_") + prefixes[r];
    p.name = TravAdjField(known, (prefix + "Name").constData(), 80);
    p.x = TravAdjField(known, (prefix + "X").constData());
    p.y = TravAdjField(known, (prefix + "Y").constData());
    points->addWidget(new QLabel(rows[r].second, known), r + 1, 0);
    points->addWidget(p.name, r + 1, 1);
    points->addWidget(p.x, r + 1, 2);
    points->addWidget(p.y, r + 1, 3);
  }
  points->setColumnStretch(2, 1);
  points->setColumnStretch(3, 1);

  startOrient_ = page4::Combo(known, "Combo_StartOrient", {"后视点", "起始方位", "首边方位"});
  endOrient_ = page4::Combo(known, "Combo_EndOrient", {"前视点", "终止方位"});
  startAngle_ = TravAdjField(known, "Text_StartAngle");
  connection_ = TravAdjField(known, "Text_Connection");
  endAzimuth_ = TravAdjField(known, "Text_EndAzimuth");
  auto* startAngleCaption = new QLabel(known);
  startAngleCaption->setObjectName("Label_StartAngle");
  auto* orient = new QGridLayout;
  orient->addWidget(new QLabel("起始定向", known), 0, 0);
  orient->addWidget(startOrient_, 0, 1);
  orient->addWidget(startAngleCaption, 0, 2);
  orient->addWidget(startAngle_, 0, 3);
  orient->addWidget(new QLabel("终止定向", known), 1, 0);
  orient->addWidget(endOrient_, 1, 1);
  orient->addWidget(new QLabel("终止方位", known), 1, 2);
  orient->addWidget(endAzimuth_, 1, 3);
  orient->addWidget(new QLabel("连接角", known), 2, 2);
  orient->addWidget(connection_, 2, 3);
  orient->addWidget(new QLabel("方位角、连接角为 D.MMSS", known), 2, 0, 1, 2);
  orient->setColumnStretch(3, 1);
  auto* knownLayout = new QVBoxLayout(known);
  knownLayout->addLayout(kindRow);
  knownLayout->addLayout(points);
  knownLayout->addLayout(orient);

  // Stations.
  auto* stations = new QGroupBox("测站 (按前进顺序; 可从表格软件复制后按 Ctrl+V 粘贴)", this);
  stations->setObjectName("Frame_Stations");
  table_ = new page4::PointTable({"点名", "观测角 (D.MMSS)", "边长 (米)"}, "Table_Stations", stations);
  auto* addRow = page4::Button(stations, "Command_AddRow", "添加行");
  auto* removeRow = page4::Button(stations, "Command_RemoveRows", "删除行");
  auto* stationButtons = new QHBoxLayout;
  stationButtons->addStretch(1);
  stationButtons->addWidget(addRow);
  stationButtons->addWidget(removeRow);
  auto* stationLayout = new QVBoxLayout(stations);
  stationLayout->addWidget(table_, 1);
  stationLayout->addLayout(stationButtons);

  // Method and its options, as the traverse and adjust subcommands take them.
  auto* method = new QGroupBox("平差方法", this);
  method->setObjectName("Frame_Method");
  method_ = page4::Combo(method, "Combo_Method", {"近似平差 (按边长比例分配)", "严密平差 (最小二乘)"});
  QStringList grades{"不指定"};
  for (const adjustment::TraverseGrade& g : adjustment::TraverseGrades()) grades << g.name;
  grade_ = page4::Combo(method, "Combo_Grade", grades);
  allowance_ = TravAdjField(method, "Text_Allowance", 60);
  allowance_->setText("40");
  step_ = TravAdjField(method, "Text_Step", 60);
  step_->setText("1");
  force_ = new QCheckBox("超限照样平差", method);
  force_->setObjectName("Check_Force");
  angleSigma_ = TravAdjField(method, "Text_AngleSigma", 60);
  angleSigma_->setPlaceholderText("文件所定 (默认 √2)");
  distanceA_ = TravAdjField(method, "Text_DistanceA", 60);
  distanceA_->setPlaceholderText("默认 2");
  distanceB_ = TravAdjField(method, "Text_DistanceB", 60);
  distanceB_->setPlaceholderText("默认 2");
  auto* m = new QGridLayout(method);
  m->addWidget(method_, 0, 0, 1, 4);
  m->addWidget(new QLabel("等级", method), 1, 0);
  m->addWidget(grade_, 1, 1);
  m->addWidget(new QLabel("角度限差 ±c″√n, c", method), 1, 2);
  m->addWidget(allowance_, 1, 3);
  m->addWidget(new QLabel("改正数取至 (秒)", method), 2, 0);
  m->addWidget(step_, 2, 1);
  m->addWidget(force_, 2, 2, 1, 2);
  m->addWidget(new QLabel("测角中误差 (″)", method), 3, 0);
  m->addWidget(angleSigma_, 3, 1);
  m->addWidget(new QLabel("测距中误差 a (毫米)", method), 4, 0);
  m->addWidget(distanceA_, 4, 1);
  m->addWidget(new QLabel("+ b (ppm)", method), 4, 2);
  m->addWidget(distanceB_, 4, 3);

  // Results: the computation table as the command line prints it, and the sketch.
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("Tab_Result");
  report_ = new page4::ReportView("Text_Report", tabs_);
  sketch_ = new page4::ZoomView("View_Sketch", tabs_);
  scene_ = new QGraphicsScene(sketch_);
  sketch_->setScene(scene_);
  sketch_->setBackgroundBrush(Qt::white);
  tabs_->addTab(report_, "导线坐标计算表");
  tabs_->addTab(sketch_, "导线略图");

  auto* left = new QVBoxLayout;
  left->addWidget(known);
  left->addWidget(stations, 1);
  left->addWidget(method);
  auto* body = new QHBoxLayout;
  body->addLayout(left, 0);
  body->addWidget(tabs_, 1);

  auto* open = page4::Button(this, "Command_Open", "打开观测文件(&O)");
  auto* saveData = page4::Button(this, "Command_SaveData", "保存观测文件(&S)");
  auto* compute = page4::Button(this, "Command_Compute", "计算(&C)");
  compute->setDefault(true);
  auto* saveText = page4::Button(this, "Command_SaveText", "存计算表(&T)");
  auto* saveHtml = page4::Button(this, "Command_SaveHtml", "存为网页(&H)");
  auto* exit = MakeExitButton("Command_Exit");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addLayout(ButtonRow({open, saveData, compute, saveText, saveHtml, exit}));

  connect(open, &QPushButton::clicked, this, &TraverseAdjustFrm::Command_Open_Click);
  connect(saveData, &QPushButton::clicked, this, &TraverseAdjustFrm::Command_SaveData_Click);
  connect(compute, &QPushButton::clicked, this, &TraverseAdjustFrm::Command_Compute_Click);
  connect(saveText, &QPushButton::clicked, this, &TraverseAdjustFrm::Command_SaveText_Click);
  connect(saveHtml, &QPushButton::clicked, this, &TraverseAdjustFrm::Command_SaveHtml_Click);
  connect(addRow, &QPushButton::clicked, table_, &page4::PointTable::AddRow);
  connect(removeRow, &QPushButton::clicked, table_, &page4::PointTable::RemoveSelectedRows);

  QList<QLineEdit*> data{startAngle_, connection_, endAzimuth_};
  for (const Point* p : {&start_, &back_, &end_, &fore_}) data << p->name << p->x << p->y;
  for (QLineEdit* e : data) connect(e, &QLineEdit::textChanged, this, &TraverseAdjustFrm::Edited);
  for (QComboBox* c : {kind_, side_, startOrient_, endOrient_})
    connect(c, &QComboBox::currentIndexChanged, this, [this] {
      ShowModes();
      Edited();
    });
  for (QComboBox* c : {method_, grade_}) connect(c, &QComboBox::currentIndexChanged, this, &TraverseAdjustFrm::ShowModes);
  QAbstractItemModel* model = table_->model();
  connect(model, &QAbstractItemModel::dataChanged, this, &TraverseAdjustFrm::Edited);
  connect(model, &QAbstractItemModel::rowsInserted, this, &TraverseAdjustFrm::Edited);
  connect(model, &QAbstractItemModel::rowsRemoved, this, &TraverseAdjustFrm::Edited);

  for (QLineEdit* e : data) SelectOnEntry({e});
  SelectOnEntry({allowance_, step_, angleSigma_, distanceA_, distanceB_});
  for (int i = 0; i < 5; ++i) table_->AddRow();
  table_->setCurrentCell(0, 0);
  ShowModes();
  edited_ = true;
  start_.name->setFocus();  // the first text field, not the kind's list above it
  resize(1240, 760);
}

void TraverseAdjustFrm::Edited() {
  if (!filling_) edited_ = true;
}

void TraverseAdjustFrm::ShowModes() {
  const bool closed = kind_->currentIndex() == 1;
  // A first-leg azimuth orients a closed loop only.
  if (auto* items = qobject_cast<QStandardItemModel*>(startOrient_->model()))
    items->item(2)->setEnabled(closed);
  if (!closed && startOrient_->currentIndex() == 2) startOrient_->setCurrentIndex(1);
  const int start = startOrient_->currentIndex();
  for (QLineEdit* e : {back_.name, back_.x, back_.y}) e->setEnabled(start == 0);
  startAngle_->setEnabled(start != 0);
  findChild<QLabel*>("Label_StartAngle")->setText(start == 2 ? "首边方位" : "起始方位");
  connection_->setEnabled(closed && start != 2);
  endOrient_->setEnabled(!closed);
  for (QLineEdit* e : {end_.name, end_.x, end_.y}) e->setEnabled(!closed);
  for (QLineEdit* e : {fore_.name, fore_.x, fore_.y}) e->setEnabled(!closed && endOrient_->currentIndex() == 0);
  endAzimuth_->setEnabled(!closed && endOrient_->currentIndex() == 1);
  const bool compass = method_->currentIndex() == 0;
  grade_->setEnabled(compass);
  allowance_->setEnabled(compass && grade_->currentIndex() == 0);
  step_->setEnabled(compass);
  force_->setEnabled(compass);
  for (QLineEdit* e : {angleSigma_, distanceA_, distanceB_}) e->setEnabled(!compass);
}

std::optional<std::string> TraverseAdjustFrm::FileText() {
  lineOwners_.clear();
  std::string text;
  auto line = [&](const QString& owner, const QString& content) {
    text += TravAdjStd(content) + "\n";
    lineOwners_.push_back(owner);
  };
  auto refuse = [&](QLineEdit* field, const QString& message) {
    page4::Warn(this, services(), kTravAdjCaption, message);
    field->setFocus();
    field->selectAll();
    return false;
  };
  const bool closed = kind_->currentIndex() == 1;
  line("导线类型", QString("导线 %1 %2").arg(closed ? "闭合" : "附合", side_->currentText()));

  // A point's line, or the message on its first bad field.
  auto point = [&](const char* keyword, const QString& caption, const Point& p) {
    const QString name = p.name->text().trimmed(), x = p.x->text().trimmed(), y = p.y->text().trimmed();
    if (!TravAdjNameOk(name)) return refuse(p.name, "“" + caption + "点名”" + kTravAdjNameRule);
    if (!TravAdjMetresOk(x)) return refuse(p.x, "“" + caption + " X”" + kTravAdjMetresRule);
    if (!TravAdjMetresOk(y)) return refuse(p.y, "“" + caption + " Y”" + kTravAdjMetresRule);
    line(caption, QString("%1 %2 %3 %4").arg(keyword, name, x, y));
    return true;
  };
  auto angle = [&](const char* keyword, QLineEdit* field) {
    const QString a = field->text().trimmed();
    if (!TravAdjAngleOk(a)) return refuse(field, QString("“%1”").arg(keyword) + kTravAdjAngleRule);
    line(keyword, QString("%1 %2").arg(keyword, a));
    return true;
  };

  if (!point("起点", "起点", start_)) return std::nullopt;
  const int start = startOrient_->currentIndex();
  if (start == 0 && !point("后视", "后视点", back_)) return std::nullopt;
  if (start == 1 && !angle("起始方位", startAngle_)) return std::nullopt;
  if (start == 2 && !angle("首边方位", startAngle_)) return std::nullopt;
  if (closed && start != 2 && !angle("连接角", connection_)) return std::nullopt;
  if (!closed) {
    if (!point("终点", "终点", end_)) return std::nullopt;
    if (endOrient_->currentIndex() == 0 ? !point("前视", "前视点", fore_) : !angle("终止方位", endAzimuth_))
      return std::nullopt;
  }

  std::vector<int> rowNumbers;
  const std::vector<QStringList> rows = table_->Rows(&rowNumbers);
  for (size_t i = 0; i < rows.size(); ++i) {
    const QStringList& cells = rows[i];
    const QString owner = QString("测站表第 %1 行").arg(rowNumbers[i]);
    QString bad;
    if (!TravAdjNameOk(cells[0])) bad = "点名" + kTravAdjNameRule;
    for (const char* k : kTravAdjKeywords)
      if (bad.isEmpty() && cells[0] == k) bad = QString("点名不能用关键字 %1!").arg(k);
    if (bad.isEmpty() && !TravAdjAngleOk(cells[1])) bad = "观测角" + kTravAdjAngleRule;
    if (bad.isEmpty() && !cells[2].isEmpty() && !(TravAdjMetresOk(cells[2]) && *ReadStrict(TravAdjStd(cells[2])) > 0))
      bad = "边长应为正数 (米, 小于 1e9)!";
    if (!bad.isEmpty()) {
      page4::Warn(this, services(), kTravAdjCaption, owner + ": " + bad);
      table_->setCurrentCell(rowNumbers[i] - 1, 0);
      table_->setFocus();
      return std::nullopt;
    }
    line(owner, cells[2].isEmpty() ? cells[0] + " " + cells[1] : cells.join(' '));
  }
  return text;
}

void TraverseAdjustFrm::ShowFileError(const std::string& error) {
  // "NAME:LINE: reason" of a text the dialog wrote: the line stands for a field or a row.
  QString reason = QString::fromStdString(error);
  const QString prefix = QString::fromStdString(kTravAdjTableName) + ":";
  if (reason.startsWith(prefix)) {
    reason.remove(0, prefix.size());
    const qsizetype colon = reason.indexOf(':');
    bool number = false;
    const int line = colon > 0 ? reason.left(colon).toInt(&number) : 0;
    if (number && line >= 1 && line <= static_cast<int>(lineOwners_.size()))
      reason = lineOwners_[static_cast<size_t>(line - 1)] + ":" + reason.mid(colon + 1);
    else
      reason = reason.trimmed();
  }
  page4::Warn(this, services(), kTravAdjCaption, reason);
}

void TraverseAdjustFrm::Command_Compute_Click() {
  const std::optional<std::string> typed = FileText();
  if (!typed) return;
  auto number = [&](QLineEdit* field, const QString& message, auto ok) -> std::optional<double> {
    const auto v = ReadStrict(TravAdjStd(field->text().trimmed()));
    if (v && std::isfinite(*v) && ok(*v)) return v;
    page4::Warn(this, services(), kTravAdjCaption, message);
    field->setFocus();
    field->selectAll();
    return std::nullopt;
  };
  // Computing reads the file as the command line would while it stands as opened or saved,
  // so that the report names it and its lines.
  const bool fromFile = !edited_ && !dataPath_.isEmpty();
  const std::string bytes = fromFile ? dataBytes_ : *typed;
  const std::string name = fromFile ? TravAdjStd(dataPath_) : kTravAdjTableName;
  auto fileError = [&](const std::string& error) {
    if (fromFile) page4::Warn(this, services(), kTravAdjCaption, QString::fromStdString(error));
    else ShowFileError(error);
  };
  std::string svg;
  if (method_->currentIndex() == 0) {
    adjustment::TraverseOptions options;
    if (grade_->currentIndex() > 0) {
      options = adjustment::TraverseOptionsFor(adjustment::TraverseGrades()[grade_->currentIndex() - 1]);
    } else {
      const auto c = number(allowance_, "“角度限差”应为正数 (秒)!", [](double v) { return v > 0; });
      if (!c) return;
      options.allowanceSeconds = *c;
    }
    const auto step = number(step_, "“改正数取至”应为 0, 或 0.1 至 60 之间 0.1 的整数倍 (秒)!",
                             [](double v) { return adjustment::IsCorrectionStep(v); });
    if (!step) return;
    options.correctionStepSeconds = *step;
    options.force = force_->isChecked();
    const batch::TraverseFileResult read = batch::ParseTraverseText(bytes, name);
    if (!read.ok) return fileError(read.error);
    const adjustment::TraverseAdjustment adj = adjustment::AdjustTraverse(read.input, options);
    if (!adj.ok) return page4::Warn(this, services(), kTravAdjCaption, QString::fromStdString(adj.error));
    reportLines_ = batch::TraverseReportText(read.input, adj);
    reportHtml_ = batch::TraverseReportHtml(read.input, adj);
    svg = batch::TraverseSketchSvg(read.input, adj);
  } else {
    batch::NetworkOverrides overrides;
    if (!angleSigma_->text().trimmed().isEmpty()) {
      overrides.angleSigma = number(angleSigma_, "“测角中误差”应为正数 (秒)!", [](double v) { return v > 0; });
      if (!overrides.angleSigma) return;
    }
    if (!distanceA_->text().trimmed().isEmpty() || !distanceB_->text().trimmed().isEmpty()) {
      const QString rule = "“测距中误差”应为 a 毫米 + b ppm: 都是数字, 不为负, 不全为 0!";
      auto nonNegative = [](double v) { return v >= 0; };
      overrides.distanceSigmaA = number(distanceA_, rule, nonNegative);
      if (!overrides.distanceSigmaA) return;
      overrides.distanceSigmaB = number(distanceB_, rule, nonNegative);
      if (!overrides.distanceSigmaB) return;
      if (!(*overrides.distanceSigmaA + *overrides.distanceSigmaB > 0) ||
          !std::isfinite(*overrides.distanceSigmaA + *overrides.distanceSigmaB)) {
        page4::Warn(this, services(), kTravAdjCaption, rule);
        return distanceA_->setFocus();
      }
    }
    batch::NetworkFileResult read = batch::ParseNetworkText(bytes, name);
    if (!read.ok) return fileError(read.error);
    batch::Override(overrides, read.network);
    const batch::NetworkAdjustment adj = batch::AdjustNetworkFile(read.network);
    if (!adj.ok) return page4::Warn(this, services(), kTravAdjCaption, QString::fromStdString(adj.error));
    reportLines_ = batch::NetworkReportText(read.network, name, adj);
    reportHtml_ = batch::NetworkReportHtml(read.network, name, adj);
    svg = batch::NetworkSketchSvg(read.network, adj);
  }
  QString shown;
  for (const std::string& l : reportLines_) shown += QString::fromStdString(l) + "\n";
  report_->setPlainText(shown);
  scene_->clear();
  auto* item = new QGraphicsSvgItem;
  item->setSharedRenderer(new QSvgRenderer(QByteArray::fromStdString(svg), item));
  scene_->addItem(item);
  scene_->setSceneRect(item->boundingRect());
  sketch_->FitAll();
}

void TraverseAdjustFrm::Fill(const std::string& bytes) {
  const batch::TraverseFileResult read = batch::ParseTraverseText(bytes, {});
  // Every field takes the file's own text of its item, as typed there.
  std::vector<std::vector<std::string>> items;
  for (std::string l : SplitLines(GbkOrUtf8ToUtf8(bytes))) {
    if (const size_t hash = l.find('#'); hash != std::string::npos) l.erase(hash);
    items.push_back(SplitBlanks(l));
  }
  auto item = [&](int line, size_t i) {
    const std::vector<std::string>& it = items[static_cast<size_t>(line - 1)];
    return i < it.size() ? QString::fromStdString(it[i]) : QString();
  };
  filling_ = true;
  QList<QLineEdit*> all{startAngle_, connection_, endAzimuth_};
  for (const Point* p : {&start_, &back_, &end_, &fore_}) all << p->name << p->x << p->y;
  for (QLineEdit* e : all) e->clear();
  kind_->setCurrentIndex(read.input.kind == adjustment::TraverseKind::Closed ? 1 : 0);
  side_->setCurrentIndex(read.input.side == adjustment::AngleSide::Right ? 1 : 0);
  const std::map<std::string, int>& at = read.lines.keywords;
  const std::pair<const char*, const Point*> pointLines[] = {
      {"起点", &start_}, {"后视", &back_}, {"终点", &end_}, {"前视", &fore_}};
  for (const auto& [word, p] : pointLines)
    if (at.count(word))
      for (int i = 0; i < 3; ++i) (i == 0 ? p->name : i == 1 ? p->x : p->y)->setText(item(at.at(word), i + 1));
  const std::pair<const char*, QLineEdit*> angleLines[] = {
      {"起始方位", startAngle_}, {"首边方位", startAngle_}, {"连接角", connection_}, {"终止方位", endAzimuth_}};
  for (const auto& [word, field] : angleLines)
    if (at.count(word)) field->setText(item(at.at(word), 1));
  startOrient_->setCurrentIndex(at.count("首边方位") ? 2 : at.count("起始方位") && !at.count("后视") ? 1 : 0);
  endOrient_->setCurrentIndex(at.count("终止方位") && !at.count("前视") ? 1 : 0);
  std::vector<QStringList> rows;
  for (int line : read.lines.stations) rows.push_back({item(line, 0), item(line, 1), item(line, 2)});
  table_->SetRows(rows);
  table_->AddRow();  // a paste there adds stations at the end
  table_->clearSelection();
  filling_ = false;
  ShowModes();
}

void TraverseAdjustFrm::Command_Open_Click() {
  QString path;
  const std::optional<std::string> bytes =
      page4::OpenBytes(this, services(), kTravAdjCaption, kTravAdjFilter, &path);
  if (!bytes) return;
  // A file the reader refuses changes nothing: its reason names the line.
  const batch::TraverseFileResult read = batch::ParseTraverseText(*bytes, TravAdjStd(path));
  if (!read.ok) return page4::Warn(this, services(), kTravAdjCaption, QString::fromStdString(read.error));
  Fill(*bytes);
  dataPath_ = path;
  dataBytes_ = *bytes;
  edited_ = false;
  reportLines_.clear();
  reportHtml_.clear();
  report_->clear();
  scene_->clear();
}

void TraverseAdjustFrm::Command_SaveData_Click() {
  const std::optional<std::string> text = FileText();
  if (!text) return;
  const std::string bytes = page4::DataFileBytes(*text);
  QString path;
  if (!page4::SaveBytes(this, services(), kTravAdjCaption, kTravAdjFilter, bytes, &path)) return;
  dataPath_ = path;
  dataBytes_ = bytes;
  edited_ = false;
}

void TraverseAdjustFrm::Command_SaveText_Click() {
  if (reportLines_.empty())
    return page4::Warn(this, services(), kTravAdjCaption, "还没有计算结果, 请先计算!");
  page4::SaveGbkReport(this, services(), kTravAdjCaption, reportLines_);
}

void TraverseAdjustFrm::Command_SaveHtml_Click() {
  if (reportHtml_.empty())
    return page4::Warn(this, services(), kTravAdjCaption, "还没有计算结果, 请先计算!");
  page4::SaveBytes(this, services(), kTravAdjCaption, "网页 (*.html *.htm);;所有文件 (*)", reportHtml_);
}

}  // namespace vantrel
