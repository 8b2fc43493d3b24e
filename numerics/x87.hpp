// numerics/x87.hpp — the arithmetic environment of the run and the program's own arithmetic
// on the x87 unit: each operation rounds under the control word in force (53-bit significands
// while the program runs, with the extended exponent range) and any unmasked fault it raises is
// taken at once, before anything uses the result. It does not hold the elementary functions
// (elementary.hpp).
#pragma once

#include <cstdint>

namespace duopit::numerics {

// An 80-bit extended real, as held in the arithmetic unit.
using Extended = long double;

// The six exceptions: the same bit is the exception's mask in the control word and its
// flag in the status word.
constexpr std::uint16_t exception_invalid = 0x0001;
constexpr std::uint16_t exception_denormal = 0x0002;
constexpr std::uint16_t exception_divide_by_zero = 0x0004;
constexpr std::uint16_t exception_overflow = 0x0008;
constexpr std::uint16_t exception_underflow = 0x0010;
constexpr std::uint16_t exception_inexact = 0x0020;
constexpr std::uint16_t all_exception_masks = 0x003F;
// Other control word fields.
constexpr std::uint16_t precision_field = 0x0300;
constexpr std::uint16_t precision_53_bits = 0x0200;
constexpr std::uint16_t precision_64_bits = 0x0300;
constexpr std::uint16_t rounding_field = 0x0C00;

[[nodiscard]] std::uint16_t control_word();
void set_control_word(std::uint16_t word);
[[nodiscard]] std::uint16_t status_word();

// Start-up, first part: 53-bit significands, every other bit kept; pending exceptions cleared.
void set_run_precision();
// Start-up, second part: bits 8 to 15 kept, low byte 0xF2 — traps on invalid operation,
// division by zero and overflow; denormal, underflow and inexact masked.
void enable_run_traps();

// The program's own arithmetic. A trap (an unmasked fault) ends the run with its number.
[[nodiscard]] Extended add(Extended a, Extended b);
[[nodiscard]] Extended sub(Extended a, Extended b);
[[nodiscard]] Extended mul(Extended a, Extended b);
[[nodiscard]] Extended div(Extended a, Extended b);
// Stores an extended value as a 64-bit real: rounds to 53 bits and to the real's exponent range.
[[nodiscard]] double to_real(Extended value);

// Takes a fault left pending in the status word by arithmetic outside these functions:
// reported as the caller's arithmetic fault. Nothing happens when none is pending.
void take_pending_trap();

}  // namespace duopit::numerics
