/* Pirrow: radii of curvature, meridian and parallel arcs, three-difference corrections.
 * Every argument is a pointer; angles in radians, lengths in metres, a the semi-major
 * axis, e2 the squared first eccentricity. Results are written through the out pointers.
 * Nothing is checked: invalid input gives infinities or NaN. */
#ifndef PIRROW_H
#define PIRROW_H

#include <stdint.h>

#include "vantrel_native_call.h"

#ifdef __cplusplus
extern "C" {
#endif

/* N prime vertical, M meridian, R Gaussian mean, RA normal section in azimuth A. */
VANTREL_NATIVE_API void VANTREL_NATIVE_CALL Radius_Cal(const double* B, const double* A,
                                                       const double* a, const double* e2,
                                                       double* N, double* M, double* R,
                                                       double* RA);

/* Meridian arc from B1 to B2, signed; 100000 right-end rectangles. */
VANTREL_NATIVE_API void VANTREL_NATIVE_CALL MArcLen_cal(const double* B1, const double* B2,
                                                        const double* a, const double* e2,
                                                        double* S);

/* Parallel arc at latitude B for the longitude difference l, with the sign of l. */
VANTREL_NATIVE_API void VANTREL_NATIVE_CALL NArcLen_cal(const double* B, const double* l,
                                                        const double* a, const double* e2,
                                                        double* S);

/* xi: whole seconds of arc (32-bit integer); eta seconds; A, z, B1, B2 radians; H, S metres.
 * du, dh, dg in seconds of arc. */
VANTREL_NATIVE_API void VANTREL_NATIVE_CALL Three_Cor_cal(
    const int32_t* xi, const double* eta, const double* A, const double* z, const double* B1,
    const double* B2, const double* H, const double* S, double* du, double* dh, double* dg);

#ifdef __cplusplus
}
#endif

#endif
