#pragma once
// What the adjustment and whole-file dialogs share: a table of rows typed or pasted from a
// spreadsheet, a read-only report view, a drawing that zooms and pans, and the opening and
// saving of files through the platform's file dialogs (a failed save leaves the old file).
#include <QComboBox>
#include <QGraphicsView>
#include <QLineEdit>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QTableWidget>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/platform/services.h"

namespace vantrel::page4 {

// Controls with their objectName, which the tests find them by.
QPushButton* Button(QWidget* parent, const char* name, const QString& caption);
QLineEdit* Field(QWidget* parent, const char* name, const QString& text = {});
QComboBox* Combo(QWidget* parent, const char* name, const QStringList& items);

// Rows of text cells under fixed column captions. Ctrl+V pastes the clipboard's lines (cells
// split by tabs, as spreadsheets copy them, else by commas or blanks) from the current cell
// on, adding rows as needed; Delete empties the selected cells.
class PointTable : public QTableWidget {
  Q_OBJECT
 public:
  PointTable(const QStringList& captions, const char* objectName, QWidget* parent);

  void AddRow();
  // Removes the rows that hold a selected cell (the last row when none is selected).
  void RemoveSelectedRows();
  // Rows with at least one non-blank cell, each cell trimmed; `lines` gets each kept row's
  // number counted from 1, for messages.
  std::vector<QStringList> Rows(std::vector<int>* lines = nullptr) const;
  void SetRows(const std::vector<QStringList>& rows);
  // Pastes text as the clipboard would (the test's way in as well).
  void PasteText(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// A report shown as the file holds it, in a fixed-pitch font so print zones line up.
class ReportView : public QPlainTextEdit {
 public:
  ReportView(const char* objectName, QWidget* parent);
};

// A scene shown whole at first; the wheel zooms about the cursor, a drag pans, and
// FitAll() shows everything again.
class ZoomView : public QGraphicsView {
 public:
  ZoomView(const char* objectName, QWidget* parent);
  void FitAll();
  void ZoomBy(double factor);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool fitted_ = true;  // still showing the whole scene: keeps it whole when resized
};

// Asks for a file to open and reads it. nullopt when the user cancels, or after a message
// box saying why it cannot be read; `path` gets the chosen path.
std::optional<std::string> OpenBytes(QWidget* owner, const Services& services, const QString& title,
                                     const QString& filter, QString* path = nullptr);

// Asks where to save and writes the bytes all or nothing. False when the user cancels or
// the write fails (a message box says why; the file that was there is left as it was).
bool SaveBytes(QWidget* owner, const Services& services, const QString& title, const QString& filter,
               const std::string& bytes, QString* path = nullptr);
// Saves a report as the command line writes it with -o: GBK, CR LF. A report holding a
// character GBK has no code for is refused with a message naming its line and the character
// (the HTML report can hold it); false then, or when the user cancels or the write fails.
bool SaveGbkReport(QWidget* owner, const Services& services, const QString& title,
                   const std::vector<std::string>& lines);
// A data file the command line reads, from UTF-8 text with "\n" ends: GBK with CR LF, or UTF-8
// with CR LF when a name has a character GBK lacks (the readers take either).
std::string DataFileBytes(const std::string& utf8Lines);
// Writes the bytes all or nothing to a path already chosen; "" or why not.
std::string WriteBytes(const QString& path, const std::string& bytes);

// The message box's caption of every page-4 dialog: the dialog's own title.
void Warn(QWidget* owner, const Services& services, const QString& title, const QString& text);

}  // namespace vantrel::page4
