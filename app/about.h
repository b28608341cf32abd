#pragma once
// The about window: program name, version, description, a copying warning and two buttons.
// However it closes, the main window is enabled again.
#include <QWidget>

#include "dialogs/app_state.h"
#include "dialogs/platform/services.h"

namespace vantrel {

class frmAbout : public QWidget {
  Q_OBJECT

 public:
  frmAbout(AppState& state, const Services& services, QWidget* mainWindow);

  void cmdOK_Click();
  void cmdSysInfo_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  AppState& state_;
  Services services_;
  QWidget* mainWindow_;
};

// The two registry places of the system information viewer.
inline constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoValue = "PATH";
inline constexpr const char* kSysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSysInfoLocationValue = "MSINFO";
inline constexpr const char* kSysInfoProgram = "MSINFO32.EXE";
inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

}  // namespace vantrel
