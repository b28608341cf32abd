#pragma once
// 水准路线: a closed, connecting or spur levelling route typed as sections or as a level's
// field book (or opened from a route file), adjusted by the routine `vantrel-cli level`
// calls; the result table, its checks and the report the command line writes.
#include <optional>
#include <string>
#include <vector>

#include "adjustment/level_route.h"
#include "batch/level_route_file.h"
#include "dialogs/vdialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;

namespace vantrel {

namespace page4 {
class PointTable;
class ReportView;
class ResultTable;
}  // namespace page4

class LevelRouteFrm : public VDialog {
  Q_OBJECT

 public:
  LevelRouteFrm(AppState& state, const Services& services, QWidget* parent = nullptr);

  void Command_Open_Click();
  void Command_Save_Click();
  void Command_Calc_Click();
  void Command_SaveReport_Click();
  void Command_SaveHtml_Click();

 private:
  // The route file the fields stand for (UTF-8, LF); nullopt after a message naming the field.
  // `where` gets, for each of its lines, what to call it in a message.
  std::optional<std::string> RouteText(std::vector<QString>& where);
  // The fields read through the route file's reader; nullopt after a message.
  std::optional<batch::LevelRouteFileResult> ReadFields();
  void ShowFile(const batch::LevelRouteFileResult& file);
  void ClearResult();
  void Fail(const QString& text);
  void FollowChoices();

  QComboBox* kind_ = nullptr;         // Combo_Kind
  QComboBox* data_ = nullptr;         // Combo_Data
  QLineEdit* startName_ = nullptr;    // Text_StartName
  QLineEdit* startHeight_ = nullptr;  // Text_StartHeight
  QLineEdit* endName_ = nullptr;      // Text_EndName
  QLineEdit* endHeight_ = nullptr;    // Text_EndHeight
  QStackedWidget* tables_ = nullptr;
  page4::PointTable* sections_ = nullptr;  // Table_Sections
  page4::PointTable* book_ = nullptr;      // Table_Book
  QComboBox* grade_ = nullptr;        // Combo_Grade
  QLineEdit* allowance_ = nullptr;    // Text_Allowance
  QComboBox* terrain_ = nullptr;      // Combo_Terrain
  QComboBox* by_ = nullptr;           // Combo_By
  QComboBox* rounding_ = nullptr;     // Combo_Rounding
  QCheckBox* force_ = nullptr;        // Check_Force
  page4::ResultTable* result_ = nullptr;  // Table_Result
  QLabel* summary_ = nullptr;         // Label_Summary
  page4::ReportView* report_ = nullptr;   // Text_Report

  std::vector<std::string> reportLines_;
  std::string reportHtml_;
};

}  // namespace vantrel
