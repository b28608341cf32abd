#pragma once
// What every computation dialog shares: select-on-entry fields, exit and close box both
// unloading the window, unloading bringing the main window back, modal messages through the
// MessageBox service, and the two numeric field checks some dialogs use.
#include <QString>
#include <QWidget>
#include <functional>
#include <map>

#include "dialogs/app_state.h"
#include "dialogs/platform/services.h"

class QHBoxLayout;
class QLineEdit;
class QPushButton;

namespace vantrel {

// A dialog's foot row: its buttons at the right end, in the order given.
QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons);

class VDialog : public QWidget {
  Q_OBJECT

 public:
  VDialog(AppState& state, const Services& services, const QString& caption,
          QWidget* parent = nullptr);
  ~VDialog() override;

  AppState& state() { return state_; }
  const Services& services() const { return services_; }

  // Unloads the dialog (the exit button's handler): same path as the close box.
  void Unload() { close(); }

 signals:
  // Emitted once, when the dialog is unloaded; the main window shows and enables itself.
  void unloaded();

 protected:
  // Fields whose whole text (from the caret on) is selected when they receive the focus.
  void SelectOnEntry(std::initializer_list<QLineEdit*> fields);
  // Fields whose text is cleared when they receive the focus; `onEntry` runs after.
  void ClearOnEntry(QLineEdit* field, std::function<void()> onEntry = {});
  // Check on leaving: a field left with a non-number shows `message` (stop icon, `title`),
  // then holds "0"; the focus moves on as asked.
  void CheckOnLeaving(QLineEdit* field, const QString& message, const QString& title);

  // The normalising check: "" gives "0", a number its trimmed text, anything else shows
  // "数据输入必须是数字！" (warning, "提示") and gives "".
  QString IsNum(const QString& text);
  // IsNum on the field, then the field shows the canonical text of the value ("0" if none).
  void NormaliseField(QLineEdit* field);

  void Message(const QString& text, MessageIcon icon, const QString& title);

  // Makes a button that unloads the dialog; caption defaults to "退出(&X)".
  QPushButton* MakeExitButton(const QString& objectName, const QString& caption = "退出(&X)");

  // Runs before the unloaded signal: a dialog's own unload work (resetting program state).
  virtual void OnUnload() {}

  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct FieldRule {
    bool select = false;
    bool clear = false;
    std::function<void()> onEntry;
    QString leaveMessage;
    QString leaveTitle;
  };
  FieldRule& Rule(QLineEdit* field);

  AppState& state_;
  Services services_;
  std::map<QObject*, FieldRule> rules_;
  bool unloaded_ = false;
  bool everDeactivated_ = false;  // until then, the window's own focus is its opening
  QObject* selectAfterClick_ = nullptr;
};

}  // namespace vantrel
