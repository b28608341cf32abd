#pragma once
// Points for the exchange-format tests: plane or geographic, names in Chinese and ASCII,
// codes, remarks, heights missing now and then; values already at the digits the formats
// keep (mm, 1e-9°), so that a round trip must give them back exactly.
#include <cmath>
#include <random>
#include <string>

#include "batch/exchange/point_formats.h"

namespace vantrel::test {

inline batch::ExchangePoints ExchangeSample(bool geographic, int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  const char* stems[] = {"K", "导线", "GP", "水准点", "图根"};
  batch::ExchangePoints p;
  for (int i = 0; i < n; ++i) {
    p.names.push_back(std::string(stems[i % 5]) + std::to_string(i + 1));
    p.codes.push_back(i % 3 == 0 ? "" : "1" + std::to_string(i % 7) + "0500");
    p.remarks.push_back(i % 4 == 0 ? "" : "埋石 " + std::to_string(i));
    if (geographic) {
      p.x.push_back(std::round((73 + 62 * u(rng)) * 1e9) / 1e9);
      p.y.push_back(std::round((-60 + 120 * u(rng)) * 1e9) / 1e9);
    } else {
      p.x.push_back(std::round((2e6 + 3e6 * u(rng)) * 1e3) / 1e3);
      p.y.push_back(std::round((-4e5 + 3.8e7 * u(rng)) * 1e3) / 1e3);
    }
    p.h.push_back(i % 5 == 3 ? std::nan("") : std::round((-50 + 5000 * u(rng)) * 1e3) / 1e3);
  }
  return p;
}

}  // namespace vantrel::test
