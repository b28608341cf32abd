#pragma once
// Handing files to the desktop and starting other programs.
#include <QString>
#include <QStringList>
#include <vector>

namespace vantrel {

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Whether the desktop has a program for this kind of file (the help file's .chm, say).
  virtual bool CanOpen(const QString& path) = 0;
  // The desktop's default action on a file; false when the request could not be made.
  virtual bool OpenDocument(const QString& path) = 0;
  // Starts a program detached; false when it could not be started.
  virtual bool StartProgram(const QString& program, const QStringList& args = {}) = 0;
};

class DesktopLauncher : public Launcher {
 public:
  bool CanOpen(const QString& path) override;
  bool OpenDocument(const QString& path) override;
  bool StartProgram(const QString& program, const QStringList& args) override;
};

// Test double: records requests. CanOpen answers whether the file's suffix is among
// `openable` ("html", "chm"); OpenDocument and StartProgram answer `openResult` and
// `startResult`.
class RecordingLauncher : public Launcher {
 public:
  bool CanOpen(const QString& path) override {
    return openable.contains(path.section('.', -1), Qt::CaseInsensitive);
  }
  bool OpenDocument(const QString& path) override {
    documents.push_back(path);
    return openResult;
  }
  bool StartProgram(const QString& program, const QStringList& args) override {
    programs.push_back(program);
    arguments.push_back(args);
    return startResult;
  }
  QStringList openable = {"html"};
  bool openResult = true;
  bool startResult = true;
  std::vector<QString> documents;
  std::vector<QString> programs;
  std::vector<QStringList> arguments;
};

}  // namespace vantrel
