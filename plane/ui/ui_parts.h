#pragma once
// Small builders the plane dialogs share: named fields, labels and buttons.
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>
#include <initializer_list>
#include <utility>

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

// Caption and control side by side, a pair a row, from `row` down.
inline void AddRows(QGridLayout* g, QWidget* parent,
                    std::initializer_list<std::pair<QString, QWidget*>> rows, int row = 0) {
  for (auto& [caption, control] : rows) {
    g->addWidget(Caption(parent, caption), row, 0);
    g->addWidget(control, row, 1);
    ++row;
  }
}

// The intersection dialogs' frame: known-point grid and "P点坐标" box on the left, the
// sketch on the right, compute and exit buttons below.
inline void LayOutPointDialog(QWidget* dlg, QGridLayout* fields, QLineEdit* px, QLineEdit* py,
                              QWidget* sketch, QPushButton* cal, QPushButton* exit) {
  auto* result = new QGroupBox("P点坐标", dlg);
  auto* rg = new QGridLayout(result);
  AddRows(rg, result, {{"X=", px}, {"Y=", py}});
  auto* left = new QVBoxLayout;
  left->addLayout(fields);
  left->addWidget(result);
  auto* top = new QHBoxLayout;
  top->addLayout(left);
  top->addWidget(sketch, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cal);
  buttons->addWidget(exit);
  auto* layout = new QVBoxLayout(dlg);
  layout->addLayout(top);
  layout->addLayout(buttons);
}

inline std::string Std(const QLineEdit* e) { return e->text().toStdString(); }
inline QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace vantrel::plane_ui
