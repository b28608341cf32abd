#pragma once
// Our icons and start-up pictures: SVG drawings in the program's resources, rendered here
// so that no image plug-in is needed at run time.
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace vantrel {

struct Artwork {
  // ":/artwork/<name>.svg" as an icon with the usual sizes; a null icon if it is missing.
  static QIcon Icon(const QString& name);
  // The drawing rendered at the given size (its own size when size is empty).
  static QPixmap Picture(const QString& name, QSize size = {});
  static QIcon AppIcon() { return Icon("vantrel"); }
};

}  // namespace vantrel
