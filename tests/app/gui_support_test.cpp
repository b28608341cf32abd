// The shared typing helper: what it leaves in a field, and which characters come as keys.
#include <QKeyEvent>
#include <QLineEdit>

#include "tests/support/gui.h"

namespace vantrel {
namespace {

struct KeyCounter : QObject {
  int presses = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) ++presses;
    return false;
  }
};

// Chinese and other non-ASCII text must land whole (QTest::keyClicks drops it), ASCII must
// still arrive key by key, and the old text must go.
TEST(GuiSupport, TypeLeavesExactlyTheTextAndKeysOnlyTheAscii) {
  const struct {
    QString typed;
    int keys;
  } cases[] = {
      {"12.5", 4},         {"北京", 0},    {"A1 界桩 B", 5},
      {"30°15′20″", 6},    {"𠀀x", 1},     {"", 0},
  };
  for (const auto& c : cases) {
    QLineEdit field("old text");
    KeyCounter keys;
    field.installEventFilter(&keys);
    int edits = 0;
    QObject::connect(&field, &QLineEdit::textEdited, [&] { ++edits; });
    testing::Type(&field, c.typed);
    EXPECT_EQ(field.text(), c.typed);
    EXPECT_EQ(keys.presses, c.keys) << c.typed.toStdString();
    EXPECT_EQ(edits > 0, !c.typed.isEmpty()) << c.typed.toStdString();
  }
}

}  // namespace
}  // namespace vantrel
