#pragma once
// Forward intersection ("前方交会").
#include "dialogs/vdialog.h"

class QLineEdit;
class QPushButton;

namespace vantrel {

class Cross_For : public VDialog {
  Q_OBJECT
 public:
  Cross_For(AppState& state, const Services& services);
  void Cal_Click();

 private:
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8;
  QPushButton *Cal, *Exit;
};

}  // namespace vantrel
