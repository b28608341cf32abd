#pragma once
// What the levelling-route and height-fit windows share: a report's cells shown in a table,
// and a reader's line messages taken apart.
#include <QString>
#include <QTableWidget>
#include <optional>
#include <string>
#include <vector>

#include "batch/report_layout.h"

namespace vantrel::page4 {

// A read-only table holding the report table's head and rows, cell for cell.
class ResultTable : public QTableWidget {
 public:
  ResultTable(const char* objectName, QWidget* parent);
  void Show(const batch::report::Table& table);
};

// A reader's "NAME:LINE: reason" split into its line (0 without one) and the reason.
int SplitLineMessage(const std::string& message, const std::string& name, std::string* reason);

}  // namespace vantrel::page4
