#pragma once
// The fixed explanatory sketches beside the intersection and resection fields.
#include <QWidget>

namespace vantrel {

class PlaneSketch : public QWidget {
 public:
  enum class Kind { Intersection, Resection };
  PlaneSketch(Kind kind, QWidget* parent);
  QSize sizeHint() const override { return {220, 200}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Kind kind_;
};

}  // namespace vantrel
