#pragma once
// File open/save dialogs with filters. An empty result means the user cancelled.
#include <QString>
#include <vector>

class QWidget;

namespace vantrel {

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // filter in Qt form, e.g. "坐标文件 (*.txt);;所有文件 (*)".
  virtual QString OpenFile(QWidget* owner, const QString& title, const QString& dir,
                           const QString& filter) = 0;
  virtual QString SaveFile(QWidget* owner, const QString& title, const QString& dir,
                           const QString& filter) = 0;
};

class QtFileDialogs : public FileDialogs {
 public:
  QString OpenFile(QWidget* owner, const QString& title, const QString& dir,
                   const QString& filter) override;
  QString SaveFile(QWidget* owner, const QString& title, const QString& dir,
                   const QString& filter) override;
};

// Test double: answers each request with the next queued path ("" = cancel) and records it.
class ScriptedFileDialogs : public FileDialogs {
 public:
  struct Request {
    bool save;
    QString title;
    QString dir;
    QString filter;
  };
  QString OpenFile(QWidget*, const QString& title, const QString& dir,
                   const QString& filter) override {
    return Answer({false, title, dir, filter});
  }
  QString SaveFile(QWidget*, const QString& title, const QString& dir,
                   const QString& filter) override {
    return Answer({true, title, dir, filter});
  }
  std::vector<QString> answers;  // taken from the front; none left means cancel
  std::vector<Request> requests;

 private:
  QString Answer(Request r) {
    requests.push_back(std::move(r));
    if (answers.empty()) return {};
    QString a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
};

}  // namespace vantrel
