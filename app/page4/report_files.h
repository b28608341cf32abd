#pragma once
// What the levelling-route and height-fit windows share: a report's cells shown in a table,
// and the bytes of the text files they write, as the command line writes them.
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

// A text report as its file holds it: GBK, CR LF. nullopt when a character has no GBK code;
// `bad` then gets it.
std::optional<std::string> GbkReportBytes(const std::vector<std::string>& lines, QString* bad);

// A data file the command line reads: GBK with CR LF, or UTF-8 when a name has a character
// GBK lacks (the readers take either).
std::string DataFileBytes(const std::string& utf8Lines);

// A reader's "NAME:LINE: reason" split into its line (0 without one) and the reason.
int SplitLineMessage(const std::string& message, const std::string& name, std::string* reason);

}  // namespace vantrel::page4
