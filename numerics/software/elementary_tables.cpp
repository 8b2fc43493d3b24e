// numerics/software/elementary_tables.cpp — the tables of sin, cos and arctan at k/128, built at
// compile time in 320-bit fixed point and then cut to 128 bits. Integer arithmetic only.
//
// The tables are built by short recurrences; the arctangent's takes more steps of constant
// evaluation than clang allows by default, so CMakeLists.txt raises its limit for this file.
// Each step loses a few units of 2^-318, so after 128 steps the 128 bits kept are still the
// true values truncated.
#include "numerics/software/elementary_tables.hpp"

#include <cstdint>

namespace duopit::numerics::software {
namespace {

// Unsigned fixed-point numbers of five 64-bit limbs with two integer bits: a value v is held as
// the integer v·2^318, so every number met here (below 4) fits. Operations truncate;
// subtraction assumes a ≥ b.
constexpr int table_limbs = 5;
struct Building {
  std::array<std::uint64_t, table_limbs> limb{};  // limb[0] is the least significant
};

constexpr Building fixed_one() {
  Building one;
  one.limb[table_limbs - 1] = std::uint64_t{1} << 62;
  return one;
}

constexpr bool is_zero(const Building& a) {
  for (const std::uint64_t limb : a.limb) {
    if (limb != 0) {
      return false;
    }
  }
  return true;
}

constexpr Building add(const Building& a, const Building& b) {
  Building sum;
  std::uint64_t carry = 0;
  for (int i = 0; i < table_limbs; ++i) {
    const Uint128 s = Uint128{a.limb[i]} + b.limb[i] + carry;
    sum.limb[i] = low_half(s);
    carry = high_half(s);
  }
  return sum;
}

constexpr Building subtract(const Building& a, const Building& b) {
  Building difference;
  std::uint64_t borrow = 0;
  for (int i = 0; i < table_limbs; ++i) {
    const Uint128 d = Uint128{a.limb[i]} - b.limb[i] - borrow;
    difference.limb[i] = low_half(d);
    borrow = high_half(d) & 1;
  }
  return difference;
}

// a·b, truncated to 318 fraction bits: below the true product by less than one unit.
constexpr Building multiply(const Building& a, const Building& b) {
  std::array<std::uint64_t, 2 * table_limbs> product{};
  for (int i = 0; i < table_limbs; ++i) {
    std::uint64_t carry = 0;
    for (int j = 0; j < table_limbs; ++j) {
      const Uint128 p = Uint128{a.limb[i]} * b.limb[j] + product[i + j] + carry;
      product[i + j] = low_half(p);
      carry = high_half(p);
    }
    product[i + table_limbs] = carry;
  }
  Building result;
  for (int i = 0; i < table_limbs; ++i) {
    result.limb[i] = (product[table_limbs - 1 + i] >> 62) | (product[table_limbs + i] << 2);
  }
  return result;
}

// a·k for a small integer k; the caller keeps the product below 4.
constexpr Building multiply_small(const Building& a, std::uint64_t k) {
  Building product;
  std::uint64_t carry = 0;
  for (int i = 0; i < table_limbs; ++i) {
    const Uint128 p = Uint128{a.limb[i]} * k + carry;
    product.limb[i] = low_half(p);
    carry = high_half(p);
  }
  return product;
}

// a/k for an integer k > 0, truncated.
constexpr Building divide_small(const Building& a, std::uint64_t k) {
  Building quotient;
  std::uint64_t remainder = 0;
  for (int i = table_limbs - 1; i >= 0; --i) {
    const Uint128 dividend = from_halves(remainder, a.limb[i]);
    quotient.limb[i] = low_half(dividend / k);
    remainder = low_half(dividend % k);
  }
  return quotient;
}

struct SineCosine {
  Building sine;
  Building cosine;
};

// sin a and cos a by their Taylor series, all terms a^n/n! until they vanish.
constexpr SineCosine taylor_sine_cosine(const Building& a) {
  std::array<Building, 4> sums{};  // cos +, sin +, cos −, sin −
  Building term = fixed_one();
  for (std::uint64_t n = 0; !is_zero(term); ++n) {
    sums[n % 4] = add(sums[n % 4], term);
    term = divide_small(multiply(term, a), n + 1);
  }
  return {subtract(sums[1], sums[3]), subtract(sums[0], sums[2])};
}

// arctan(128/d) for d ≥ 16384 by its Taylor series Σ (−1)^n y^(2n+1)/(2n+1), y = 128/d.
constexpr Building arctangent_of_ratio(std::uint64_t d) {
  constexpr std::uint64_t numerator = std::uint64_t{1} << breakpoint_bits;
  Building power = multiply_small(divide_small(fixed_one(), d), numerator);
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
  std::array<SineCosine, trig_breakpoints> table{};
  const SineCosine turn = taylor_sine_cosine(first_breakpoint());
  SineCosine at{Building{}, fixed_one()};
  for (SineCosine& entry : table) {
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
