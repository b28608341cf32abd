#include "app/page4/page4_parts.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QWheelEvent>
#include <set>

#include "common/file_replace.h"
#include "common/text_files.h"

namespace vantrel::page4 {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

QLineEdit* Field(QWidget* parent, const char* name, const QString& text) {
  auto* f = new QLineEdit(text, parent);
  f->setObjectName(name);
  return f;
}

QComboBox* Combo(QWidget* parent, const char* name, const QStringList& items) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  c->addItems(items);
  return c;
}

PointTable::PointTable(const QStringList& captions, const char* objectName, QWidget* parent)
    : QTableWidget(0, static_cast<int>(captions.size()), parent) {
  setObjectName(objectName);
  setHorizontalHeaderLabels(captions);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void PointTable::AddRow() {
  insertRow(rowCount());
  setCurrentCell(rowCount() - 1, 0);
}

void PointTable::RemoveSelectedRows() {
  std::set<int> rows;
  for (const QModelIndex& i : selectionModel()->selectedIndexes()) rows.insert(i.row());
  if (rows.empty() && currentRow() >= 0) rows.insert(currentRow());
  if (rows.empty() && rowCount() > 0) rows.insert(rowCount() - 1);
  for (auto r = rows.rbegin(); r != rows.rend(); ++r) removeRow(*r);
}

std::vector<QStringList> PointTable::Rows(std::vector<int>* lines) const {
  std::vector<QStringList> out;
  if (lines) lines->clear();
  for (int r = 0; r < rowCount(); ++r) {
    QStringList cells;
    bool any = false;
    for (int c = 0; c < columnCount(); ++c) {
      const QTableWidgetItem* it = item(r, c);
      cells << (it ? it->text().trimmed() : QString());
      any = any || !cells.back().isEmpty();
    }
    if (!any) continue;
    out.push_back(cells);
    if (lines) lines->push_back(r + 1);
  }
  return out;
}

void PointTable::SetRows(const std::vector<QStringList>& rows) {
  clearContents();
  setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < rowCount(); ++r) {
    const QStringList& cells = rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < columnCount() && c < cells.size(); ++c) setItem(r, c, new QTableWidgetItem(cells[c]));
  }
}

void PointTable::PasteText(const QString& text) {
  const int row0 = std::max(currentRow(), 0), col0 = std::max(currentColumn(), 0);
  QStringList lines = text.split(QRegularExpression("\r\n|\r|\n"));
  while (!lines.isEmpty() && lines.back().trimmed().isEmpty()) lines.removeLast();
  for (int i = 0; i < lines.size(); ++i) {
    const QString& line = lines[i];
    // Spreadsheets copy cells with tabs; a text file's lines have commas or blanks.
    const QStringList cells = line.contains('\t')  ? line.split('\t')
                              : line.contains(',') ? line.split(',')
                                                   : line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    const int r = row0 + i;
    if (r >= rowCount()) setRowCount(r + 1);
    for (int c = 0; c < cells.size() && col0 + c < columnCount(); ++c)
      setItem(r, col0 + c, new QTableWidgetItem(cells[c].trimmed()));
  }
}

void PointTable::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    PasteText(QApplication::clipboard()->text());
    return;
  }
  if (event->key() == Qt::Key_Delete && state() != EditingState) {
    for (QTableWidgetItem* it : selectedItems()) it->setText({});
    return;
  }
  QTableWidget::keyPressEvent(event);
}

ReportView::ReportView(const char* objectName, QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(objectName);
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

ZoomView::ZoomView(const char* objectName, QWidget* parent) : QGraphicsView(parent) {
  setObjectName(objectName);
  setRenderHint(QPainter::Antialiasing);
  setDragMode(QGraphicsView::ScrollHandDrag);
  setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
  setMinimumSize(320, 260);
}

void ZoomView::FitAll() {
  fitted_ = true;
  if (scene() && !scene()->itemsBoundingRect().isEmpty())
    fitInView(scene()->itemsBoundingRect().adjusted(-10, -10, 10, 10), Qt::KeepAspectRatio);
}

void ZoomView::ZoomBy(double factor) {
  fitted_ = false;
  scale(factor, factor);
}

void ZoomView::wheelEvent(QWheelEvent* event) {
  ZoomBy(event->angleDelta().y() > 0 ? 1.25 : 0.8);
  event->accept();
}

void ZoomView::resizeEvent(QResizeEvent* event) {
  QGraphicsView::resizeEvent(event);
  if (fitted_) FitAll();
}

bool SaveGbkReport(QWidget* owner, const Services& services, const QString& title,
                   const std::vector<std::string>& lines) {
  std::string bytes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string gbk = Utf8ToGbk(lines[i]);
    if (GbkToUtf8(gbk) == lines[i]) {
      bytes += gbk + "\r\n";
      continue;
    }
    // The first character that does not come back names the fault.
    QString bad;
    for (char32_t c : QString::fromStdString(lines[i]).toUcs4()) {
      const std::string one = QString::fromUcs4(&c, 1).toStdString();
      if (GbkToUtf8(Utf8ToGbk(one)) != one) {
        bad = QString::fromUcs4(&c, 1);
        break;
      }
    }
    Warn(owner, services, title,
         QString("报告第 %1 行的 “%2” GBK 里没有, 不能存为 GBK 文字文件 (可存为网页)!").arg(i + 1).arg(bad));
    return false;
  }
  return SaveBytes(owner, services, title, "文字文件 (*.txt);;所有文件 (*)", bytes);
}

std::string DataFileBytes(const std::string& utf8Lines) {
  std::string crlf;
  for (char c : utf8Lines) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const std::string gbk = Utf8ToGbk(crlf);
  return GbkToUtf8(gbk) == crlf ? gbk : crlf;
}

void Warn(QWidget* owner, const Services& services, const QString& title, const QString& text) {
  if (services.messages) services.messages->Show(owner, text, title, MessageIcon::Warning);
}

std::optional<std::string> OpenBytes(QWidget* owner, const Services& services, const QString& title,
                                     const QString& filter, QString* path) {
  if (!services.files) return std::nullopt;
  const QString chosen = services.files->OpenFile(owner, title, {}, filter);
  if (chosen.isEmpty()) return std::nullopt;
  if (path) *path = chosen;
  FileBytesResult r = ReadFileBytes(QFile::encodeName(chosen).toStdString());
  if (!r.ok) {
    Warn(owner, services, title,
         "文件读不出来：" + QDir::toNativeSeparators(chosen) + "\n" + QString::fromStdString(r.error));
    return std::nullopt;
  }
  return std::move(r.bytes);
}

std::string WriteBytes(const QString& path, const std::string& bytes) {
  FileReplacement out(QFile::encodeName(path).toStdString());
  if (out.Write(bytes) && out.Commit()) return {};
  return out.error();
}

bool SaveBytes(QWidget* owner, const Services& services, const QString& title, const QString& filter,
               const std::string& bytes, QString* path) {
  if (!services.files) return false;
  const QString chosen = services.files->SaveFile(owner, title, {}, filter);
  if (chosen.isEmpty()) return false;
  if (path) *path = chosen;
  if (const std::string error = WriteBytes(chosen, bytes); !error.empty()) {
    Warn(owner, services, title,
         "文件无法写入：" + QDir::toNativeSeparators(chosen) + "\n" + QString::fromStdString(error));
    return false;
  }
  return true;
}

}  // namespace vantrel::page4
