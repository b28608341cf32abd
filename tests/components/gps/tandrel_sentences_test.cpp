// Tandrel's sentence cutters and parsers through the typed interface, on streams as a
// receiver delivers them.
#include <gtest/gtest.h>

#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "sentence_helpers.h"
#include "tandrel/tandrel.h"

namespace rt = vantrel::rt;
using namespace tandrel_test;

namespace {

class Sentences : public ::testing::Test {
 protected:
  rt::Ref<tandrel::ITandrel> t = tandrel::CreateTandrel();
};

TEST_F(Sentences, PinnedChecksumsAreTheReceiversOwn) {
  EXPECT_EQ(Nmea("HEHDT,274.07,T"), kHdt);
  EXPECT_EQ(Nmea("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"), kGga);
  EXPECT_EQ(Nmea("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"), kVtg);
}

TEST_F(Sentences, SingleSentenceChecksumAndStarRules) {
  struct Case {
    std::string buf;
    bool ok, command;
  };
  const Case cases[] = {
      {std::string(kHdt) + "\r\n", true, true},
      {std::string(kGga) + "\r\n", true, true},
      {"$GPGSN,08,1,2,3,4,5,6,7,8,12*4e\r\n", true, true},  // lower-case hex digits
      {"$GPGSN,08,1,2,3,4,5,6,7,8,12* 4E \r\n", true, true},  // blanks around the digits
      {"$HEHDT,274.07,T*18\r\n", false, true},
      {"$HEHDT,274.07,T\r\n", false, true},  // no "*"
      {"$HEHDT,274.07,T*ZZ\r\n", false, true},  // not hexadecimal: reads as 0
      {"$HEHDT,274.07,T*019\r\n", true, true},  // the value counts, not the digit count
  };
  for (const auto& c : cases) {
    for (bool command : {false, true}) {
      std::string buf = c.buf, aline = "old";
      const bool r = command ? t->GetAline_Command(buf, aline) : t->GetAline_Ok(buf, aline);
      const bool want = command ? c.command : c.ok;
      EXPECT_EQ(r, want) << c.buf << command;
      EXPECT_EQ(aline, want ? c.buf.substr(0, c.buf.size() - 2) : "") << c.buf;
      EXPECT_EQ(buf, "") << "a rejected sentence is consumed too: " << c.buf;
    }
  }
}

TEST_F(Sentences, StrayBytesPartialSentencesAndEmptyBuffers) {
  struct Case {
    std::string buf;
    bool ok;
    std::string aline, rest;
  };
  const std::string hdt = kHdt;
  const Case cases[] = {
      {"\x01\xff#noise" + hdt + "\r\n$GPVTG,054.7", true, hdt, "$GPVTG,054.7"},
      {"no dollar here\r\n", false, "", ""},
      {"", false, "", ""},
      {"junk" + hdt, false, "", hdt},        // no line end yet: kept from its "$"
      {hdt + "\r", false, "", hdt + "\r"},    // CR alone ends nothing
      {hdt + "\n\r\n", false, "", ""},       // LF CR is no line end: the checksum is spoilt
      {"$\r\n" + hdt + "\r\n", false, "", hdt + "\r\n"},
  };
  for (const auto& c : cases) {
    std::string buf = c.buf, aline = "old";
    EXPECT_EQ(t->GetAline_Ok(buf, aline), c.ok) << c.buf;
    EXPECT_EQ(aline, c.aline) << c.buf;
    EXPECT_EQ(buf, c.rest) << c.buf;
  }
}

// A receiver stream cut into two deliveries at every position, and byte by byte: the
// client's loop must get the same sentences whatever the cut.
TEST_F(Sentences, StreamSplitAtEveryPosition) {
  const std::string bad = "$GPGSN,07,1,2,3,4,5,6,7,8,12*40";
  const std::string stream = "\r\n~~" + std::string(kGga) + "\r\n" + "garbage\x07" + kVtg + "\r\n" + bad +
                             "\r\n" + kHdt + "\r\n" + "\r\n";
  using Cutter = std::function<bool(std::string&, std::string&)>;
  struct Case {
    const char* name;
    Cutter cut;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"Ok", [&](std::string& b, std::string& a) { return t->GetAline_Ok(b, a); }, {kGga, kVtg, kHdt}},
      {"Command", [&](std::string& b, std::string& a) { return t->GetAline_Command(b, a); },
       {kGga, kVtg, bad, kHdt}},
  };
  for (const auto& c : cases) {
    // The client calls the cutter until it says false, as after every delivery.
    auto drain = [&](std::string& buf, std::vector<std::string>& got) {
      std::string aline;
      for (int guard = 0; guard < 20; ++guard) {
        bool r = c.cut(buf, aline);
        if (!r && buf.find("\r\n") == std::string::npos) return;  // waiting for more
        if (r) got.push_back(aline);
      }
    };
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
      std::string buf = stream.substr(0, cut);
      std::vector<std::string> got;
      drain(buf, got);
      buf += stream.substr(cut);
      drain(buf, got);
      EXPECT_EQ(got, c.want) << c.name << " cut at " << cut;
      EXPECT_EQ(buf, "") << c.name;
    }
    std::string buf;
    std::vector<std::string> got;
    for (char ch : stream) {
      buf += ch;
      drain(buf, got);
    }
    EXPECT_EQ(got, c.want) << c.name << " byte by byte";
  }
}

TEST_F(Sentences, BufferLimitOfTheFourCutters) {
  using Cutter = std::function<bool(std::string&, std::string&)>;
  int32_t lorR;
  double w, b, x, k, fwj;
  const std::pair<const char*, Cutter> cutters[] = {
      {"Ok", [&](std::string& s, std::string& a) { return t->GetAline_Ok(s, a); }},
      {"Command", [&](std::string& s, std::string& a) { return t->GetAline_Command(s, a); }},
      {"Babi", [&](std::string& s, std::string& a) { return t->GetAline_Babi(s, a, lorR, w, b, x, k); }},
      {"DianLJ", [&](std::string& s, std::string& a) { return t->GetAline_DianLJ(s, a, fwj); }},
  };
  const std::string line = std::string(kHdt) + "\r\n";
  for (const auto& [name, cut] : cutters) {
    for (std::size_t size : {std::size_t(32766), std::size_t(32767), std::size_t(32768), std::size_t(40000)}) {
      const std::string full = std::string(size - line.size(), '.') + line;
      std::string buf = full, aline = "old";
      const bool fits = size <= 32767;
      EXPECT_EQ(cut(buf, aline), fits) << name << size;
      EXPECT_EQ(aline, fits ? kHdt : "") << name << size;
      EXPECT_EQ(buf, fits ? "" : full) << name << size;  // nothing consumed when too long
    }
  }
}

TEST_F(Sentences, BabiFieldsAndRejects) {
  struct Case {
    std::string line;
    bool ok;
    int32_t lorR;
    double water, babi, cx, xk;
  };
  const Case cases[] = {
      {"$2,12.5,3.0,0.25,1.5", true, 2, 12.5, 3, 0.25, 1.5},
      {"$7,1,2,3,4,5", true, 7, 1, 2, 3, 4},            // six fields: the most allowed
      {"$A,4.5,x,,-2e1", true, 0, 4.5, 0, 0, -20},       // no digit after "$": LorR 0
      {"$1,1,2,3,4,5,6", false, 0, 0, 0, 0, 0},          // a seventh field
      {"$3", true, 3, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    std::string buf = "xx" + c.line + "\r\n", aline;
    int32_t lorR = 9;
    double water = 9, babi = 9, cx = 9, xk = 9;
    EXPECT_EQ(t->GetAline_Babi(buf, aline, lorR, water, babi, cx, xk), c.ok) << c.line;
    EXPECT_EQ(aline, c.ok ? c.line : "");
    EXPECT_EQ(buf, "");
    EXPECT_EQ(lorR, c.lorR) << c.line;
    EXPECT_EQ(water, c.water) << c.line;
    EXPECT_EQ(babi, c.babi) << c.line;
    EXPECT_EQ(cx, c.cx) << c.line;
    EXPECT_EQ(xk, c.xk) << c.line;
  }
}

TEST_F(Sentences, HeadingSentenceAnyCaseOnly) {
  struct Case {
    std::string line;
    bool ok;
    double fwj;
  };
  const Case cases[] = {
      {kHdt, true, 274.07},
      {"$hehdt,12.5,T", true, 12.5},
      {"$HeHdt,359.9,T*00", true, 359.9},  // no checksum test in this cutter
      {"$GPHDT,274.07,T*03", false, 0},
      {"$HEHDT,1,2,3,4,5,6", false, 0},
      {"$HEHDTX,1,T", false, 0},
  };
  for (const auto& c : cases) {
    std::string buf = c.line + "\r\n" + kHdt, aline;
    double fwj = 9;
    EXPECT_EQ(t->GetAline_DianLJ(buf, aline, fwj), c.ok) << c.line;
    EXPECT_EQ(aline, c.ok ? c.line : "");
    EXPECT_EQ(fwj, c.fwj) << c.line;
    EXPECT_EQ(buf, kHdt);
  }
}

// The field cutters zero their outputs only for a sentence they cut and rejected; while
// nothing is cut (no data, no "$", no CR LF yet, a buffer over the limit) the caller's
// values stay, so a polling client keeps its last reading between deliveries.
TEST_F(Sentences, FieldCuttersKeepOutputsUntilASentenceIsCut) {
  struct Case {
    std::string buf;
    bool cut;
  };
  const Case cases[] = {
      {"", false},
      {"no dollar yet", false},
      {"$2,12.5,3.0", false},                                     // waiting for its CR LF
      {"$HEHDT,274.07,T\r", false},                               // CR alone
      {std::string(40000, '.') + "$HEHDT,1,T\r\n", false},        // over the buffer limit
      {"$1,1,2,3,4,5,6\r\n", true},                               // seven fields: rejected
      {"$GPHDT,274.07,T\r\n", true},                              // Babi takes it, DianLJ rejects
  };
  for (const auto& c : cases) {
    std::string buf = c.buf, aline;
    int32_t lorR = 7;
    double w = 1, b = 2, x = 3, k = 4;
    const bool babi = t->GetAline_Babi(buf, aline, lorR, w, b, x, k);
    EXPECT_EQ(babi, c.cut && c.buf.find("GPHDT") != std::string::npos) << c.buf;
    if (!c.cut) {
      EXPECT_EQ(std::vector<double>({double(lorR), w, b, x, k}), std::vector<double>({7, 1, 2, 3, 4}))
          << "Babi, " << c.buf;
    } else if (!babi) {
      EXPECT_EQ(std::vector<double>({double(lorR), w, b, x, k}), std::vector<double>(5, 0)) << c.buf;
    }
    buf = c.buf;
    double fwj = 123.5;
    EXPECT_FALSE(t->GetAline_DianLJ(buf, aline, fwj)) << c.buf;
    EXPECT_EQ(fwj, c.cut ? 0 : 123.5) << "DianLJ, " << c.buf;
  }
}

TEST_F(Sentences, ReadAlineFieldCountsAndSmallArrays) {
  struct Case {
    std::string text;
    std::size_t capacity;
    bool ok;
    int32_t n;
    std::vector<std::string> fields;  // elements 1..fields.size() afterwards
  };
  std::vector<std::string> f101, f100;
  for (int i = 1; i <= 101; ++i) f101.push_back("f" + std::to_string(i));
  f100.assign(f101.begin(), f101.end() - 1);
  auto keep101 = f100;
  keep101.push_back("keep");
  const Case cases[] = {
      {"abc", 3, true, 1, {"abc", "keep"}},
      {"", 1, true, 1, {""}},
      {"$GPGSN,,3,*5A", 5, true, 4, {"$GPGSN", "", "3", "*5A", "keep"}},
      {Fields(101), 101, true, 101, f101},                  // 100 commas: all 101 stored
      {Fields(150), 120, true, 101, keep101},               // stops at the 101st comma
      {"a,b,c,d", 2, false, 3, {"", ""}},                   // overflow empties what was stored
      {"a", 0, false, 1, {}},
  };
  for (const auto& c : cases) {
    auto arr = TextArray(c.capacity, "keep");
    int32_t n = -1;
    EXPECT_EQ(t->Read_Aline(c.text, n, arr), c.ok) << c.text.substr(0, 20);
    EXPECT_EQ(n, c.n) << c.text.substr(0, 20);
    EXPECT_EQ(Stored(arr, int32_t(c.fields.size())), c.fields) << c.text.substr(0, 20);
  }
  // Index 0 of a zero-based array is not used.
  auto zero = TextArray(3, "keep", 0);
  int32_t n = 0;
  EXPECT_TRUE(t->Read_Aline("a,b", n, zero));
  EXPECT_EQ(zero.texts(), (std::vector<std::string>{"keep", "a", "b"}));
}

TEST_F(Sentences, GeneralMessageCutter) {
  const std::string hdt = kHdt;
  const std::string hashAb = "#AB*" + Checksum("#AB");
  struct Case {
    const char* what;
    std::string buf, start, end, sep;
    bool checksum;
    int32_t from;
    std::size_t capacity;
    bool ok;
    std::string aline;
    std::vector<std::string> fields;
    std::string rest;
  };
  const Case cases[] = {
      {"line cutter", "A,B,,C\r\nD,E", "", "", ",", false, 0, 9, true, "A,B,,C\r\n", {"A", "B", "", "C"}, "D,E"},
      {"start marker after stray text", "xx" + hdt + "\r\nyy", "$", "", ",", true, 2, 9, true, hdt + "\r\n",
       {"$HEHDT", "274.07", "T*19"}, "yy"},
      {"wrong checksum is consumed", "$HEHDT,274.07,T*18\r\nyy", "$", "", ",", true, 2, 9, false, "", {}, "yy"},
      {"checksum counted from the start marker", hashAb + "\r\n", "#", "", ",", true, 1, 9, true,
       hashAb + "\r\n", {hashAb}, ""},
      {"last star carries the checksum", "$A*B*" + Checksum("A*B") + "\r\n", "$", "", ",", true, 2, 9, true,
       "$A*B*" + Checksum("A*B") + "\r\n", {"$A*B*" + Checksum("A*B")}, ""},
      {"checksum asked, no star", "$AB\r\n", "", "", ",", true, 2, 9, false, "", {}, ""},
      {"start missing: dropped through the end marker", "junk\r\nmore", "#", "", ",", false, 0, 9, false, "",
       {}, "more"},
      {"start and end missing: kept", "junk", "#", "", ",", false, 0, 9, false, "", {}, "junk"},
      {"no end marker yet", "xx$GP,1", "$", "", ",", false, 0, 9, false, "", {}, "$GP,1"},
      {"own markers and separator", "..<A;B;C>tail", "<", ">", ";", false, 0, 9, true, "<A;B;C>",
       {"<A", "B", "C"}, "tail"},
      {"empty separator keeps one field", "A,B\r\n", "", "", "", false, 0, 9, true, "A,B\r\n", {"A,B"}, ""},
      {"array too small", "A,B,C\r\n", "", "", ",", false, 0, 2, false, "", {}, ""},
  };
  for (const auto& c : cases) {
    std::string buf = c.buf, aline = "old";
    auto arr = TextArray(c.capacity);
    int32_t n = -1;
    EXPECT_EQ(t->GetBlank_Line_Ok(buf, aline, c.start, c.end, c.sep, c.checksum, c.from, n, arr), c.ok)
        << c.what;
    EXPECT_EQ(aline, c.aline) << c.what;
    EXPECT_EQ(n, int32_t(c.fields.size())) << c.what;
    EXPECT_EQ(Stored(arr, int32_t(c.fields.size())), c.fields) << c.what;
    EXPECT_EQ(buf, c.rest) << c.what;
  }
}

// ---- Parsers ------------------------------------------------------------------------

double Rad(double deg) { return deg * kParserPi / 180; }

TEST_F(Sentences, GgaPositionTimeAndQuality) {
  const std::string commas21 = "$GPGGA" + std::string(21, ',');
  struct Case {
    std::string line;
    bool ok;
    double obs, phi, lam, h;
    int32_t q, sat;
    double hdop;
  };
  const Case cases[] = {
      {kGga, true, 123519, Rad(48 + 7.038 / 60), Rad(11 + 31.0 / 60), 46.9, 1, 8, 0.9},
      // Hemispheres are not read: south and west come out positive.
      {Nmea("GPGGA,092750.000,5321.6802,S,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,"), true, 92750,
       Rad(53 + 21.6802 / 60), Rad(6 + 30.3372 / 60), 55.2, 1, 8, 1.03},
      {Nmea("GPGGA,235959.99,3959.9990,N,11659.5000,E,4,12,0.6,45.1,M,-8.5,M,1.2,0031"), true, 235959.99,
       Rad(39 + 59.999 / 60), Rad(116 + 59.5 / 60), -8.5, 4, 12, 0.6},  // minutes above 30 stay minutes
      {"$GPGGA,,,,,,0,00,99.99,,,,,,*48", true, 0, 0, 0, 0, 0, 0, 99.99},
      {Nmea("GPGGA,1,1,N,1,E,2.5,8.5,1,0,M,7,M,,"), true, 1, Rad(1.0 / 60), Rad(1.0 / 60), 7, 2, 8, 1},
      {Nmea("GPGGA,1,1,N,1,E,3.5,9.5,1,0,M,7"), true, 1, Rad(1.0 / 60), Rad(1.0 / 60), 7, 4, 10, 1},
      // A 21st comma: nothing taken, outputs as they were.
      {commas21, true, -1, -1, -1, -1, -1, -1, -1},
      // A quality beyond 32 bits is a failure: H and Quality stay, the rest are zeroed.
      {Nmea("GPGGA,1,4807,N,01131,E,1e10,8,0.9,1,M,2,M,,"), false, 0, 0, 0, -1, -1, 0, 0},
  };
  for (const auto& c : cases) {
    double obs = -1, phi = -1, lam = -1, h = -1, hdop = -1;
    int32_t q = -1, sat = -1;
    EXPECT_EQ(t->Read_GGA(c.line, obs, phi, lam, h, q, sat, hdop), c.ok) << c.line;
    EXPECT_EQ(obs, c.obs) << c.line;
    EXPECT_NEAR(phi, c.phi, 1e-15) << c.line;
    EXPECT_NEAR(lam, c.lam, 1e-15) << c.line;
    EXPECT_EQ(h, c.h) << c.line;
    EXPECT_EQ(q, c.q) << c.line;
    EXPECT_EQ(sat, c.sat) << c.line;
    EXPECT_EQ(hdop, c.hdop) << c.line;
  }
  // The parsers' pi is 3.14159265358979, not the double nearest pi.
  double obs, phi, lam, h, hdop;
  int32_t q, sat;
  ASSERT_TRUE(t->Read_GGA("$GPGGA,0,9000,N,18000,E", obs, phi, lam, h, q, sat, hdop));
  EXPECT_EQ(phi, 90 * kParserPi / 180);
  EXPECT_NE(phi, std::numbers::pi / 2);
  EXPECT_EQ(lam, 180 * kParserPi / 180);
}

TEST_F(Sentences, GsnVtgPosCountsCourseAndInterval) {
  const std::string gsn = "$GPGSN,07,1,2,3,4,5,6,7,8,12";
  struct Gsn {
    std::string line;
    bool ok;
    int32_t sat, ttt;
  };
  for (const Gsn& c : {Gsn{gsn + "*40", true, 7, 12}, Gsn{gsn, true, 7, 0}, Gsn{gsn + ",x", true, 7, 12},
                       Gsn{"$GPGSN,2.5,1,2,3,4,5,6,7,8,3.5*", true, 2, 4},
                       Gsn{"$GPGSN,1e12,1,2,3,4,5,6,7,8,1*00", false, 0, 0},
                       Gsn{"$GPGSN" + std::string(21, ','), true, 0, 0}}) {
    int32_t sat = -1, ttt = -1;
    EXPECT_EQ(t->Read_GSN(c.line, sat, ttt), c.ok) << c.line;
    EXPECT_EQ(sat, c.sat) << c.line;
    EXPECT_EQ(ttt, c.ttt) << c.line;
  }

  struct Vtg {
    std::string line;
    double vx, vy;
  };
  for (const Vtg& c : {Vtg{kVtg, 54.7, 10.2}, Vtg{"$GPVTG,054.7,T,034.4,M,005.5,N,010.2", 54.7, 0},
                       Vtg{"$GPVTG,,T,,M,,N,,K*48", 0, 0}}) {
    std::string line = c.line;
    double vx = -1, vy = -1;
    EXPECT_TRUE(t->Read_VTG(line, vx, vy)) << c.line;
    EXPECT_EQ(vx, c.vx) << c.line;
    EXPECT_EQ(vy, c.vy) << c.line;
    EXPECT_EQ(line, c.line);  // taken by reference, left as it was
  }

  struct Pos {
    std::string line;
    bool ok;
    int32_t send;
  };
  for (const Pos& c : {Pos{Nmea("PXPOS,A1,B2,12.5"), true, 12}, Pos{"$PXPOS,A1,B2,13.5*00", true, 14},
                       Pos{"$PXPOS,A1,B2,13", true, 0}, Pos{"$PXPOS,A1,B2,13,x", true, 13},
                       Pos{"$PXPOS,A1,B2,-3e10*00", false, 0}}) {
    std::string aim = "old", ship = "old";
    int32_t send = -1;
    EXPECT_EQ(t->Read_POS(c.line, aim, ship, send), c.ok) << c.line;
    EXPECT_EQ(send, c.send) << c.line;
    EXPECT_EQ(aim, "");
    EXPECT_EQ(ship, "");
  }
}

TEST_F(Sentences, MsgRawFields) {
  struct Case {
    std::string line;
    std::size_t capacity;
    bool ok;
    int32_t n;
    std::vector<std::string> fields;
  };
  std::vector<std::string> f21;
  for (int i = 1; i <= 21; ++i) f21.push_back("f" + std::to_string(i));
  const Case cases[] = {
      {kHdt, 3, true, 3, {"$HEHDT", "274.07", "T*19"}},
      {"$GPXXX,,", 4, true, 3, {"$GPXXX", "", "", "keep"}},
      {Fields(21), 21, true, 21, f21},  // 20 commas: all stored
      {Fields(22), 30, true, 21, std::vector<std::string>(21, "keep")},  // 21st comma: nothing copied
      {kHdt, 2, false, 0, {}},
  };
  for (const auto& c : cases) {
    auto arr = TextArray(c.capacity, "keep");
    int32_t n = -1;
    EXPECT_EQ(t->Read_MSG(c.line, n, arr), c.ok) << c.line;
    EXPECT_EQ(n, c.n) << c.line;
    EXPECT_EQ(Stored(arr, int32_t(c.fields.size())), c.fields) << c.line;
  }
}

}  // namespace
