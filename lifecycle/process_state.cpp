// lifecycle/process_state.cpp — the run's process-wide state, in one place.
#include "lifecycle/process_state.hpp"

#include "lifecycle/file_unit.hpp"

namespace duopit::lifecycle {
namespace {
// Exit routines, the termination guard and the console line state outlive every statement
// and are consulted at exit, so they live for the whole process.
ProcessState state;
}  // namespace

ProcessState& process_state() { return state; }

void reset_process_state() {
  state = ProcessState{};
  reset_unit_table();
}

}  // namespace duopit::lifecycle
