#pragma once
// Driving the windows as a user would: find controls by name, type, press, read texts, flush
// deletions, and save pictures for docs/screenshots. One set for every GUI test.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWidget>
#include <vector>

#include "dialogs/app_state.h"
#include "dialogs/platform/services.h"
#include "dialogs/vdialog.h"

namespace vantrel::testing {

template <class T = QWidget>
T* Find(QWidget* root, const QString& name) {
  T* w = root->findChild<T*>(name);
  EXPECT_NE(w, nullptr) << "no control " << name.toStdString();
  return w;
}

inline QLineEdit* Field(QWidget* root, const QString& name) { return Find<QLineEdit>(root, name); }

// Replaces the field's text the way a user does: empty it, then type. The test keyboard only
// knows printable ASCII (QTest::keyClicks turns any other character into nothing), so every
// run of other characters is committed as a Chinese input method commits it.
inline void Type(QLineEdit* f, const QString& text) {
  if (!f) return;
  f->clear();
  QString run;
  auto commit = [&] {
    if (run.isEmpty()) return;
    QInputMethodEvent event;
    event.setCommitString(run);
    QCoreApplication::sendEvent(f, &event);
    run.clear();
  };
  for (QChar ch : text) {
    if (ch.unicode() >= 32 && ch.unicode() < 127) {
      commit();
      QTest::keyClick(f, ch.toLatin1());
    } else {
      run += ch;
    }
  }
  commit();
}

inline void Type(QWidget* root, const QString& name, const QString& text) {
  Type(Field(root, name), text);
}

inline QString TextOf(QWidget* root, const QString& name) {
  QWidget* w = Find(root, name);
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  return {};
}

inline void Press(QWidget* root, const QString& name) {
  if (auto* b = Find<QAbstractButton>(root, name)) b->click();
}

// Windows closed with WA_DeleteOnClose go away on the next deferred-delete pass.
inline void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Saves a picture of the window when VANTREL_SCREENSHOT_DIR names a folder
// (scripts/screenshots.sh).
inline void MaybeScreenshot(QWidget* w, const QString& file) {
  const QString dir = qEnvironmentVariable("VANTREL_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  w->show();
  QCoreApplication::processEvents();
  EXPECT_TRUE(w->grab().save(QDir(dir).filePath(file)));
}

// One dialog on a fresh program state and recording services, kept alive until the end.
template <class Dialog>
struct Harness {
  AppState state;
  FakeServices fakes;
  Dialog* dialog;
  Harness() : dialog(new Dialog(state, fakes.services())) {
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
  }
  ~Harness() { delete dialog; }

  template <class W>
  W* Find(const char* name) {
    return testing::Find<W>(dialog, name);
  }
  void Type(const char* field, const QString& text) { testing::Type(dialog, field, text); }
  void Press(const char* button) { Find<QPushButton>(button)->click(); }
  void Choose(const char* option) { Find<QRadioButton>(option)->click(); }
  QString Label(const char* name) { return Find<QLabel>(name)->text(); }
  QString Field(const char* name) { return Find<QLineEdit>(name)->text(); }
  const std::vector<RecordingMessageBox::Message>& Messages() { return fakes.messages.messages; }
};

}  // namespace vantrel::testing
