#pragma once
// The 1954-ellipsoid height anomaly at one typed position.
#include "dialogs/vdialog.h"

class QLabel;
class QLineEdit;

namespace vantrel {

class DniFrm : public VDialog {
  Q_OBJECT

 public:
  DniFrm(AppState& state, const Services& services, QWidget* parent = nullptr);

  void Dni_Cal_Click();

 private:
  QLineEdit* text1_;
  QLineEdit* text2_;
  QLabel* label2_;
};

}  // namespace vantrel
