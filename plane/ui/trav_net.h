#pragma once
// The traverse diagram ("支导线网图"): the legs of the result file, drawn into an image
// that persists across repaints and can be saved as a bitmap.
#include <QImage>
#include <QWidget>

#include "dialogs/app_state.h"
#include "dialogs/platform/services.h"

class QLabel;
class QToolBar;

namespace vantrel {

class TravNet : public QWidget {
  Q_OBJECT
 public:
  TravNet(AppState& state, const Services& services, QWidget* parent = nullptr);

  // The diagram window of this program state still open on its own (left by a traverse
  // dialog that has unloaded), or null.
  static TravNet* OpenOf(const AppState& state);

  // Reads TravResultFile and draws its legs over the current picture.
  void DrawFile();
  void Net_Save();
  void Net_Exit() { close(); }

  const QImage& image() const { return image_; }

 private:
  void Message(const QString& text, MessageIcon icon, const QString& title);

  AppState& state_;
  Services services_;
  QImage image_;
  QLabel* picture_;
};

// Writes the picture as a BMP file, replacing what stood at the path only when the whole
// picture is written.
bool SaveBitmap(const QImage& image, const QString& path);

}  // namespace vantrel
