// The four exports of Pirrow over the shared geodetic-quantity routines, with the
// library's own arithmetic: the 100000-step meridian arc and the single-precision
// coefficients of the corrections.
#define VANTREL_NATIVE_BUILDING
#include "pirrow.h"

#include "geodetic/geodetic_quantities.h"

extern "C" {

void VANTREL_NATIVE_CALL Radius_Cal(const double* B, const double* A, const double* a,
                                    const double* e2, double* N, double* M, double* R,
                                    double* RA) {
  vantrel::Radius_Cal(*B, *A, *a, *e2, *N, *M, *R, *RA);
}

void VANTREL_NATIVE_CALL MArcLen_cal(const double* B1, const double* B2, const double* a,
                                     const double* e2, double* S) {
  vantrel::MArcLen_cal(*B1, *B2, *a, *e2, *S, vantrel::MeridianArcRule::Native);
}

void VANTREL_NATIVE_CALL NArcLen_cal(const double* B, const double* l, const double* a,
                                     const double* e2, double* S) {
  vantrel::NArcLen_cal(*B, *l, *a, *e2, *S);
}

void VANTREL_NATIVE_CALL Three_Cor_cal(const int32_t* xi, const double* eta, const double* A,
                                       const double* z, const double* B1, const double* B2,
                                       const double* H, const double* S, double* du,
                                       double* dh, double* dg) {
  const double xiSeconds = static_cast<double>(*xi);
  vantrel::Three_Cor_cal(xiSeconds, *eta, *A, *z, *B1, *B2, *H, *S, *du, *dh, *dg,
                         vantrel::ThreeCorRule::Native);
}

}  // extern "C"
