// lifecycle/run_state.cpp — the run's state itself, constant-initialised to zero: no code
// runs before main to set it up, and it occupies no page of the program file.
#include "lifecycle/run_state.hpp"

#include <cassert>
#include <cstdlib>

namespace duopit::lifecycle {
namespace {
constinit RunState state{};
}  // namespace

RunState& run_state() { return state; }

void reset_run_state() { state = RunState{}; }

void install_platform(platform::Platform& platform) { state.os = &platform; }

platform::Platform& os() {
  assert(state.os != nullptr);
  return *state.os;
}

void end_process(int status) {
  os().end_process(status);
  std::abort();  // a platform's end_process never returns
}

}  // namespace duopit::lifecycle
