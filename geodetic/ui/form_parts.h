#pragma once
// Small builders shared by the geodetic quantity dialogs: a labelled field or result in a
// frame's grid, the ellipsoid option frame, and field text as the routines want it.
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QString>
#include <QVBoxLayout>
#include <string>

#include "geodetic/ellipsoid.h"

namespace vantrel::form {

inline QLineEdit* Field(QWidget* owner, QGridLayout* grid, int row, const QString& label,
                        const QString& name, const QString& text = {}, int column = 0) {
  grid->addWidget(new QLabel(label, owner), row, column);
  auto* e = new QLineEdit(text, owner);
  e->setObjectName(name);
  e->setMinimumWidth(140);
  grid->addWidget(e, row, column + 1);
  return e;
}

inline QLabel* Output(QWidget* owner, QGridLayout* grid, int row, const QString& label,
                      const QString& name, int column = 0) {
  grid->addWidget(new QLabel(label, owner), row, column);
  auto* l = new QLabel(owner);
  l->setObjectName(name);
  l->setMinimumWidth(140);
  l->setFrameShape(QFrame::Panel);
  l->setFrameShadow(QFrame::Sunken);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(l, row, column + 1);
  return l;
}

inline QGridLayout* Frame(QWidget* owner, QBoxLayout* into, const QString& caption) {
  auto* box = new QGroupBox(caption, owner);
  auto* grid = new QGridLayout(box);
  into->addWidget(box);
  return grid;
}

// The i-th (0..2) of the ellipsoid table's rows the dialogs offer: "北京54", "北京80", "WGS84".
inline const EllipsoidRow& DialogEllipsoid(int i) {
  int n = 0;
  for (const EllipsoidRow& r : kEllipsoidRows)
    if (r.UsedBy(kUsedByDialogs) && n++ == i) return r;
  return kEllipsoidRows[0];
}

// The dialogs' ellipsoids as Option1..Option3, the first chosen at start.
struct EllipsoidOptions {
  QRadioButton* option[3];
  // The first chosen option's constants.
  Ellipsoid Chosen() const {
    for (int i = 0; i < 2; ++i)
      if (option[i]->isChecked()) return DialogEllipsoid(i).ellipsoid;
    return DialogEllipsoid(2).ellipsoid;
  }
};

inline EllipsoidOptions EllipsoidFrame(QWidget* owner, QBoxLayout* into) {
  auto* box = new QGroupBox("参考椭球", owner);
  auto* layout = new QHBoxLayout(box);
  EllipsoidOptions o{};
  for (int i = 0; i < 3; ++i) {
    const std::string_view name = DialogEllipsoid(i).name;
    o.option[i] = new QRadioButton(QString::fromUtf8(name.data(), name.size()), box);
    o.option[i]->setObjectName(QString("Option%1").arg(i + 1));
    layout->addWidget(o.option[i]);
  }
  o.option[0]->setChecked(true);
  into->addWidget(box);
  return o;
}

inline std::string Std(const QString& s) { return s.toStdString(); }

}  // namespace vantrel::form
