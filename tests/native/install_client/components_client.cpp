// A C++ client that links the installed Ombrix and Tandrel libraries directly (no
// registration) through their installed headers. Exit status 0 when every check holds.
#include <cmath>
#include <cstdio>
#include <string>

#include "ombrix/ombrix.h"
#include "tandrel/tandrel.h"

namespace rt = vantrel::rt;

static int failures = 0;

static void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

int main() {
  rt::Ref<vantrel::ombrix::_Ombrix> o = vantrel::ombrix::CreateOmbrix();
  check(static_cast<bool>(o), "CreateOmbrix gives an object");
  if (o) {
    double x1 = 0, y1 = 0, x2 = 3, y2 = 4, d = 0;
    check(o->Xy2d(x1, y1, x2, y2, d) == rt::kOk && d == 5, "Ombrix Xy2d of a 3-4-5 triangle");
    std::string elli = "54";
    double a = 0, e2 = 0;
    check(o->Get_Earth(elli, a, e2) == rt::kOk && a == 6378245, "Ombrix Get_Earth 54");
  }

  rt::Ref<tandrel::ITandrel> t = tandrel::CreateTandrel();
  check(static_cast<bool>(t), "CreateTandrel gives an object");
  if (t) {
    check(t->Xy2d(0, 0, 3, 4) == 5, "Tandrel Xy2d of a 3-4-5 triangle");
    std::string buffer = "$GPVTG,1*00\r\nrest", line;
    check(t->GetAline_Command(buffer, line) && line.rfind("$GPVTG", 0) == 0,
          "Tandrel cuts one line off a receive buffer");
  }
  if (failures == 0) std::printf("components client: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
