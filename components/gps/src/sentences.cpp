#include "tandrel/sentences.h"

#include <cctype>
#include <cmath>
#include <vector>

#include "common/text_rules.h"

namespace tandrel {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr double kParserPi = 3.14159265358979;

// Rounds half to even into 32 bits; false when the value does not fit (a run-time failure).
bool RoundInt(double v, int32_t& out) {
  double r = std::nearbyint(v);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return false;
  out = int32_t(r);
  return true;
}

std::vector<std::string_view> SplitAll(std::string_view s, std::string_view sep) {
  std::vector<std::string_view> out;
  if (sep.empty()) {
    out.push_back(s);
    return out;
  }
  for (;;) {
    auto p = s.find(sep);
    if (p == std::string_view::npos) break;
    out.push_back(s.substr(0, p));
    s.remove_prefix(p + sep.size());
  }
  out.push_back(s);
  return out;
}

// Fields 1..n of a sentence for the Read_ parsers; false when a 21st "," is met.
bool SplitFields(std::string_view s, std::vector<std::string_view>& f) {
  f.clear();
  for (int commas = 0;; ++commas) {
    auto p = s.find(',');
    if (p == std::string_view::npos) break;
    if (commas == 20) return false;
    f.push_back(s.substr(0, p));
    s.remove_prefix(p + 1);
  }
  f.push_back(s);
  return true;
}

std::string_view Field(const std::vector<std::string_view>& f, std::size_t k) {
  return k >= 1 && k <= f.size() ? f[k - 1] : std::string_view();
}

// The last field as GSN, VTG and POS keep it: its text before "*", or nothing without "*".
void TrimLastField(std::vector<std::string_view>& f) {
  auto& last = f.back();
  auto star = last.find('*');
  last = star == std::string_view::npos ? std::string_view() : last.substr(0, star);
}

double PackedDegreesToRadians(double v) {
  double d = std::trunc(v / 100);
  double minutes = v - 100 * d;
  return (minutes / 60 + d) * kParserPi / 180;
}

uint8_t Xor(std::string_view s) {
  uint8_t x = 0;
  for (unsigned char c : s) x ^= c;
  return x;
}

}  // namespace

uint32_t ReadHex(std::string_view text) {
  text = vantrel::TrimBlanks(text);
  if (text.empty() || text.size() > 8) return 0;
  uint32_t v = 0;
  for (char c : text) {
    int d = std::isdigit((unsigned char)c) ? c - '0'
            : (c >= 'a' && c <= 'f')       ? c - 'a' + 10
            : (c >= 'A' && c <= 'F')       ? c - 'A' + 10
                                           : -1;
    if (d < 0) return 0;
    v = v * 16 + uint32_t(d);
  }
  return v;
}

bool CutSentence(std::string& inBuff, std::string& aline) {
  aline.clear();
  if (inBuff.empty() || inBuff.size() > kMaxCutBuffer) return false;
  auto dollar = inBuff.find('$');
  if (dollar == std::string::npos) {
    inBuff.clear();
    return false;
  }
  inBuff.erase(0, dollar);
  auto end = inBuff.find(kCrLf, 1);
  if (end == std::string::npos) return false;
  aline.assign(inBuff, 0, end);
  inBuff.erase(0, end + kCrLf.size());
  return true;
}

bool ChecksumOk(std::string_view aline) {
  auto star = aline.find('*');
  if (star == std::string_view::npos || aline.empty()) return false;
  return Xor(aline.substr(1, star - 1)) == ReadHex(aline.substr(star + 1));
}

bool GetAline_Command(std::string& inBuff, std::string& aline) { return CutSentence(inBuff, aline); }

bool GetAline_Ok(std::string& inBuff, std::string& aline) {
  if (!CutSentence(inBuff, aline)) return false;
  if (ChecksumOk(aline)) return true;
  aline.clear();
  return false;
}

bool GetAline_Babi(std::string& inBuff, std::string& aline, int32_t& lorR, double& waterH, double& babiH,
                   double& bt2cx, double& bt2xk) {
  // Nothing cut yet (an empty buffer, a sentence still waiting for its CR LF): the
  // caller's values stay. Only a sentence cut and rejected zeroes them.
  if (!CutSentence(inBuff, aline)) return false;
  auto f = SplitAll(aline, ",");
  if (f.size() > 6 || f[0].empty() || f[0][0] != '$') {
    aline.clear();
    lorR = 0;
    waterH = babiH = bt2cx = bt2xk = 0;
    return false;
  }
  lorR = f[0].size() > 1 && std::isdigit((unsigned char)f[0][1]) ? f[0][1] - '0' : 0;
  waterH = vantrel::ReadLenient(Field(f, 2));
  babiH = vantrel::ReadLenient(Field(f, 3));
  bt2cx = vantrel::ReadLenient(Field(f, 4));
  bt2xk = vantrel::ReadLenient(Field(f, 5));
  return true;
}

bool GetAline_DianLJ(std::string& inBuff, std::string& aline, double& fwj) {
  if (!CutSentence(inBuff, aline)) return false;  // nothing cut: the heading stays
  auto f = SplitAll(aline, ",");
  std::string name(f[0]);
  for (char& c : name) c = char(std::toupper((unsigned char)c));
  if (f.size() > 6 || name != "$HEHDT") {
    aline.clear();
    fwj = 0;
    return false;
  }
  fwj = vantrel::ReadLenient(Field(f, 2));
  return true;
}

bool Read_Aline(std::string_view alineIn, int32_t& n, const FieldStore& store,
                const std::function<void()>& clearStored) {
  n = 0;
  for (;;) {
    auto p = alineIn.find(',');
    ++n;
    if (p == std::string_view::npos) {
      if (!store(n, alineIn)) break;
      return true;
    }
    if (n > 100) return true;  // the rest of a very long sentence is not stored
    if (!store(n, alineIn.substr(0, p))) break;
    alineIn.remove_prefix(p + 1);
  }
  clearStored();
  return false;
}

bool GetBlank_Line_Ok(std::string& inBuff, std::string& aline, std::string_view startMsg, std::string_view endMsg,
                      std::string_view fieldSep, bool checksum, int32_t checksumStart, int32_t& n,
                      const FieldStore& store) {
  const std::string_view endMark = endMsg.empty() ? kCrLf : endMsg;
  aline.clear();
  auto fail = [&] {
    n = 0;
    aline.clear();
    return false;
  };
  if (!startMsg.empty()) {
    auto s = inBuff.find(startMsg);
    if (s == std::string::npos) {
      auto e = inBuff.find(endMark);
      if (e != std::string::npos) inBuff.erase(0, e + endMark.size());
      return fail();
    }
    inBuff.erase(0, s);
  }
  auto e = inBuff.find(endMark);
  if (e == std::string::npos) return fail();
  aline.assign(inBuff, 0, e + endMark.size());
  inBuff.erase(0, e + endMark.size());
  if (checksum) {
    auto star = aline.rfind('*');
    if (star == std::string::npos) return fail();
    uint32_t want = ReadHex(std::string_view(aline).substr(star + 1, 2));
    // Positions count from 1; a start before the text or after the "*" covers nothing.
    std::size_t from = checksumStart < 1 ? 0 : std::size_t(checksumStart - 1);
    uint8_t got = from < star ? Xor(std::string_view(aline).substr(from, star - from)) : 0;
    if (got != want) return fail();
  }
  std::string_view body = std::string_view(aline).substr(0, aline.size() - endMark.size());
  auto f = SplitAll(body, fieldSep);
  for (std::size_t i = 0; i < f.size(); ++i)
    if (!store(int32_t(i + 1), f[i])) return fail();
  n = int32_t(f.size());
  return true;
}

GgaRead ParseGga(std::string_view aline, GgaFix& fix) {
  std::vector<std::string_view> f;
  if (!SplitFields(aline, f)) return GgaRead::Overlong;
  int32_t q, s;
  if (!RoundInt(vantrel::ReadLenient(Field(f, 7)), q) || !RoundInt(vantrel::ReadLenient(Field(f, 8)), s)) {
    fix = GgaFix{};
    return GgaRead::Unreadable;
  }
  fix.time = vantrel::ReadLenient(Field(f, 2));
  fix.south = vantrel::TrimBlanks(Field(f, 4)) == "S";
  fix.west = vantrel::TrimBlanks(Field(f, 6)) == "W";
  const double phi = PackedDegreesToRadians(vantrel::ReadLenient(Field(f, 3)));
  const double lam = PackedDegreesToRadians(vantrel::ReadLenient(Field(f, 5)));
  fix.latitude = fix.south ? -phi : phi;
  fix.longitude = fix.west ? -lam : lam;
  fix.quality = q;
  fix.satellites = s;
  fix.hdop = vantrel::ReadLenient(Field(f, 9));
  fix.height = vantrel::ReadLenient(Field(f, 10));
  fix.separation = vantrel::ReadLenient(Field(f, 12));
  return GgaRead::Fix;
}

bool Read_GGA(std::string_view aline, double& obsSec, double& phi, double& lam, double& h, int32_t& quality,
              int32_t& satNo, double& hdop) {
  GgaFix fix;
  switch (ParseGga(aline, fix)) {
    case GgaRead::Overlong:
      return true;
    case GgaRead::Unreadable:
      phi = lam = obsSec = hdop = 0;
      satNo = 0;
      return false;
    case GgaRead::Fix:
      break;
  }
  obsSec = fix.time;
  phi = fix.LatitudeAsSent();
  lam = fix.LongitudeAsSent();
  quality = fix.quality;
  satNo = fix.satellites;
  hdop = fix.hdop;
  h = fix.separation;
  return true;
}

bool Read_GSN(std::string_view aline, int32_t& satNo, int32_t& ttt) {
  satNo = ttt = 0;
  std::vector<std::string_view> f;
  if (!SplitFields(aline, f)) return true;
  TrimLastField(f);
  int32_t s, t;
  if (!RoundInt(vantrel::ReadLenient(Field(f, 2)), s) || !RoundInt(vantrel::ReadLenient(Field(f, 11)), t))
    return false;
  satNo = s;
  ttt = t;
  return true;
}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48
bool Read_VTG(std::string_view aline, double& vx, double& vy) {
  vx = vy = 0;
  std::vector<std::string_view> f;
  if (!SplitFields(aline, f)) return true;
  TrimLastField(f);
  vx = vantrel::ReadLenient(Field(f, 2));
  vy = vantrel::ReadLenient(Field(f, 8));
  return true;
}

bool Read_POS(std::string_view aline, std::string& aimShipNo, std::string& shipNo, int32_t& sendPosInt) {
  aimShipNo.clear();
  shipNo.clear();
  sendPosInt = 0;
  std::vector<std::string_view> f;
  if (!SplitFields(aline, f)) return true;
  TrimLastField(f);
  return RoundInt(vantrel::ReadLenient(Field(f, 4)), sendPosInt) || (sendPosInt = 0, false);
}

bool Read_MSG(std::string_view aline, int32_t& n, const FieldStore& store) {
  n = 0;
  std::vector<std::string_view> f;
  if (!SplitFields(aline, f)) {
    n = 21;
    return true;
  }
  for (std::size_t i = 0; i < f.size(); ++i)
    if (!store(int32_t(i + 1), f[i])) return false;
  n = int32_t(f.size());
  return true;
}

}  // namespace tandrel
