#pragma once
// "平面坐标转换1": four-parameter transformation estimated from the common points of an
// old and a new point file; the old file transformed and appended to the new one.
// Tran_d ("转换参数") shows the parameters with their standard errors.
#include <QPointer>

#include "dialogs/vdialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrel {

class Tran_d : public QWidget {
  Q_OBJECT

 public:
  explicit Tran_d(const TransformState& state, QWidget* parent = nullptr);
  // Fills the four value labels from the state.
  void Fill();
  void Tran_Exit_Click() { close(); }

 private:
  const TransformState& state_;
  QLabel* values_[4];
};

class Co_Chang : public VDialog {
  Q_OBJECT

 public:
  Co_Chang(AppState& state, const Services& services, QWidget* parent = nullptr);

  void Command1_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();

  Tran_d* ParamWindow() const { return tranD_; }

 private:
  void Fail(const QString& text);

  QLineEdit* text1_;
  QLineEdit* text2_;
  QLineEdit* text3_;
  QLineEdit* text4_;
  QString lastFile_;  // the two "..." buttons share one file dialog
  QPointer<Tran_d> tranD_;
};

// The program started by "文件编辑器(&N)": notepad.EXE on Windows, elsewhere the first
// desktop text editor found on the search path ("" when there is none).
QString TextEditorProgram();

}  // namespace vantrel
