#pragma once
// Small builders the plane dialogs share: named fields, labels and buttons.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace vantrel::plane_ui {

inline QLineEdit* Field(QWidget* parent, const char* name, const QString& text = {}) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(name);
  e->setMinimumWidth(110);
  return e;
}

inline QLabel* Caption(QWidget* parent, const QString& text, const char* name = nullptr) {
  auto* l = new QLabel(text, parent);
  if (name) l->setObjectName(name);
  return l;
}

inline QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

inline std::string Std(const QLineEdit* e) { return e->text().toStdString(); }
inline QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace vantrel::plane_ui
