// textio/statement_state.cpp — the text layer's part of the run's state itself,
// constant-initialised: no code runs before main to set it up.
#include "textio/statement_state.hpp"

namespace duopit::textio {
namespace {
constinit StatementState state{};
}  // namespace

StatementState& statement_state() { return state; }

void reset_statement_state() {
  state.write = WriteStatement{};
  state.read.reset();
}

}  // namespace duopit::textio
