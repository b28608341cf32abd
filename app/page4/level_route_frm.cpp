#include "app/page4/level_route_frm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/page4/page4_parts.h"
#include "app/page4/report_files.h"
#include "batch/level_route_report.h"
#include "common/text_rules.h"

namespace vantrel {

namespace {

constexpr const char* kLevelTitle = "水准路线";
// The name the route typed in the window goes by while its reader reads it.
const std::string kLevelFieldsName = "水准路线";
const QString kLevelFileFilter = "水准路线文件 (*.txt *.lev);;所有文件 (*)";

QString LevelQ(const std::string& s) { return QString::fromStdString(s); }

QLineEdit* LevelField(QWidget* parent, const char* name, int width) {
  auto* f = new QLineEdit(parent);
  f->setObjectName(name);
  f->setMinimumWidth(width);
  return f;
}

QComboBox* LevelCombo(QWidget* parent, const char* name, const QStringList& items, int current) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  c->addItems(items);
  c->setCurrentIndex(current);
  return c;
}

// Metres to the millimetre, a height difference with its sign, as a field book writes them.
std::string LevelMetres(double v) { return FormatPattern(v, "0.000"); }
// A length as books print it, 1.0 km rather than 1.
std::string LevelKm(double v) {
  const std::string t = GeneralNumberText(v);
  return t.find_first_of(".e") == std::string::npos ? t + ".0" : t;
}
std::string LevelSigned(double v) { return (v > 0 ? "+" : "") + FormatPattern(v, "0.000"); }

}  // namespace

LevelRouteFrm::LevelRouteFrm(AppState& state, const Services& services, QWidget* parent)
    : VDialog(state, services, kLevelTitle, parent) {
  setObjectName("LevelRouteFrm");

  auto* route = new QGroupBox("路线", this);
  route->setObjectName("Frame_Route");
  kind_ = LevelCombo(route, "Combo_Kind", {"闭合", "附合", "支"}, 1);
  data_ = LevelCombo(route, "Combo_Data", {"测段 (公里)", "测段 (测站)", "水准手簿"}, 0);
  startName_ = LevelField(route, "Text_StartName", 80);
  startHeight_ = LevelField(route, "Text_StartHeight", 90);
  endName_ = LevelField(route, "Text_EndName", 80);
  endHeight_ = LevelField(route, "Text_EndHeight", 90);
  auto* rg = new QGridLayout(route);
  rg->addWidget(new QLabel("路线类型", route), 0, 0);
  rg->addWidget(kind_, 0, 1);
  rg->addWidget(new QLabel("观测数据", route), 0, 2);
  rg->addWidget(data_, 0, 3);
  rg->addWidget(new QLabel("起点 点名", route), 1, 0);
  rg->addWidget(startName_, 1, 1);
  rg->addWidget(new QLabel("已知高程(m)", route), 1, 2);
  rg->addWidget(startHeight_, 1, 3);
  rg->addWidget(new QLabel("终点 点名", route), 2, 0);
  rg->addWidget(endName_, 2, 1);
  rg->addWidget(new QLabel("已知高程(m)", route), 2, 2);
  rg->addWidget(endHeight_, 2, 3);

  auto* options = new QGroupBox("计算选项", this);
  options->setObjectName("Frame_Options");
  grade_ = LevelCombo(options, "Combo_Grade", {"二等", "三等", "四等", "图根", "自定限差"}, 3);
  allowance_ = LevelField(options, "Text_Allowance", 60);
  terrain_ = LevelCombo(options, "Combo_Terrain", {"随分配方式", "平地 (±c√L)", "山地 (±c√n)"}, 0);
  by_ = LevelCombo(options, "Combo_By", {"随观测数据", "按距离", "按测站数"}, 0);
  rounding_ = LevelCombo(options, "Combo_Rounding", {"四舍五入", "舍去"}, 0);
  force_ = new QCheckBox("超限也计算", options);
  force_->setObjectName("Check_Force");
  auto* og = new QGridLayout(options);
  og->addWidget(new QLabel("等级", options), 0, 0);
  og->addWidget(grade_, 0, 1);
  og->addWidget(new QLabel("限差 c(mm)", options), 0, 2);
  og->addWidget(allowance_, 0, 3);
  og->addWidget(new QLabel("地形", options), 1, 0);
  og->addWidget(terrain_, 1, 1);
  og->addWidget(new QLabel("改正数分配", options), 1, 2);
  og->addWidget(by_, 1, 3);
  og->addWidget(new QLabel("取至毫米", options), 2, 0);
  og->addWidget(rounding_, 2, 1);
  og->addWidget(force_, 2, 2, 1, 2);

  sections_ = new page4::PointTable({"起点", "终点", "高差(m)", "公里数"}, "Table_Sections", this);
  book_ = new page4::PointTable({"点号", "后视读数", "前视读数", "后视距", "前视距"}, "Table_Book", this);
  for (page4::PointTable* t : {sections_, book_}) t->setRowCount(6);
  tables_ = new QStackedWidget(this);
  tables_->addWidget(sections_);
  tables_->addWidget(book_);
  auto* addRow = page4::Button(this, "Command_AddRow", "添加行");
  auto* removeRow = page4::Button(this, "Command_RemoveRow", "删除行");
  auto* rows = new QHBoxLayout;
  rows->addWidget(new QLabel("观测数据 (可从表格或文字粘贴, Ctrl+V)", this), 1);
  rows->addWidget(addRow);
  rows->addWidget(removeRow);

  auto* left = new QWidget(this);
  auto* ll = new QVBoxLayout(left);
  ll->setContentsMargins(0, 0, 0, 0);
  ll->addWidget(route);
  ll->addLayout(rows);
  ll->addWidget(tables_, 1);
  ll->addWidget(options);

  result_ = new page4::ResultTable("Table_Result", this);
  summary_ = new QLabel(this);
  summary_->setObjectName("Label_Summary");
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary_->setWordWrap(true);
  report_ = new page4::ReportView("Text_Report", this);
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName("Tab_Result");
  auto* table = new QWidget(tabs);
  auto* tl = new QVBoxLayout(table);
  tl->addWidget(result_, 1);
  auto* aux = new QLabel("辅助计算", table);
  tl->addWidget(aux);
  tl->addWidget(summary_);
  tabs->addTab(table, "水准测量成果计算表");
  tabs->addTab(report_, "计算表全文");

  auto* split = new QSplitter(this);
  split->addWidget(left);
  split->addWidget(tabs);
  split->setStretchFactor(1, 1);

  auto* open = page4::Button(this, "Command_Open", "打开路线文件…");
  auto* save = page4::Button(this, "Command_Save", "保存路线文件…");
  auto* calc = page4::Button(this, "Command_Calc", "计算(&C)");
  auto* saveReport = page4::Button(this, "Command_SaveReport", "保存计算表…");
  auto* saveHtml = page4::Button(this, "Command_SaveHtml", "保存网页…");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split, 1);
  layout->addLayout(ButtonRow({open, save, calc, saveReport, saveHtml, MakeExitButton("Command_Exit")}));

  SelectOnEntry({startName_, startHeight_, endName_, endHeight_, allowance_});
  connect(kind_, &QComboBox::currentIndexChanged, this, [this] { FollowChoices(); });
  connect(data_, &QComboBox::currentIndexChanged, this, [this] { FollowChoices(); });
  connect(grade_, &QComboBox::currentIndexChanged, this, [this] { FollowChoices(); });
  connect(addRow, &QPushButton::clicked, this, [this] {
    static_cast<page4::PointTable*>(tables_->currentWidget())->AddRow();
  });
  connect(removeRow, &QPushButton::clicked, this, [this] {
    static_cast<page4::PointTable*>(tables_->currentWidget())->RemoveSelectedRows();
  });
  connect(open, &QPushButton::clicked, this, &LevelRouteFrm::Command_Open_Click);
  connect(save, &QPushButton::clicked, this, &LevelRouteFrm::Command_Save_Click);
  connect(calc, &QPushButton::clicked, this, &LevelRouteFrm::Command_Calc_Click);
  connect(saveReport, &QPushButton::clicked, this, &LevelRouteFrm::Command_SaveReport_Click);
  connect(saveHtml, &QPushButton::clicked, this, &LevelRouteFrm::Command_SaveHtml_Click);
  FollowChoices();
  startName_->setFocus();  // the first field, as in every dialog: the route's start
  resize(1180, 640);
}

void LevelRouteFrm::FollowChoices() {
  const bool connecting = kind_->currentIndex() == 1;
  endName_->setEnabled(connecting);
  endHeight_->setEnabled(connecting);
  allowance_->setEnabled(grade_->currentIndex() == 4);
  tables_->setCurrentWidget(data_->currentIndex() == 2 ? book_ : sections_);
  sections_->setHorizontalHeaderItem(3, new QTableWidgetItem(data_->currentIndex() == 1 ? "测站数" : "公里数"));
}

void LevelRouteFrm::Fail(const QString& text) { page4::Warn(this, services(), kLevelTitle, text); }

void LevelRouteFrm::ClearResult() {
  reportLines_.clear();
  reportHtml_.clear();
  result_->Show({});
  summary_->clear();
  report_->clear();
}

std::optional<std::string> LevelRouteFrm::RouteText(std::vector<QString>& where) {
  std::string text;
  where.clear();
  auto line = [&](const std::string& l, const QString& what) {
    text += l + "\n";
    where.push_back(what);
  };
  // One item of the file: not blank, and nothing the reader would split or cut off.
  auto item = [this](const QString& value, const QString& what) -> std::optional<std::string> {
    const QString v = value.trimmed();
    if (v.isEmpty()) return Fail(what + "是空的!"), std::nullopt;
    if (v.contains(QRegularExpression("[\\s#]"))) return Fail(what + "不能含空格或 #: " + v + "!"), std::nullopt;
    if (v.contains(QRegularExpression("[\\x00-\\x1f\\x7f]"))) return Fail(what + "不能含控制字符!"), std::nullopt;
    return v.toStdString();
  };
  line("路线 " + kind_->currentText().toStdString(), "路线类型");
  const bool connecting = kind_->currentIndex() == 1;
  for (int k = 0; k < (connecting ? 2 : 1); ++k) {
    const QString end = k == 0 ? "起点" : "终点";
    auto name = item((k == 0 ? startName_ : endName_)->text(), end + "点名");
    if (!name) return std::nullopt;
    auto height = item((k == 0 ? startHeight_ : endHeight_)->text(), end + "已知高程");
    if (!height) return std::nullopt;
    line("已知 " + *name + " " + *height, end + "已知高程");
  }
  const int data = data_->currentIndex();
  line(data == 0 ? "测段 公里" : data == 1 ? "测段 测站" : "手簿", "观测数据");
  std::vector<int> rows;
  if (data < 2) {
    const QStringList what = {"起点", "终点", "高差", data == 0 ? "公里数" : "测站数"};
    const std::vector<QStringList> all = sections_->Rows(&rows);
    for (std::size_t r = 0; r < all.size(); ++r) {
      const QString at = QString("测段表第%1行").arg(rows[r]);
      std::string l;
      for (int c = 0; c < 4; ++c) {
        auto v = item(all[r][c], at + "的" + what[c]);
        if (!v) return std::nullopt;
        l += (c ? " " : "") + *v;
      }
      line(l, at);
    }
  } else {
    const std::vector<QStringList> all = book_->Rows(&rows);
    bool distances = false;
    for (const QStringList& cells : all) distances = distances || !cells[3].isEmpty() || !cells[4].isEmpty();
    const QStringList what = {"点号", "后视读数", "前视读数", "后视距", "前视距"};
    for (std::size_t r = 0; r < all.size(); ++r) {
      const QString at = QString("手簿第%1行").arg(rows[r]);
      std::string l;
      for (int c = 0; c < (distances ? 5 : 3); ++c) {
        // A reading or distance not taken is left blank in the table, "-" in the file.
        const QString cell = c > 0 && all[r][c].isEmpty() ? "-" : all[r][c];
        auto v = item(cell, at + "的" + what[c]);
        if (!v) return std::nullopt;
        l += (c ? " " : "") + *v;
      }
      line(l, at);
    }
  }
  return text;
}

std::optional<batch::LevelRouteFileResult> LevelRouteFrm::ReadFields() {
  std::vector<QString> where;
  const std::optional<std::string> text = RouteText(where);
  if (!text) return std::nullopt;
  batch::LevelRouteFileResult read = batch::ParseLevelRouteText(*text, kLevelFieldsName);
  if (read.ok) return read;
  // The reader's line is one the window wrote: name the field or table row it came from.
  std::string reason;
  const int line = page4::SplitLineMessage(read.error, kLevelFieldsName, &reason);
  const QString at = line > 0 && line <= static_cast<int>(where.size()) ? where[line - 1] + ": " : QString();
  Fail(at + LevelQ(reason));
  return std::nullopt;
}

void LevelRouteFrm::Command_Calc_Click() {
  ClearResult();
  const std::optional<batch::LevelRouteFileResult> read = ReadFields();
  if (!read) return;
  static const char* const kTerrains[] = {"", "平地", "山地"};
  static const char* const kBy[] = {"", "length", "stations"};
  batch::LevelChoice choice{grade_->currentText().toStdString(), kTerrains[terrain_->currentIndex()],
                            kBy[by_->currentIndex()], rounding_->currentIndex() == 1 ? "cut" : "nearest",
                            std::nullopt, force_->isChecked()};
  if (grade_->currentIndex() == 4) {
    const std::optional<double> c = ReadStrict(allowance_->text().trimmed().toStdString());
    if (!c || !(*c > 0) || !(*c < 1e6)) return Fail("自定限差 c 应为正的毫米数!");
    choice.grade = "";
    choice.coefficient = *c;
  }
  std::string error;
  const adjustment::LevelRouteOptions options = batch::LevelOptionsFor(*read, choice, error);
  if (!error.empty()) return Fail(LevelQ(error + "!"));
  const adjustment::LevelRouteResult r = adjustment::AdjustLevelRoute(read->input, options);
  if (!r.ok) return Fail(LevelQ(r.error));
  const batch::LevelReportInput in{read->input, read->book ? &*read->book : nullptr};
  const batch::LevelReportModel model = batch::LevelRouteReportModel(in, r);
  result_->Show(model.route);
  QStringList summary;
  for (const std::string& s : model.summary) summary << LevelQ(s);
  summary_->setText(summary.join("\n"));
  reportLines_ = batch::LevelRouteReportText(in, r);
  reportHtml_ = batch::LevelRouteReportHtml(in, r);
  QStringList lines;
  for (const std::string& s : reportLines_) lines << LevelQ(s);
  report_->setPlainText(lines.join("\n"));
}

void LevelRouteFrm::ShowFile(const batch::LevelRouteFileResult& f) {
  const auto& in = f.input;
  kind_->setCurrentIndex(in.kind == adjustment::LevelRouteKind::Closed ? 0
                         : in.kind == adjustment::LevelRouteKind::Connecting ? 1 : 2);
  startName_->setText(LevelQ(in.sections.front().from));
  startHeight_->setText(LevelQ(LevelMetres(in.startHeight)));
  endName_->setText(in.endHeight ? LevelQ(in.sections.back().to) : QString());
  endHeight_->setText(in.endHeight ? LevelQ(LevelMetres(*in.endHeight)) : QString());
  std::vector<QStringList> rows;
  if (f.book) {
    data_->setCurrentIndex(2);
    const auto& s = f.book->setups;
    auto distance = [&](const std::optional<double>& d) { return d ? LevelQ(GeneralNumberText(*d)) : QString(); };
    // Point k carries the back-sight of set-up k and the fore-sight of set-up k-1.
    for (std::size_t k = 0; k <= s.size(); ++k) {
      QStringList row = {LevelQ(k < s.size() ? s[k].backPoint : s.back().forePoint),
                         k < s.size() ? LevelQ(LevelMetres(s[k].back)) : QString(),
                         k > 0 ? LevelQ(LevelMetres(s[k - 1].fore)) : QString()};
      if (f.book->distances) row << (k < s.size() ? distance(s[k].backDistance) : QString())
                                 << (k > 0 ? distance(s[k - 1].foreDistance) : QString());
      rows.push_back(row);
    }
    book_->SetRows(rows);
  } else {
    const bool km = f.basis == adjustment::LevelBasis::Length;
    data_->setCurrentIndex(km ? 0 : 1);
    for (const adjustment::LevelSection& s : in.sections)
      rows.push_back({LevelQ(s.from), LevelQ(s.to), LevelQ(LevelSigned(s.dh)),
                      LevelQ(km ? LevelKm(s.lengthKm) : std::to_string(s.setups))});
    sections_->SetRows(rows);
  }
  FollowChoices();
}

void LevelRouteFrm::Command_Open_Click() {
  QString path;
  const std::optional<std::string> bytes = page4::OpenBytes(this, services(), kLevelTitle, kLevelFileFilter, &path);
  if (!bytes) return;
  const batch::LevelRouteFileResult read = batch::ParseLevelRouteText(*bytes, path.toStdString());
  if (!read.ok) return Fail(LevelQ(read.error));
  ClearResult();
  ShowFile(read);
}

void LevelRouteFrm::Command_Save_Click() {
  std::vector<QString> where;
  if (!ReadFields()) return;
  const std::optional<std::string> text = RouteText(where);
  if (!text) return;
  page4::SaveBytes(this, services(), kLevelTitle, kLevelFileFilter, page4::DataFileBytes(*text));
}

void LevelRouteFrm::Command_SaveReport_Click() {
  if (reportLines_.empty()) return Fail("先计算, 再保存计算表!");
  page4::SaveGbkReport(this, services(), kLevelTitle, reportLines_);
}

void LevelRouteFrm::Command_SaveHtml_Click() {
  if (reportHtml_.empty()) return Fail("先计算, 再保存计算表!");
  page4::SaveBytes(this, services(), kLevelTitle, "网页 (*.html *.htm);;所有文件 (*)", reportHtml_);
}

}  // namespace vantrel
