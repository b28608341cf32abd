#pragma once
// Driving a dialog as a user would: type into fields by name, press buttons, read texts.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "dialogs/app_state.h"
#include "dialogs/platform/services.h"
#include "dialogs/vdialog.h"

namespace vantrel::uitest {

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
    W* w = dialog->template findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void Type(const char* field, const QString& text) {
    QLineEdit* e = Find<QLineEdit>(field);
    e->clear();
    QTest::keyClicks(e, text);
  }
  void Press(const char* button) { Find<QPushButton>(button)->click(); }
  void Choose(const char* option) { Find<QRadioButton>(option)->click(); }
  QString Label(const char* name) { return Find<QLabel>(name)->text(); }
  QString Field(const char* name) { return Find<QLineEdit>(name)->text(); }
  const std::vector<RecordingMessageBox::Message>& Messages() { return fakes.messages.messages; }
};

}  // namespace vantrel::uitest
