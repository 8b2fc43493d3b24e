// numerics/software/elementary_tables.hpp — sin, cos and arctan at the breakpoints k/128 that
// the software elementary functions start from, built by the compiler in elementary_tables.cpp.
// Data only: the evaluation that uses them lives in elementary_evaluation.cpp.
#pragma once

#include <array>
#include <cstddef>

#include "numerics/uint128.hpp"

namespace duopit::numerics::software {

inline constexpr int breakpoint_bits = 7;
inline constexpr std::size_t trig_breakpoints = 102;        // |r| ≤ π/4 < 101.5/128
inline constexpr std::size_t arctangent_breakpoints = 129;  // 0 ≤ u ≤ 1

// 128-bit fractions: value·2^128, truncated (below the true value by less than one unit and a
// hair); cos 0 = 1, which does not fit, is held as 2^128 − 1.
struct FractionPair {
  Uint128 sine;
  Uint128 cosine;
};
extern const std::array<FractionPair, trig_breakpoints> fraction_sine_cosine_table;
extern const std::array<Uint128, arctangent_breakpoints> fraction_arctangent_table;

}  // namespace duopit::numerics::software
