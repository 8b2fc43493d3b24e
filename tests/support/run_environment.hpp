// tests/support/run_environment.hpp — runs pieces of the program in the test process as a
// run would: the fake platform installed, fresh process state, the run's control word
// (53-bit precision, traps on invalid, divide by zero and overflow) and the termination
// routine registered. The test's own control word (on the x87 unit) comes back afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "lifecycle/console.hpp"
#include "lifecycle/run_state.hpp"
#include "lifecycle/termination.hpp"
#include "numerics/arithmetic.hpp"
#include "support/fake_platform.hpp"
#include "textio/statement_state.hpp"

namespace duopit::testing {

// The x87 unit's control word belongs to the test process; the software model has none.
#if defined(DUOPIT_NUMERICS_SOFTWARE)
inline std::uint16_t saved_control_word() { return 0; }
inline void restore_control_word(std::uint16_t) {}
#else
inline std::uint16_t saved_control_word() { return numerics::control_word(); }
inline void restore_control_word(std::uint16_t word) { numerics::set_control_word(word); }
#endif

class RunEnvironment {
 public:
  explicit RunEnvironment(platform::HandleKind input = platform::HandleKind::pipe,
                          platform::HandleKind output = platform::HandleKind::pipe)
      : saved_control_(saved_control_word()) {
    os.kinds = {input, output, platform::HandleKind::pipe};
    lifecycle::reset_run_state();
    textio::reset_statement_state();
    lifecycle::install_platform(os);
    lifecycle::set_up_console(input == platform::HandleKind::terminal &&
                              output == platform::HandleKind::terminal);
    lifecycle::register_exit_routine(lifecycle::termination_routine);
    numerics::set_run_precision();
    numerics::enable_run_traps();
  }
  ~RunEnvironment() { restore_control_word(saved_control_); }
  RunEnvironment(const RunEnvironment&) = delete;
  RunEnvironment& operator=(const RunEnvironment&) = delete;

  // Runs `body`; the exit status if the run ended inside it, else nothing.
  std::optional<int> run(const std::function<void()>& body) {
    try {
      body();
    } catch (const ProcessEnded& ended) {
      restore_control_word(saved_control_);
      return ended.status;
    }
    return std::nullopt;
  }

  // Runs `body` and then the normal exit, as start-up does; the exit status.
  int run_to_exit(const std::function<void()>& body) {
    if (const auto status = run(body)) {
      return *status;
    }
    return *run([] { lifecycle::exit_process(0); });
  }

  FakePlatform os;

 private:
  std::uint16_t saved_control_;
};

}  // namespace duopit::testing
