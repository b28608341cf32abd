#pragma once
// 高程拟合: common points (x y 大地高 正常高, check points marked) typed, pasted or opened,
// the height anomaly fitted by the routine `vantrel-cli heightfit` calls, its residuals and
// accuracy shown, and a point file turned from GNSS heights into normal heights.
#include <optional>
#include <string>
#include <vector>

#include "adjustment/height_fit.h"
#include "dialogs/vdialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vantrel {

namespace page4 {
class PointTable;
class ReportView;
class ResultTable;
}  // namespace page4

class HeightFitFrm : public VDialog {
  Q_OBJECT

 public:
  HeightFitFrm(AppState& state, const Services& services, QWidget* parent = nullptr);

  void Command_Open_Click();
  void Command_SavePoints_Click();
  void Command_Fit_Click();
  void Command_SaveReport_Click();
  void Command_SaveHtml_Click();
  void Command_Apply_Click();

 private:
  // The common-point file the table stands for (UTF-8, LF) and each line's table row;
  // nullopt after a message naming the row.
  std::optional<std::string> PointText(std::vector<int>& rows);
  // The table through the common-point reader; empty after a message.
  std::optional<std::vector<adjustment::HeightPoint>> ReadTable();
  void ClearResult();
  void Fail(const QString& text);

  page4::PointTable* points_ = nullptr;  // Table_Points
  QComboBox* model_ = nullptr;           // Combo_Model
  QLineEdit* shape_ = nullptr;           // Text_Shape
  QLineEdit* input_ = nullptr;           // Text_Input
  QLineEdit* output_ = nullptr;          // Text_Output
  QLineEdit* decimals_ = nullptr;        // Text_Decimals
  QCheckBox* strict_ = nullptr;          // Check_Strict
  page4::ResultTable* residuals_ = nullptr;  // Table_Residuals
  QLabel* internal_ = nullptr;           // Label_Internal
  QLabel* leaveOneOut_ = nullptr;        // Label_LeaveOneOut
  QLabel* external_ = nullptr;           // Label_External
  page4::ReportView* report_ = nullptr;  // Text_Report

  std::optional<adjustment::HeightFit> fit_;
  std::vector<std::string> reportLines_;
  std::string reportHtml_;
};

}  // namespace vantrel
