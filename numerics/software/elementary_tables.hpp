// numerics/software/elementary_tables.hpp — sin, cos and arctan at the breakpoints k/128 that
// the software elementary functions start from, built by the compiler in elementary_tables.cpp.
// Data only: the evaluations that use them live in elementary_model.cpp (256 bits) and
// elementary_fast.cpp (128 bits).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "numerics/software/fixed_point.hpp"

namespace duopit::numerics::software {

inline constexpr int breakpoint_bits = 7;
inline constexpr std::size_t trig_breakpoints = 102;        // |r| ≤ π/4 < 101.5/128
inline constexpr std::size_t arctangent_breakpoints = 129;  // 0 ≤ u ≤ 1

template <int N>
struct SineCosine {
  Fixed<N> sine;
  Fixed<N> cosine;
};

// 256-bit entries, exact to their last bit or two.
extern const std::array<SineCosine<4>, trig_breakpoints> wide_sine_cosine_table;
extern const std::array<Fixed<4>, arctangent_breakpoints> wide_arctangent_table;

// 128-bit fractions: value·2^128, truncated (below the true value by less than one unit and a
// hair); cos 0 = 1, which does not fit, is held as 2^128 − 1.
struct FractionPair {
  Uint128 sine;
  Uint128 cosine;
};
extern const std::array<FractionPair, trig_breakpoints> fraction_sine_cosine_table;
extern const std::array<Uint128, arctangent_breakpoints> fraction_arctangent_table;

}  // namespace duopit::numerics::software
