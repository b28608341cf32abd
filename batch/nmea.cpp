#include "batch/nmea.h"

#include <vector>

#include "common/text_rules.h"
#include "tandrel/sentences.h"

namespace vantrel::batch {

SentenceKind ReadSentence(std::string_view aline, NmeaPosition& p) {
  // The cutter tests the checksum; here the sentence is already cut, so it is handed over
  // again with its line end.
  std::string buffer(aline);
  buffer += "\r\n";
  std::string cut;
  if (!tandrel::GetAline_Ok(buffer, cut)) return SentenceKind::Rejected;
  // $GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76
  const std::size_t comma = cut.find(',');
  if (comma != 6 || cut.compare(3, 3, "GGA") != 0) return SentenceKind::Ignored;
  double obsSec = 0, phi = 0, lam = 0, sep = 0, hdop = 0;
  std::int32_t quality = 0, sats = 0, n = 0;
  if (!tandrel::Read_GGA(cut, obsSec, phi, lam, sep, quality, sats, hdop)) return SentenceKind::Rejected;
  std::vector<std::string> fields(101);
  const bool split = tandrel::Read_Aline(
      cut, n,
      [&](std::int32_t i, std::string_view text) {
        if (i < 1 || i > 100) return false;
        fields[static_cast<std::size_t>(i)].assign(text);
        return true;
      },
      [] {});
  auto field = [&](int k) { return split && k <= n ? std::string_view(fields[k]) : std::string_view(); };
  p.time = std::string(field(2));
  p.B = TrimBlanks(field(4)) == "S" ? -phi : phi;
  p.L = TrimBlanks(field(6)) == "W" ? -lam : lam;
  p.H = ReadLenient(field(10)) + sep;
  p.quality = quality;
  p.satellites = sats;
  p.hdop = hdop;
  return SentenceKind::Position;
}

SentenceKind ReadLogLine(std::string_view line, NmeaPosition& p) {
  const std::size_t dollar = line.find('$');
  if (dollar == std::string_view::npos) return SentenceKind::Ignored;
  return ReadSentence(line.substr(dollar), p);
}

}  // namespace vantrel::batch
