#include "batch/nmea.h"

#include <algorithm>

#include "common/text_rules.h"
#include "tandrel/sentences.h"

namespace vantrel::batch {

namespace {

// Field k (1-based) of a sentence split at ",", as the component's Read_Aline stores it:
// a sentence of exactly 101 fields does not fit its array and gives no fields at all.
std::string_view Field(std::string_view aline, int k) {
  if (std::count(aline.begin(), aline.end(), ',') == 100) return {};
  for (int i = 1; i < k; ++i) {
    const std::size_t comma = aline.find(',');
    if (comma == std::string_view::npos) return {};
    aline.remove_prefix(comma + 1);
  }
  return aline.substr(0, aline.find(','));
}

// A GGA with more than 20 commas: the parser takes no value from it, yet a position is
// written with the time, the hemisphere signs and the altitude from the raw fields.
SentenceKind OverlongGga(std::string_view aline, NmeaPosition& p) {
  p.time = std::string(Field(aline, 2));
  p.B = TrimBlanks(Field(aline, 4)) == "S" ? -0.0 : 0.0;
  p.L = TrimBlanks(Field(aline, 6)) == "W" ? -0.0 : 0.0;
  p.H = ReadLenient(Field(aline, 10)) + 0.0;
  p.quality = p.satellites = 0;
  p.hdop = 0;
  return SentenceKind::Position;
}

}  // namespace

SentenceKind ReadSentence(std::string_view aline, NmeaPosition& p) {
  // The cutter tests the checksum; here the sentence is already cut, so it is handed over
  // again with its line end.
  std::string buffer(aline);
  buffer += "\r\n";
  std::string cut;
  if (!tandrel::GetAline_Ok(buffer, cut)) return SentenceKind::Rejected;
  const std::size_t comma = cut.find(',');
  if (comma != 6 || cut.compare(3, 3, "GGA") != 0) return SentenceKind::Ignored;
  tandrel::GgaFix fix;
  const tandrel::GgaRead read = tandrel::ParseGga(cut, fix);
  if (read == tandrel::GgaRead::Unreadable) return SentenceKind::Rejected;
  if (read == tandrel::GgaRead::Overlong) return OverlongGga(cut, p);
  p.time = std::string(Field(cut, 2));
  p.B = fix.latitude;
  p.L = fix.longitude;
  p.H = fix.EllipsoidalHeight();
  p.quality = fix.quality;
  p.satellites = fix.satellites;
  p.hdop = fix.hdop;
  return SentenceKind::Position;
}

SentenceKind ReadLogLine(std::string_view line, NmeaPosition& p) {
  const std::size_t dollar = line.find('$');
  if (dollar == std::string_view::npos) return SentenceKind::Ignored;
  return ReadSentence(line.substr(dollar), p);
}

}  // namespace vantrel::batch
