#include "adjustment/forced_shares.h"

#include <algorithm>
#include <numeric>

namespace vantrel::adjustment {

std::vector<long long> ForcedShares(long long f, const std::vector<long long>& weights,
                                    std::vector<bool>* tookLeftover, ShareRounding rounding) {
  __int128 total = 0;
  for (long long w : weights) total += w;
  std::vector<long long> v;
  long long sum = 0;
  for (long long w : weights) {
    const __int128 num = static_cast<__int128>(-f) * w;
    __int128 q = total > 0 ? num / total : 0;
    if (total > 0 && rounding == ShareRounding::Nearest) {
      const __int128 r = num % total;
      if (2 * (r < 0 ? -r : r) >= total) q += num < 0 ? -1 : 1;
    }
    v.push_back(static_cast<long long>(q));
    sum += v.back();
  }
  std::vector<size_t> largest(weights.size());
  std::iota(largest.begin(), largest.end(), size_t{0});
  std::stable_sort(largest.begin(), largest.end(), [&](size_t a, size_t b) { return weights[a] > weights[b]; });
  if (tookLeftover) tookLeftover->assign(weights.size(), false);
  const long long left = -f - sum, step = left < 0 ? -1 : 1;
  for (long long k = 0; k < (left < 0 ? -left : left) && k < static_cast<long long>(largest.size()); ++k) {
    v[largest[k]] += step;
    if (tookLeftover) (*tookLeftover)[largest[k]] = true;
  }
  return v;
}

}  // namespace vantrel::adjustment
