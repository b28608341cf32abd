#pragma once
// "批量坐标转换": a whole point file from one coordinate system to another, by EPSG code or
// by ellipsoid and central meridian, through the very commands vantrel-cli convert,
// blh2gauss and gauss2blh run; the file goes through the batch stream with the progress
// dialog of the other file operations, and the output is replaced only whole.
#include <array>
#include <optional>
#include <string>

#include "batch/stream.h"
#include "dialogs/vdialog.h"
#include "geodetic/crs.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QRadioButton;

namespace vantrel {
namespace page4 {
class ReportView;
}

class BatchConvertFrm : public VDialog {
  Q_OBJECT

 public:
  BatchConvertFrm(AppState& state, const Services& services, QWidget* parent = nullptr);

  void Command_Open_Click();
  void Command_Output_Click();
  void Command_Params_Click();
  void Command_Convert_Click();

 private:
  struct Plan;  // what a run needs, read from the fields
  // Reads the fields in order into a command; the first bad one gets its message (none when
  // `quiet`, for the layout label) and nullopt.
  std::optional<Plan> ReadPlan(bool quiet);
  std::optional<Crs> ReadCrs(QComboBox* combo, const QString& what, bool quiet);
  void ShowPreview();
  void RefreshSystems();
  void Fail(const QString& text, QWidget* field = nullptr);

  QLineEdit* input_;
  QLabel* layout_;
  page4::ReportView* preview_;
  page4::ReportView* result_;
  QRadioButton* byCode_;
  QRadioButton* byMeridian_;
  QStackedWidget* systems_;
  QComboBox* from_;
  QComboBox* to_;
  QLabel* fromAxes_;
  QLabel* toAxes_;
  QComboBox* direction_;
  QComboBox* ellipsoid_;
  QLineEdit* meridian_;
  QComboBox* zoneWidth_;
  QCheckBox* zonePrefix_;
  QLineEdit* falseEasting_;
  QLineEdit* falseNorthing_;
  QLineEdit* planeHeight_;
  QLabel* datumNote_;
  std::optional<std::array<double, 4>> four_;  // read from a parameter file
  QLineEdit* seven_[7];
  QCheckBox* sameDatum_;
  QComboBox* angles_;
  QCheckBox* heights_;
  QCheckBox* skipBad_;
  QCheckBox* strict_;
  QLineEdit* decimals_;
  QLineEdit* output_;
  QComboBox* format_;
};

}  // namespace vantrel
