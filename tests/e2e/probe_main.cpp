// tests/e2e/probe_main.cpp — the program's real start-up and termination around a chosen
// computation, so that end-to-end tests can provoke arithmetic faults that the survey data
// never produce. Usage: duopit_probe <case>.
#include <cstring>

#include "lifecycle/startup.hpp"
#include "native_platform.hpp"
#include "numerics/elementary.hpp"
#include "numerics/x87.hpp"
#include "orientation/survey.hpp"

namespace {

using namespace duopit;

duopit::platform::NativePlatform native_platform;
const char* probe_case = "";

// Keeps results alive so that nothing is optimised away.
volatile double sink;

void run_case() {
  orientation::Survey s;
  orientation::compute_pi(s);
  const double huge = 0x1p63;
  const double nan = __builtin_nan("");
  if (std::strcmp(probe_case, "bearing-zero-dy") == 0) {
    sink = orientation::bearing_from_differences(s.pi, 5, 0);
  } else if (std::strcmp(probe_case, "bearing-zero-zero") == 0) {
    sink = orientation::bearing_from_differences(s.pi, 0, 0);
  } else if (std::strcmp(probe_case, "sin-2^63") == 0) {
    sink = numerics::to_real(numerics::sin(huge));
  } else if (std::strcmp(probe_case, "sin-below-2^63") == 0) {
    sink = numerics::to_real(numerics::sin(huge - 0x1p11));
  } else if (std::strcmp(probe_case, "atan-nan") == 0) {
    sink = numerics::to_real(numerics::atan(nan));
  } else if (std::strcmp(probe_case, "divide-then-atan") == 0) {
    sink = numerics::to_real(numerics::atan(numerics::to_real(numerics::div(1, 0))));
  } else if (std::strcmp(probe_case, "overflow") == 0) {
    sink = numerics::to_real(numerics::mul(1e308, 1e308));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    probe_case = argv[1];
  }
  lifecycle::run_program(native_platform, {numerics::set_run_precision, numerics::enable_run_traps},
                         run_case);
}
