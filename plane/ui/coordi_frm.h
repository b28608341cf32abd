#pragma once
// Coordinate forward and inverse computation ("坐标正反算").
#include "dialogs/vdialog.h"

class QLineEdit;
class QPushButton;

namespace vantrel {

class CoordiFrm : public VDialog {
  Q_OBJECT
 public:
  CoordiFrm(AppState& state, const Services& services);
  void Command1_Click();

 private:
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8, *Text9, *Text10;
  QPushButton *Command1, *Command2;
};

}  // namespace vantrel
