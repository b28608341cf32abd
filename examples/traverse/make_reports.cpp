// Writes the text and HTML reports of traverse observation files into a folder, until the
// command-line program offers the same as a subcommand:
//   traverse_reports OUTDIR FILE...   ->  OUTDIR/<name>_report.txt and OUTDIR/<name>_report.html
#include <filesystem>
#include <iostream>

#include "batch/traverse_file.h"
#include "batch/traverse_report.h"
#include "common/file_replace.h"
#include "common/text_files.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  using namespace vantrel;
  if (argc < 3) {
    std::cerr << "usage: traverse_reports OUTDIR FILE...\n";
    return 2;
  }
  const fs::path out = argv[1];
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    const batch::TraverseFileResult file = batch::ReadTraverseFile(argv[i]);
    if (!file.ok) {
      std::cerr << file.error << "\n";
      status = 1;
      continue;
    }
    const batch::TraverseAdjustment adj = batch::AdjustTraverse(file.input);
    if (!adj.ok) {
      std::cerr << argv[i] << ": " << adj.error << "\n";
      status = 1;
      continue;
    }
    const std::string stem = fs::path(argv[i]).stem().string();
    const std::string text = (out / (stem + "_report.txt")).string();
    WriteResult w = ReplaceTextFile(text, batch::TraverseReportText(file.input, adj));
    if (!w.ok) {
      std::cerr << text << ": " << w.error << "\n";
      status = 1;
      continue;
    }
    const std::string html = (out / (stem + "_report.html")).string();
    FileReplacement h(html);
    if (!h.Write(batch::TraverseReportHtml(file.input, adj)) || !h.Commit()) {
      std::cerr << html << ": " << h.error() << "\n";
      status = 1;
    }
  }
  return status;
}
