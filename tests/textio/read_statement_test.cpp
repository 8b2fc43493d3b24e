// tests/textio/read_statement_test.cpp — the console read: typed lines and redirected input,
// separators, null values and repeat counts, the refill rules of the 132-byte buffer, the
// disposal of the rest of the line, the console line state, and the run-time errors that
// the program's statement raises.
#include "textio/read_statement.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lifecycle/console.hpp"
#include "support/run_environment.hpp"
#include "textio/fake_console.hpp"

namespace duopit::textio {
namespace {

using testing::FakeConsole;

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

constexpr double untouched = 1.0;  // every destination holds 1.0 before the read

struct Outcome {
  ReadStatus status;
  double value;
};

// One statement with one item, as the program makes it; finish runs only after a good read.
Outcome read_one(lifecycle::ConsoleUnit& unit, FakeConsole& port) {
  ReadStatement statement(unit, port);
  double value = untouched;
  ReadStatus status = statement.read_real(value);
  if (status == ReadStatus::ok) {
    status = statement.finish();
  }
  return {status, value};
}

// The console after the prompt: output left the line open under the backslash.
lifecycle::ConsoleUnit after_prompt() { return testing::console_unit_with_line(true, true); }

struct Line {
  const char* typed;
  ReadStatus status;
  double value;
};

// One line typed at the terminal and ended with Enter.
const Line lines[] = {
    {"12.5", ReadStatus::ok, 12.5},
    {"   12.5   ", ReadStatus::ok, 12.5},
    {"\t12.5", ReadStatus::ok, 12.5},
    {"12,5", ReadStatus::ok, 12.0},
    {"12.5 7", ReadStatus::ok, 12.5},
    {"12.5/", ReadStatus::ok, 12.5},
    {" 1.25D1", ReadStatus::ok, 12.5},
    {"1.25d+1", ReadStatus::ok, 12.5},
    {"1.25E1", ReadStatus::ok, 12.5},
    {"125-1", ReadStatus::ok, 12.5},
    {"1.5+2", ReadStatus::ok, 150.0},
    {"7", ReadStatus::ok, 7.0},
    {"+7", ReadStatus::ok, 7.0},
    {"7.", ReadStatus::ok, 7.0},
    {".5", ReadStatus::ok, 0.5},
    {"-.5", ReadStatus::ok, -0.5},
    {"007.50", ReadStatus::ok, 7.5},
    {"-0", ReadStatus::ok, -0.0},
    {"0e9999", ReadStatus::ok, 0.0},
    {"1e-400", ReadStatus::ok, 0.0},
    {"1e-310", ReadStatus::ok, 1e-310},
    {"1e400", ReadStatus::too_large, untouched},
    {"1.8e308", ReadStatus::too_large, untouched},
    {"1e99999", ReadStatus::too_large, untouched},
    {",", ReadStatus::ok, untouched},
    {"  ,  12.5", ReadStatus::ok, untouched},
    {"/", ReadStatus::ok, untouched},
    {"2*3.0", ReadStatus::ok, 3.0},
    {"3* 5", ReadStatus::ok, untouched},
    {"0*5", ReadStatus::repeat_zero, untouched},
    {"*5", ReadStatus::repeat_zero, untouched},
    {"2*3*4", ReadStatus::repeat_twice, untouched},
    {"x*5", ReadStatus::repeat_bad_char, untouched},
    {"abc", ReadStatus::bad_syntax, untouched},
    {"-", ReadStatus::bad_syntax, untouched},
    {"- 5", ReadStatus::bad_syntax, untouched},
    {"1.5.2", ReadStatus::bad_syntax, untouched},
    {"1.5E", ReadStatus::bad_syntax, untouched},
    {"1.5Q2", ReadStatus::bad_syntax, untouched},
    {"1.5 E2", ReadStatus::ok, 1.5},
    {"12;5", ReadStatus::bad_syntax, untouched},
    {"1e400x", ReadStatus::too_large, untouched},
    {"'12.5'", ReadStatus::not_a_real, untouched},
    {"(1,2)", ReadStatus::not_a_real, untouched},
    // Repeat counts in a radix, and their refusals.
    {"16#A*5", ReadStatus::ok, 5.0},
    {"#10* 5", ReadStatus::ok, untouched},
    {"2#12*5", ReadStatus::repeat_bad_char, untouched},
    {"2#1#1*5", ReadStatus::repeat_two_hashes, untouched},
    {"37#1*5", ReadStatus::repeat_bad_radix, untouched},
    {"99999999999*5", ReadStatus::repeat_overflow, untouched},
    // A count of one is still a count: a second one is refused, a blank after it is null.
    {"1*2*3", ReadStatus::repeat_twice, untouched},
    {"1* 5", ReadStatus::ok, untouched},
    {"1*5", ReadStatus::ok, 5.0},
    {"-2*5", ReadStatus::ok, 5.0},  // a negative count acts as a very large one
    // A count right before the line end stands for null values; no further line is read.
    {"2*", ReadStatus::ok, untouched},
    // Empty quotes and parentheses are null values; filled ones are never reals.
    {"''", ReadStatus::ok, untouched},
    {"()", ReadStatus::ok, untouched},
    {"( 1.5 )", ReadStatus::not_a_real, untouched},
    {"'it''s'", ReadStatus::not_a_real, untouched},
    {"\"12\"", ReadStatus::not_a_real, untouched},
    {"12.5\x01", ReadStatus::bad_syntax, untouched},
};

void expect_outcome(const Outcome& got, const Line& line, const std::string& how) {
  EXPECT_EQ(got.status, line.status) << how;
  EXPECT_EQ(bits(got.value), bits(line.value)) << how << " value " << got.value;
}

TEST(ReadStatement, TypedLines) {
  for (const Line& line : lines) {
    for (const char* enter : {"\n", "\r\n"}) {
      const std::string typed = std::string(line.typed) + enter;
      const std::string how = "typed \"" + typed + "\"";
      lifecycle::ConsoleUnit unit = after_prompt();
      FakeConsole port = FakeConsole::terminal({typed, "9\n"});
      expect_outcome(read_one(unit, port), line, how);
      EXPECT_EQ(port.reads, 1) << how;  // one line, one read
      EXPECT_EQ(port.written, "") << how;
    }
  }
}

TEST(ReadStatement, SameLinesFromAFile) {
  for (const Line& line : lines) {
    for (const char* end : {"\n", "\r\n", ""}) {
      const std::string bytes = std::string(line.typed) + end;
      lifecycle::ConsoleUnit unit;
      FakeConsole port = FakeConsole::stream(bytes);
      expect_outcome(read_one(unit, port), line, "file \"" + bytes + "\"");
    }
  }
}

TEST(ReadStatement, GoodReadEndsTheConsoleLineAndEmptiesTheBuffer) {
  lifecycle::ConsoleUnit unit = after_prompt();
  FakeConsole port = FakeConsole::terminal({"12.5 7\n"});
  const Outcome got = read_one(unit, port);
  ASSERT_EQ(got.status, ReadStatus::ok);
  EXPECT_EQ(got.value, 12.5);
  EXPECT_FALSE(unit.line_open());
  EXPECT_FALSE(unit.line_continues());
  EXPECT_FALSE(unit.has_input());
  EXPECT_EQ(port.written, "");
}

TEST(ReadStatement, OpenLineWithoutContinuationGetsCrLfBeforeTheRead) {
  lifecycle::ConsoleUnit unit = testing::console_unit_with_line(true, false);
  FakeConsole port = FakeConsole::terminal({"7\n"});
  EXPECT_EQ(read_one(unit, port).value, 7.0);
  EXPECT_EQ(port.written, "\r\n");
  EXPECT_EQ(port.events, "wr");
  EXPECT_FALSE(unit.line_open());
}

TEST(ReadStatement, ClosedLineWritesNothing) {
  lifecycle::ConsoleUnit unit;
  FakeConsole port = FakeConsole::terminal({"7\n"});
  EXPECT_EQ(read_one(unit, port).value, 7.0);
  EXPECT_EQ(port.written, "");
}

TEST(ReadStatement, OpenLineDropsWhatTheBufferStillHeld) {
  lifecycle::ConsoleUnit unit = after_prompt();
  unit.input_buffer()[0] = '9';
  unit.input_buffer()[1] = '\n';
  unit.hold_input(2);
  FakeConsole port = FakeConsole::terminal({"7\n"});
  EXPECT_EQ(read_one(unit, port).value, 7.0);
}

TEST(ReadStatement, FailureBeforeDisposalLeavesTheLineOpen) {
  lifecycle::ConsoleUnit unit = after_prompt();
  FakeConsole port = FakeConsole::terminal({"12.5x 7\n"});
  EXPECT_EQ(read_one(unit, port).status, ReadStatus::bad_syntax);
  EXPECT_TRUE(unit.line_open());
}

TEST(ReadStatement, ValueEndedByTheLineEndHasClosedTheLineBeforeFailing) {
  lifecycle::ConsoleUnit unit = after_prompt();
  FakeConsole port = FakeConsole::terminal({"12.5x\n"});
  EXPECT_EQ(read_one(unit, port).status, ReadStatus::bad_syntax);
  EXPECT_FALSE(unit.line_open());
}

struct Typing {
  const char* name;
  std::deque<std::string> reads;  // what each terminal read returns
  ReadStatus status;
  double value;
  int reads_made;
};

const std::string blanks_131 = "12.5" + std::string(127, ' ');
const std::string value_first_130 = "12.5 " + std::string(125, 'x');

const Typing typings[] = {
    {"empty line, then a value", {"\n", "12.5\n"}, ReadStatus::ok, 12.5, 2},
    {"blank line, then a value", {"   \t \r\n", "12.5\r\n"}, ReadStatus::ok, 12.5, 2},
    {"Ctrl-Z then Enter", {"\x1a\r\n"}, ReadStatus::end_of_file, untouched, 1},
    {"12 then Ctrl-Z then Enter", {"12\x1a\r\n"}, ReadStatus::end_of_file, untouched, 1},
    // On an LF terminal Ctrl-Z Enter is two bytes: Ctrl-Z is not third from the end.
    {"Ctrl-Z then LF", {"\x1a\n"}, ReadStatus::bad_syntax, untouched, 1},
    {"Ctrl-D on an empty line", {""}, ReadStatus::end_of_file, untouched, 1},
    {"Ctrl-D after 12", {"12"}, ReadStatus::ok, 12.0, 1},
    {"131 characters and CR LF", {blanks_131 + "\r\n"}, ReadStatus::line_too_long, untouched, 1},
    {"130 characters and CR LF", {value_first_130 + "\r\n"}, ReadStatus::ok, 12.5, 1},
    {"131 characters and LF", {blanks_131 + "\n"}, ReadStatus::ok, 12.5, 1},
    {"132 characters and LF", {blanks_131 + "x\n"}, ReadStatus::line_too_long, untouched, 1},
    // A full read without LF is too long even with Ctrl-Z third from its end.
    {"132 bytes ending in Ctrl-Z and two more", {std::string(129, '1') + "\x1a" + "ab\n"},
     ReadStatus::line_too_long, untouched, 1},
    {"value on the third line", {"\n", " \n", "  7\n"}, ReadStatus::ok, 7.0, 3},
    {"comma on a later line", {"\n", ",7\n"}, ReadStatus::ok, untouched, 2},
};

TEST(ReadStatement, TerminalReads) {
  for (const Typing& t : typings) {
    lifecycle::ConsoleUnit unit = after_prompt();
    FakeConsole port = FakeConsole::terminal(t.reads);
    const Outcome got = read_one(unit, port);
    EXPECT_EQ(got.status, t.status) << t.name;
    EXPECT_EQ(bits(got.value), bits(t.value)) << t.name;
    EXPECT_EQ(port.reads, t.reads_made) << t.name;
  }
}

TEST(ReadStatement, RefusedLongLineIsDroppedAtTheTerminalAndLaterLinesKept) {
  lifecycle::ConsoleUnit unit = after_prompt();
  FakeConsole port = FakeConsole::terminal({blanks_131 + "x touch marker\n", "7\n"});
  EXPECT_EQ(read_one(unit, port).status, ReadStatus::line_too_long);
  EXPECT_EQ(port.events, "rd");
  EXPECT_EQ(port.unread_lines(), std::deque<std::string>{"7\n"});
}

TEST(ReadStatement, EndlessValueIsRefusedAtItsCharacter260) {
  lifecycle::ConsoleUnit unit;
  FakeConsole port = FakeConsole::stream(std::string(1000000, '\0'));
  EXPECT_EQ(read_one(unit, port).status, ReadStatus::bad_syntax);
  EXPECT_EQ(port.reads, 2);  // 264 bytes read: no more than the value needed
}

TEST(ReadStatement, EndOfInputStaysEnded) {
  lifecycle::ConsoleUnit unit;
  FakeConsole port = FakeConsole::terminal({""});
  EXPECT_EQ(read_one(unit, port).status, ReadStatus::end_of_file);
  EXPECT_TRUE(unit.input_ended());
  EXPECT_EQ(read_one(unit, port).status, ReadStatus::end_of_file);
  EXPECT_EQ(port.reads, 1);
}

TEST(ReadStatement, FailedReadIsReported) {
  for (const bool terminal : {true, false}) {
    lifecycle::ConsoleUnit unit;
    FakeConsole port = terminal ? FakeConsole::terminal({"7\n"}) : FakeConsole::stream("7\n");
    port.fail_read = 1;
    EXPECT_EQ(read_one(unit, port).status, ReadStatus::read_failed) << terminal;
  }
}

TEST(ReadStatement, FailedReadInsideASplitLineDropsWhatCameBefore) {
  lifecycle::ConsoleUnit unit;
  FakeConsole port = FakeConsole::stream("12.5\n", 2);
  port.fail_read = 2;  // "12" arrived, ".5" did not: 12 must not be taken as the value
  const Outcome got = read_one(unit, port);
  EXPECT_EQ(got.status, ReadStatus::read_failed);
  EXPECT_EQ(got.value, untouched);
}

struct Redirected {
  const char* name;
  std::string bytes;
  std::size_t piece;  // most bytes one read returns
  ReadStatus status;
  double value;
  std::string next;  // what a second statement then reads ("" if nothing is checked)
};

const Redirected redirected[] = {
    {"no line end", "12.5", 132, ReadStatus::ok, 12.5, ""},
    {"empty file", "", 132, ReadStatus::end_of_file, untouched, ""},
    {"200-character first line", "12.5 " + std::string(195, 'x') + "\n7\n", 132, ReadStatus::ok,
     12.5, "7"},
    {"lone CR", "12.5\r7\n8\n", 132, ReadStatus::ok, 12.5, "8"},
    {"CR LF lines", "12.5\r\n8\r\n", 132, ReadStatus::ok, 12.5, "8"},
    {"rest of the line after a comma", "1,2,3\n4\n", 132, ReadStatus::ok, 1.0, "4"},
    {"value across two pieces", std::string(130, ' ') + "12.5\n", 132, ReadStatus::ok, 12.5, ""},
    {"Ctrl-Z line", "12\x1a\r\n", 132, ReadStatus::end_of_file, untouched, ""},
    {"blank lines first", "\n\r\n  \n12.5\n6\n", 132, ReadStatus::ok, 12.5, "6"},
    // A pipe whose writer splits the line: the reads are gathered up to the line end.
    {"pipe in two-byte pieces", "12.5\n6\n", 2, ReadStatus::ok, 12.5, "6"},
    {"pipe in single bytes", "-1.25d+1 9\n6\n", 1, ReadStatus::ok, -12.5, "6"},
    // The input ends where a 132-byte piece ends: the value, or the line after it, is complete.
    {"value ends the last full piece", std::string(128, ' ') + "12.5", 132, ReadStatus::ok, 12.5,
     ""},
    {"text after the value fills the last piece", "12.5 " + std::string(127, 'x'), 132,
     ReadStatus::ok, 12.5, ""},
    // Value texts longer than 259 characters are refused, not overrun.
    {"259-character value", "1" + std::string(258, '0') + "\n", 132, ReadStatus::ok, 1e258, ""},
    {"260-character value", "1" + std::string(259, '0') + "\n", 132, ReadStatus::bad_syntax,
     untouched, ""},
    {"1000-character value", std::string(1000, '7') + "\n", 132, ReadStatus::bad_syntax,
     untouched, ""},
    // The 260th character refuses the value before anything after it is looked at.
    {"long repeat count", std::string(300, '1') + "*5\n", 132, ReadStatus::bad_syntax,
     untouched, ""},
    {"long quoted value", "'" + std::string(300, 'q') + "'\n", 132, ReadStatus::bad_syntax,
     untouched, ""},
    {"NUL bytes without end", std::string(100000, '\0'), 132, ReadStatus::bad_syntax, untouched,
     ""},
};

TEST(ReadStatement, RedirectedInput) {
  for (const Redirected& r : redirected) {
    lifecycle::ConsoleUnit unit;
    FakeConsole port = FakeConsole::stream(r.bytes, r.piece);
    const Outcome got = read_one(unit, port);
    EXPECT_EQ(got.status, r.status) << r.name;
    EXPECT_EQ(bits(got.value), bits(r.value)) << r.name;
    EXPECT_FALSE(unit.line_open()) << r.name;
    if (!r.next.empty()) {
      // The first statement dropped exactly the rest of its line.
      const Outcome second = read_one(unit, port);
      EXPECT_EQ(second.status, ReadStatus::ok) << r.name;
      EXPECT_EQ(second.value, std::stod(r.next)) << r.name;
    }
  }
}

TEST(ReadStatement, RedirectedInputWritesNothing) {
  lifecycle::ConsoleUnit unit;
  FakeConsole port = FakeConsole::stream("12.5 x\n");
  EXPECT_EQ(read_one(unit, port).value, 12.5);
  EXPECT_EQ(port.written, "");
}

TEST(ReadStatement, QuotedValueMayRunOntoTheNextLine) {
  lifecycle::ConsoleUnit unit;
  FakeConsole port = FakeConsole::stream("'ab\ncd' 5\n6\n");
  EXPECT_EQ(read_one(unit, port).status, ReadStatus::not_a_real);
  FakeConsole empty = FakeConsole::stream("'\n' 5\n6\n");
  lifecycle::ConsoleUnit other;
  const Outcome got = read_one(other, empty);
  EXPECT_EQ(got.status, ReadStatus::ok);  // '' over a line end: a null value
  EXPECT_EQ(got.value, untouched);
  EXPECT_EQ(read_one(other, empty).value, 6.0);
}

struct Items {
  const char* typed;
  std::vector<double> values;  // one item each, starting from 1.0
};

const Items item_cases[] = {
    {"1 2 3", {1, 2, 3}},
    {"1,,3", {1, untouched, 3}},
    {"1 , 2", {1, 2}},
    {"1 ,, 2", {1, untouched, 2}},
    {"1/ 2", {1, untouched, untouched}},
    {"3*7", {7, 7, 7}},
    {"2*7 8", {7, 7, 8}},
    {"2* 9", {untouched, untouched, 9}},
    {"2*,9", {untouched, untouched, 9}},
    {"(1,2) 3", {}},  // refused at the first item
};

TEST(ReadStatement, SeveralItems) {
  for (const Items& c : item_cases) {
    lifecycle::ConsoleUnit unit;
    FakeConsole port = FakeConsole::terminal({std::string(c.typed) + "\n"});
    ReadStatement statement(unit, port);
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      double value = untouched;
      ASSERT_EQ(statement.read_real(value), ReadStatus::ok) << c.typed << " item " << i;
      EXPECT_EQ(value, c.values[i]) << c.typed << " item " << i;
    }
    if (c.values.empty()) {
      double value = untouched;
      EXPECT_EQ(statement.read_real(value), ReadStatus::not_a_real);
      continue;
    }
    EXPECT_EQ(statement.finish(), ReadStatus::ok) << c.typed;
    EXPECT_EQ(port.reads, 1) << c.typed;
  }
}

TEST(ReadStatement, ItemsContinueOnTheNextLine) {
  lifecycle::ConsoleUnit unit;
  FakeConsole port = FakeConsole::terminal({"1\n", "\n", "2 3\n"});
  ReadStatement statement(unit, port);
  double first = 0;
  double second = 0;
  ASSERT_EQ(statement.read_real(first), ReadStatus::ok);
  ASSERT_EQ(statement.read_real(second), ReadStatus::ok);
  EXPECT_EQ(first, 1.0);
  EXPECT_EQ(second, 2.0);
  EXPECT_EQ(statement.finish(), ReadStatus::ok);
  EXPECT_EQ(port.reads, 3);
}

TEST(ReadStatement, EveryStatusHasItsRunTimeError) {
  using lifecycle::RunTimeError;
  const std::pair<ReadStatus, RunTimeError> pairs[] = {
      {ReadStatus::end_of_file, RunTimeError::end_of_file},
      {ReadStatus::read_failed, RunTimeError::read_failed},
      {ReadStatus::line_too_long, RunTimeError::line_too_long},
      {ReadStatus::bad_syntax, RunTimeError::real_bad_syntax},
      {ReadStatus::too_large, RunTimeError::real_too_large},
      {ReadStatus::not_a_real, RunTimeError::value_not_real},
      {ReadStatus::repeat_zero, RunTimeError::repeat_count_zero},
      {ReadStatus::repeat_twice, RunTimeError::repeat_count_twice},
      {ReadStatus::repeat_bad_char, RunTimeError::repeat_count_bad_char},
      {ReadStatus::repeat_overflow, RunTimeError::repeat_count_overflow},
      {ReadStatus::repeat_two_hashes, RunTimeError::repeat_count_two_hashes},
      {ReadStatus::repeat_bad_radix, RunTimeError::repeat_count_bad_radix},
  };
  for (const auto& [status, error] : pairs) {
    EXPECT_EQ(to_run_time_error(status), error) << static_cast<int>(status);
  }
}

// The program's statement on the run's console, both standard handles on a terminal, after
// the prompt has left the shared console line open.
class ProgramRead : public ::testing::Test {
 protected:
  ProgramRead() : run(platform::HandleKind::terminal, platform::HandleKind::terminal) {
    lifecycle::console_input_unit().end_record(false);
  }

  std::optional<int> read_into(double& value) {
    return run.run([&value] {
      begin_read();
      read_real_item(value);
      end_read();
    });
  }

  static std::string message(const char* number, lifecycle::RunTimeError error) {
    return "\r\nrun-time error " + std::string(number) + ": READ(CON)\r\n- " +
           std::string(lifecycle::error_entry(error).text) + "\r\n";
  }

  testing::RunEnvironment run;
};

TEST_F(ProgramRead, StoresTheTypedValue) {
  run.os.typed_lines = {"12.5\n"};
  double value = untouched;
  EXPECT_EQ(read_into(value), std::nullopt);
  EXPECT_EQ(value, 12.5);
  EXPECT_FALSE(lifecycle::console_input_unit().line_open());
  EXPECT_EQ(run.run_to_exit([] {}), 0);
  EXPECT_EQ(run.os.output, "");  // the Enter ended the line: no line end at exit
}

TEST_F(ProgramRead, BadValueAfterTheLineEndIsReportedWithoutALineEnd) {
  run.os.typed_lines = {"abc\n"};
  double value = untouched;
  EXPECT_EQ(read_into(value), 1);
  EXPECT_EQ(value, untouched);
  EXPECT_EQ(run.os.error, message("F6103", lifecycle::RunTimeError::real_bad_syntax));
  EXPECT_EQ(run.os.output, "");
}

TEST_F(ProgramRead, BadValueBeforeTheLineEndLeavesTheLineToTermination) {
  run.os.typed_lines = {"abc 5\n"};
  double value = untouched;
  EXPECT_EQ(read_into(value), 1);
  EXPECT_EQ(run.os.error, message("F6103", lifecycle::RunTimeError::real_bad_syntax));
  EXPECT_EQ(run.os.output, "\r\n");
}

TEST_F(ProgramRead, EndOfInput) {
  run.os.typed_lines = {""};
  double value = untouched;
  EXPECT_EQ(read_into(value), 1);
  EXPECT_EQ(run.os.error, message("F6501", lifecycle::RunTimeError::end_of_file));
}

TEST(ProgramReadDeathTest, ItemWithoutBeginIsAFaultOfTheProgram) {
  double value = 0;
  EXPECT_DEATH(read_real_item(value), "");
}

}  // namespace
}  // namespace duopit::textio
