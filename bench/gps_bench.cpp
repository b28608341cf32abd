// Receiver sentence throughput of the Tandrel component: a recorded-style stream (GGA,
// VTG, HDT, GSV, RMC, now and then a corrupted checksum, stray bytes between sentences)
// arrives in serial-sized chunks and is cut and parsed as a polling client does it.
// Rates are sentences per second; "bytes_per_second" shows how far above any serial
// line (115200 baud is about 11.5 kB/s) the cutting is.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tandrel/sentences.h"
#include "tandrel/tandrel.h"

namespace {

using vantrel::rt::SafeArray;

std::string WithChecksum(const std::string& body, bool corrupt) {
  unsigned char x = 0;
  for (unsigned char c : body) x ^= c;
  if (corrupt) x ^= 0x5A;
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", x);
  return "$" + body + tail;
}

struct Stream {
  std::string bytes;
  long sentences = 0;  // complete sentences in it, good and bad checksums
};

// About one second of a busy receiver per 20 sentences; fixed seed, same stream each run.
Stream Recorded(int sentences) {
  std::mt19937 rng(20261208);
  std::uniform_int_distribution<int> kind(0, 9), noise(0, 19), frac(0, 9999);
  Stream s;
  char body[160];
  for (int i = 0; i < sentences; ++i) {
    const int k = kind(rng);
    const int hh = (i / 3600) % 24, mm = (i / 60) % 60, ss = i % 60;
    if (k < 4) {
      std::snprintf(body, sizeof body, "GPGGA,%02d%02d%02d.00,5321.%04d,N,00630.%04d,W,%d,%d,0.9,61.%d,M,55.2,M,,",
                    hh, mm, ss, frac(rng), frac(rng), 1 + k % 4, 6 + k, k);
    } else if (k < 6) {
      std::snprintf(body, sizeof body, "GPVTG,%03d.%d,T,034.4,M,005.5,N,%03d.%d,K", frac(rng) % 360, k,
                    frac(rng) % 200, k);
    } else if (k < 8) {
      std::snprintf(body, sizeof body, "HEHDT,%03d.%02d,T", frac(rng) % 360, frac(rng) % 100);
    } else if (k < 9) {
      std::snprintf(body, sizeof body, "GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,%03d,00",
                    frac(rng) % 360);
    } else {
      std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.00,A,5321.%04d,N,00630.%04d,W,0.02,0.0,081226,,,A", hh,
                    mm, ss, frac(rng), frac(rng));
    }
    const int n = noise(rng);
    if (n == 0) s.bytes.append("\x00\xff~", 3);
    if (n == 1) s.bytes += "\r\n";
    s.bytes += WithChecksum(body, n == 2);
    ++s.sentences;
  }
  return s;
}

const Stream& TheStream() {
  static const Stream s = Recorded(2000);
  return s;
}

constexpr std::size_t kChunk = 64;  // what a serial read typically hands over

// Feeds the stream in chunks; after each chunk calls `cut` until it gives nothing more.
template <class Cut>
long Replay(const std::string& bytes, Cut cut) {
  std::string buff, line;
  long cutCount = 0;
  for (std::size_t at = 0; at < bytes.size(); at += kChunk) {
    buff.append(bytes, at, kChunk);
    for (;;) {
      const std::size_t before = buff.size();
      if (cut(buff, line)) {
        ++cutCount;
      } else if (buff.size() == before || buff.find("\r\n", 1) == std::string::npos) {
        break;
      }
    }
  }
  return cutCount;
}

void Report(benchmark::State& state, long sentences, long cut) {
  state.counters["sentences"] = benchmark::Counter(double(sentences), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["cut"] = double(cut);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(TheStream().bytes.size()));
}

// The whole stream replayed through one cutter per iteration.
template <class Cut>
void CutStream(benchmark::State& state, Cut cut) {
  const Stream& s = TheStream();
  long count = 0;
  for (auto _ : state) {
    count = Replay(s.bytes, cut);
    benchmark::DoNotOptimize(count);
  }
  Report(state, s.sentences, count);
}

void BM_Cut_GetAline_Command(benchmark::State& state) {
  auto t = tandrel::CreateTandrel();
  CutStream(state, [&](std::string& b, std::string& l) { return t->GetAline_Command(b, l); });
}
BENCHMARK(BM_Cut_GetAline_Command);

void BM_Cut_GetAline_Ok(benchmark::State& state) {
  auto t = tandrel::CreateTandrel();
  CutStream(state, [&](std::string& b, std::string& l) { return t->GetAline_Ok(b, l); });
}
BENCHMARK(BM_Cut_GetAline_Ok);

void BM_Cut_GetBlank_Line_Ok(benchmark::State& state) {
  auto t = tandrel::CreateTandrel();
  SafeArray fields = SafeArray::Texts(1, 32);
  CutStream(state, [&](std::string& b, std::string& l) {
    int32_t n = 0;
    return t->GetBlank_Line_Ok(b, l, "$", "", ",", true, 2, n, fields);
  });
}
BENCHMARK(BM_Cut_GetBlank_Line_Ok);

// The sentences with a correct checksum, cut out of the stream once; only GGA when asked.
std::vector<std::string> GoodSentences(tandrel::ITandrel& t, bool ggaOnly) {
  std::vector<std::string> lines;
  Replay(TheStream().bytes, [&](std::string& b, std::string& l) {
    if (!t.GetAline_Ok(b, l)) return false;
    if (!ggaOnly || l.compare(3, 3, "GGA") == 0) lines.push_back(l);
    return true;
  });
  return lines;
}

// The whole client loop: cut with the checksum test, then parse by sentence name.
void BM_CutAndParse(benchmark::State& state) {
  auto t = tandrel::CreateTandrel();
  const Stream& s = TheStream();
  SafeArray fields = SafeArray::Texts(1, 32);
  double obs, phi, lam, h, hdop, vx, vy, sum = 0;
  int32_t quality, sats, n;
  long cut = 0;
  for (auto _ : state) {
    cut = Replay(s.bytes, [&](std::string& b, std::string& l) {
      if (!t->GetAline_Ok(b, l)) return false;
      const std::string_view name = std::string_view(l).substr(3, 3);
      if (name == "GGA") {
        t->Read_GGA(l, obs, phi, lam, h, quality, sats, hdop);
        sum += phi;
      } else if (name == "VTG") {
        t->Read_VTG(l, vx, vy);
        sum += vx;
      } else {
        t->Read_MSG(l, n, fields);
        sum += n;
      }
      return true;
    });
    benchmark::DoNotOptimize(sum);
  }
  Report(state, s.sentences, cut);
}
BENCHMARK(BM_CutAndParse);

// One parser on its own, over the GGA sentences already cut out of the stream.
void BM_Read_GGA(benchmark::State& state) {
  auto t = tandrel::CreateTandrel();
  const std::vector<std::string> gga = GoodSentences(*t, true);
  double obs, phi, lam, h, hdop, sum = 0;
  int32_t quality, sats;
  for (auto _ : state) {
    for (const std::string& l : gga) {
      t->Read_GGA(l, obs, phi, lam, h, quality, sats, hdop);
      sum += phi + lam;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["sentences"] = benchmark::Counter(double(gga.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Read_GGA);

void BM_Read_Aline(benchmark::State& state) {
  auto t = tandrel::CreateTandrel();
  const std::vector<std::string> lines = GoodSentences(*t, false);
  SafeArray fields = SafeArray::Texts(1, 100);
  int32_t n = 0;
  long total = 0;
  for (auto _ : state) {
    for (const std::string& l : lines) {
      t->Read_Aline(l, n, fields);
      total += n;
    }
    benchmark::DoNotOptimize(total);
  }
  state.counters["sentences"] =
      benchmark::Counter(double(lines.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Read_Aline);

}  // namespace

BENCHMARK_MAIN();
