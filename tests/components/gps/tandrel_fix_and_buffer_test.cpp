// The typed GGA fix beside the component's Read_GGA, and the receive buffer clients keep.
#include <gtest/gtest.h>

#include <string>

#include "sentence_helpers.h"
#include "tandrel/receive_buffer.h"
#include "tandrel/sentences.h"

using namespace tandrel_test;
using tandrel::GgaFix;
using tandrel::GgaRead;
using tandrel::ReceiveBuffer;

namespace {

double ParserRad(double degrees) { return degrees * kParserPi / 180; }

TEST(GgaFix, HemispheresHeightsAndWhatReadGgaKeeps) {
  struct Case {
    std::string line;
    double lat, lon, height, separation;
  };
  const double b = ParserRad(53 + 21.6802 / 60), l = ParserRad(6 + 30.3372 / 60);
  const Case cases[] = {
      {Nmea("GPGGA,092750.000,5321.6802,N,00630.3372,E,1,8,1.03,61.7,M,55.2,M,,"), b, l, 61.7, 55.2},
      {Nmea("GPGGA,092750.000,5321.6802,S,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,"), -b, -l, 61.7, 55.2},
      // Blanks around the letter do not count; another letter or case is no hemisphere.
      {Nmea("GPGGA,092750.000,5321.6802, S ,00630.3372,w,1,8,1.03,-3,M,-8.5,M,,"), -b, l, -3, -8.5},
      {"$GPGGA,092750.000,5321.6802,S,00630.3372,W,1,8", -b, -l, 0, 0},
  };
  for (const auto& c : cases) {
    GgaFix fix;
    ASSERT_EQ(tandrel::ParseGga(c.line, fix), GgaRead::Fix) << c.line;
    EXPECT_EQ(fix.latitude, c.lat) << c.line;
    EXPECT_EQ(fix.longitude, c.lon) << c.line;
    EXPECT_EQ(fix.height, c.height) << c.line;
    EXPECT_EQ(fix.separation, c.separation) << c.line;
    EXPECT_EQ(fix.EllipsoidalHeight(), c.height + c.separation) << c.line;
    EXPECT_EQ((fix.time), 92750) << c.line;
    EXPECT_EQ(fix.quality * 100 + fix.satellites, 108) << c.line;
    // The legacy out-parameters are the same readings, latitude and longitude unsigned.
    double obs, phi, lam, h, hdop;
    int32_t q, sat;
    ASSERT_TRUE(tandrel::Read_GGA(c.line, obs, phi, lam, h, q, sat, hdop));
    EXPECT_EQ(phi, b) << c.line;
    EXPECT_EQ(lam, l) << c.line;
    EXPECT_EQ(h, fix.separation) << c.line;
    EXPECT_EQ(hdop, fix.hdop) << c.line;
  }
}

TEST(GgaFix, OverlongLeavesTheFixAndUnreadableResetsIt) {
  GgaFix fix;
  fix.latitude = 1, fix.quality = 3;
  EXPECT_EQ(tandrel::ParseGga("$GPGGA,1,4807,S" + std::string(20, ','), fix), GgaRead::Overlong);
  EXPECT_EQ(fix.latitude, 1);
  EXPECT_EQ(fix.quality, 3);
  EXPECT_EQ(tandrel::ParseGga(Nmea("GPGGA,1,4807,S,01131,W,1,8e9,0.9,1,M,2,M,,"), fix), GgaRead::Unreadable);
  EXPECT_EQ(fix.latitude, 0);
  EXPECT_EQ(fix.quality, 0);
  EXPECT_FALSE(fix.south);
}

// The tail from the last "$" survives a trim when it is at most kKeepAtMost long.
TEST(ReceiveBuffer, TrimKeepsASentenceStartOfAtMostHalfTheCutterLimit) {
  constexpr std::size_t keep = ReceiveBuffer::kKeepAtMost;
  static_assert(keep == tandrel::kMaxCutBuffer / 2);
  struct Case {
    std::size_t before, tail;  // bytes before the last "$", bytes from it on
    bool hasDollar;
    std::size_t dropped;
  };
  const Case cases[] = {
      {1, keep - 1, true, 0},         // not over the limit: untouched
      {2, keep - 1, true, 2},
      {10, keep, true, 10},           // a tail of exactly kKeepAtMost stays
      {10, keep + 1, true, 10 + keep + 1},
      {keep + 1, 0, false, keep + 1}, // no sentence start at all
  };
  for (const auto& c : cases) {
    ReceiveBuffer buff;
    buff.Append(std::string(c.before, 'x'));
    if (c.hasDollar) buff.Append("$" + std::string(c.tail - 1, 'y'));
    EXPECT_EQ(buff.Trim(), c.dropped) << c.before << "+" << c.tail;
    EXPECT_EQ(buff.size(), c.before + c.tail - c.dropped);
    if (c.dropped) {
      EXPECT_LE(buff.size(), keep);
    }
  }
}

TEST(ReceiveBuffer, NextTellsRejectedFromNotYetComplete) {
  ReceiveBuffer buff;
  buff.Append("noise" + Line("GPGGA,1") + "$HEHDT,274.07,T*18\r\n" + Line("GPVTG,1") + "$GPG");
  std::string line;
  const ReceiveBuffer::Cutter ok = tandrel::GetAline_Ok;
  EXPECT_EQ(buff.Next(ok, line), ReceiveBuffer::Cut::Sentence);
  EXPECT_EQ(line, Nmea("GPGGA,1"));
  EXPECT_EQ(buff.Next(ok, line), ReceiveBuffer::Cut::Rejected);
  EXPECT_EQ(buff.Next(ok, line), ReceiveBuffer::Cut::Sentence);
  EXPECT_EQ(line, Nmea("GPVTG,1"));
  EXPECT_EQ(buff.Next(ok, line), ReceiveBuffer::Cut::Wait);
  EXPECT_EQ(buff.text(), "$GPG");
  // A buffer the cutters refuse for its length holds a complete sentence, yet nothing was
  // taken: that is waiting for a trim, not a rejection.
  buff.Append(std::string(tandrel::kMaxCutBuffer, 'z') + "\r\n");
  EXPECT_EQ(buff.Next(ok, line), ReceiveBuffer::Cut::Wait);
  EXPECT_EQ(buff.DropAll(), tandrel::kMaxCutBuffer + 6);
  EXPECT_EQ(buff.size(), 0u);
}

}  // namespace
