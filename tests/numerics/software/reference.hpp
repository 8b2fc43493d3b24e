// tests/numerics/software/reference.hpp — the two references the software elementary functions
// are checked against: MPFR (correct rounding of the exact value) and, on x86-64, the x87
// unit's own fsin, fcos and fpatan run as numerics/elementary.cpp runs them. Test-only.
#pragma once

#include <mpfr.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>

#include "numerics/software/extended_real.hpp"

namespace duopit::numerics::software::testing {

// MPFR's value rounded to nearest with a 64-bit significand, in the unit's layout. The
// caller's value must be a nonzero finite number.
inline ExtendedReal extended_of(const mpfr_t value) {
  mpfr_t rounded;
  mpfr_init2(rounded, 64);
  mpfr_set(rounded, value, MPFR_RNDN);
  mpz_t integer;
  mpz_init(integer);
  const long exponent = mpfr_get_z_2exp(integer, rounded);  // value = integer·2^exponent
  const bool negative = mpz_sgn(integer) < 0;
  mpz_abs(integer, integer);
  const std::uint64_t significand = mpz_get_ui(integer);
  mpz_clear(integer);
  mpfr_clear(rounded);
  return {negative, static_cast<std::int32_t>(exponent + 63 + ExtendedReal::exponent_bias),
          significand};
}

// An extended real set exactly into an MPFR number of at least 64 bits.
inline void set_extended(mpfr_t target, const ExtendedReal& x) {
  mpfr_set_ui_2exp(target, static_cast<unsigned long>(x.significand),
                   x.exponent - ExtendedReal::exponent_bias - 63, MPFR_RNDN);
  if (x.negative) {
    mpfr_neg(target, target, MPFR_RNDN);
  }
}

// ±magnitude·2^-scale, exactly.
inline void set_scaled(mpfr_t target, unsigned __int128 magnitude, int scale, bool negative) {
  mpfr_set_ui_2exp(target, static_cast<unsigned long>(magnitude >> 64), 64 - scale, MPFR_RNDN);
  mpfr_t low;
  mpfr_init2(low, 64);
  mpfr_set_ui_2exp(low, static_cast<unsigned long>(magnitude), -scale, MPFR_RNDN);
  mpfr_add(target, target, low, MPFR_RNDN);
  mpfr_clear(low);
  if (negative) {
    mpfr_neg(target, target, MPFR_RNDN);
  }
}

// Distance in units of the last place between two extended reals of the same sign; a large
// number when the signs differ.
inline std::uint64_t ulps_between(const ExtendedReal& a, const ExtendedReal& b) {
  if (a.negative != b.negative) {
    return a == b ? 0 : UINT64_MAX;
  }
  const auto ordinal = [](const ExtendedReal& x) {
    return (static_cast<unsigned __int128>(x.exponent) << 63) | (x.significand & (~0ULL >> 1));
  };
  const unsigned __int128 d = ordinal(a) > ordinal(b) ? ordinal(a) - ordinal(b)
                                                      : ordinal(b) - ordinal(a);
  return d > UINT64_MAX ? UINT64_MAX : static_cast<std::uint64_t>(d);
}

// The run's seed: DUOPIT_SEED if set, else a fresh one.
inline std::uint64_t seed_for_run() {
  if (const char* text = std::getenv("DUOPIT_SEED")) {
    return std::strtoull(text, nullptr, 0);
  }
  std::random_device device;
  return (std::uint64_t{device()} << 32) | device();
}

inline double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

// A double with its exponent uniform in [low, high] and a random significand and sign.
inline double random_double(std::mt19937_64& random, int low, int high, bool any_sign) {
  const std::uint64_t span = static_cast<std::uint64_t>(high - low + 1);
  const std::uint64_t exponent = static_cast<std::uint64_t>(low + 1023) + random() % span;
  const std::uint64_t sign = any_sign ? (random() & 1) << 63 : 0;
  return from_bits(sign | (exponent << 52) | (random() & 0xFFFFFFFFFFFFFULL));
}

#if defined(__x86_64__)
// A long double of the x87 unit read as its 80 bits.
inline ExtendedReal extended_from_unit(long double x) {
  unsigned char bytes[sizeof x] = {};
  std::memcpy(bytes, &x, sizeof x);
  ExtendedReal value;
  std::uint16_t sign_exponent = 0;
  std::memcpy(&value.significand, bytes, 8);
  std::memcpy(&sign_exponent, bytes + 8, 2);
  value.negative = (sign_exponent & 0x8000) != 0;
  value.exponent = sign_exponent & 0x7FFF;
  return value;
}

enum class UnitFunction { sine, cosine, arctangent };

// The unit's fsin, fcos or fpatan(|x|, 1) (negated for x < 0) under 64-bit precision, round
// to nearest and all exceptions masked; the caller's control word is restored.
inline ExtendedReal run_unit(UnitFunction function, double x) {
  long double result = 0;
  std::uint16_t caller = 0;
  const std::uint16_t extended = 0x037F;
  asm volatile("fnstcw %0" : "=m"(caller));
  asm volatile("fldcw %0" : : "m"(extended));
  if (function == UnitFunction::sine) {
    asm volatile("fldl %1\n\tfsin\n\tfstpt %0" : "=m"(result) : "m"(x) : "st");
  } else if (function == UnitFunction::cosine) {
    asm volatile("fldl %1\n\tfcos\n\tfstpt %0" : "=m"(result) : "m"(x) : "st");
  } else {
    const double magnitude = from_bits(std::bit_cast<std::uint64_t>(x) & ~(1ULL << 63));
    asm volatile("fldl %1\n\tfld1\n\tfpatan\n\tfstpt %0"
                 : "=m"(result)
                 : "m"(magnitude)
                 : "st", "st(1)");
  }
  asm volatile("fnclex\n\tfldcw %0" : : "m"(caller));
  ExtendedReal value = extended_from_unit(result);
  if (function == UnitFunction::arctangent && (std::bit_cast<std::uint64_t>(x) >> 63) != 0) {
    value.negative = true;
  }
  return value;
}
#endif

}  // namespace duopit::numerics::software::testing
