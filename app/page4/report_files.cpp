#include "app/page4/report_files.h"

#include <QHeaderView>

#include "common/text_files.h"

namespace vantrel::page4 {

ResultTable::ResultTable(const char* objectName, QWidget* parent) : QTableWidget(parent) {
  setObjectName(objectName);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  verticalHeader()->setVisible(false);
  horizontalHeader()->setStretchLastSection(true);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void ResultTable::Show(const batch::report::Table& table) {
  clear();
  setColumnCount(static_cast<int>(table.head.size()));
  setRowCount(static_cast<int>(table.rows.size()));
  QStringList head;
  for (const std::string& h : table.head) head << QString::fromStdString(h);
  setHorizontalHeaderLabels(head);
  for (int r = 0; r < rowCount(); ++r) {
    const auto& row = table.rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < columnCount() && c < static_cast<int>(row.size()); ++c) {
      auto* item = new QTableWidgetItem(QString::fromStdString(row[static_cast<std::size_t>(c)]));
      // Figures right, as the printed table has them; names and notes left.
      const bool figure = c > 0 && c + 1 < columnCount();
      item->setTextAlignment(Qt::AlignVCenter | (figure ? Qt::AlignRight : Qt::AlignLeft));
      setItem(r, c, item);
    }
  }
  resizeColumnsToContents();
}

int SplitLineMessage(const std::string& message, const std::string& name, std::string* reason) {
  std::string rest = message.rfind(name + ":", 0) == 0 ? message.substr(name.size() + 1) : message;
  int line = 0;
  std::size_t i = 0;
  while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && line < 100000000) line = line * 10 + (rest[i++] - '0');
  if (i > 0 && i < rest.size() && rest[i] == ':') rest = rest.substr(i + 1);
  else line = 0;
  if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
  *reason = rest;
  return line;
}

}  // namespace vantrel::page4
