// textio/statement_state.hpp — the text layer's part of the run's state: the write or read
// statement in progress. The rest of the run's state is in lifecycle/run_state.hpp; this part
// lives here because its types are this layer's, which the lifecycle layer below cannot name.
// It starts with no statement, constant-initialised: the free layout's first-record values
// put it among the program's initialised data, on a page the run touches anyway.
#pragma once

#include <optional>

#include "lifecycle/file_unit.hpp"
#include "textio/fixed_layout.hpp"
#include "textio/free_layout.hpp"
#include "textio/read_statement.hpp"
#include "textio/record_space.hpp"

namespace duopit::textio {

// Where a write statement's records go, and how they are laid out.
enum class Route : unsigned char {
  free_to_file,  // free format to a connected file unit: the report's usual way
  formatted,     // under a format, to the console or a file unit
  free_to_console,  // free format to the console
  unconnected,   // to a unit that no open connected: nothing is kept, the end says so
};

// The write statement in progress, from begin_write to end_write; statements do not nest.
struct WriteStatement {
  Route route;
  // The file unit; null for the console and a unit not connected. Kept after the statement:
  // the next one looks at it first.
  lifecycle::FileUnit* unit;
  RecordSpace space;          // where the records are laid out: see record_space.hpp
  FreeLayout free;  // in free format
  FixedLayout* fixed;  // under a format: `own`
  // The statement's layout: a copy of one checked when the program was compiled, or a format
  // met only at run time, checked for this statement.
  std::optional<FixedLayout> own;
};

struct StatementState {
  WriteStatement write;
  // The read statement in progress, from begin_read to end_read.
  std::optional<ReadStatement> read;
};

[[nodiscard]] StatementState& statement_state();

// Back to the state of a process that has not started: for tests that run the program's
// layers more than once in one process, with lifecycle::reset_run_state.
void reset_statement_state();

}  // namespace duopit::textio
