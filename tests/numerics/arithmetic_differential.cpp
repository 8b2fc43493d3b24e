// tests/numerics/arithmetic_differential.cpp — operand drawing and comparison for the
// differential run of the software arithmetic against the x87 unit. The draws lean towards
// the cases where an implementation goes wrong: every exponent of both formats, denormals,
// signed zeros, infinities, quiet and signalling NaNs, the formats the unit refuses, exact
// ties at the 53rd bit, near-cancellation, and results just inside and outside the normal
// and overflow thresholds of both formats.
#include "numerics/arithmetic_differential.hpp"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <type_traits>
#include <utility>

#include "numerics/software/extended_arithmetic.hpp"
#include "numerics/uint128.hpp"
#include "numerics/x87_reference.hpp"

namespace duopit::arithmetic_differential {
namespace {

namespace software = numerics::software;
using numerics::run_control_masks;
using numerics::trap_kind;
using software::ExtendedReal;
using x87_reference::Operation;

constexpr int bias = ExtendedReal::exponent_bias;
constexpr std::uint64_t integer_bit = std::uint64_t{1} << 63;
constexpr std::uint64_t quiet_bit = std::uint64_t{1} << 62;
constexpr std::uint64_t dropped_mask = 0x7FF;  // the 11 bits below a 53-bit significand
constexpr int real_bias = 1023;

class Draw {
 public:
  explicit Draw(std::uint64_t seed) : engine_(seed) {}

  std::uint64_t bits() { return engine_(); }
  // An integer in [low, high].
  int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }
  bool chance(int percent) { return between(0, 99) < percent; }
  bool sign() { return (bits() & 1) != 0; }

 private:
  std::mt19937_64 engine_;
};

// A significand with bit 63 set and `significant` bits, the last one set.
std::uint64_t short_significand(Draw& draw, int significant) {
  if (significant <= 1) {
    return integer_bit;
  }
  const std::uint64_t odd = draw.bits() | 1;
  return integer_bit | ((odd << (64 - significant)) >> 1);
}

std::uint64_t normal_significand(Draw& draw) {
  switch (draw.between(0, 3)) {
    case 0: return integer_bit | (draw.bits() & ~dropped_mask);  // a 53-bit result
    case 1: return short_significand(draw, draw.between(1, 64));
    case 2: return integer_bit | (draw.bits() >> draw.between(1, 63)) << draw.between(0, 8);
    default: return integer_bit | draw.bits();
  }
}

// A NaN payload, quiet or signalling (signalling never with an empty payload).
std::uint64_t nan_significand(Draw& draw, bool signalling) {
  std::uint64_t fraction = draw.bits() >> draw.between(2, 62);
  if (signalling && fraction == 0) {
    fraction = 1;
  }
  return integer_bit | (signalling ? fraction : fraction | quiet_bit);
}

ExtendedReal special_extended(Draw& draw) {
  const bool negative = draw.sign();
  switch (draw.between(0, 6)) {
    case 0: return {negative, 0, 0};
    case 1: return {negative, ExtendedReal::exponent_special, integer_bit};
    case 2: return {negative, ExtendedReal::exponent_special, nan_significand(draw, false)};
    case 3: return {negative, ExtendedReal::exponent_special, nan_significand(draw, true)};
    case 4: return {negative, draw.between(1, 0x7FFE), (draw.bits() >> 1) >> draw.between(0, 63)};
    case 5: return {negative, ExtendedReal::exponent_special, draw.bits() >> 1};
    default: return {negative, 0, integer_bit | draw.bits()};  // pseudo-denormal
  }
}

ExtendedReal random_extended(Draw& draw) {
  const bool negative = draw.sign();
  const int choice = draw.between(0, 99);
  if (choice < 30) {
    return {negative, draw.between(1, 0x7FFE), normal_significand(draw)};
  }
  if (choice < 60) {  // the 64-bit real's range and just beyond it
    return {negative, bias + draw.between(-1100, 1100), normal_significand(draw)};
  }
  if (choice < 75) {  // near the ends of the extended range
    const int offset = draw.between(1, 130);
    return {negative, draw.sign() ? offset : 0x7FFF - offset, normal_significand(draw)};
  }
  if (choice < 85) {
    return {negative, bias + draw.between(-70, 70), normal_significand(draw)};
  }
  if (choice < 92) {
    return {negative, 0, (draw.bits() >> 1) >> draw.between(0, 63)};  // denormal or zero
  }
  return special_extended(draw);
}

double real_from(std::uint64_t bits) { return std::bit_cast<double>(bits); }

double random_real(Draw& draw) {
  const std::uint64_t sign = draw.sign() ? integer_bit : 0;
  const std::uint64_t fraction = draw.bits() >> 12;
  const auto with_exponent = [&](int biased) {
    return real_from(sign | static_cast<std::uint64_t>(biased) << 52 | fraction);
  };
  switch (draw.between(0, 9)) {
    case 0: return real_from(draw.bits());
    case 1: return real_from(sign | fraction >> draw.between(0, 52));  // subnormal or zero
    case 2: return with_exponent(draw.between(1, 60));
    case 3: return with_exponent(draw.between(1987, 2046));
    case 4: return real_from(sign | (0x7FFull << 52) | (draw.sign() ? 0 : fraction));
    case 5: return real_from(sign | (0x7FFull << 52) | (std::uint64_t{1} << 51) | fraction);
    case 6: {
      const std::uint64_t trimmed = fraction >> draw.between(0, 52) << draw.between(0, 52);
      return real_from(sign | static_cast<std::uint64_t>(real_bias + draw.between(-40, 40)) << 52 |
                       (trimmed & ((std::uint64_t{1} << 52) - 1)));
    }
    default: return with_exponent(real_bias + draw.between(-200, 200));
  }
}

ExtendedReal widen(double x) { return software::from_real(x).value; }

// b close to a: the same or a neighbouring exponent and a significand differing in low bits,
// so a − b (or a + (−b)) cancels most of the significand.
ExtendedReal near_cancelling(Draw& draw, ExtendedReal a) {
  ExtendedReal b = a;
  b.negative = draw.sign();
  b.exponent = std::max(1, std::min(0x7FFE, a.exponent + draw.between(-1, 1)));
  b.significand ^= (draw.bits() >> draw.between(0, 63)) & ~integer_bit;
  return b;
}

// A pair whose exact sum falls midway between two 53-bit significands: a has 53 bits and b is
// half its last bit, or a multiple of that half that still ties.
std::pair<ExtendedReal, ExtendedReal> tie_for_addition(Draw& draw) {
  const int exponent = draw.chance(80) ? bias + draw.between(-60, 60) : draw.between(1, 0x7FFE);
  const ExtendedReal a{draw.sign(), exponent, integer_bit | (draw.bits() & ~dropped_mask)};
  const int below = 53 + draw.between(-1, 1);
  const ExtendedReal b{draw.sign(), std::max(0, exponent - below), integer_bit};
  return {a, b};
}

// Odd integers of p and q bits with p + q = 54 or 55: their product often has exactly 54
// significant bits, a tie at the 53rd.
std::pair<ExtendedReal, ExtendedReal> tie_for_multiplication(Draw& draw) {
  const int p = draw.between(1, 53);
  const int q = std::min(64, draw.between(54, 55) - p);
  const int ea = draw.chance(80) ? bias + draw.between(-60, 60) : draw.between(1, 0x7FFE);
  const int eb = draw.chance(80) ? bias + draw.between(-60, 60) : draw.between(1, 0x7FFE);
  return {{draw.sign(), ea, short_significand(draw, p)},
          {draw.sign(), eb, short_significand(draw, q)}};
}

// b of at most 10 bits and a = b × q for a 54-bit odd q: the quotient a/b ties at bit 53.
std::pair<ExtendedReal, ExtendedReal> tie_for_division(Draw& draw) {
  const std::uint64_t divisor = (draw.bits() >> 54) | 1;  // 1..1023, odd
  const std::uint64_t quotient = (draw.bits() >> 10) | (std::uint64_t{1} << 53) | 1;
  const std::uint64_t dividend = divisor * quotient;  // below 2^64
  const int a_shift = std::countl_zero(dividend);
  const int b_shift = std::countl_zero(divisor);
  const int eb = draw.chance(80) ? bias + draw.between(-60, 60) : draw.between(1, 0x7FFE);
  const int ea = std::max(1, std::min(0x7FFE, eb + (b_shift - a_shift) + draw.between(-3, 3)));
  return {{draw.sign(), ea, dividend << a_shift}, {draw.sign(), eb, divisor << b_shift}};
}

// A significand of all ones above a few zeros: 1 − small, which rounds up to 1 at 53 bits
// when the zeros are 11 or more.
std::uint64_t just_below_one(Draw& draw) { return ~std::uint64_t{0} << draw.between(0, 63); }

// a near the smallest normal and b near 1 (or a small denormal), or a near the largest and
// b near 1 or 2, so the result lands on either side of the extended range's ends, including
// results that are tiny only before rounding.
std::pair<ExtendedReal, ExtendedReal> near_range_end(Draw& draw) {
  const bool low = draw.sign();
  ExtendedReal a{draw.sign(), low ? draw.between(0, 3) : draw.between(0x7FFC, 0x7FFE),
                 integer_bit | draw.bits()};
  if (draw.sign()) {
    a.significand = draw.sign() ? integer_bit : just_below_one(draw);
  }
  if (a.exponent == 0) {
    a.significand >>= draw.between(1, 12);
  }
  const int eb = low ? bias - draw.between(0, 66) : bias + draw.between(-1, 1);
  ExtendedReal b{draw.sign(), eb, draw.sign() ? integer_bit | draw.bits() : just_below_one(draw)};
  if (low && draw.chance(25)) {
    b = {draw.sign(), 0, (draw.bits() >> 1) >> draw.between(0, 63)};
  }
  return {a, b};
}

// An exact result just below the smallest normal extended value, often by less than half a
// 53-bit step, so that it is tiny before rounding and not after.
std::pair<ExtendedReal, ExtendedReal> just_below_smallest_normal(Draw& draw, Operation operation) {
  const int j = draw.between(0, 3);
  const bool negative = draw.sign();
  const ExtendedReal a{negative, 1 + j, integer_bit};
  const std::uint64_t small = draw.bits() >> draw.between(40, 63);
  switch (operation) {
    case Operation::add:
      return {{negative, 1, integer_bit}, {!negative, 0, small}};
    case Operation::sub:
      return {{negative, 1, integer_bit}, {negative, 0, small}};
    case Operation::mul:
      return {a, {draw.sign(), bias - j - 1, just_below_one(draw)}};
    case Operation::div:
      return {a, {draw.sign(), bias + j, integer_bit | small}};
  }
  return {a, a};
}

// Pairs of special values, often one and its negation (two NaNs of equal significand).
std::pair<ExtendedReal, ExtendedReal> special_pair(Draw& draw) {
  const ExtendedReal a = special_extended(draw);
  if (draw.sign()) {
    return {a, {!a.negative, a.exponent, a.significand}};
  }
  return {a, draw.sign() ? special_extended(draw) : random_extended(draw)};
}

std::pair<ExtendedReal, ExtendedReal> extended_pair(Draw& draw, Operation operation) {
  switch (draw.between(0, 11)) {
    case 0: {
      const ExtendedReal a = random_extended(draw);
      return {a, near_cancelling(draw, a)};
    }
    case 1:
      switch (operation) {
        case Operation::add:
        case Operation::sub: return tie_for_addition(draw);
        case Operation::mul: return tie_for_multiplication(draw);
        case Operation::div: return tie_for_division(draw);
      }
      break;
    case 2: return near_range_end(draw);
    case 3: return special_pair(draw);
    case 4: return just_below_smallest_normal(draw, operation);
    default: break;
  }
  return {random_extended(draw), random_extended(draw)};
}

std::string describe(ExtendedReal x) {
  char text[32];
  std::snprintf(text, sizeof text, "%c%04X:%016llX", x.negative ? '-' : '+',
                static_cast<unsigned>(x.exponent), static_cast<unsigned long long>(x.significand));
  return text;
}

std::string describe(double x) {
  char text[24];
  std::snprintf(text, sizeof text, "%016llX",
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(x)));
  return text;
}

template <typename A, typename B>
std::string describe_operation(Check check, A a, B b) {
  return std::string(check_names[static_cast<std::size_t>(check)]) + "(" + describe(a) + ", " +
         describe(b) + ")";
}

std::string describe_outcome(const char* who, ExtendedReal value, std::uint16_t flags) {
  char text[64];
  std::snprintf(text, sizeof text, " %s %s flags %02X", who, describe(value).c_str(), flags);
  return text;
}

software::Outcome model_operation(Operation operation, ExtendedReal a, ExtendedReal b) {
  switch (operation) {
    case Operation::add: return software::add(a, b);
    case Operation::sub: return software::sub(a, b);
    case Operation::mul: return software::mul(a, b);
    case Operation::div: return software::div(a, b);
  }
  return {};
}

// The model of the program's sequence: each operand loaded (a 64-bit real through the load,
// with its flags), then the operation.
template <typename T>
software::Outcome model_load(T x) {
  if constexpr (std::is_same_v<T, double>) {
    return software::from_real(x);
  } else {
    return {x, 0};
  }
}

template <typename A, typename B>
software::Outcome model_sequence(Operation operation, A a, B b) {
  const software::Outcome la = model_load(a);
  const software::Outcome lb = model_load(b);
  software::Outcome result = model_operation(operation, la.value, lb.value);
  result.flags |= la.flags | lb.flags;
  return result;
}

class Comparison {
 public:
  Comparison(Tally& tally, const MismatchReport& report) : tally_(tally), report_(report) {}

  template <typename A, typename B>
  void operation(Check check, A a, B b) {
    const auto operation = static_cast<Operation>(check);
    const x87_reference::UnitResult unit = x87_reference::operate(operation, a, b);
    const software::Outcome model = model_sequence(operation, a, b);
    count(check, unit.value == model.value && unit.flags == model.flags, [&] {
      return describe_operation(check, a, b) + describe_outcome("unit", unit.value, unit.flags) +
             describe_outcome("model", model.value, model.flags);
    });
  }

  // The operation on the widened operands under the run's traps: the unit's trap is the
  // model's first trap, and with none the values agree.
  void trapping_operation(Check check, ExtendedReal a, ExtendedReal b) {
    const auto operation = static_cast<Operation>(check);
    const x87_reference::UnitTrapResult unit =
        x87_reference::operate_under_run_traps(operation, a, b);
    const software::Outcome model = model_operation(operation, a, b);
    const auto trap = trap_kind(model.flags, run_control_masks);
    ++tally_.trap_checks;
    count(check, trap_kind(unit.trapped, run_control_masks) == trap &&
                     (trap.has_value() || unit.value == model.value), [&] {
      return "trapping " + describe_operation(check, a, b) + " unit trapped " +
             std::to_string(unit.trapped) + describe_outcome("model", model.value, model.flags);
    });
  }

  void store(ExtendedReal x) {
    const x87_reference::UnitRealResult unit = x87_reference::store_real(x);
    const software::RealOutcome model = software::to_real(x);
    const auto model_bits = std::bit_cast<std::uint64_t>(model.value);
    count(Check::store, unit.bits == model_bits && unit.flags == model.flags, [&] {
      char text[96];
      std::snprintf(text, sizeof text, " unit %016llX flags %02X model %016llX flags %02X",
                    static_cast<unsigned long long>(unit.bits), unit.flags,
                    static_cast<unsigned long long>(model_bits), model.flags);
      return "store(" + describe(x) + ")" + text;
    });
  }

  void trapping_store(ExtendedReal x) {
    const x87_reference::UnitTrapResult unit = x87_reference::store_under_run_traps(x);
    const software::RealOutcome model = software::to_real(x);
    const auto trap = trap_kind(model.flags, run_control_masks);
    const bool same_bits = unit.value.significand == std::bit_cast<std::uint64_t>(model.value);
    ++tally_.trap_checks;
    count(Check::store, trap_kind(unit.trapped, run_control_masks) == trap &&
                            (trap.has_value() || same_bits), [&] {
      return "trapping store(" + describe(x) + ") unit trapped " + std::to_string(unit.trapped);
    });
  }

 private:
  template <typename Describe>
  void count(Check check, bool agreed, Describe describe_mismatch) {
    const auto index = static_cast<std::size_t>(check);
    ++tally_.compared[index];
    if (!agreed) {
      ++tally_.mismatched[index];
      report_(describe_mismatch());
    }
  }

  Tally& tally_;
  const MismatchReport& report_;
};

void compare_operation(Draw& draw, Comparison& comparison, Check check) {
  const auto operation = static_cast<Operation>(check);
  const int form = draw.between(0, 7);
  if (form < 2) {
    comparison.operation(check, random_real(draw), random_real(draw));
  } else if (form == 2) {
    comparison.operation(check, random_real(draw), extended_pair(draw, operation).second);
  } else if (form == 3) {
    comparison.operation(check, extended_pair(draw, operation).first, random_real(draw));
  } else {
    const auto [a, b] = extended_pair(draw, operation);
    comparison.operation(check, a, b);
    if (draw.chance(10)) {
      comparison.trapping_operation(check, a, b);
    }
  }
}

// An extended value whose store is delicate: the results of the operations, values about the
// 64-bit real's smallest normal, subnormal and largest values, and ties at the 53rd bit.
ExtendedReal value_to_store(Draw& draw) {
  const bool negative = draw.sign();
  switch (draw.between(0, 8)) {
    case 0: {
      const auto operation = static_cast<Operation>(draw.between(0, 3));
      const auto [a, b] = extended_pair(draw, operation);
      return x87_reference::operate(operation, a, b).value;
    }
    case 1: return {negative, bias - real_bias - draw.between(-2, 56), normal_significand(draw)};
    case 2: return {negative, bias + real_bias, ~std::uint64_t{0} << draw.between(0, 12)};
    case 3: return {negative, bias + real_bias + draw.between(-1, 1), integer_bit | draw.bits()};
    case 4: {
      const std::uint64_t tie = integer_bit | (draw.bits() & ~dropped_mask) | 0x400;
      return {negative, bias + draw.between(-1080, 1030), tie};
    }
    case 5: return widen(random_real(draw));
    case 6: return {negative, bias - real_bias - draw.between(0, 1), just_below_one(draw)};
    default: return random_extended(draw);
  }
}

}  // namespace

std::uint64_t Tally::total_mismatched() const {
  std::uint64_t total = 0;
  for (const std::uint64_t m : mismatched) {
    total += m;
  }
  return total;
}

Tally run_differential(std::uint64_t seed, std::uint64_t count, const MismatchReport& report) {
  Tally tally;
  Comparison comparison(tally, report);
  Draw draw(seed);
  for (std::uint64_t i = 0; i < count; ++i) {
    for (const Check check : {Check::add, Check::sub, Check::mul, Check::div}) {
      compare_operation(draw, comparison, check);
    }
    const ExtendedReal x = value_to_store(draw);
    comparison.store(x);
    if (draw.chance(10)) {
      comparison.trapping_store(x);
    }
  }
  return tally;
}

std::uint64_t seed_from_environment(const char* name) {
  if (const char* text = std::getenv(name); text != nullptr && *text != '\0') {
    return std::strtoull(text, nullptr, 0);
  }
  std::random_device device;
  return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

}  // namespace duopit::arithmetic_differential
