#pragma once
// "平面坐标转换2": every point of an old file rotated about a typed centre and moved to a
// typed centre in the new system, written to a result file.
#include "dialogs/vdialog.h"

class QLineEdit;

namespace vantrel {

class Co_Chang2 : public VDialog {
  Q_OBJECT

 public:
  Co_Chang2(AppState& state, const Services& services, QWidget* parent = nullptr);

  void Rotate_Click();
  void Command5_Click();
  void Command6_Click();

 private:
  void Fail(const QString& text);
  QLineEdit* text_[8] = {};  // Text1..Text7 at their numbers
};

}  // namespace vantrel
