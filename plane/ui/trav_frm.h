#pragma once
// Open traverse ("支导线计算"): one leg per press, appended to the result file.
#include <QPointer>

#include "dialogs/vdialog.h"
#include "plane/ui/trav_net.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vantrel {


class TravFrm : public VDialog {
  Q_OBJECT
 public:
  // programDir: where the default result file goes; empty means the program's own folder.
  TravFrm(AppState& state, const Services& services, const QString& programDir = {});
  ~TravFrm() override;

  void Option1_Click();
  void Option2_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();

  TravNet* net() const { return net_; }

 protected:
  void OnUnload() override;

 private:
  // The back-sight known by its coordinates (Option1) or by the direction to it (Option2).
  void ShowBackSightBy(bool coordinates);
  void CreateDefaultFile(const QString& programDir);

  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text8, *Text10, *Text11, *Text12, *Text13,
      *Text14;
  QLabel *BackPointLabel, *BackXLabel, *BackYLabel, *BackAzLabel;
  QRadioButton *Option1, *Option2;
  QCheckBox *Check1, *Check2;
  QPushButton *Command1, *Command2, *Command3, *Command4;
  QPointer<TravNet> net_;
};

}  // namespace vantrel
