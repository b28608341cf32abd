#pragma once
// Small helpers of the GUI tests: find controls by name, type, press, flush deletions.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

namespace vantrel::testing {

template <class T = QWidget>
T* Find(QWidget* root, const QString& name) {
  T* w = root->findChild<T*>(name);
  EXPECT_NE(w, nullptr) << "no control " << name.toStdString();
  return w;
}

inline QLineEdit* Field(QWidget* root, const QString& name) { return Find<QLineEdit>(root, name); }

// Replaces the field's text the way a user does: empty it, then type.
inline void Type(QWidget* root, const QString& name, const QString& text) {
  QLineEdit* f = Field(root, name);
  if (!f) return;
  f->clear();
  // The test keyboard only knows printable ASCII; other characters arrive as an input method would.
  for (QChar ch : text) {
    if (ch.unicode() < 32 || ch.unicode() >= 127) {
      f->insert(text);
      return;
    }
  }
  QTest::keyClicks(f, text);
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

// Saves a picture of the window when VANTREL_SCREENSHOT_DIR names a folder.
inline void MaybeScreenshot(QWidget* w, const QString& file) {
  const QString dir = qEnvironmentVariable("VANTREL_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  w->show();
  QCoreApplication::processEvents();
  EXPECT_TRUE(w->grab().save(QDir(dir).filePath(file)));
}

}  // namespace vantrel::testing
