#pragma once
// Compensation plane height at a reference point given in WGS84 space coordinates.
#include "dialogs/vdialog.h"

class QLabel;
class QLineEdit;

namespace vantrel {

class DCM_Hfrm : public VDialog {
  Q_OBJECT
 public:
  DCM_Hfrm(AppState& state, const Services& services);
  void DCM_H_Cal_Click();

 private:
  QLineEdit* Text[6];  // Text[1]..Text[5]
  QLabel *Label7, *Label9, *Label11, *Label13;
};

}  // namespace vantrel
