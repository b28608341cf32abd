#pragma once
// The four small dialogs of the geodetic page: radii of curvature, meridian arc, parallel
// arc and the three-difference corrections.
#include "dialogs/vdialog.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace vantrel {

class RadiusFrm : public VDialog {
  Q_OBJECT
 public:
  RadiusFrm(AppState& state, const Services& services);
  void Radius_cal_Click();

 private:
  QLineEdit *Text1, *Text2;
  QRadioButton* Option[3];
  QLabel *Label7, *Label8, *Label9, *Label10;
};

class MArcLenFrm : public VDialog {
  Q_OBJECT
 public:
  MArcLenFrm(AppState& state, const Services& services);
  void Radius_cal_Click();

 private:
  QLineEdit *Text1, *Text2;
  QRadioButton* Option[3];
  QLabel* Label7;
};

class NArcLenFrm : public VDialog {
  Q_OBJECT
 public:
  NArcLenFrm(AppState& state, const Services& services);
  void Radius_cal_Click();

 private:
  QLineEdit *Text1, *Text2;
  QRadioButton* Option[3];
  QLabel* Label7;
};

class ThreeCorFrm : public VDialog {
  Q_OBJECT
 public:
  ThreeCorFrm(AppState& state, const Services& services);
  void Radius_cal_Click();

 private:
  QLineEdit* Text[9];  // Text[1]..Text[8]
  QLabel *Label7, *Label8, *Label9;
};

}  // namespace vantrel
