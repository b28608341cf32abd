// The one export of Nadrix: the shared packed-matrix routine without its message, so a
// bad job code is reported through Ier alone.
#define VANTREL_NATIVE_BUILDING
#include "nadrix.h"

#include "transform/matrix_inversion.h"

extern "C" void VANTREL_NATIVE_CALL inv(double* a, double* B, const int32_t* ijob,
                                        const int32_t* N, int32_t* Ier) {
  int code = 0;
  vantrel::INVERS(a, B, *ijob, *N, code);
  *Ier = code;
}
