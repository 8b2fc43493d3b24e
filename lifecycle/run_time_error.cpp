// lifecycle/run_time_error.cpp — the table of every error number and text, and the writer
// that lays out one message on standard error. The message is written without checking: a
// closed or failing standard error does not change the exit status.
#include "lifecycle/run_time_error.hpp"

#include <array>
#include <cstddef>

#include "lifecycle/run_state.hpp"
#include "lifecycle/termination.hpp"

namespace duopit::lifecycle {
namespace {

// One row per error, in the order of the enumeration: an error without a row leaves the last
// row empty, and the check of the order fails.
constexpr std::array<ErrorEntry, static_cast<std::size_t>(RunTimeError::count)> error_table{{
    {RunTimeError::repeat_count_overflow, {'F', 6100}, "integer overflow in repeat count"},
    {RunTimeError::repeat_count_bad_char, {'F', 6101}, "invalid character in repeat count"},
    {RunTimeError::real_too_large, {'F', 6102}, "real value too large"},
    {RunTimeError::real_bad_syntax, {'F', 6103}, "invalid real"},
    {RunTimeError::repeat_count_two_hashes, {'F', 6302}, "more than one # in repeat count"},
    {RunTimeError::repeat_count_bad_radix, {'F', 6303}, "repeat count radix not between 2 and 36"},
    {RunTimeError::format_bad_syntax, {'F', 6311}, "syntax error in format"},
    {RunTimeError::unit_out_of_range, {'F', 6314}, "unit number outside -32767 to 32767"},
    {RunTimeError::line_too_long, {'F', 6407}, "input line longer than the 132-byte buffer"},
    {RunTimeError::open_invalid, {'F', 6412}, "file name or open request refused"},
    {RunTimeError::open_access_denied, {'F', 6414}, "access denied"},
    {RunTimeError::open_in_use, {'F', 6414}, "access denied: another run is writing the file"},
    {RunTimeError::open_exists, {'F', 6415}, "file already exists"},
    {RunTimeError::open_not_found, {'F', 6416}, "file not found"},
    {RunTimeError::open_too_many_files, {'F', 6417}, "too many open files"},
    {RunTimeError::unit_table_full, {'F', 6418}, "too many units connected"},
    {RunTimeError::unit_not_connected, {'F', 6419}, "unit not connected"},
    {RunTimeError::write_access_denied, {'F', 6421}, "write access denied"},
    {RunTimeError::write_no_space, {'F', 6422}, "no space left on device"},
    {RunTimeError::write_failed, {'F', 6423}, "write failed"},
    {RunTimeError::read_failed, {'F', 6500}, "cannot read standard input"},
    {RunTimeError::end_of_file, {'F', 6501}, "end of file encountered"},
    {RunTimeError::repeat_count_zero, {'F', 6502}, "zero repeat count"},
    {RunTimeError::repeat_count_twice, {'F', 6503}, "repeat count repeated"},
    {RunTimeError::value_not_real, {'F', 6504}, "value is not a real"},
    {RunTimeError::real_too_wide, {'F', 6602}, "real too wide for a record"},
    {RunTimeError::out_of_memory, {'F', 6700}, "out of memory for input and output"},
    {RunTimeError::trap_invalid, {'M', 6101}, "floating-point error: invalid"},
    {RunTimeError::trap_denormal, {'M', 6102}, "floating-point error: denormal"},
    {RunTimeError::trap_divide_by_zero, {'M', 6103}, "floating-point error: divide by zero"},
    {RunTimeError::trap_overflow, {'M', 6104}, "floating-point error: overflow"},
    {RunTimeError::trap_underflow, {'M', 6105}, "floating-point error: underflow"},
    {RunTimeError::trap_inexact, {'M', 6106}, "floating-point error: inexact"},
    {RunTimeError::trap_square_root, {'M', 6108}, "floating-point error: square root"},
    {RunTimeError::trap_stack_overflow, {'M', 6110}, "floating-point error: stack overflow"},
    {RunTimeError::trap_stack_underflow, {'M', 6111}, "floating-point error: stack underflow"},
    {RunTimeError::atan_domain, {'M', 6201}, "atan: DOMAIN error"},
    {RunTimeError::sin_domain, {'M', 6201}, "sin: DOMAIN error"},
    {RunTimeError::cos_domain, {'M', 6201}, "cos: DOMAIN error"},
    {RunTimeError::sin_tloss, {'M', 6205}, "sin: TLOSS error"},
    {RunTimeError::cos_tloss, {'M', 6205}, "cos: TLOSS error"},
    {RunTimeError::startup_no_resources, {'R', 6008}, "not enough resources to start the program"},
}};

constexpr bool table_in_enum_order() {
  for (std::size_t i = 0; i < error_table.size(); ++i) {
    if (static_cast<std::size_t>(error_table[i].error) != i) {
      return false;
    }
  }
  return true;
}
static_assert(table_in_enum_order());

std::string_view statement_text(Statement statement) {
  switch (statement) {
    case Statement::close:
      return ": CLOSE(";
    case Statement::write:
      return ": WRITE(";
    case Statement::open:
      return ": OPEN(";
    case Statement::read:
      return ": READ(";
    case Statement::math:
      return ": MATH\r\n- ";
    case Statement::generic:
    case Statement::startup:
      return "\r\n- ";
  }
  return "\r\n- ";
}

bool shows_file_name(Statement statement) {
  return statement != Statement::math && statement != Statement::generic &&
         statement != Statement::startup;
}

// One write call per piece, untranslated; failures are ignored on purpose.
void put_error(std::string_view piece) {
  if (!piece.empty()) {
    (void)os().write_std(platform::StdStream::error, piece.data(), piece.size());
  }
}

}  // namespace

const ErrorEntry& error_entry(RunTimeError error) {
  return error_table[static_cast<std::size_t>(error)];
}

void write_message(ErrorCode code, Statement statement, std::string_view file_name,
                   std::string_view text) {
  // "F6414": the letter and the number, always four digits.
  const std::array<char, 5> number{code.letter, static_cast<char>('0' + code.number / 1000 % 10),
                                   static_cast<char>('0' + code.number / 100 % 10),
                                   static_cast<char>('0' + code.number / 10 % 10),
                                   static_cast<char>('0' + code.number % 10)};
  put_error("\r\n");
  put_error(statement == Statement::startup ? "runtime error " : "run-time error ");
  put_error(std::string_view(number.data(), number.size()));
  put_error(statement_text(statement));
  if (shows_file_name(statement)) {
    put_error(file_name);
    put_error(text.empty() ? ")\r\n" : ")\r\n- ");
  }
  put_error(text);
  put_error("\r\n");
}

void run_time_error(RunTimeError error, Statement statement, std::string_view file_name) {
  const ErrorEntry& entry = error_entry(error);
  write_message(entry.code, statement, file_name, entry.text);
  end_after_run_time_error();
}

void fatal_startup_error(RunTimeError error) {
  const ErrorEntry& entry = error_entry(error);
  write_message(entry.code, Statement::startup, {}, entry.text);
  end_process(255);
}

}  // namespace duopit::lifecycle
