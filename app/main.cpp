// The program entry: the start-up pictures, then the main window.
#include <QApplication>

#include "app/main_window.h"
#include "app/splash.h"
#include "dialogs/app_state.h"
#include "dialogs/platform/qt_translations.h"
#include "dialogs/platform/services.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vantrel");
  vantrel::LoadQtChinese(app);
  // Ties the windows to the menu entry, so the desktop shows its name and icon for them.
  QApplication::setDesktopFileName(VANTREL_APP_ID);
  vantrel::AppState state;
  vantrel::DesktopServices desktop;
  const vantrel::Services services = desktop.services();

  // The start-up window closing must not end the program before the main window exists.
  QApplication::setQuitOnLastWindowClosed(false);
  {
    vantrel::Splash splash(state);
    splash.show();
    while (!state.SplashDone) {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }

  QApplication::setQuitOnLastWindowClosed(true);
  vantrel::Vantrel window(state, services);
  window.show();
  return QApplication::exec();
}
