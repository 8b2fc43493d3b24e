// fuzz/fuzz_read_real.cpp — libFuzzer target for the typed-input reader. The first line of
// each input after its first byte is
//   1. a value text for convert_real, checked against a separate recogniser of the accepted
//      syntax and the C library's correctly rounded strtod (C locale) of the same number;
//   2. a repeat count text for parse_repeat_count, checked against strtoll where the text is
//      a plain count;
// and the whole input is
//   3. console input for a read statement of up to three items (the first byte picks terminal
//      or file, the console line state and the size of the pieces a read returns), checked for
//      the buffer invariants and, for input made only of values, blanks and line ends,
//      against a simple scan of the first value.
// Any disagreement aborts.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <utility>

#include "textio/convert_real.hpp"
#include "textio/fake_console.hpp"
#include "textio/read_statement.hpp"
#include "textio/repeat_count.hpp"

namespace {

using duopit::textio::ReadStatus;

[[noreturn]] void mismatch(const char* what, std::string_view input) {
  std::fprintf(stderr, "mismatch: %s\ninput (%zu bytes): \"", what, input.size());
  for (const char c : input) {
    std::fprintf(stderr, c >= ' ' && c < 127 && c != '"' ? "%c" : "\\x%02x",
                 static_cast<unsigned char>(c));
  }
  std::fprintf(stderr, "\"\n");
  std::abort();
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::uint64_t bits_of(double x) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

// --- 1. Conversion -------------------------------------------------------------------------

// The longest prefix of `text` that is a number, rewritten for strtod: exponent letter "e",
// digits after the 24th significant one replaced by zeros, the exponent's size capped at 5201.
struct ReferenceNumber {
  bool found = false;
  std::size_t end = 0;
  std::string decimal;
};

ReferenceNumber reference_number(std::string_view text) {
  ReferenceNumber ref;
  std::size_t i = 0;
  std::string out;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    out += text[i++];
  }
  std::size_t digits = 0;
  std::size_t significant = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
      out += c;
      continue;
    }
    if (!is_digit(c)) {
      break;
    }
    ++digits;
    if (significant > 0 || c != '0') {
      ++significant;
    }
    out += significant > 24 ? '0' : c;
  }
  if (digits == 0) {
    return ref;
  }
  ref.found = true;
  ref.end = i;
  // Exponent: letter [sign] digits, or sign digits.
  std::size_t k = i;
  const bool letter =
      k < text.size() && (text[k] == 'e' || text[k] == 'E' || text[k] == 'd' || text[k] == 'D');
  if (letter) {
    ++k;
  }
  char sign = '+';
  const bool has_sign = k < text.size() && (text[k] == '+' || text[k] == '-');
  if (has_sign) {
    sign = text[k++];
  }
  if ((letter || has_sign) && k < text.size() && is_digit(text[k])) {
    long size = 0;
    for (; k < text.size() && is_digit(text[k]); ++k) {
      size = size > 5200 ? size : size * 10 + (text[k] - '0');
    }
    size = size > 5200 ? 5201 : size;
    out += 'e';
    out += sign;
    out += std::to_string(size);
    ref.end = k;
  }
  ref.decimal = out;
  return ref;
}

void check_conversion(std::string_view text) {
  const duopit::textio::Converted got = duopit::textio::convert_real(text);
  const ReferenceNumber ref = reference_number(text);
  if (!ref.found) {
    if (got.status != ReadStatus::bad_syntax) {
      mismatch("convert_real accepted a text without a number", text);
    }
    return;
  }
  errno = 0;
  const double expected = std::strtod(ref.decimal.c_str(), nullptr);
  const bool overflow = errno == ERANGE && std::isinf(expected);
  if (overflow) {
    if (got.status != ReadStatus::too_large) {
      mismatch("convert_real missed a value too large", text);
    }
    return;
  }
  if (ref.end != text.size()) {
    if (got.status != ReadStatus::bad_syntax) {
      mismatch("convert_real accepted characters after the number", text);
    }
    return;
  }
  if (got.status != ReadStatus::ok) {
    mismatch("convert_real refused a number", text);
  }
  if (bits_of(got.value) != bits_of(expected)) {
    mismatch("convert_real differs from strtod", text);
  }
}

// --- 2. Repeat counts ----------------------------------------------------------------------

int digit_in(char c, int radix) {
  int value = 99;
  if (is_digit(c)) {
    value = c - '0';
  } else if (c >= 'a' && c <= 'z') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'Z') {
    value = c - 'A' + 10;
  }
  return value < radix ? value : -1;
}

void check_repeat_count(std::string_view text) {
  const duopit::textio::RepeatCount got = duopit::textio::parse_repeat_count(text);
  std::string_view body = text;
  const bool negative = !body.empty() && body[0] == '-';
  if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
    body.remove_prefix(1);
  }
  const std::size_t hash = body.find('#');
  if (hash != std::string_view::npos && body.find('#', hash + 1) != std::string_view::npos) {
    return;  // a second "#": refused, possibly for an earlier character
  }
  int radix = 10;
  std::string_view digits = body;
  if (hash != std::string_view::npos) {
    const std::string_view radix_text = body.substr(0, hash);
    if (radix_text.size() > 3) {
      return;
    }
    radix = 16;
    if (!radix_text.empty()) {
      radix = 0;
      for (const char c : radix_text) {
        if (!is_digit(c)) {
          return;
        }
        radix = radix * 10 + (c - '0');
      }
    }
    if (radix < 2 || radix > 36) {
      if (got.status != ReadStatus::repeat_bad_radix) {
        mismatch("parse_repeat_count took a radix outside 2 to 36", text);
      }
      return;
    }
    digits = body.substr(hash + 1);
  }
  for (const char c : digits) {
    if (digit_in(c, radix) < 0) {
      if (got.status != ReadStatus::repeat_bad_char) {
        mismatch("parse_repeat_count took a character outside its radix", text);
      }
      return;
    }
  }
  if (digits.size() > 12) {
    return;  // beyond strtoll's reach in the larger radixes
  }
  const std::string magnitude_text(digits);
  const long long magnitude =
      magnitude_text.empty() ? 0 : std::strtoll(magnitude_text.c_str(), nullptr, radix);
  const long long value = negative ? -magnitude : magnitude;
  const bool in_range = value >= INT32_MIN && value <= INT32_MAX;
  if (in_range != (got.status == ReadStatus::ok) ||
      (!in_range && got.status != ReadStatus::repeat_overflow) ||
      (in_range && got.value != value)) {
    mismatch("parse_repeat_count differs from strtoll", text);
  }
}

// --- 3. The read statement -----------------------------------------------------------------

duopit::testing::FakeConsole make_port(bool terminal, std::size_t piece, std::string_view bytes) {
  if (!terminal) {
    return duopit::testing::FakeConsole::stream(std::string(bytes), piece);
  }
  std::deque<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t lf = bytes.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf + 1;
    lines.emplace_back(bytes.substr(start, end - start));
    start = end;
  }
  return duopit::testing::FakeConsole::terminal(std::move(lines));
}

void check_unit(const duopit::lifecycle::ConsoleUnit& unit, std::string_view input) {
  if (!unit.input_in_bounds()) {
    mismatch("buffer indices out of range", input);
  }
}

// Input made only of digits, signs, points, letters, blanks, tabs and LFs: the first value is
// the first run of other characters, and the read's result is convert_real's.
bool simple_input(std::string_view bytes) {
  for (const char c : bytes) {
    if (std::strchr("*'\"(),/\r\x1a", c) != nullptr || c == '\0') {
      return false;
    }
  }
  return true;
}

void check_simple_read(std::string_view bytes, ReadStatus status, double value,
                       std::string_view input) {
  std::size_t start = bytes.find_first_not_of(" \t\n");
  if (start == std::string_view::npos) {
    if (status != ReadStatus::end_of_file) {
      mismatch("input without a value did not end in end of file", input);
    }
    return;
  }
  const std::size_t end = std::min(bytes.find_first_of(" \t\n", start), bytes.size());
  const std::string_view token = bytes.substr(start, end - start);
  ReadStatus expected = ReadStatus::ok;
  double expected_value = 1.0;
  if (token.size() > duopit::textio::max_value_length) {
    expected = ReadStatus::bad_syntax;
  } else {
    const duopit::textio::Converted converted = duopit::textio::convert_real(token);
    expected = converted.status;
    expected_value = converted.status == ReadStatus::ok ? converted.value : 1.0;
  }
  if (status != expected || bits_of(value) != bits_of(expected_value)) {
    mismatch("the read differs from the first value of simple input", input);
  }
}

void check_read_statement(std::string_view input) {
  if (input.empty()) {
    return;
  }
  const auto mode = static_cast<unsigned char>(input[0]);
  const std::string_view bytes = input.substr(1);
  const bool terminal = (mode & 1) != 0;
  const std::size_t piece = 1 + (mode >> 3) * 132 / 32;
  duopit::lifecycle::ConsoleUnit unit =
      duopit::testing::console_unit_with_line((mode & 2) != 0, (mode & 4) != 0);
  const bool was_open = unit.line_open();
  const bool continued = unit.line_continues();
  duopit::testing::FakeConsole port = make_port(terminal, piece, bytes);
  duopit::textio::ReadStatement statement(unit, port);
  ReadStatus status = ReadStatus::ok;
  for (int item = 0; item < 3 && status == ReadStatus::ok; ++item) {
    double value = 1.0;
    status = statement.read_real(value);
    check_unit(unit, input);
    if (item == 0 && !terminal && simple_input(bytes)) {
      check_simple_read(bytes, status, value, input);
    }
  }
  if (status == ReadStatus::ok) {
    status = statement.finish();
    check_unit(unit, input);
    if (status == ReadStatus::ok && unit.line_open()) {
      mismatch("a finished read left the console line open", input);
    }
  }
  if (port.written != (was_open && !continued ? "\r\n" : "")) {
    mismatch("wrong bytes written before the read", input);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first line after the mode byte is also the value text and the repeat count text.
  const std::string_view line = input.substr(std::min<std::size_t>(1, size));
  const std::string_view text = line.substr(0, line.find('\n'));
  check_conversion(text);
  check_repeat_count(text);
  check_read_statement(input);
  return 0;
}
