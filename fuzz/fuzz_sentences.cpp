// Arbitrary bytes arriving on a receiver line: fed in chunks into one receive buffer per
// cutter, every cutter drained as a polling client would, every sentence cut passed to
// every parser through the component's own interface. Besides crashes it checks what a
// client relies on: a cutter only ever removes text from the front of the buffer, a cut
// sentence is exactly what the buffer held, and split fields join back into their text.
//
// The first four bytes choose the chunk size, the field array and the general cutter's
// markers; the rest is the line.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tandrel/sentences.h"
#include "tandrel/tandrel.h"

namespace {

using vantrel::rt::SafeArray;

void Check(bool ok) {
  if (!ok) std::abort();
}

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::size_t Count(std::string_view s, char c) { return std::size_t(std::count(s.begin(), s.end(), c)); }

// Whether a GetAline_ cutter would cut a sentence from this buffer (on a copy).
bool Cuts(std::string buf) {
  std::string line;
  return tandrel::CutSentence(buf, line);
}

// Fields 1..n of the array joined by sep; false when one of them is not there.
bool Join(const SafeArray& a, int32_t n, std::string_view sep, std::string& out) {
  out.clear();
  for (int32_t i = 1; i <= n; ++i) {
    const std::string* s = a.TextAt(i);
    if (!s) return false;
    if (i > 1) out.append(sep);
    out.append(*s);
  }
  return true;
}

struct Setup {
  std::size_t chunk;
  int32_t lower;
  std::size_t slots;
  std::string startMsg, endMsg, fieldSep;
  bool checksum;
  int32_t checksumStart;
};

SafeArray Fields(const Setup& s) { return SafeArray::Texts(s.lower, s.slots); }

void ParseAll(tandrel::ITandrel& t, const Setup& s, const std::string& line) {
  const std::size_t commas = Count(line, ',');
  {
    constexpr double kUntouched = -12345.5;
    double obs = kUntouched, phi = kUntouched, lam = kUntouched, h = kUntouched, hdop = kUntouched;
    int32_t quality = -7, sats = -7;
    const bool ok = t.Read_GGA(line, obs, phi, lam, h, quality, sats, hdop);
    // A 21st comma ends the parser before it takes any value.
    if (commas > 20) Check(ok && phi == kUntouched && lam == kUntouched && sats == -7);
    if (!ok) Check(phi == 0 && lam == 0 && obs == 0 && sats == 0 && hdop == 0);
  }
  {
    int32_t sats = -7, ttt = -7;
    if (!t.Read_GSN(line, sats, ttt)) Check(sats == 0 && ttt == 0);
  }
  {
    std::string copy = line;
    double vx = -1, vy = -1;
    Check(t.Read_VTG(copy, vx, vy));
    Check(copy == line);
  }
  {
    std::string aim = "x", ship = "y";
    int32_t send = -7;
    if (!t.Read_POS(line, aim, ship, send)) Check(send == 0);
    Check(aim.empty() && ship.empty());
  }
  {
    SafeArray a = Fields(s);
    int32_t n = -1;
    std::string joined;
    if (t.Read_MSG(line, n, a)) {
      if (commas > 20) {
        Check(n == 21);
      } else {
        Check(n == int32_t(commas + 1) && Join(a, n, ",", joined) && joined == line);
      }
    } else {
      Check(n == 0);
    }
  }
  {
    SafeArray a = Fields(s);
    int32_t n = -1;
    std::string joined;
    if (t.Read_Aline(line, n, a)) {
      if (commas <= 100) Check(n == int32_t(commas + 1) && Join(a, n, ",", joined) && joined == line);
      else Check(n == 101);
    } else {
      // Whatever had been stored is emptied again.
      Check(n >= 1);
      for (const std::string& f : a.texts()) Check(f.empty());
    }
  }
}

// What a polling client does: call the cutter until it returns false without consuming.
// `cut` returns the cutter's result and leaves the sentence in its second argument.
template <class Cut, class OnLine>
void Drain(std::string& buff, Cut cut, OnLine onLine) {
  for (;;) {
    const std::string before = buff;
    std::string line = "left over";
    const bool ok = cut(buff, line);
    Check(EndsWith(before, buff));
    if (!ok) {
      Check(line.empty());
      if (buff.size() == before.size()) return;
      continue;
    }
    onLine(before, line);
  }
}

// For the GetAline_ cutters: the buffer held stray bytes without "$", the sentence, CR LF,
// and then what is left.
void CheckCut(const std::string& before, const std::string& line, const std::string& after) {
  Check(!line.empty() && line[0] == '$' && line.find("\r\n") == std::string::npos);
  const std::size_t taken = before.size() - after.size();
  Check(taken >= line.size() + 2);
  const std::size_t stray = taken - line.size() - 2;
  Check(before.find('$') == stray);
  Check(before.compare(stray, line.size() + 2, line + "\r\n") == 0);
}

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return u;
}

void Feed(tandrel::ITandrel& t, const Setup& s, std::string_view chunk, std::string (&buffs)[5]) {
  for (std::string& b : buffs) b.append(chunk);

  Drain(buffs[0], [&](std::string& b, std::string& l) { return t.GetAline_Command(b, l); },
        [&](const std::string& before, const std::string& line) {
          CheckCut(before, line, buffs[0]);
          ParseAll(t, s, line);
        });
  Drain(buffs[1], [&](std::string& b, std::string& l) { return t.GetAline_Ok(b, l); },
        [&](const std::string& before, const std::string& line) {
          CheckCut(before, line, buffs[1]);
          Check(tandrel::ChecksumOk(line));
          ParseAll(t, s, line);
        });
  Drain(buffs[2],
        [&](std::string& b, std::string& l) {
          int32_t lorR = -1;
          double w = -1, bh = -1, cx = -1, xk = -1;
          const bool cut = Cuts(b);
          const bool ok = t.GetAline_Babi(b, l, lorR, w, bh, cx, xk);
          Check(!ok || cut);
          if (ok) Check(lorR >= 0 && lorR <= 9);
          else if (cut) Check(lorR == 0 && w == 0 && bh == 0 && cx == 0 && xk == 0);
          else Check(lorR == -1 && w == -1 && bh == -1 && cx == -1 && xk == -1);
          return ok;
        },
        [&](const std::string& before, const std::string& line) {
          CheckCut(before, line, buffs[2]);
          Check(Count(line, ',') <= 5);
        });
  Drain(buffs[3],
        [&](std::string& b, std::string& l) {
          double fwj = -1;
          const bool cut = Cuts(b);
          const bool ok = t.GetAline_DianLJ(b, l, fwj);
          Check(!ok || cut);
          if (!ok) Check(fwj == (cut ? 0 : -1));
          return ok;
        },
        [&](const std::string& before, const std::string& line) {
          CheckCut(before, line, buffs[3]);
          Check(Count(line, ',') <= 5 && Upper(line.substr(0, line.find(','))) == "$HEHDT");
        });

  const std::string endMark = s.endMsg.empty() ? "\r\n" : s.endMsg;
  Drain(buffs[4],
        [&](std::string& b, std::string& l) {
          SafeArray a = Fields(s);
          int32_t n = -1;
          const bool ok = t.GetBlank_Line_Ok(b, l, s.startMsg, s.endMsg, s.fieldSep, s.checksum, s.checksumStart, n, a);
          if (!ok) {
            Check(n == 0);
            return false;
          }
          Check(n >= 1 && EndsWith(l, endMark) && l.compare(0, s.startMsg.size(), s.startMsg) == 0);
          std::string joined;
          Check(Join(a, n, s.fieldSep, joined) && joined == l.substr(0, l.size() - endMark.size()));
          return true;
        },
        [&](const std::string& before, const std::string& line) {
          // The message is the front of what is left after anything before its start.
          Check(EndsWith(before, line + buffs[4]));
          ParseAll(t, s, line);
        });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  static const char* const kStarts[] = {"", "$", "#", "$GP"};
  static const char* const kEnds[] = {"", "\r\n", "*", "\n"};
  static const char* const kSeps[] = {",", "", ";", ",,"};
  Setup s;
  s.chunk = 1 + data[0] % 64;
  s.lower = data[1] & 0x80 ? 0 : 1;
  s.slots = data[1] % 24;
  s.startMsg = kStarts[data[2] & 3];
  s.endMsg = kEnds[(data[2] >> 2) & 3];
  s.fieldSep = kSeps[(data[2] >> 4) & 3];
  s.checksum = data[2] & 0x40;
  s.checksumStart = int8_t(data[3]);
  std::string_view line(reinterpret_cast<const char*>(data) + 4, size - 4);

  static auto t = tandrel::CreateTandrel();
  std::string buffs[5];
  for (std::size_t at = 0; at < line.size(); at += s.chunk) Feed(*t, s, line.substr(at, s.chunk), buffs);
  // Whatever is left cannot hold a complete sentence any more.
  const std::string& rest = buffs[0];
  if (rest.size() <= tandrel::kMaxCutBuffer)
    Check(rest.empty() || (rest[0] == '$' && rest.find("\r\n", 1) == std::string::npos));
  ParseAll(*t, s, std::string(line));
  return 0;
}
