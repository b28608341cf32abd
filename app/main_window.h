#pragma once
// The main window: the toolbar, the catalogue list of the current page, and the dispatch of
// a chosen entry to its dialog.
#include <QMainWindow>
#include <QPointer>
#include <functional>

#include "dialogs/app_state.h"
#include "dialogs/platform/services.h"
#include "dialogs/vdialog.h"

class QActionGroup;
class QListWidget;
class QListWidgetItem;
class QToolBar;

namespace vantrel {

class Vantrel : public QMainWindow {
  Q_OBJECT

 public:
  Vantrel(AppState& state, const Services& services, QWidget* parent = nullptr);
  ~Vantrel() override;

  // Toolbar keys: Coor_Cal, Geo_Sur, Proj_Sur, Vantrel_About, Vantrel_Help, Vantrel_Exit.
  void Toolbar1_ButtonClick(const QString& key);
  void ListView1_ItemClick(QListWidgetItem* item);
  // Highlights LastItem (or the first entry); runs whenever the window becomes active.
  void Form_Activate();

  QListWidget* ListView1() const { return list_; }
  VDialog* OpenDialog() const { return dialog_; }
  QWidget* AboutWindow() const { return about_; }

  // What ending the program does; tests replace it.
  std::function<void()> exitProgram;

  // The folder the help file is looked for in, and the manual found from; the program's
  // own folder unless a test names another.
  void SetProgramFolder(const QString& folder) { programFolder_ = folder; }
  QString ProgramFolder() const;
  // The user manual's first page, in the program's data folder (share/vantrel/manual).
  QString ManualIndex() const;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void FillPage(int page);
  void PressPageButton(int page);
  void Dispatch(const QString& text);
  void DialogUnloaded();
  void OpenHelp();

  AppState& state_;
  Services services_;
  QToolBar* toolbar_;
  QActionGroup* pageGroup_;
  QListWidget* list_;
  QPointer<VDialog> dialog_;
  QPointer<QWidget> about_;
  QString programFolder_;
};

}  // namespace vantrel
