#pragma once
// Resection ("后方交会") with its danger-circle test.
#include "dialogs/vdialog.h"

class QLineEdit;
class QPushButton;

namespace vantrel {

class Cross_Back : public VDialog {
  Q_OBJECT
 public:
  Cross_Back(AppState& state, const Services& services);
  void Cal_Click();

 private:
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8, *Text9, *Text10;
  QPushButton *Cal, *Exit;
};

}  // namespace vantrel
