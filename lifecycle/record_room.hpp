// lifecycle/record_room.hpp — the room a unit gives one write statement: its records wait
// there, laid out in place, until the statement ends. Behind the room the memory runs on for
// record_spill_bytes that belong to no record, into which the layout's fixed-size moves may
// spill.
#pragma once

#include <cstddef>

namespace duopit::lifecycle {

// The most bytes one write statement may lay out for a file unit, behind what its buffer
// holds, and for the console.
constexpr std::size_t statement_room_bytes = 1024;
constexpr std::size_t console_statement_bytes = 1024;
constexpr std::size_t record_spill_bytes = 64;

}  // namespace duopit::lifecycle
