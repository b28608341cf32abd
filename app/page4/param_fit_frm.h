#pragma once
// "七参数计算" and "四参数计算": transformation parameters estimated from common points read
// from files (as vantrel-cli fit7 and fit4 read them) or typed in a table; the parameters with
// their standard deviations, σ0 and the residuals, the command line's report, and the
// parameters handed on to the dialog that transforms with them.
#include <QPointer>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/vdialog.h"
#include "geodetic/ui/frm_seven.h"
#include "transform/transform_state.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace vantrel {

namespace page4 {
class PointTable;
class ReportView;
}  // namespace page4

class ParamFitFrm : public VDialog {
  Q_OBJECT

 public:
  enum class Mode { Seven, Four };
  ParamFitFrm(AppState& state, const Services& services, Mode mode);
  ~ParamFitFrm() override;

  void Command_Browse1_Click();
  void Command_Browse2_Click();
  void Command_Compute_Click();
  void Command_SaveReport_Click();
  void Command_SaveParams_Click();
  void Command_HandOver_Click();

  // The seven-parameter dialog opened by the hand-over, while it is open.
  FrmSeven* SevenWindow() const { return seven_; }

 protected:
  void OnUnload() override;

 private:
  struct Result {
    std::vector<std::string> report;  // the command line's lines, UTF-8
    std::string paramsLine;           // seven: what --params-file reads
    std::vector<double> sevenValues;  // seven: dX dY dZ m ex ey ez
    TransformState plane;             // four: the estimation's state
    std::vector<QStringList> paramRows, residualRows;
    QString sigma0;
  };
  std::optional<Result> ComputeSeven();
  std::optional<Result> ComputeFour();
  void Show(const Result& r);
  void Clear();
  void SetCaptions();
  void Fail(const QString& text);

  const Mode mode_;
  const QString title_;
  QRadioButton* fromFile_;
  QRadioButton* fromTable_;
  QLineEdit* file1_;
  QLineEdit* file2_ = nullptr;     // four: the new coordinate file
  QCheckBox* geodetic_ = nullptr;  // seven: B L H instead of X Y Z
  QComboBox* fromEllipsoid_ = nullptr;
  QComboBox* toEllipsoid_ = nullptr;
  page4::PointTable* points_;
  QTableWidget* params_;
  QLabel* sigma0_;
  QTableWidget* residuals_;
  page4::ReportView* report_;
  QPushButton* saveReport_;
  QPushButton* saveParams_;
  QPushButton* handOver_;
  std::optional<Result> result_;
  QPointer<FrmSeven> seven_;
};

}  // namespace vantrel
