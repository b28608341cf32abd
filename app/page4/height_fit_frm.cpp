#include "app/page4/height_fit_frm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/page4/page4_parts.h"
#include "app/page4/report_files.h"
#include "batch/height_fit_file.h"
#include "batch/stream.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "dialogs/file_progress.h"

namespace vantrel {

namespace {

constexpr const char* kHeightTitle = "高程拟合";
// The name the typed common points go by while their reader reads them.
const std::string kHeightFieldsName = "公共点";
const QString kHeightFileFilter = "公共点文件 (*.txt *.csv);;所有文件 (*)";
// Bad lines of a conversion shown in one message; the rest are counted.
constexpr std::size_t kHeightShownLines = 8;

QString HeightQ(const std::string& s) { return QString::fromStdString(s); }

QLabel* HeightLabel(QWidget* parent, const char* name) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}

}  // namespace

HeightFitFrm::HeightFitFrm(AppState& state, const Services& services, QWidget* parent)
    : VDialog(state, services, kHeightTitle, parent) {
  setObjectName("HeightFitFrm");

  auto* common = new QGroupBox("公共点 (检核点在末列写 检核)", this);
  common->setObjectName("Frame_Points");
  points_ = new page4::PointTable({"点名", "x(北)", "y(东)", "大地高H", "正常高h", "检核"}, "Table_Points", common);
  points_->setRowCount(8);
  // Names and the check mark are short: the coordinates get the width.
  for (int c : {0, 5}) points_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  auto* addRow = page4::Button(common, "Command_AddRow", "添加行");
  auto* removeRow = page4::Button(common, "Command_RemoveRow", "删除行");
  auto* open = page4::Button(common, "Command_Open", "打开公共点文件…");
  auto* savePoints = page4::Button(common, "Command_SavePoints", "保存公共点文件…");
  auto* cl = new QVBoxLayout(common);
  cl->addWidget(points_, 1);
  auto* cb = new QHBoxLayout;
  for (QPushButton* b : {open, savePoints, addRow, removeRow}) cb->addWidget(b);
  cb->addStretch(1);
  cl->addLayout(cb);

  auto* modelBox = new QGroupBox("拟合模型", this);
  modelBox->setObjectName("Frame_Model");
  model_ = new QComboBox(modelBox);
  model_->setObjectName("Combo_Model");
  for (const adjustment::HeightModelName& m : adjustment::HeightModelNames())
    model_->addItem(m.chinese, QString(m.code));
  model_->setCurrentIndex(model_->findData("plane"));
  shape_ = page4::Field(modelBox, "Text_Shape");
  shape_->setPlaceholderText("默认 0.815×平均最近点距");
  auto* mg = new QGridLayout(modelBox);
  mg->addWidget(new QLabel("模型", modelBox), 0, 0);
  mg->addWidget(model_, 0, 1);
  mg->addWidget(new QLabel("多面函数的 c(米)", modelBox), 0, 2);
  mg->addWidget(shape_, 0, 3);

  auto* apply = new QGroupBox("换算点文件 (点名 x y 大地高H → 点名 x y 正常高h)", this);
  apply->setObjectName("Frame_Apply");
  input_ = page4::Field(apply, "Text_Input");
  output_ = page4::Field(apply, "Text_Output");
  decimals_ = page4::Field(apply, "Text_Decimals", "3");
  decimals_->setMaximumWidth(50);
  strict_ = new QCheckBox("外推的点作为错误行", apply);
  strict_->setObjectName("Check_Strict");
  auto* browseIn = page4::Button(apply, "Command_Input", "浏览…");
  auto* browseOut = page4::Button(apply, "Command_Output", "浏览…");
  auto* run = page4::Button(apply, "Command_Apply", "换算(&A)");
  auto* ag = new QGridLayout(apply);
  ag->addWidget(new QLabel("点文件", apply), 0, 0);
  ag->addWidget(input_, 0, 1, 1, 3);
  ag->addWidget(browseIn, 0, 4);
  ag->addWidget(new QLabel("输出文件", apply), 1, 0);
  ag->addWidget(output_, 1, 1, 1, 3);
  ag->addWidget(browseOut, 1, 4);
  ag->addWidget(new QLabel("正常高小数位", apply), 2, 0);
  ag->addWidget(decimals_, 2, 1);
  ag->addWidget(strict_, 2, 2);
  ag->addWidget(run, 2, 4);

  auto* left = new QWidget(this);
  auto* ll = new QVBoxLayout(left);
  ll->setContentsMargins(0, 0, 0, 0);
  ll->addWidget(common, 1);
  ll->addWidget(modelBox);
  ll->addWidget(apply);

  residuals_ = new page4::ResultTable("Table_Residuals", this);
  internal_ = HeightLabel(this, "Label_Internal");
  leaveOneOut_ = HeightLabel(this, "Label_LeaveOneOut");
  external_ = HeightLabel(this, "Label_External");
  report_ = new page4::ReportView("Text_Report", this);
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName("Tab_Result");
  auto* table = new QWidget(tabs);
  auto* tl = new QVBoxLayout(table);
  tl->addWidget(residuals_, 1);
  tl->addWidget(new QLabel("精度", table));
  for (QLabel* l : {internal_, leaveOneOut_, external_}) tl->addWidget(l);
  tabs->addTab(table, "残差与精度");
  tabs->addTab(report_, "计算表全文");

  auto* split = new QSplitter(this);
  split->addWidget(left);
  split->addWidget(tabs);
  split->setStretchFactor(1, 1);
  split->setSizes({600, 660});

  auto* fit = page4::Button(this, "Command_Fit", "拟合(&F)");
  auto* saveReport = page4::Button(this, "Command_SaveReport", "保存计算表…");
  auto* saveHtml = page4::Button(this, "Command_SaveHtml", "保存网页…");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split, 1);
  layout->addLayout(ButtonRow({fit, saveReport, saveHtml, MakeExitButton("Command_Exit")}));

  SelectOnEntry({shape_, input_, output_, decimals_});
  auto followModel = [this] { shape_->setEnabled(model_->currentData().toString() == "multiquadric"); };
  connect(model_, &QComboBox::currentIndexChanged, this, followModel);
  followModel();
  connect(addRow, &QPushButton::clicked, points_, &page4::PointTable::AddRow);
  connect(removeRow, &QPushButton::clicked, points_, &page4::PointTable::RemoveSelectedRows);
  connect(open, &QPushButton::clicked, this, &HeightFitFrm::Command_Open_Click);
  connect(savePoints, &QPushButton::clicked, this, &HeightFitFrm::Command_SavePoints_Click);
  connect(fit, &QPushButton::clicked, this, &HeightFitFrm::Command_Fit_Click);
  connect(saveReport, &QPushButton::clicked, this, &HeightFitFrm::Command_SaveReport_Click);
  connect(saveHtml, &QPushButton::clicked, this, &HeightFitFrm::Command_SaveHtml_Click);
  connect(run, &QPushButton::clicked, this, &HeightFitFrm::Command_Apply_Click);
  connect(browseIn, &QPushButton::clicked, this, [this] {
    const QString p = this->services().files->OpenFile(this, "选择点文件", {}, "点文件 (*.txt *.csv *.dat);;所有文件 (*)");
    if (!p.isEmpty()) input_->setText(p);
  });
  connect(browseOut, &QPushButton::clicked, this, [this] {
    const QString p = this->services().files->SaveFile(this, "换算结果写到", {}, "点文件 (*.txt *.csv);;所有文件 (*)");
    if (!p.isEmpty()) output_->setText(p);
  });
  input_->setFocus();  // the first field, as in every dialog; the table is entered by a click
  resize(1260, 660);
}

void HeightFitFrm::Fail(const QString& text) { page4::Warn(this, services(), kHeightTitle, text); }

void HeightFitFrm::ClearResult() {
  fit_.reset();
  reportLines_.clear();
  reportHtml_.clear();
  residuals_->Show({});
  for (QLabel* l : {internal_, leaveOneOut_, external_}) l->clear();
  report_->clear();
}

std::optional<std::string> HeightFitFrm::PointText(std::vector<int>& lineRows) {
  static const char* const kWhat[] = {"点名", "x", "y", "大地高H", "正常高h", "检核"};
  std::vector<int> rows;
  const std::vector<QStringList> all = points_->Rows(&rows);
  std::string text;
  lineRows.clear();
  for (std::size_t r = 0; r < all.size(); ++r) {
    std::string line;
    for (int c = 0; c < 6; ++c) {
      const QString& v = all[r][c];
      if (v.isEmpty() && c == 5) break;
      const QString at = QString("公共点表第%1行的%2").arg(rows[r]).arg(kWhat[c]);
      if (v.isEmpty()) return Fail(at + "是空的!"), std::nullopt;
      if (v.contains(QRegularExpression("[\\s#]"))) return Fail(at + "不能含空格或 #: " + v + "!"), std::nullopt;
      if (v.contains(QRegularExpression("[\\x00-\\x1f\\x7f]"))) return Fail(at + "不能含控制字符!"), std::nullopt;
      line += (c ? " " : "") + v.toStdString();
    }
    text += line + "\n";
    lineRows.push_back(rows[r]);
  }
  return text;
}

std::optional<std::vector<adjustment::HeightPoint>> HeightFitFrm::ReadTable() {
  std::vector<int> rows;
  const std::optional<std::string> text = PointText(rows);
  if (!text) return std::nullopt;
  batch::HeightFileResult read = batch::ParseHeightPointText(*text, kHeightFieldsName);
  if (read.ok) return std::move(read.points);
  // The reader's line is one the window wrote: name the table row it came from.
  std::string reason;
  const int line = page4::SplitLineMessage(read.error, kHeightFieldsName, &reason);
  const QString at = line > 0 && line <= static_cast<int>(rows.size())
                         ? QString("公共点表第%1行: ").arg(rows[static_cast<std::size_t>(line - 1)])
                         : QString();
  Fail(at + HeightQ(reason == "没有公共点!" ? "公共点表中没有公共点!" : reason));
  return std::nullopt;
}

void HeightFitFrm::Command_Fit_Click() {
  ClearResult();
  const auto points = ReadTable();
  if (!points) return;
  const adjustment::HeightModelName* name = adjustment::FindHeightModel(model_->currentData().toString().toStdString());
  adjustment::HeightFitOptions options{name->model};
  if (name->model == adjustment::HeightModel::Multiquadric && !shape_->text().trimmed().isEmpty()) {
    const std::optional<double> c = ReadStrict(shape_->text().trimmed().toStdString());
    if (!c || !(*c > 0) || !(*c < 1e9)) return Fail("多面函数的 c 应为正的米数 (空为默认)!");
    options.shape = *c;
  }
  adjustment::HeightFit fit = adjustment::FitHeightAnomaly(*points, options);
  if (!fit.ok) return Fail(HeightQ(fit.error));
  const batch::HeightReportModel model = batch::HeightFitReportModel(fit);
  residuals_->Show(model.points);
  // The accuracy lines as the report words them: 内符合, 留一法, 外符合.
  QLabel* labels[] = {internal_, leaveOneOut_, external_};
  for (std::size_t i = 0; i < 3 && i < model.summary.size(); ++i) labels[i]->setText(HeightQ(model.summary[i]));
  reportLines_ = batch::HeightFitReportText(fit);
  reportHtml_ = batch::HeightFitReportHtml(fit);
  QStringList lines;
  for (const std::string& s : reportLines_) lines << HeightQ(s);
  report_->setPlainText(lines.join("\n"));
  fit_ = std::move(fit);
}

void HeightFitFrm::Command_Open_Click() {
  QString path;
  const std::optional<std::string> bytes = page4::OpenBytes(this, services(), kHeightTitle, kHeightFileFilter, &path);
  if (!bytes) return;
  const batch::HeightFileResult read = batch::ParseHeightPointText(*bytes, path.toStdString());
  if (!read.ok) return Fail(HeightQ(read.error));
  ClearResult();
  // Each point's items as its line wrote them (the reader has checked them all).
  const std::vector<std::string> lines = SplitLines(GbkOrUtf8ToUtf8(*bytes));
  std::vector<QStringList> rows;
  for (const int n : read.lines) {
    std::string line = lines[static_cast<std::size_t>(n - 1)];
    if (const std::size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    QStringList row;
    for (const std::string& item : SplitBlanks(line)) row << HeightQ(item);
    rows.push_back(row);
  }
  points_->SetRows(rows);
}

void HeightFitFrm::Command_SavePoints_Click() {
  std::vector<int> rows;
  if (!ReadTable()) return;
  const std::optional<std::string> text = PointText(rows);
  if (!text) return;
  page4::SaveBytes(this, services(), kHeightTitle, kHeightFileFilter, page4::DataFileBytes(*text));
}

void HeightFitFrm::Command_SaveReport_Click() {
  if (reportLines_.empty()) return Fail("先拟合, 再保存计算表!");
  page4::SaveGbkReport(this, services(), kHeightTitle, reportLines_);
}

void HeightFitFrm::Command_SaveHtml_Click() {
  if (reportHtml_.empty()) return Fail("先拟合, 再保存计算表!");
  page4::SaveBytes(this, services(), kHeightTitle, "网页 (*.html *.htm);;所有文件 (*)", reportHtml_);
}

void HeightFitFrm::Command_Apply_Click() {
  // The surface applied is the one the table gives now, shown as it is applied.
  Command_Fit_Click();
  if (!fit_) return;
  const QString in = input_->text().trimmed(), out = output_->text().trimmed();
  if (in.isEmpty()) return Fail("先选择要换算的点文件!");
  if (!QFileInfo(in).isFile()) return Fail("点文件不存在: " + QDir::toNativeSeparators(in) + "!");
  if (out.isEmpty()) return Fail("先选择输出文件!");
  // A bare name would land wherever the program was started from.
  if (QFileInfo(out).isRelative()) return Fail("输出文件应写完整的路径 (或用 浏览… 选择)!");
  if (QFileInfo(out).absoluteFilePath() == QFileInfo(in).absoluteFilePath()) return Fail("输出文件不能是点文件本身!");
  const std::optional<double> decimals = ReadStrict(decimals_->text().trimmed().toStdString());
  if (!decimals || *decimals < 0 || *decimals > 12 || *decimals != static_cast<int>(*decimals))
    return Fail("正常高小数位应为 0 至 12 的整数!");

  FileProgress progress(this, services().clock);
  std::vector<std::string> messages;
  batch::RunOptions o;
  o.inputs = {QFile::encodeName(in).toStdString()};
  o.output = QFile::encodeName(out).toStdString();
  o.strict = strict_->isChecked();
  o.quiet = true;
  o.progress = progress.Stage("正在换算点文件…");
  o.messages = [&messages](const std::string& text) { messages.push_back(text); };
  const batch::RunResult r = batch::RunCommand(batch::HeightFitCommand(*fit_, static_cast<int>(*decimals)), o);
  progress.Close();
  if (progress.cancelled()) return;  // a cancel says nothing; the output is as it was
  if (r.exitCode != 0) {
    QStringList lines;
    for (std::size_t i = 0; i < messages.size() && i < kHeightShownLines; ++i) lines << HeightQ(messages[i]);
    if (messages.size() > kHeightShownLines) lines << QString("… 共 %1 条").arg(messages.size());
    return Fail("换算没有完成, 输出文件未写:\n" + lines.join("\n"));
  }
  QString text = QString("换算完成: %1 个点写到 %2。").arg(r.points).arg(QDir::toNativeSeparators(out));
  for (const auto& [warning, count] : r.warnings)
    text += "\n警告: " + HeightQ(batch::WarnedCountText(warning, count)) + " 选 “外推的点作为错误行” 可把这些点作为错误行。";
  Message(text, r.warnings.empty() ? MessageIcon::Information : MessageIcon::Warning, kHeightTitle);
}

}  // namespace vantrel
