#include "dialogs/platform/message_box.h"

#include <QMessageBox>

namespace vantrel {

void QtMessageBox::Show(QWidget* owner, const QString& text, const QString& title,
                        MessageIcon icon) {
  QMessageBox::Icon qicon = QMessageBox::NoIcon;
  switch (icon) {
    case MessageIcon::None: qicon = QMessageBox::NoIcon; break;
    case MessageIcon::Information: qicon = QMessageBox::Information; break;
    case MessageIcon::Warning: qicon = QMessageBox::Warning; break;
    case MessageIcon::Critical: qicon = QMessageBox::Critical; break;
    case MessageIcon::Question: qicon = QMessageBox::Question; break;
  }
  QMessageBox box(qicon, title, text, QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace vantrel
