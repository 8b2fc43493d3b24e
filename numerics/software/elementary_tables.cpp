// numerics/software/elementary_tables.cpp — the tables of sin, cos and arctan at k/128, built at
// compile time in 320-bit fixed point and then cut to 256 and 128 bits. Integer arithmetic only.
//
// The tables are built by short recurrences; the arctangent's takes more steps of constant
// evaluation than clang allows by default, so CMakeLists.txt raises its limit for this file.
// Each step loses a few units of 2^-318, so after 128 steps the entries kept are still exact
// to their last bit or two.
#include "numerics/software/elementary_tables.hpp"

namespace duopit::numerics::software {
namespace {

constexpr int table_limbs = 5;  // tables are built with a limb to spare, then truncated
using Building = Fixed<table_limbs>;

// sin a and cos a by their Taylor series, all terms a^n/n! until they vanish.
constexpr SineCosine<table_limbs> taylor_sine_cosine(const Building& a) {
  std::array<Building, 4> sums{};  // cos +, sin +, cos −, sin −
  Building term = fixed_one<table_limbs>();
  for (std::uint64_t n = 0; !is_zero(term); ++n) {
    sums[n % 4] = add(sums[n % 4], term);
    term = divide_small(multiply(term, a), n + 1);
  }
  return {subtract(sums[1], sums[3]), subtract(sums[0], sums[2])};
}

// arctan(128/d) for d ≥ 16384 by its Taylor series Σ (−1)^n y^(2n+1)/(2n+1), y = 128/d.
constexpr Building arctangent_of_ratio(std::uint64_t d) {
  constexpr std::uint64_t numerator = std::uint64_t{1} << breakpoint_bits;
  Building power = multiply_small(divide_small(fixed_one<table_limbs>(), d), numerator);
  Building positive;
  Building negative;
  for (std::uint64_t n = 0; !is_zero(power); ++n) {
    Building& sum = n % 2 == 0 ? positive : negative;
    sum = add(sum, divide_small(power, 2 * n + 1));
    power = multiply_small(divide_small(multiply_small(divide_small(power, d), numerator), d),
                           numerator);
  }
  return subtract(positive, negative);
}

constexpr Building first_breakpoint() {
  Building c;
  c.limb[table_limbs - 1] = std::uint64_t{1} << (62 - breakpoint_bits);
  return c;
}

// sin and cos of k/128, turning by 1/128 at a time: sin(a + b) = sin a cos b + cos a sin b,
// cos(a + b) = cos a cos b − sin a sin b.
constexpr auto building_sine_cosine_table = [] {
  std::array<SineCosine<table_limbs>, trig_breakpoints> table{};
  const SineCosine<table_limbs> turn = taylor_sine_cosine(first_breakpoint());
  SineCosine<table_limbs> at{Building{}, fixed_one<table_limbs>()};
  for (SineCosine<table_limbs>& entry : table) {
    entry = at;
    at = {add(multiply(at.sine, turn.cosine), multiply(at.cosine, turn.sine)),
          subtract(multiply(at.cosine, turn.cosine), multiply(at.sine, turn.sine))};
  }
  return table;
}();

// arctan(k/128) = Σ_{j ≤ k} arctan(j/128) − arctan((j−1)/128), each difference being
// arctan((1/128)/(1 + j(j−1)/16384)) = arctan(128/(16384 + j(j−1))).
constexpr auto building_arctangent_table = [] {
  std::array<Building, arctangent_breakpoints> table{};
  Building sum;
  for (std::uint64_t k = 0; k < table.size(); ++k) {
    if (k > 0) {
      constexpr std::uint64_t square_of_count = std::uint64_t{1} << (2 * breakpoint_bits);
      sum = add(sum, arctangent_of_ratio(square_of_count + k * (k - 1)));
    }
    table[k] = sum;
  }
  return table;
}();

// v·2^128 for v = value·2^318 below 1, truncated; 1 itself as 2^128 − 1.
constexpr Uint128 fraction_of(const Building& v) {
  if (v.limb[4] >> 62 != 0) {
    return ~Uint128{0};
  }
  const Uint128 high = (Uint128{v.limb[4]} << 64) | v.limb[3];
  return (high << 2) | (v.limb[2] >> 62);
}

}  // namespace

constexpr std::array<SineCosine<4>, trig_breakpoints> wide_sine_cosine_table = [] {
  std::array<SineCosine<4>, trig_breakpoints> table{};
  for (std::size_t k = 0; k < table.size(); ++k) {
    table[k] = {narrow<4>(building_sine_cosine_table[k].sine),
                narrow<4>(building_sine_cosine_table[k].cosine)};
  }
  return table;
}();

constexpr std::array<Fixed<4>, arctangent_breakpoints> wide_arctangent_table = [] {
  std::array<Fixed<4>, arctangent_breakpoints> table{};
  for (std::size_t k = 0; k < table.size(); ++k) {
    table[k] = narrow<4>(building_arctangent_table[k]);
  }
  return table;
}();

constexpr std::array<FractionPair, trig_breakpoints> fraction_sine_cosine_table = [] {
  std::array<FractionPair, trig_breakpoints> table{};
  for (std::size_t k = 0; k < table.size(); ++k) {
    table[k] = {fraction_of(building_sine_cosine_table[k].sine),
                fraction_of(building_sine_cosine_table[k].cosine)};
  }
  return table;
}();

constexpr std::array<Uint128, arctangent_breakpoints> fraction_arctangent_table = [] {
  std::array<Uint128, arctangent_breakpoints> table{};
  for (std::size_t k = 0; k < table.size(); ++k) {
    table[k] = fraction_of(building_arctangent_table[k]);
  }
  return table;
}();

}  // namespace duopit::numerics::software
