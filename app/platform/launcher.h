#pragma once
// Handing files to the desktop and starting other programs.
#include <QString>
#include <QStringList>
#include <vector>

namespace vantrel {

class Launcher {
 public:
  virtual ~Launcher() = default;
  // The desktop's default action on a file (the help file). Fire and forget.
  virtual void OpenDocument(const QString& path) = 0;
  // Starts a program detached; false when it could not be started.
  virtual bool StartProgram(const QString& program, const QStringList& args = {}) = 0;
};

class DesktopLauncher : public Launcher {
 public:
  void OpenDocument(const QString& path) override;
  bool StartProgram(const QString& program, const QStringList& args) override;
};

// Test double: records requests; StartProgram answers `startResult`.
class RecordingLauncher : public Launcher {
 public:
  void OpenDocument(const QString& path) override { documents.push_back(path); }
  bool StartProgram(const QString& program, const QStringList& args) override {
    programs.push_back(program);
    arguments.push_back(args);
    return startResult;
  }
  bool startResult = true;
  std::vector<QString> documents;
  std::vector<QString> programs;
  std::vector<QStringList> arguments;
};

}  // namespace vantrel
