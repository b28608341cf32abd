#pragma once
// The platform services a dialog is handed along with the program state.
#include <memory>

#include "app/platform/file_dialogs.h"
#include "app/platform/launcher.h"
#include "app/platform/message_box.h"
#include "app/platform/registry.h"

namespace vantrel {

struct Services {
  MessageBox* messages = nullptr;
  FileDialogs* files = nullptr;
  Launcher* launcher = nullptr;
  Registry* registry = nullptr;
};

// The real implementations, owned for the whole run.
struct DesktopServices {
  QtMessageBox messages;
  QtFileDialogs files;
  DesktopLauncher launcher;
  FileRegistry registry;
  Services services() { return {&messages, &files, &launcher, &registry}; }
};

// The test doubles in one place.
struct FakeServices {
  RecordingMessageBox messages;
  ScriptedFileDialogs files;
  RecordingLauncher launcher;
  FakeRegistry registry;
  Services services() { return {&messages, &files, &launcher, &registry}; }
};

}  // namespace vantrel
