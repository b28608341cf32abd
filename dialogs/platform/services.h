#pragma once
// The platform services a dialog is handed along with the program state.
#include <memory>

#include "dialogs/platform/clock.h"
#include "dialogs/platform/file_dialogs.h"
#include "dialogs/platform/launcher.h"
#include "dialogs/platform/message_box.h"
#include "dialogs/platform/registry.h"

namespace vantrel {

struct Services {
  MessageBox* messages = nullptr;
  FileDialogs* files = nullptr;
  Launcher* launcher = nullptr;
  Registry* registry = nullptr;
  Clock* clock = nullptr;  // none: the progress dialogs keep their own time
};

// The real implementations, owned for the whole run.
struct DesktopServices {
  QtMessageBox messages;
  QtFileDialogs files;
  DesktopLauncher launcher;
  FileRegistry registry;
  SteadyClock clock;
  Services services() { return {&messages, &files, &launcher, &registry, &clock}; }
};

// The test doubles in one place.
struct FakeServices {
  RecordingMessageBox messages;
  ScriptedFileDialogs files;
  RecordingLauncher launcher;
  FakeRegistry registry;
  ManualClock clock;
  Services services() { return {&messages, &files, &launcher, &registry, &clock}; }
};

}  // namespace vantrel
