#pragma once
// Symmetric positive definite systems in packed lower-triangle storage, solved and/or
// inverted in place by a square-root (Cholesky) decomposition.
#include <optional>

#include "common/messages.h"

namespace vantrel {

// 1-based position of element (i, j) in packed storage: p(p-1)/2 + q with p = max, q = min.
// Formed in 32-bit arithmetic; nullopt when p(p-1) overflows.
std::optional<int> ij2n_checked(int i, int j);
// For the calculator's own small orders, where no overflow can happen; throws
// std::overflow_error if it does.
int ij2n(int i, int j);

// a: packed matrix, a[0] is position 1; B: right-hand side, B[0] is position 1.
// ijob 1 invert, 2 solve, 3 solve then invert, 4 decompose only. Ier: 0 ok, 129 bad
// ijob (with the message "IJOB INPUT PARAMETER OUT OF RANGE" through onMessage, when
// given), 130 not positive definite (a NaN or infinite pivot included).
void INVERS(double* a, double* B, int ijob, int N, int& Ier,
            const MessageHandler& onMessage = {});

}  // namespace vantrel
