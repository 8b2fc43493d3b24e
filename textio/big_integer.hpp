// textio/big_integer.hpp — unsigned integers of up to 72 x 32 bits, with the few operations
// that exact decimal-binary scaling needs: multiply or divide by a small factor, shift left,
// subtract, compare, read bits. Usable at compile time (the table of powers of five is built
// with it) and at run time (the exact comparison behind the last decimal digit of a real, the
// exact reading of a typed real). No allocation, no I/O.
#pragma once

#include <array>
#include <bit>
#include <cassert>
#include <cstdint>

namespace duopit::textio {

// Room for c x 5^300 x 2^1374 and m x 5^345 x 2^1316, the largest products compared, for
// 2^1024 / 5^n while the table is built, and for a typed real's 80-bit significand shifted
// up by about 900 bits to be divided by 5^347.
constexpr int big_integer_limbs = 72;

struct BigInteger {
  std::array<std::uint32_t, big_integer_limbs> limbs{};  // least significant first
  int used = 0;                                          // limbs in use; no leading zero limb
};

[[nodiscard]] constexpr BigInteger big_integer(std::uint64_t value) {
  BigInteger x;
  x.limbs[0] = static_cast<std::uint32_t>(value);
  x.limbs[1] = static_cast<std::uint32_t>(value >> 32);
  x.used = x.limbs[1] != 0 ? 2 : (x.limbs[0] != 0 ? 1 : 0);
  return x;
}

// high x 2^64 + low.
[[nodiscard]] constexpr BigInteger big_integer(std::uint64_t high, std::uint64_t low) {
  BigInteger x = big_integer(low);
  if (high != 0) {
    x.limbs[2] = static_cast<std::uint32_t>(high);
    x.limbs[3] = static_cast<std::uint32_t>(high >> 32);
    x.used = x.limbs[3] != 0 ? 4 : 3;
  }
  return x;
}

constexpr void multiply_small(BigInteger& x, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (int i = 0; i < x.used; ++i) {
    const std::uint64_t t = static_cast<std::uint64_t>(x.limbs[i]) * factor + carry;
    x.limbs[i] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  if (carry != 0) {
    assert(x.used < big_integer_limbs);
    x.limbs[x.used++] = static_cast<std::uint32_t>(carry);
  }
}

constexpr void divide_small(BigInteger& x, std::uint32_t divisor) {
  std::uint64_t remainder = 0;
  for (int i = x.used - 1; i >= 0; --i) {
    const std::uint64_t t = (remainder << 32) | x.limbs[i];
    x.limbs[i] = static_cast<std::uint32_t>(t / divisor);
    remainder = t % divisor;
  }
  while (x.used > 0 && x.limbs[x.used - 1] == 0) {
    --x.used;
  }
}

constexpr void multiply_pow5(BigInteger& x, int n) {
  constexpr std::uint32_t pow5_13 = 1220703125;  // the largest power of five below 2^32
  for (; n >= 13; n -= 13) {
    multiply_small(x, pow5_13);
  }
  std::uint32_t rest = 1;
  for (; n > 0; --n) {
    rest *= 5;
  }
  multiply_small(x, rest);
}

constexpr void shift_left(BigInteger& x, int bits) {
  if (x.used == 0 || bits == 0) {
    return;
  }
  const int whole = bits / 32;
  const int part = bits % 32;
  assert(x.used + whole + 1 <= big_integer_limbs);
  if (part != 0) {
    x.limbs[x.used] = 0;
    for (int i = x.used; i > 0; --i) {
      x.limbs[i] = (x.limbs[i] << part) | (x.limbs[i - 1] >> (32 - part));
    }
    x.limbs[0] <<= part;
    ++x.used;
  }
  for (int i = x.used - 1; i >= 0; --i) {
    x.limbs[i + whole] = x.limbs[i];
  }
  for (int i = 0; i < whole; ++i) {
    x.limbs[i] = 0;
  }
  x.used += whole;
  while (x.used > 0 && x.limbs[x.used - 1] == 0) {
    --x.used;
  }
}

// x - y, for x >= y.
constexpr void subtract(BigInteger& x, const BigInteger& y) {
  assert(x.used >= y.used);
  std::uint64_t borrow = 0;
  for (int i = 0; i < x.used; ++i) {
    const std::uint64_t subtrahend = (i < y.used ? y.limbs[i] : 0) + borrow;
    borrow = x.limbs[i] < subtrahend ? 1 : 0;
    x.limbs[i] = static_cast<std::uint32_t>(x.limbs[i] - subtrahend);
  }
  assert(borrow == 0);
  while (x.used > 0 && x.limbs[x.used - 1] == 0) {
    --x.used;
  }
}

[[nodiscard]] constexpr int compare(const BigInteger& a, const BigInteger& b) {
  if (a.used != b.used) {
    return a.used < b.used ? -1 : 1;
  }
  for (int i = a.used - 1; i >= 0; --i) {
    if (a.limbs[i] != b.limbs[i]) {
      return a.limbs[i] < b.limbs[i] ? -1 : 1;
    }
  }
  return 0;
}

[[nodiscard]] constexpr int bit_length(const BigInteger& x) {
  return x.used == 0 ? 0 : 32 * (x.used - 1) + std::bit_width(x.limbs[x.used - 1]);
}

// Bits [pos, pos + 32) of x; bits below 0 read as zero.
[[nodiscard]] constexpr std::uint32_t bits_at(const BigInteger& x, int pos) {
  std::uint64_t window = 0;
  for (int b = 1; b >= 0; --b) {
    const int limb = (pos >> 5) + b;
    window <<= 32;
    if (limb >= 0 && limb < x.used) {
      window |= x.limbs[limb];
    }
  }
  const int offset = pos & 31;  // pos >> 5 floors, so the offset is always 0..31
  return static_cast<std::uint32_t>(window >> offset);
}

// Is any of the bits [0, count) of x set?
[[nodiscard]] constexpr bool any_bit_below(const BigInteger& x, int count) {
  for (int limb = 0; limb < x.used && 32 * limb < count; ++limb) {
    const int bits = count - 32 * limb;
    const std::uint32_t mask = bits >= 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << bits) - 1;
    if ((x.limbs[limb] & mask) != 0) {
      return true;
    }
  }
  return false;
}

}  // namespace duopit::textio
