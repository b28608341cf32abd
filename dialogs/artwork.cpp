#include "dialogs/artwork.h"

#include <QPainter>
#include <QSvgRenderer>

// The resources live in a static library: register them before the first use, since
// nothing else would pull their initialiser into the program.
static void InitArtworkResources() {
  static const bool done = [] {
    Q_INIT_RESOURCE(vantrel);
    return true;
  }();
  (void)done;
}

namespace vantrel {

QPixmap Artwork::Picture(const QString& name, QSize size) {
  InitArtworkResources();
  QSvgRenderer renderer(QStringLiteral(":/artwork/%1.svg").arg(name));
  if (!renderer.isValid()) return {};
  if (size.isEmpty()) size = renderer.defaultSize();
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter);
  return pixmap;
}

QIcon Artwork::Icon(const QString& name) {
  QIcon icon;
  for (int s : {16, 24, 32, 48, 64, 96}) {
    QPixmap p = Picture(name, QSize(s, s));
    if (p.isNull()) return {};
    icon.addPixmap(p);
  }
  return icon;
}

}  // namespace vantrel
