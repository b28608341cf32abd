#pragma once
// The start-up window: two pictures, 2 s each; a click on the first one skips the rest.
#include <QTimer>
#include <QWidget>

#include "dialogs/app_state.h"

class QLabel;

namespace vantrel {

class Splash : public QWidget {
  Q_OBJECT

 public:
  explicit Splash(AppState& state, QWidget* parent = nullptr);

  // The handlers the timers run; tests call them instead of waiting.
  void Timer1_Timer();
  void Timer2_Timer();
  void Picture1_Click();

  QTimer& Timer1() { return timer1_; }
  QTimer& Timer2() { return timer2_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  AppState& state_;
  QTimer timer1_;
  QTimer timer2_;
  QLabel* picture1_;
  QLabel* picture2_;
};

}  // namespace vantrel
