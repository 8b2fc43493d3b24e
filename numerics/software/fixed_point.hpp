// numerics/software/fixed_point.hpp — unsigned fixed-point numbers of N 64-bit limbs with two
// integer bits, the one wide-integer helper of the software elementary functions. A value v is
// held as the integer v·2^(64N−2), so every number the functions meet (below 4) fits, and a
// product keeps 64N−2 fraction bits. Operations truncate; subtraction assumes a ≥ b. Integer
// arithmetic only, constexpr, so tables can be built by the compiler. Not for 32-bit hosts:
// the 64×64→128-bit products use unsigned __int128.
#pragma once

#include <array>
#include <cstdint>

#include "numerics/software/wide_unsigned.hpp"

namespace duopit::numerics::software {

template <int N>
struct Fixed {
  static constexpr int limbs = N;
  static constexpr int bits = 64 * N;
  static constexpr int fraction_bits = bits - 2;

  std::array<std::uint64_t, N> limb{};  // limb[0] is the least significant

  friend constexpr bool operator==(const Fixed&, const Fixed&) = default;
};

template <int N>
constexpr Fixed<N> fixed_one() {
  Fixed<N> one;
  one.limb[N - 1] = std::uint64_t{1} << 62;
  return one;
}

// The two-limb numbers of the common case, as one 128-bit integer: the compiler then emits
// add-with-carry pairs and double shifts instead of a loop over limbs.
constexpr Uint128 as_integer(const Fixed<2>& a) {
  return (Uint128{a.limb[1]} << 64) | a.limb[0];
}
constexpr Fixed<2> from_integer(Uint128 v) {
  return Fixed<2>{{static_cast<std::uint64_t>(v), static_cast<std::uint64_t>(v >> 64)}};
}

template <int N>
constexpr bool is_zero(const Fixed<N>& a) {
  for (const std::uint64_t limb : a.limb) {
    if (limb != 0) {
      return false;
    }
  }
  return true;
}

template <int N>
constexpr bool less(const Fixed<N>& a, const Fixed<N>& b) {
  if constexpr (N == 2) {
    return as_integer(a) < as_integer(b);
  }
  for (int i = N - 1; i >= 0; --i) {
    if (a.limb[i] != b.limb[i]) {
      return a.limb[i] < b.limb[i];
    }
  }
  return false;
}

template <int N>
constexpr Fixed<N> add(const Fixed<N>& a, const Fixed<N>& b) {
  if constexpr (N == 2) {
    return from_integer(as_integer(a) + as_integer(b));
  }
  Fixed<N> sum;
  std::uint64_t carry = 0;
  for (int i = 0; i < N; ++i) {
    const Uint128 s = Uint128{a.limb[i]} + b.limb[i] + carry;
    sum.limb[i] = static_cast<std::uint64_t>(s);
    carry = static_cast<std::uint64_t>(s >> 64);
  }
  return sum;
}

template <int N>
constexpr Fixed<N> subtract(const Fixed<N>& a, const Fixed<N>& b) {
  if constexpr (N == 2) {
    return from_integer(as_integer(a) - as_integer(b));
  }
  Fixed<N> difference;
  std::uint64_t borrow = 0;
  for (int i = 0; i < N; ++i) {
    const Uint128 d = Uint128{a.limb[i]} - b.limb[i] - borrow;
    difference.limb[i] = static_cast<std::uint64_t>(d);
    borrow = static_cast<std::uint64_t>(d >> 64) & 1;
  }
  return difference;
}

// |a − b|, and whether a < b.
template <int N>
struct SignedFixed {
  Fixed<N> magnitude;
  bool negative = false;
};

template <int N>
constexpr SignedFixed<N> difference_of(const Fixed<N>& a, const Fixed<N>& b) {
  return less(a, b) ? SignedFixed<N>{subtract(b, a), true} : SignedFixed<N>{subtract(a, b), false};
}

// a·b, truncated to 64N−2 fraction bits: bits 64N−2 up of the 128N-bit integer product.
// Below the true product by less than one unit (five for two limbs).
template <int N>
constexpr Fixed<N> multiply(const Fixed<N>& a, const Fixed<N>& b) {
  if constexpr (N == 2) {
    // The common case, written out, and without the product of the two low limbs: it is
    // below 2^128 and so moves the result by less than 4 units (the caller's error bound
    // counts 5 units per product).
    const Uint128 cross_a = Uint128{a.limb[0]} * b.limb[1];
    const Uint128 cross_b = Uint128{a.limb[1]} * b.limb[0];
    const Uint128 high = Uint128{a.limb[1]} * b.limb[1];
    const Uint128 middle = Uint128{static_cast<std::uint64_t>(cross_a)} +
                           static_cast<std::uint64_t>(cross_b);  // product bits 64 up
    const Uint128 top = high + (cross_a >> 64) + (cross_b >> 64) + (middle >> 64);
    return from_integer((top << 2) | (static_cast<std::uint64_t>(middle) >> 62));
  }
  std::array<std::uint64_t, 2 * N> product{};
  for (int i = 0; i < N; ++i) {
    std::uint64_t carry = 0;
    for (int j = 0; j < N; ++j) {
      const Uint128 p = Uint128{a.limb[i]} * b.limb[j] + product[i + j] + carry;
      product[i + j] = static_cast<std::uint64_t>(p);
      carry = static_cast<std::uint64_t>(p >> 64);
    }
    product[i + N] = carry;
  }
  Fixed<N> result;
  for (int i = 0; i < N; ++i) {
    result.limb[i] = (product[N - 1 + i] >> 62) | (product[N + i] << 2);
  }
  return result;
}

// a·k for a small integer k; the caller keeps the product below 4.
template <int N>
constexpr Fixed<N> multiply_small(const Fixed<N>& a, std::uint64_t k) {
  Fixed<N> product;
  std::uint64_t carry = 0;
  for (int i = 0; i < N; ++i) {
    const Uint128 p = Uint128{a.limb[i]} * k + carry;
    product.limb[i] = static_cast<std::uint64_t>(p);
    carry = static_cast<std::uint64_t>(p >> 64);
  }
  return product;
}

// a/k for an integer k > 0, truncated.
template <int N>
constexpr Fixed<N> divide_small(const Fixed<N>& a, std::uint64_t k) {
  Fixed<N> quotient;
  std::uint64_t remainder = 0;
  for (int i = N - 1; i >= 0; --i) {
    const Uint128 dividend = (Uint128{remainder} << 64) | a.limb[i];
    quotient.limb[i] = static_cast<std::uint64_t>(dividend / k);
    remainder = static_cast<std::uint64_t>(dividend % k);
  }
  return quotient;
}

template <int N>
constexpr Fixed<N> shift_right(const Fixed<N>& a, int count) {
  if constexpr (N == 2) {
    return count >= 128 ? Fixed<2>{} : from_integer(as_integer(a) >> count);
  }
  Fixed<N> shifted;
  if (count >= 64 * N) {
    return shifted;
  }
  const int limbs = count / 64;
  const int bits = count % 64;
  for (int i = 0; i + limbs < N; ++i) {
    std::uint64_t limb = a.limb[i + limbs] >> bits;
    if (bits != 0 && i + limbs + 1 < N) {
      limb |= a.limb[i + limbs + 1] << (64 - bits);
    }
    shifted.limb[i] = limb;
  }
  return shifted;
}

template <int N>
constexpr Fixed<N> shift_left(const Fixed<N>& a, int count) {
  if constexpr (N == 2) {
    return count >= 128 ? Fixed<2>{} : from_integer(as_integer(a) << count);
  }
  Fixed<N> shifted;
  if (count >= 64 * N) {
    return shifted;
  }
  const int limbs = count / 64;
  const int bits = count % 64;
  for (int i = N - 1; i - limbs >= 0; --i) {
    std::uint64_t limb = a.limb[i - limbs] << bits;
    if (bits != 0 && i - limbs - 1 >= 0) {
      limb |= a.limb[i - limbs - 1] >> (64 - bits);
    }
    shifted.limb[i] = limb;
  }
  return shifted;
}

// Index of the highest set bit; −1 for zero.
template <int N>
constexpr int leading_bit(const Fixed<N>& a) {
  for (int i = N - 1; i >= 0; --i) {
    if (a.limb[i] != 0) {
      return 64 * i + 63 - __builtin_clzll(a.limb[i]);
    }
  }
  return -1;
}

// Index of the highest set bit of a nonzero 128-bit integer.
constexpr int leading_bit(Uint128 v) {
  const auto high = static_cast<std::uint64_t>(v >> 64);
  return high != 0 ? 127 - __builtin_clzll(high)
                   : 63 - __builtin_clzll(static_cast<std::uint64_t>(v));
}

// The integer v·2^-scale as a fixed-point number, truncated (v below 2^128).
template <int N>
constexpr Fixed<N> fixed_from_scaled(Uint128 v, int scale) {
  Fixed<N> integer;
  integer.limb[0] = static_cast<std::uint64_t>(v);
  if constexpr (N > 1) {
    integer.limb[1] = static_cast<std::uint64_t>(v >> 64);
  }
  const int left = Fixed<N>::fraction_bits - scale;
  return left >= 0 ? shift_left(integer, left) : shift_right(integer, -left);
}

// The top M limbs of a: the same value with 64·(N−M) fewer fraction bits.
template <int M, int N>
constexpr Fixed<M> narrow(const Fixed<N>& a) {
  static_assert(M <= N);
  Fixed<M> narrowed;
  for (int i = 0; i < M; ++i) {
    narrowed.limb[i] = a.limb[N - M + i];
  }
  return narrowed;
}

}  // namespace duopit::numerics::software
