#pragma once
// The space/geodetic/Gauss coordinate dialog. One window for two catalogue entries: space
// Cartesian <-> geodetic, or geodetic <-> Gauss plane on a lifted projection plane; the
// mode flags of the program state choose which while it loads.
#include "dialogs/vdialog.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace vantrel {

class XYZ_BLH_XYG : public VDialog {
  Q_OBJECT

 public:
  XYZ_BLH_XYG(AppState& state, const Services& services, QWidget* parent = nullptr);

  void XBG_Cal_Click();

 protected:
  void OnUnload() override;

 private:
  void Warn(const QString& text);
  void SpaceGeodetic();
  void GeodeticGauss();

  QLineEdit* text_[10] = {};   // Text1..Text9 at 1..9
  QLabel* label_[10] = {};     // Label1..Label9
  QGroupBox* frame1_;
  QGroupBox* frame2_;
  QGroupBox* frame3_;
  QGroupBox* frame4_;
  QRadioButton* option1_;
  QRadioButton* option2_;
  QRadioButton* option3_;
};

}  // namespace vantrel
