#pragma once
// Modal message boxes with an OK button: text, title and icon.
#include <QString>
#include <vector>

class QWidget;

namespace vantrel {

enum class MessageIcon { None, Information, Warning, Critical, Question };

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual void Show(QWidget* owner, const QString& text, const QString& title, MessageIcon icon) = 0;
};

class QtMessageBox : public MessageBox {
 public:
  void Show(QWidget* owner, const QString& text, const QString& title, MessageIcon icon) override;
};

// Test double: remembers every message instead of showing it.
class RecordingMessageBox : public MessageBox {
 public:
  struct Message {
    QString text;
    QString title;
    MessageIcon icon;
  };
  void Show(QWidget*, const QString& text, const QString& title, MessageIcon icon) override {
    messages.push_back({text, title, icon});
  }
  std::vector<Message> messages;
};

}  // namespace vantrel
