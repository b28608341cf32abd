#pragma once
// Positions from a receiver's sentences, through Tandrel's cutter (GetAline_Ok: from "$"
// to CR LF, checksum tested) and its GGA parser (ParseGga): southern and western positions
// are signed and H is the ellipsoidal height, the altitude (field 10) plus the geoid
// separation (field 12).
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::batch {

struct NmeaPosition {
  std::string time;    // field 2 as sent (hhmmss.ss)
  double B = 0, L = 0;  // radians, signed by the hemisphere letters
  double H = 0;         // m
  std::int32_t quality = 0, satellites = 0;
  double hdop = 0;
};

enum class SentenceKind { Ignored, Position, Rejected };

// One sentence as cut (without its line end): a GGA with a correct checksum gives a
// position, another sentence with a correct checksum is ignored, a bad checksum or a
// missing "*" rejects it.
SentenceKind ReadSentence(std::string_view aline, NmeaPosition& position);

// One line of a recorded log, whatever its line end: the text from its first "$" is cut
// as the receiver would have ended it (CR LF). A line without "$" is ignored.
SentenceKind ReadLogLine(std::string_view line, NmeaPosition& position);

inline constexpr std::string_view kRejectedSentence = "语句校验和不对!";

}  // namespace vantrel::batch
