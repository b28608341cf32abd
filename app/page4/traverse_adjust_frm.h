#pragma once
// 导线平差: a closed or connecting traverse typed in fields and a station table (or opened from
// a traverse observation file and saved to one), adjusted by the compass rule or rigorously,
// as the command line's traverse and adjust subcommands do: the same routines, the same report.
#include <optional>
#include <string>
#include <vector>

#include "dialogs/vdialog.h"

class QCheckBox;
class QComboBox;
class QGraphicsScene;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vantrel {

namespace page4 {
class PointTable;
class ReportView;
class ZoomView;
}  // namespace page4

class TraverseAdjustFrm : public VDialog {
  Q_OBJECT

 public:
  TraverseAdjustFrm(AppState& state, const Services& services, QWidget* parent = nullptr);

  void Command_Open_Click();
  void Command_SaveData_Click();
  void Command_Compute_Click();
  void Command_SaveText_Click();
  void Command_SaveHtml_Click();

  // The last result: the report's lines (UTF-8) and its HTML page; empty before a result.
  const std::vector<std::string>& ReportLines() const { return reportLines_; }
  const std::string& ReportHtml() const { return reportHtml_; }

 private:
  struct Point {
    QLineEdit *name, *x, *y;
  };
  // The observation file the fields and the table stand for (UTF-8, CR LF), or nullopt
  // after a message naming the first bad field or row.
  std::optional<std::string> FileText();
  // Shows the file's reason, naming the field or the table row its line came from.
  void ShowFileError(const std::string& error);
  void Fill(const std::string& bytes);
  void ShowModes();
  void Edited();

  QComboBox *kind_, *side_, *startOrient_, *endOrient_, *method_, *grade_;
  Point start_, back_, end_, fore_;
  QLineEdit *startAngle_, *connection_, *endAzimuth_;
  QLineEdit *allowance_, *step_, *angleSigma_, *distanceA_, *distanceB_;
  QCheckBox* force_;
  page4::PointTable* table_;
  page4::ReportView* report_;
  page4::ZoomView* sketch_;
  QGraphicsScene* scene_;
  QTabWidget* tabs_;

  // What a field or a table row became in FileText(): its line (1-based) -> its caption.
  std::vector<QString> lineOwners_;
  // The file opened or saved last and its bytes; computing reads these bytes, as the command
  // line would, until a field or a row is changed.
  QString dataPath_;
  std::string dataBytes_;
  bool edited_ = true;
  bool filling_ = false;

  std::vector<std::string> reportLines_;
  std::string reportHtml_;
};

}  // namespace vantrel
