#pragma once
// The field book's rule for spreading a misclosure in whole units (millimetres) so that the
// printed table adds up: the traverse's coordinate corrections and the levelling route's
// height corrections both use it.
#include <vector>

namespace vantrel::adjustment {

// The shares -f·w_i/Σw cut to whole units toward zero, and the units left over (fewer than
// there are weights) one each to the largest weights, the earlier of equal ones first: the
// sum is -f and every share within one unit of its exact value. tookLeftover, when given,
// says which shares took one.
std::vector<long long> ForcedShares(long long f, const std::vector<long long>& weights,
                                    std::vector<bool>* tookLeftover = nullptr);

}  // namespace vantrel::adjustment
