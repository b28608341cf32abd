#include "plane/ui/sketch.h"

#include <QPainter>

namespace vantrel {

PlaneSketch::PlaneSketch(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
  setObjectName(kind == Kind::Intersection ? "Sketch" : "Sketch");
  setMinimumSize(200, 180);
}

void PlaneSketch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(palette().color(QPalette::WindowText), 1.5));
  const double w = width(), h = height();
  auto at = [&](double fx, double fy) { return QPointF(fx * w, fy * h); };
  auto label = [&](QPointF pt, const QString& t, double dx, double dy) {
    p.drawText(QRectF(pt.x() + dx - 12, pt.y() + dy - 10, 24, 20), Qt::AlignCenter, t);
  };
  if (kind_ == Kind::Intersection) {
    // P on the left of A->B, north up: A bottom right, B top right, P to the west.
    QPointF A = at(0.78, 0.82), B = at(0.78, 0.18), P = at(0.22, 0.50);
    p.drawLine(A, B);
    p.drawLine(B, P);
    p.drawLine(P, A);
    label(A, "A", 14, 8);
    label(B, "B", 14, -8);
    label(P, "P", -14, 0);
    label(A, "α", -14, -20);
    label(B, "β", -14, 20);
  } else {
    QPointF A = at(0.15, 0.20), B = at(0.85, 0.20), C = at(0.55, 0.85), P = at(0.50, 0.48);
    p.drawLine(A, B);
    p.drawLine(B, C);
    p.drawLine(C, A);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DashLine));
    for (QPointF q : {A, B, C}) p.drawLine(P, q);
    label(A, "A", -12, -8);
    label(B, "B", 12, -8);
    label(C, "C", 0, 14);
    label(P, "P", 0, -16);
    label(P, "α", 22, 14);
    label(P, "β", -22, 14);
  }
}

}  // namespace vantrel
