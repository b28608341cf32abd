#include "app/page4/param_fit_frm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "adjustment/seven_estimation.h"
#include "app/page4/page4_parts.h"
#include "batch/crs_transform.h"
#include "batch/ellipsoids.h"
#include "batch/plane_fit.h"
#include "batch/seven_fit.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "geodetic/ui/frm_seven.h"
#include "transform/common_point_transform.h"

namespace vantrel {

namespace {

// Messages about typed rows name the table as the routines name a file.
const char* const kParamFitTable = "公共点表";

QString ParamFitQ(const std::string& s) { return QString::fromStdString(s); }

std::string ParamFitPath(const QLineEdit* f) {
  return QFile::encodeName(f->text().trimmed()).toStdString();
}

QTableWidget* ParamFitResultTable(QWidget* parent, const char* name, const QStringList& captions) {
  auto* t = new QTableWidget(0, static_cast<int>(captions.size()), parent);
  t->setObjectName(name);
  t->setHorizontalHeaderLabels(captions);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->verticalHeader()->setVisible(false);
  t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
  t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  return t;
}

void ParamFitFill(QTableWidget* t, const std::vector<QStringList>& rows) {
  t->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < t->rowCount(); ++r)
    for (int c = 0; c < t->columnCount(); ++c) {
      const QStringList& row = rows[static_cast<size_t>(r)];
      auto* item = new QTableWidgetItem(c < row.size() ? row[c] : QString());
      if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      t->setItem(r, c, item);
    }
}

}  // namespace

ParamFitFrm::ParamFitFrm(AppState& state, const Services& services, Mode mode)
    : VDialog(state, services, mode == Mode::Seven ? "七参数计算" : "四参数计算"),
      mode_(mode),
      title_(mode == Mode::Seven ? "七参数计算" : "四参数计算") {
  setObjectName("ParamFitFrm");
  const bool seven = mode_ == Mode::Seven;

  auto* source = new QGroupBox("公共点", this);
  source->setObjectName("Frame_Source");
  auto* grid = new QGridLayout(source);
  fromFile_ = new QRadioButton(seven ? "公共点文件" : "老坐标文件", source);
  fromFile_->setObjectName("Option_File");
  fromFile_->setChecked(true);
  fromTable_ = new QRadioButton("公共点表格 (可从表格软件粘贴)", source);
  fromTable_->setObjectName("Option_Table");
  file1_ = new QLineEdit(source);
  file1_->setObjectName("Text_File1");
  auto* browse1 = page4::Button(source, "Command_Browse1", "...");
  browse1->setFixedWidth(32);
  grid->addWidget(fromFile_, 0, 0);
  grid->addWidget(file1_, 0, 1, 1, 4);
  grid->addWidget(browse1, 0, 5);
  QPushButton* browse2 = nullptr;
  if (seven) {
    geodetic_ = new QCheckBox("大地坐标 B L H (度.分秒, 米)", source);
    geodetic_->setObjectName("Check_Geodetic");
    fromEllipsoid_ = new QComboBox(source);
    fromEllipsoid_->setObjectName("Combo_FromEllipsoid");
    toEllipsoid_ = new QComboBox(source);
    toEllipsoid_->setObjectName("Combo_ToEllipsoid");
    for (std::string_view code : batch::EllipsoidCodes()) {
      const QString c = QString::fromUtf8(code.data(), static_cast<int>(code.size()));
      fromEllipsoid_->addItem(c + "椭球", c);
      toEllipsoid_->addItem(c + "椭球", c);
    }
    toEllipsoid_->setCurrentIndex(toEllipsoid_->count() - 1);
    grid->addWidget(geodetic_, 1, 1);
    grid->addWidget(new QLabel("老坐标椭球", source), 1, 2, Qt::AlignRight);
    grid->addWidget(fromEllipsoid_, 1, 3);
    grid->addWidget(new QLabel("新坐标椭球", source), 1, 4, Qt::AlignRight);
    grid->addWidget(toEllipsoid_, 1, 5);
    auto ellipsoids = [this] {
      fromEllipsoid_->setEnabled(geodetic_->isChecked());
      toEllipsoid_->setEnabled(geodetic_->isChecked());
      SetCaptions();
    };
    connect(geodetic_, &QCheckBox::toggled, this, ellipsoids);
    fromEllipsoid_->setEnabled(false);
    toEllipsoid_->setEnabled(false);
  } else {
    file2_ = new QLineEdit(source);
    file2_->setObjectName("Text_File2");
    browse2 = page4::Button(source, "Command_Browse2", "...");
    browse2->setFixedWidth(32);
    grid->addWidget(new QLabel("新坐标文件", source), 1, 0, Qt::AlignRight);
    grid->addWidget(file2_, 1, 1, 1, 4);
    grid->addWidget(browse2, 1, 5);
  }
  points_ = new page4::PointTable(seven ? QStringList{"点名", "X", "Y", "Z", "X'", "Y'", "Z'"}
                                        : QStringList{"点名", "老x(米)", "老y(米)", "新X(米)", "新Y(米)"},
                                  "Table_Points", source);
  auto* addRow = page4::Button(source, "Command_AddRow", "添加行");
  auto* removeRows = page4::Button(source, "Command_RemoveRows", "删除行");
  grid->addWidget(fromTable_, 2, 0, 1, 6);
  grid->addWidget(points_, 3, 0, 1, 6);
  grid->addLayout(ButtonRow({addRow, removeRows}), 4, 0, 1, 6);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  grid->setColumnStretch(5, 0);
  points_->setMinimumHeight(points_->verticalHeader()->defaultSectionSize() * 6);
  for (int i = 0; i < 4; ++i) points_->AddRow();
  points_->setCurrentCell(0, 0);

  params_ = ParamFitResultTable(this, "Table_Params", {"参数", "值", "中误差"});
  sigma0_ = new QLabel(this);
  sigma0_->setObjectName("Label_Sigma0");
  sigma0_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  residuals_ = ParamFitResultTable(
      this, "Table_Residuals",
      seven ? QStringList{"点名", "vX(米)", "vY(米)", "vZ(米)", "注"} : QStringList{"点名", "vX(米)", "vY(米)"});
  // Room for the seven parameters without scrolling.
  for (QTableWidget* t : {params_, residuals_}) t->setMinimumHeight(t->verticalHeader()->defaultSectionSize() * 9);
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel("参数及中误差", this));
  left->addWidget(params_, 1);
  left->addWidget(sigma0_);
  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel("残差 (新坐标 - 转换后的老坐标)", this));
  right->addWidget(residuals_, 1);
  auto* tables = new QHBoxLayout;
  tables->addLayout(left, 1);
  tables->addLayout(right, 1);
  report_ = new page4::ReportView("Text_Report", this);

  auto* compute = page4::Button(this, "Command_Compute", "计算(&C)");
  compute->setDefault(true);
  saveReport_ = page4::Button(this, "Command_SaveReport", "保存报告(&S)");
  saveParams_ = page4::Button(this, "Command_SaveParams", "保存参数(&P)");
  handOver_ = page4::Button(this, "Command_HandOver", seven ? "交给七参数坐标转换(&T)" : "交给平面坐标转换1(&T)");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(source, 1);
  layout->addLayout(tables, 0);
  layout->addWidget(new QLabel("报告", this));
  layout->addWidget(report_, 1);
  layout->addLayout(ButtonRow({compute, saveReport_, saveParams_, handOver_, MakeExitButton("Command_Exit")}));

  auto sourceChosen = [this] {
    const bool file = fromFile_->isChecked();
    for (QWidget* w : findChildren<QWidget*>())
      if (w->objectName().startsWith("Text_File") || w->objectName().startsWith("Command_Browse"))
        w->setEnabled(file);
    for (QWidget* w : {static_cast<QWidget*>(points_), findChild<QWidget*>("Command_AddRow"),
                       findChild<QWidget*>("Command_RemoveRows")})
      w->setEnabled(!file);
  };
  connect(fromFile_, &QRadioButton::toggled, this, sourceChosen);
  sourceChosen();
  connect(browse1, &QPushButton::clicked, this, &ParamFitFrm::Command_Browse1_Click);
  if (browse2) connect(browse2, &QPushButton::clicked, this, &ParamFitFrm::Command_Browse2_Click);
  connect(addRow, &QPushButton::clicked, points_, &page4::PointTable::AddRow);
  connect(removeRows, &QPushButton::clicked, points_, &page4::PointTable::RemoveSelectedRows);
  connect(compute, &QPushButton::clicked, this, &ParamFitFrm::Command_Compute_Click);
  connect(saveReport_, &QPushButton::clicked, this, &ParamFitFrm::Command_SaveReport_Click);
  connect(saveParams_, &QPushButton::clicked, this, &ParamFitFrm::Command_SaveParams_Click);
  connect(handOver_, &QPushButton::clicked, this, &ParamFitFrm::Command_HandOver_Click);
  if (file2_) SelectOnEntry({file1_, file2_});
  else SelectOnEntry({file1_});
  Clear();
  file1_->setFocus();  // the window opens in its first field, not on the source choice
  resize(900, 900);
}

ParamFitFrm::~ParamFitFrm() = default;

void ParamFitFrm::Fail(const QString& text) { page4::Warn(this, services(), title_, text); }

void ParamFitFrm::SetCaptions() {
  if (!geodetic_) return;
  points_->setHorizontalHeaderLabels(geodetic_->isChecked()
                                         ? QStringList{"点名", "B", "L", "H", "B'", "L'", "H'"}
                                         : QStringList{"点名", "X", "Y", "Z", "X'", "Y'", "Z'"});
}

void ParamFitFrm::Command_Browse1_Click() {
  const QString path = services().files->OpenFile(
      this, "打开", file1_->text(), mode_ == Mode::Seven ? "公共点文件 (*.txt);;所有文件 (*)" : "老坐标文件 (*.*)");
  if (!path.isEmpty()) file1_->setText(path);
}

void ParamFitFrm::Command_Browse2_Click() {
  const QString path = services().files->OpenFile(this, "打开", file2_->text(), "新坐标文件 (*.*)");
  if (!path.isEmpty()) file2_->setText(path);
}

void ParamFitFrm::Clear() {
  result_.reset();
  params_->setRowCount(0);
  residuals_->setRowCount(0);
  sigma0_->setText("单位权中误差 σ0 =");
  report_->clear();
  for (QPushButton* b : {saveReport_, saveParams_, handOver_}) b->setEnabled(false);
}

void ParamFitFrm::Command_Compute_Click() {
  Clear();
  std::optional<Result> r = mode_ == Mode::Seven ? ComputeSeven() : ComputeFour();
  if (r) Show(*r);
}

std::optional<ParamFitFrm::Result> ParamFitFrm::ComputeSeven() {
  const bool geodetic = geodetic_->isChecked();
  std::string name;
  batch::CommonPointFileResult read;
  if (fromFile_->isChecked()) {
    if (file1_->text().trimmed().isEmpty()) {
      Fail("请选择公共点文件!");
      file1_->setFocus();
      return std::nullopt;
    }
    name = ParamFitPath(file1_);
    FileBytesResult file = ReadFileBytes(name);
    if (!file.ok) {
      Fail("文件读不出来：" + file1_->text().trimmed() + "\n" + ParamFitQ(file.error));
      return std::nullopt;
    }
    read = batch::ParseCommonPointText(file.bytes, name, geodetic);
  } else {
    // Each table row becomes the file line of its number, so messages name the row.
    std::vector<int> lines;
    const std::vector<QStringList> rows = points_->Rows(&lines);
    std::string text;
    int at = 1;
    for (size_t i = 0; i < rows.size(); ++i) {
      for (; at < lines[i]; ++at) text += "\n";
      text += rows[i].join(' ').toStdString() + "\n";
      ++at;
    }
    name = kParamFitTable;
    read = batch::ParseCommonPointText(text, name, geodetic);
  }
  if (!read.ok) {
    Fail(ParamFitQ(read.error));
    return std::nullopt;
  }
  adjustment::SevenEstimate e;
  if (geodetic) {
    const auto from = batch::EllipsoidByCode(fromEllipsoid_->currentData().toString().toStdString());
    const auto to = batch::EllipsoidByCode(toEllipsoid_->currentData().toString().toStdString());
    e = adjustment::EstimateSevenParameters(read.geodetic, *from, *to);
  } else {
    e = adjustment::EstimateSevenParameters(read.space);
  }
  if (!e.ok) {
    Fail(ParamFitQ(name + ": " + e.error));
    return std::nullopt;
  }
  Result r;
  r.report = batch::SevenFitResultLines(e);
  r.paramsLine = batch::SevenParameterText(e.parameters);
  const SevenParameters& p = e.parameters;
  const SevenParameters& s = e.sigma;
  r.sevenValues = {p.dX, p.dY, p.dZ, p.m, p.ex, p.ey, p.ez};
  const std::vector<double> sigmas = {s.dX, s.dY, s.dZ, s.m, s.ex, s.ey, s.ez};
  const char* labels[] = {"X平移(米)", "Y平移(米)", "Z平移(米)", "尺度因子(ppm)",
                          "X轴旋转(秒)", "Y轴旋转(秒)", "Z轴旋转(秒)"};
  // The report's text rules: values in 15 significant digits, deviations to 0.00001.
  for (int k = 0; k < 7; ++k)
    r.paramRows.push_back({labels[k], ParamFitQ(GeneralNumberText(r.sevenValues[k])),
                           ParamFitQ(FormatPattern(sigmas[k], "0.00000"))});
  for (const adjustment::SevenResidual& v : e.residuals)
    r.residualRows.push_back({ParamFitQ(v.name), ParamFitQ(FormatPattern(v.vX, "0.0000")),
                              ParamFitQ(FormatPattern(v.vY, "0.0000")),
                              ParamFitQ(FormatPattern(v.vZ, "0.0000")), v.flagged ? "超过3σ0" : ""});
  r.sigma0 = ParamFitQ("单位权中误差 σ0 = " + FormatPattern(e.sigma0, "0.0000") + " 米");
  return r;
}

std::optional<ParamFitFrm::Result> ParamFitFrm::ComputeFour() {
  batch::FitReport fit;
  if (fromFile_->isChecked()) {
    if (file1_->text().trimmed().isEmpty()) {
      Fail("请选择老坐标文件!");
      file1_->setFocus();
      return std::nullopt;
    }
    if (file2_->text().trimmed().isEmpty()) {
      Fail("请选择新坐标文件!");
      file2_->setFocus();
      return std::nullopt;
    }
    fit = batch::FitFourParameters(ParamFitPath(file1_), ParamFitPath(file2_));
  } else {
    std::vector<int> lines;
    const std::vector<QStringList> rows = points_->Rows(&lines);
    std::vector<CommonPoint> points;
    const char* what[] = {"老坐标x", "老坐标y", "新坐标X", "新坐标Y"};
    for (size_t i = 0; i < rows.size(); ++i) {
      const std::string where = std::string(kParamFitTable) + ":" + std::to_string(lines[i]) + ": ";
      const QStringList& row = rows[i];
      if (row[0].isEmpty() || row[0].contains(' ')) {
        Fail(ParamFitQ(where + "点名为空或含有空格!"));
        return std::nullopt;
      }
      double v[4] = {};
      for (int k = 0; k < 4; ++k) {
        const auto x = ReadStrict(row[k + 1].toStdString());
        if (!x || IsNonFiniteNumber(row[k + 1].toStdString())) {
          Fail(ParamFitQ(where + what[k] + "必须是数字!"));
          return std::nullopt;
        }
        v[k] = *x;
      }
      points.push_back({row[0].toStdString(), v[2], v[3], v[0], v[1]});
    }
    fit = batch::FitFourParameters(points);
  }
  // Notes (points over the limit, a line that ended the list) come before the result.
  for (const std::string& m : fit.messages) Fail(ParamFitQ(m));
  if (!fit.ok) return std::nullopt;
  Result r;
  r.plane = fit.state;
  r.report = batch::ParameterLines(fit.state);
  r.paramsLine = batch::FourParameterText(fit.state.TransParam);
  const ParamTexts t = FormatTransParam(fit.state);
  const std::pair<const char*, const std::string*> rows[] = {
      {"X平移(米)", &t.ShiftX}, {"Y平移(米)", &t.ShiftY}, {"旋转角(D.MMSS)", &t.Rotation}, {"尺度(PPm)", &t.Scale}};
  // The parameter window's texts, value ± deviation, split into their two columns.
  for (const auto& [label, text] : rows) {
    const QStringList parts = ParamFitQ(*text).split("±");
    r.paramRows.push_back({label, parts.value(0), parts.value(1)});
  }
  const std::vector<PlaneResidual> v = CommonPointResiduals(fit.state);
  for (size_t i = 0; i < v.size(); ++i)
    r.residualRows.push_back({ParamFitQ(fit.state.CommonPoints[i].Name), ParamFitQ(FormatPattern(v[i].vx, "0.0000")),
                              ParamFitQ(FormatPattern(v[i].vy, "0.0000"))});
  r.sigma0 = ParamFitQ("单位权中误差 σ0 = " + FormatPattern(fit.state.UnitWeightError, "0.0000") + " 米");
  return r;
}

void ParamFitFrm::Show(const Result& r) {
  result_ = r;
  ParamFitFill(params_, r.paramRows);
  ParamFitFill(residuals_, r.residualRows);
  sigma0_->setText(r.sigma0);
  QString text;
  for (const std::string& line : r.report) text += ParamFitQ(line) + "\n";
  report_->setPlainText(text);
  for (QPushButton* b : {saveReport_, saveParams_, handOver_}) b->setEnabled(true);
}

void ParamFitFrm::Command_SaveReport_Click() {
  if (!result_) return;
  page4::SaveGbkReport(this, services(), title_, result_->report);
}

void ParamFitFrm::Command_SaveParams_Click() {
  if (!result_) return;
  page4::SaveBytes(this, services(), title_, "参数文件 (*.txt);;所有文件 (*)", result_->paramsLine + "\n");
}

void ParamFitFrm::Command_HandOver_Click() {
  if (!result_) return;
  if (mode_ == Mode::Four) {
    // What 平面坐标转换1's own estimation leaves in the program state.
    state().Transform = result_->plane;
    state().Transform.ParamsReady = true;
    Message("四参数已交给平面坐标转换1, 其“转换参数”窗口显示这组参数。", MessageIcon::Information, title_);
    return;
  }
  if (!seven_) {
    // Opened as this dialog's own window: the main window stays hidden behind one dialog,
    // and this one is there again when the transformation is closed.
    seven_ = new FrmSeven(state(), services());
    seven_->setParent(this, seven_->windowFlags());
    connect(seven_, &VDialog::unloaded, this, [this] {
      raise();
      activateWindow();
    });
  }
  for (int k = 0; k < 7; ++k)
    if (auto* f = seven_->findChild<QLineEdit*>(QString("Text%1").arg(k + 1)))
      f->setText(ParamFitQ(GeneralNumberText(result_->sevenValues[static_cast<size_t>(k)])));
  seven_->show();
  seven_->raise();
  seven_->activateWindow();
}

void ParamFitFrm::OnUnload() {
  if (!seven_) return;
  disconnect(seven_, nullptr, this, nullptr);
  seven_->close();
}

}  // namespace vantrel
