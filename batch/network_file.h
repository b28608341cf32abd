#pragma once
// The observation file of a control network or a levelling network, in the manner of the
// point and traverse files (GBK or UTF-8, CR LF or LF, "#" remarks, Chinese keywords,
// blanks between items). A compass traverse file is read as a network too.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adjustment/levelling.h"
#include "adjustment/plane_network.h"
#include "adjustment/traverse_adjustment.h"

namespace vantrel::batch {

struct NetworkFile {
  adjustment::PlaneNetwork plane;
  adjustment::PlaneOptions planeOptions;  // the accuracies the file's head states
  std::vector<adjustment::LevelPoint> levelPoints;
  std::vector<adjustment::LevelLine> levelLines;
  adjustment::LevellingOptions levellingOptions;
  // The file's line of every plane observation and of every levelling line (1-based), for
  // reports and messages.
  std::vector<int> observationLines, levelLineLines;
  // Set when the file was a compass traverse file: its input, so that a report can print
  // the compass result beside the rigorous one.
  std::optional<adjustment::TraverseInput> traverse;
};

struct NetworkFileResult {
  bool ok = false;
  std::string error;  // "FILE:LINE: reason" or "FILE: reason" in Chinese when !ok
  NetworkFile network;
};

NetworkFileResult ReadNetworkFile(const std::string& path);
// The same from the file's bytes; fileName is only used in messages.
NetworkFileResult ParseNetworkText(std::string_view bytes, const std::string& fileName);

}  // namespace vantrel::batch
