#pragma once
// 坐标放样: design points from a data file, station / back-sight / point picks, and the
// setting-out elements for a total station. Points typed by hand are added to the file.
#include <vector>

#include "dialogs/vdialog.h"
#include "plane/stakeout_file.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace vantrel {

class StakeOut : public VDialog {
  Q_OBJECT

 public:
  StakeOut(AppState& state, const Services& services, QWidget* parent = nullptr);

  // Form-level values, readable by tests.
  const QString& DataFile() const { return dataFile_; }
  const std::vector<StakePoint>& Points() const { return points_; }
  bool StationTyped() const { return stationTyped_; }
  bool BackTyped() const { return backTyped_; }
  bool StakeTyped() const { return stakeTyped_; }
  double BackAz() const { return backAz_; }
  double StakeAz() const { return stakeAz_; }

  void Command1_Click();
  void Command2_Click();
  void Combo1_Click();
  void Combo2_Click();
  void Combo3_Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A point's pick list and its X, Y, H fields.
  struct PointRow {
    QComboBox* name = nullptr;
    QLineEdit* x = nullptr;
    QLineEdit* y = nullptr;
    QLineEdit* h = nullptr;
  };

  void LoadFile();
  void Find(const QString& name);
  // The picked point's coordinates from the file (zeros for a name not in it) into its row.
  void ShowPicked(const PointRow& row);
  // Station and back-sight picks alike: show the point, refuse the other one's name, and
  // orient the back-sight when both are there.
  void PickStationOrBack(const PointRow& row, const PointRow& other, const QString& sameName,
                         bool& typed);
  // Azimuth and distance from the station to the stake point into Label1 and Label2, the
  // station's X and Y into xs, ys; false when a number is wrong or the angle cannot be shown.
  bool ShowStakeLine(double& xs, double& ys);
  // Text2..Text17: the fields that are numbers.
  std::vector<QLineEdit*> NumberFields() const;
  void Normalise(QLineEdit* field);
  bool ShowAngle(QLabel* label, double radians);
  bool ReadF32(const QLineEdit* field, float& value);
  bool ReadF64(const QLineEdit* field, double& value);
  void RecordTypedPoints();

  QLineEdit* dataFileField_ = nullptr;  // Text1
  PointRow station_;                    // Combo1, Text2..Text4
  PointRow back_;                       // Combo2, Text5..Text7
  PointRow stake_;                      // Combo3, Text8..Text10
  QLineEdit* slopeDistance_ = nullptr;       // Text11
  QLineEdit* verticalAngle_ = nullptr;       // Text12, packed D.MMSS
  QLineEdit* horizontalDistance_ = nullptr;  // Text13
  QLineEdit* instrumentHeight_ = nullptr;    // Text14
  QLineEdit* prismHeight_ = nullptr;         // Text15
  QLineEdit* backReading_ = nullptr;         // Text16: circle reading on the back-sight, D.MMSS
  QLineEdit* heightDifference_ = nullptr;    // Text17
  QLabel* label1_ = nullptr;
  QLabel* label2_ = nullptr;
  QLabel* label9_ = nullptr;
  QLabel* label10_ = nullptr;
  QLabel* label12_ = nullptr;
  QLabel* label15_ = nullptr;
  QLabel* label16_ = nullptr;
  QLabel* label19_ = nullptr;

  QString dataFile_;
  QString chosenFile_;  // the file dialog's remembered name
  std::vector<StakePoint> points_;
  double foundX_ = 0, foundY_ = 0, foundH_ = 0;
  double backAz_ = 0;
  double stakeAz_ = 0;
  bool stationTyped_ = false;
  bool backTyped_ = false;
  bool stakeTyped_ = false;
};

}  // namespace vantrel
