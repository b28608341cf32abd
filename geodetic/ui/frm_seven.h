#pragma once
// Seven-parameter coordinate transformation, its Gauss projection and the height correction
// interpolated from the built-in control points (with the correction grid file).
#include "dialogs/vdialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrel {

class FrmSeven : public VDialog {
  Q_OBJECT
 public:
  FrmSeven(AppState& state, const Services& services);
  void Command1_Click();
  void Command2_Click();

  // Where Correct writes its grid; tests point it elsewhere.
  void SetGridPath(const std::string& path) { gridPath_ = path; }

 private:
  QLineEdit* Text[15];  // Text[1]..Text[14]
  QComboBox* Combo1;
  QLabel *Label17, *Label18, *Label19, *Label8, *Label9, *Label10, *Label7, *Label21;
  QPushButton *Command1, *Command2;
  std::string gridPath_;
};

}  // namespace vantrel
