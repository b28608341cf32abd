#pragma once
// Gauss zone change: a plane point from one central meridian to another, 1954 ellipsoid.
#include "dialogs/vdialog.h"

class QLineEdit;

namespace vantrel {

class FrmLanCh : public VDialog {
  Q_OBJECT
 public:
  FrmLanCh(AppState& state, const Services& services);
  void LanCh_Cal_Click();

 protected:
  void OnUnload() override;

 private:
  QLineEdit* Text[7];  // Text[1]..Text[6]
};

}  // namespace vantrel
