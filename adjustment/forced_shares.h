#pragma once
// The field book's rule for spreading a misclosure in whole units (millimetres) so that the
// printed table adds up: the traverse's coordinate corrections and the levelling route's
// height corrections both use it.
#include <vector>

namespace vantrel::adjustment {

// How each share is first brought to whole units: cut toward zero (every share then lies
// within one unit of its exact value), or rounded to the nearest, half away from zero, as
// many textbooks print levelling corrections (within one and a half units).
enum class ShareRounding { TowardZero, Nearest };

// The shares -f·w_i/Σw brought to whole units, and the units then left over (or too many;
// fewer than there are weights) one each to the largest weights, the earlier of equal ones
// first: the sum is -f. tookLeftover, when given, says which shares took one.
std::vector<long long> ForcedShares(long long f, const std::vector<long long>& weights,
                                    std::vector<bool>* tookLeftover = nullptr,
                                    ShareRounding rounding = ShareRounding::TowardZero);

}  // namespace vantrel::adjustment
