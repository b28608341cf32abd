/* Nadrix: packed symmetric positive definite solve and/or inversion in place.
 * a: N(N+1)/2 doubles, lower triangle by rows ((i, j), j <= i, at i(i-1)/2 + j from 1).
 * B: N doubles. ijob 1 invert, 2 solve, 3 solve then invert, 4 decompose only.
 * Ier: 0 success, 129 ijob outside 1..4 (a and B untouched), 130 not positive definite
 * (a partly overwritten). N is not checked. */
#ifndef NADRIX_H
#define NADRIX_H

#include <stdint.h>

#include "vantrel_native_call.h"

#ifdef __cplusplus
extern "C" {
#endif

VANTREL_NATIVE_API void VANTREL_NATIVE_CALL inv(double* a, double* B, const int32_t* ijob,
                                                const int32_t* N, int32_t* Ier);

#ifdef __cplusplus
}
#endif

#endif
