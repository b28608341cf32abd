#pragma once
// How long something has been running: the progress dialogs ask it, so that tests can
// move time on by hand instead of waiting.
#include <QElapsedTimer>
#include <functional>

namespace vantrel {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since a fixed moment.
  virtual qint64 NowMs() = 0;
};

class SteadyClock : public Clock {
 public:
  SteadyClock() { timer_.start(); }
  qint64 NowMs() override { return timer_.elapsed(); }

 private:
  QElapsedTimer timer_;
};

// Test double: time stands still unless `step` moves it on at every reading; `onRead`
// lets a test act (press a button, look at a window) while an operation runs.
class ManualClock : public Clock {
 public:
  qint64 NowMs() override {
    if (onRead) onRead();
    const qint64 t = now;
    now += step;
    return t;
  }
  qint64 now = 0;
  qint64 step = 0;
  std::function<void()> onRead;
};

}  // namespace vantrel
