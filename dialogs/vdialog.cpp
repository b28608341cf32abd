#include "dialogs/vdialog.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "common/text_rules.h"
#include "dialogs/artwork.h"

namespace vantrel {

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  for (QWidget* b : buttons) row->addWidget(b);
  return row;
}

VDialog::VDialog(AppState& state, const Services& services, const QString& caption,
                 QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), services_(services) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(caption);
  setWindowIcon(Artwork::AppIcon());
}

VDialog::~VDialog() = default;

VDialog::FieldRule& VDialog::Rule(QLineEdit* field) {
  auto it = rules_.find(field);
  if (it == rules_.end()) {
    field->installEventFilter(this);
    it = rules_.emplace(field, FieldRule{}).first;
  }
  return it->second;
}

void VDialog::SelectOnEntry(std::initializer_list<QLineEdit*> fields) {
  for (QLineEdit* f : fields) Rule(f).select = true;
}

void VDialog::ClearOnEntry(QLineEdit* field, std::function<void()> onEntry) {
  FieldRule& r = Rule(field);
  r.clear = true;
  r.onEntry = std::move(onEntry);
}

void VDialog::CheckOnLeaving(QLineEdit* field, const QString& message, const QString& title) {
  FieldRule& r = Rule(field);
  r.leaveMessage = message;
  r.leaveTitle = title;
}

bool VDialog::eventFilter(QObject* watched, QEvent* event) {
  auto it = rules_.find(watched);
  if (it == rules_.end()) return QWidget::eventFilter(watched, event);
  auto* field = static_cast<QLineEdit*>(watched);
  const FieldRule& r = it->second;
  if (event->type() == QEvent::FocusIn) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // Coming back to the window (from a message box, another window or a popup) is not
    // entering the field; the focus the first field gets when the window opens is.
    if ((reason == Qt::ActiveWindowFocusReason && everDeactivated_) || reason == Qt::PopupFocusReason) {
      return QWidget::eventFilter(watched, event);
    }
    field->event(event);  // the line edit's own focus handling first
    if (r.clear) {
      field->clear();
    } else if (r.select) {
      if (reason == Qt::MouseFocusReason) {
        // The click places the caret after this event: select once the button is released.
        selectAfterClick_ = field;
      } else {
        // Entered from the keyboard the caret stands at the start: the whole text.
        field->setSelection(0, static_cast<int>(field->text().size()));
      }
    }
    if (r.onEntry) r.onEntry();
    return true;
  }
  if (event->type() == QEvent::MouseButtonRelease && selectAfterClick_ == field) {
    selectAfterClick_ = nullptr;
    QWidget::eventFilter(watched, event);
    field->event(event);
    // Selection length = text length from the caret: a click in the middle selects to the end.
    field->setSelection(field->cursorPosition(), static_cast<int>(field->text().size()));
    return true;
  }
  if (event->type() == QEvent::FocusOut && !r.leaveMessage.isEmpty()) {
    auto* fe = static_cast<QFocusEvent*>(event);
    // Switching windows (or the message box itself taking the focus) is not leaving the field.
    if (fe->reason() != Qt::ActiveWindowFocusReason && fe->reason() != Qt::PopupFocusReason &&
        !IsNumeric(field->text().toStdString())) {
      Message(r.leaveMessage, MessageIcon::Critical, r.leaveTitle);
      field->setText("0");
    }
  }
  return QWidget::eventFilter(watched, event);
}

QString VDialog::IsNum(const QString& text) {
  const std::string t = text.toStdString();
  if (t.empty()) return "0";
  if (IsNumeric(t)) return QString::fromStdString(std::string(TrimBlanks(t)));
  Message("数据输入必须是数字！", MessageIcon::Warning, "提示");
  return {};
}

void VDialog::NormaliseField(QLineEdit* field) {
  const QString checked = IsNum(field->text());
  field->setText(QString::fromStdString(GeneralNumberText(ReadLenient(checked.toStdString()))));
}

void VDialog::Message(const QString& text, MessageIcon icon, const QString& title) {
  if (services_.messages) services_.messages->Show(this, text, title, icon);
}

QPushButton* VDialog::MakeExitButton(const QString& objectName, const QString& caption) {
  auto* b = new QPushButton(caption, this);
  b->setObjectName(objectName);
  connect(b, &QPushButton::clicked, this, &VDialog::Unload);
  return b;
}

void VDialog::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) everDeactivated_ = true;
  QWidget::changeEvent(event);
}

void VDialog::closeEvent(QCloseEvent* event) {
  if (!unloaded_) {
    unloaded_ = true;
    OnUnload();
    emit unloaded();
  }
  event->accept();
}

}  // namespace vantrel
