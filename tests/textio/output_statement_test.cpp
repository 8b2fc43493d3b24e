// Write statements end to end inside the process: items to the report unit or the console,
// statement-level errors, and the file bytes a title or a value record produces.
#include "textio/output_statement.hpp"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lifecycle/file_unit.hpp"
#include "support/run_environment.hpp"

namespace duopit::textio {
namespace {

using testing::RunEnvironment;

TEST(WriteStatement, TitlesAreWrittenUnchangedToTheFile) {
  RunEnvironment env;
  const int status = env.run_to_exit([] {
    lifecycle::connect_unit(100, "duopit.dat");
    // The second title's format is checked when the program is compiled.
    constexpr FixedLayout checked_format{"(A180)"};
    for (const char* title : {"0 zero", "1 one", "+ plus"}) {
      std::string field(title);
      field.resize(180, ' ');
      if (title[0] == '1') {
        begin_write(100, checked_format);
      } else {
        begin_write(100, "(A180)", -1);
      }
      write_text_item(field.data(), 180);
      end_write();
    }
  });
  EXPECT_EQ(status, 0);
  const std::string& file = env.os.files["duopit.dat"].content;
  ASSERT_EQ(file.size(), 3u * 182);
  EXPECT_EQ(file.substr(0, 6), "0 zero");
  EXPECT_EQ(file.substr(182, 5), "1 one");
  EXPECT_EQ(file.substr(364, 6), "+ plus");
  EXPECT_EQ(file.substr(180, 2), "\r\n");
}

TEST(WriteStatement, FreeFormatRecordsEndWithCrLf) {
  RunEnvironment env;
  (void)env.run_to_exit([] {
    lifecycle::connect_unit(100, "duopit.dat");
    begin_write(100);
    write_text_item(" x1=", 4);
    write_real_item(25558.257);
    end_write();
    begin_write(100);
    end_write();
    begin_write(100);
    write_text_item("ignored", -3);  // a negative length is an empty text
    write_real_item(1.0);
    end_write();
  });
  EXPECT_EQ(env.os.files["duopit.dat"].content,
            "  x1=   25558.257000000000000\r\n \r\n        1.000000000000000\r\n");
}

TEST(WriteStatement, PromptLeavesTheConsoleLineOpen) {
  RunEnvironment env;
  (void)env.run([] {
    static constexpr char format[] = "(a\\)junk after the format";
    begin_write(console_unit, format, 4);
    write_text_item(" Rumo:", 6);
    end_write();
  });
  EXPECT_EQ(env.os.output, "Rumo:");
  EXPECT_TRUE(lifecycle::console_output_unit().line_open());
  EXPECT_TRUE(lifecycle::console_output_unit().line_continues());
  (void)env.run([] { lifecycle::exit_process(0); });
  EXPECT_EQ(env.os.output, "Rumo:\r\n");
}

TEST(WriteStatement, NothingReachesTheUnitBeforeEndWrite) {
  RunEnvironment env;
  (void)env.run([&] {
    lifecycle::connect_unit(100, "duopit.dat");
    begin_write(100);
    write_text_item("abc", 3);
    write_real_item(2.0);
    EXPECT_EQ(lifecycle::find_unit(100)->position(), 0u);
    EXPECT_EQ(env.os.calls[testing::Op::set_file_size], 0);
  });
}

// Statements alternate between units: each reaches its own, and a number that no unit has is
// refused even right after a statement to a unit that was found.
TEST(WriteStatement, EachStatementReachesItsOwnUnit) {
  RunEnvironment env;
  const auto status = env.run_to_exit([] {
    lifecycle::connect_unit(100, "first.dat");
    lifecycle::connect_unit(7, "second.dat");
    for (const std::int32_t unit : {100, 7, 7, 100}) {
      begin_write(unit);
      write_text_item(unit == 100 ? "a" : "b", 1);
      end_write();
    }
    begin_write(8);
    end_write();
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(env.os.files["first.dat"].content, " a\r\n a\r\n");
  EXPECT_EQ(env.os.files["second.dat"].content, " b\r\n b\r\n");
  EXPECT_EQ(env.os.error, "\r\nrun-time error F6419\r\n- unit not connected\r\n");
}

struct StatementErrorCase {
  const char* name;
  std::int32_t unit;
  const char* format;
  int items;  // how many times the text item "abc" is passed
  const char* message;
};

TEST(WriteStatement, StatementErrors) {
  const StatementErrorCase cases[] = {
      {"unit above the range", 32768, nullptr, 1,
       "\r\nrun-time error F6314\r\n- unit number outside -32767 to 32767\r\n"},
      {"unit below the range", -32768, nullptr, 1,
       "\r\nrun-time error F6314\r\n- unit number outside -32767 to 32767\r\n"},
      {"unit not connected", 7, nullptr, 1, "\r\nrun-time error F6419\r\n- unit not connected\r\n"},
      {"format that does not parse", 100, "(I5)", 1,
       "\r\nrun-time error F6311: WRITE(duopit.dat)\r\n- syntax error in format\r\n"},
      // The first record is laid out before the reversion finds no A: it must not be kept.
      {"reversion group without an A descriptor", 100, "(A3,(\\))", 2,
       "\r\nrun-time error F6311: WRITE(duopit.dat)\r\n- syntax error in format\r\n"},
      // Laid out records wait in the unit's buffer: a statement longer than its room is
      // refused before anything reaches the unit.
      {"statement longer than the unit's room", 100, "(A32767)", 1,
       "\r\nrun-time error F6700\r\n- out of memory for input and output\r\n"},
  };
  for (const StatementErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    RunEnvironment env;
    const auto status = env.run([&] {
      lifecycle::connect_unit(100, "duopit.dat");
      begin_write(c.unit, c.format, -1);
      for (int i = 0; i < c.items; ++i) {
        write_text_item("abc", 3);
      }
      end_write();
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(env.os.error, c.message);
    EXPECT_EQ(env.os.files["duopit.dat"].content, "");
  }
}

// A format met only at run time is checked by each statement: a text changed in place between
// statements lays out as it now reads, and one changed back as before.
TEST(WriteStatement, FormatChangedInPlaceIsCheckedAgain) {
  RunEnvironment env;
  const auto status = env.run([] {
    lifecycle::connect_unit(100, "duopit.dat");
    char format[] = "(A4)";
    for (const char width : {'4', '2', '4'}) {
      format[2] = width;
      begin_write(100, format, -1);
      write_text_item("abc", 3);
      end_write();
    }
    format[1] = 'I';
    begin_write(100, format, -1);
    write_text_item("abc", 3);
    end_write();
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(env.os.files["duopit.dat"].content, " abc\r\nab\r\n abc\r\n");
  EXPECT_EQ(env.os.error,
            "\r\nrun-time error F6311: WRITE(duopit.dat)\r\n- syntax error in format\r\n");
}

// Each console record of a statement gets its own carriage control, in order, when the
// statement ends; one too long for the console's record buffer reaches the screen not at all.
TEST(WriteStatement, ConsoleRecordsOfOneStatement) {
  RunEnvironment env;
  (void)env.run([] {
    begin_write(console_unit, "(A4)", -1);
    write_text_item(" one", 4);
    write_text_item("0two", 4);  // the format starts again: a second record
    end_write();
  });
  EXPECT_EQ(env.os.output, "one\r\n\r\ntwo");
  EXPECT_TRUE(lifecycle::console_output_unit().line_open());
  EXPECT_FALSE(lifecycle::console_output_unit().line_continues());

  RunEnvironment too_long;
  const auto status = too_long.run([] {
    begin_write(console_unit, "(A2000)", -1);
    write_text_item(" x", 2);
    end_write();
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(too_long.os.output, "");
  EXPECT_EQ(too_long.os.error,
            "\r\nrun-time error F6700\r\n- out of memory for input and output\r\n");
}

// Records are laid out behind what the buffer holds, across the block boundary: the full
// block goes out when a byte arrives behind it, the rest at close, every byte in its place.
TEST(WriteStatement, RecordsAcrossTheBlockBoundary) {
  RunEnvironment env;
  std::string expected;
  const int status = env.run_to_exit([&] {
    lifecycle::connect_unit(100, "duopit.dat");
    for (char c = 'a'; c < 'a' + 11; ++c) {
      const std::string field(180, c);
      begin_write(100, "(A180)", -1);
      write_text_item(field.data(), 180);
      end_write();
      expected += field + "\r\n";
    }
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(env.os.file_write_sizes, (std::vector<std::size_t>{1024, 978}));
  EXPECT_EQ(env.os.files["duopit.dat"].content, expected);
}

}  // namespace
}  // namespace duopit::textio
