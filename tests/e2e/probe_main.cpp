// tests/e2e/probe_main.cpp — the program's real start-up and termination around a chosen
// computation, so that end-to-end tests can provoke arithmetic faults that the survey data
// never produce, and a start-up that fails. Usage: duopit_probe <case>.
#include <cstring>

#include "lifecycle/startup.hpp"
#include "native_platform.hpp"
#include "numerics/elementary.hpp"
#include "numerics/arithmetic.hpp"
#include "orientation/survey.hpp"

namespace {

using namespace duopit;

duopit::platform::NativePlatform native_platform;
const char* probe_case = "";

// The host's platform with its start-up made to fail, as it does when no descriptor or memory
// is left: everything else passes through.
class FailingStartup final : public platform::Platform {
 public:
  platform::OsError prepare_process() override {
    (void)native_platform.prepare_process();
    return platform::OsError::too_many_open;
  }
  platform::HandleKind std_kind(platform::StdStream s) override {
    return native_platform.std_kind(s);
  }
  platform::IoResult read_std(platform::StdStream s, char* b, std::size_t m) override {
    return native_platform.read_std(s, b, m);
  }
  platform::IoResult write_std(platform::StdStream s, const char* d, std::size_t n) override {
    return native_platform.write_std(s, d, n);
  }
  void discard_typed_line() override { native_platform.discard_typed_line(); }
  platform::OpenResult open(const char* n, platform::Disposition d, platform::Access a) override {
    return native_platform.open(n, d, a);
  }
  platform::OsError hold_for_writing(platform::FileHandle h) override {
    return native_platform.hold_for_writing(h);
  }
  platform::SizeResult file_size(platform::FileHandle h) override {
    return native_platform.file_size(h);
  }
  platform::OsError set_file_size(platform::FileHandle h, std::uint64_t n) override {
    return native_platform.set_file_size(h, n);
  }
  platform::IoResult write_file(platform::FileHandle h, const char* d, std::size_t n) override {
    return native_platform.write_file(h, d, n);
  }
  platform::OsError close(platform::FileHandle h) override { return native_platform.close(h); }
  [[noreturn]] void end_process(int status) override { native_platform.end_process(status); }
};
FailingStartup failing_startup;

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
  platform::Platform& os = std::strcmp(probe_case, "startup-failure") == 0
                               ? static_cast<platform::Platform&>(failing_startup)
                               : native_platform;
  lifecycle::run_program(os, {numerics::set_run_precision, numerics::enable_run_traps}, run_case);
}
