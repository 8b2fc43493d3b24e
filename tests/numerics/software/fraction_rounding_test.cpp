// The rounding of the 128-bit approximations: exact values and their ties, the carry into the
// next binade, approximations near a midpoint, and the unit's hold of a small part to 68 bits;
// each expected value from MPFR.
#include "numerics/software/fraction_rounding.hpp"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdint>

#include "numerics/software/reference.hpp"

namespace duopit::numerics::software {
namespace {

using testing::extended_of;
using testing::set_scaled;

constexpr Uint128 from_words(std::uint64_t high, std::uint64_t low) {
  return (Uint128{high} << 64) | low;
}

constexpr std::uint64_t half = std::uint64_t{1} << 63;
constexpr int fraction_bits = 127;  // every value below is read as value·2^-127

// RN64 of value·2^-127, or with held_bits the value 1 − RN_b(value·2^-127), by MPFR.
ExtendedReal reference(Uint128 value, int held_bits) {
  mpfr_t exact;
  mpfr_init2(exact, 256);
  set_scaled(exact, value, fraction_bits, false);
  if (held_bits != 0) {
    mpfr_t held;
    mpfr_init2(held, held_bits);
    mpfr_set(held, exact, MPFR_RNDN);
    mpfr_ui_sub(exact, 1, held, MPFR_RNDN);  // exact at 256 bits
    mpfr_clear(held);
  }
  const ExtendedReal rounded = extended_of(exact);
  mpfr_clear(exact);
  return rounded;
}

struct RoundCase {
  const char* name;
  Uint128 value;
  bool exact;  // otherwise an approximation, within a few units of its last bit
};
constexpr RoundCase round_cases[] = {
    {"one", from_words(half, 0), false},
    {"halfway, odd: up to even", from_words(half + 1, half), true},
    {"halfway, even: stays", from_words(half + 2, half), true},
    {"halfway below two: carries into the next binade", from_words(~std::uint64_t{0}, half),
     true},
    {"above the midpoint", from_words(0x9 * (half >> 3), half + 257), false},
    {"below the midpoint", from_words(0x9 * (half >> 3), half - 257), false},
    // 2^100 and up: the 64 bits kept end at bit 37.
    {"small value, above its midpoint", from_words(1ULL << 36, (1ULL << 36) + 257), false},
};

TEST(RoundScaled, TiesCarriesAndMidpoints) {
  for (const RoundCase& c : round_cases) {
    EXPECT_EQ(round_scaled({c.value, -fraction_bits}, c.exact), reference(c.value, 0)) << c.name;
  }
}

// w·2^-127 near 2^-27: 68 significant bits end at bit 33, so its b-bit midpoints lie at odd
// multiples of 2^32.
struct HeldCase {
  const char* name;
  Uint128 small;
};
constexpr Uint128 w = Uint128{1} << 100;
constexpr HeldCase held_cases[] = {
    {"decided down", w + (1ULL << 32) - (1ULL << 20)},
    {"decided up", w + (1ULL << 32) + (1ULL << 20)},
    {"no bits below the 68th", (Uint128{1} << 60) + 5},
    {"held, then exactly halfway at 64 bits: to even", w + (1ULL << 62) + (1ULL << 20)},
    {"halfway at 68 bits, far from a 64-bit boundary: either way the same", w + (1ULL << 32)},
};

TEST(RoundHeldDifference, OneLessTheHeldComplement) {
  for (const HeldCase& c : held_cases) {
    EXPECT_EQ(round_held_difference(Uint128{1} << fraction_bits, c.small, -fraction_bits,
                                    unit_held_bits),
              reference(c.small, unit_held_bits))
        << c.name;
  }
}

// The unit's relative sine error: v·(1 + a·2^-79) within 1.1 units, both signs.
TEST(ScaleRelative, WithinAUnitOfTheExactProduct) {
  for (const Uint128 v : {from_words(half, 0), from_words(0x0123456789ABCDEF, 0xFEDCBA9876543210),
                          from_words(~std::uint64_t{0} >> 1, ~std::uint64_t{0})}) {
    for (const std::int32_t a : {1, -1, 1233, -1258, 2000, -2000}) {
      mpfr_t exact;
      mpfr_init2(exact, 256);
      set_scaled(exact, v, 0, false);
      mpfr_t offset;
      mpfr_init2(offset, 256);
      mpfr_mul_si(offset, exact, a, MPFR_RNDN);
      mpfr_div_2ui(offset, offset, 79, MPFR_RNDN);
      mpfr_add(exact, exact, offset, MPFR_RNDN);
      mpfr_t ours;
      mpfr_init2(ours, 256);
      set_scaled(ours, scale_relative(v, a), 0, false);
      mpfr_sub(exact, exact, ours, MPFR_RNDN);
      EXPECT_LT(std::abs(mpfr_get_d(exact, MPFR_RNDN)), 1.1) << a;
      mpfr_clear(exact);
      mpfr_clear(offset);
      mpfr_clear(ours);
    }
  }
}

}  // namespace
}  // namespace duopit::numerics::software
