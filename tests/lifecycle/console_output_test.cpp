// Carriage control, the console line discipline, and the console unit's own operations.
#include "lifecycle/console_output.hpp"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "textio/fake_console.hpp"

namespace duopit::lifecycle {
namespace {

class RecordingPort final : public ConsolePort {
 public:
  platform::IoResult read_input(char*, std::size_t) override { return {}; }
  void write_output(std::string_view bytes) override { writes.emplace_back(bytes); }
  bool input_is_terminal() const override { return false; }
  void discard_typed_line() override {}
  std::string screen() const {
    std::string all;
    for (const std::string& write : writes) {
      all += write;
    }
    return all;
  }
  std::vector<std::string> writes;
};

TEST(CarriageControl, PrefixTable) {
  struct Case {
    char control;
    bool line_open;
    std::string prefix;
  };
  const std::string new_page("\r\n\f\r \r", 6);
  const Case cases[] = {
      {'+', true, "\r"},        {'+', false, "\r"},       {'0', true, "\r\n\r\n"},
      {'0', false, "\r\n"},     {'1', true, new_page},    {'1', false, new_page},
      {' ', true, "\r\n"},      {' ', false, ""},         {'R', true, "\r\n"},
      {'R', false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(carriage_control_prefix(c.control, c.line_open), c.prefix)
        << "'" << c.control << "' open " << c.line_open;
  }
}

struct RecordCase {
  const char* name;
  bool line_open;
  bool line_continues;
  std::string record;
  bool terminated;
  std::string screen;
  bool continues_after;
};

TEST(ConsoleRecord, FirstCharacterIsCarriageControlUnlessTheLineContinues) {
  const RecordCase cases[] = {
      {"prompt as first output", false, false, " Rumo:", false, "Rumo:", true},
      {"blank after an open line", true, false, " abc", true, "\r\nabc", false},
      {"zero after an open line", true, false, "0abc", true, "\r\n\r\nabc", false},
      {"zero as first output", false, false, "0abc", true, "\r\nabc", false},
      {"plus overprints", true, false, "+abc", true, "\rabc", false},
      {"continued line: first character is data", true, true, "0abc", true, "0abc", false},
      {"empty record is a blank", true, false, "", true, "\r\n", false},
  };
  for (const RecordCase& c : cases) {
    SCOPED_TRACE(c.name);
    ConsoleUnit unit = testing::console_unit_with_line(c.line_open, c.line_continues);
    RecordingPort port;
    write_console_record(c.record, c.terminated, unit, port);
    EXPECT_EQ(port.screen(), c.screen);
    EXPECT_TRUE(unit.line_open());
    EXPECT_EQ(unit.line_continues(), c.continues_after);
  }
}

TEST(ConsoleRecord, LongRecordGoesOutInPiecesOfTheBuffer) {
  ConsoleUnit unit;
  RecordingPort port;
  const std::string text = " " + std::string(131, 'a') + std::string(140, 'b');
  write_console_record(text, true, unit, port);
  // The first piece loses its carriage-control blank; later pieces are data.
  EXPECT_EQ(port.writes, (std::vector<std::string>{"", std::string(131, 'a'),
                                                   std::string(132, 'b'), std::string(8, 'b')}));
  // On a continued line the first character is data, so the first piece holds 132 of them.
  unit.end_record(false);
  port.writes.clear();
  write_console_record(std::string(133, 'c'), true, unit, port);
  EXPECT_EQ(port.writes, (std::vector<std::string>{std::string(132, 'c'), "c"}));
}

TEST(ConsoleRecord, SuccessiveRecordsOfOneStatement) {
  ConsoleUnit unit;
  RecordingPort port;
  write_console_record(" one", true, unit, port);
  write_console_record(" two", true, unit, port);
  EXPECT_EQ(port.screen(), "one\r\ntwo");
}

// The line state as output, input and termination move it, through the unit's operations.
TEST(ConsoleUnit, LineStateThroughItsOperations) {
  struct Case {
    const char* name;
    bool open, continues;    // before
    std::string before_read;  // what begin_input writes
    std::string at_exit;      // what end_line writes, had the line stayed as it was
  };
  const Case cases[] = {
      {"closed", false, false, "", ""},
      {"open", true, false, "\r\n", "\r\n"},
      {"open, continued (the prompt)", true, true, "", "\r\n"},
      {"closed by input after a continued record", false, true, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingPort at_exit;
    testing::console_unit_with_line(c.open, c.continues).end_line(at_exit);
    EXPECT_EQ(at_exit.screen(), c.at_exit);
    ConsoleUnit unit = testing::console_unit_with_line(c.open, c.continues);
    RecordingPort port;
    unit.begin_input(port);
    EXPECT_EQ(port.screen(), c.before_read);
    EXPECT_EQ(unit.line_open(), c.open);  // only the user's line end closes it
    EXPECT_FALSE(unit.line_continues() && c.open);
    unit.end_line_by_input();
    EXPECT_FALSE(unit.line_open());
  }
}

// Input is handed out byte by byte from what the last read held; an open line drops it.
TEST(ConsoleUnit, InputBufferHandsOutWhatWasHeld) {
  ConsoleUnit unit;
  EXPECT_FALSE(unit.has_input());
  std::memcpy(unit.input_buffer(), "12\n", 3);
  unit.hold_input(3);
  std::string taken;
  while (unit.has_input()) {
    taken += unit.take_char();
  }
  EXPECT_EQ(taken, "12\n");
  unit.put_back();
  EXPECT_EQ(unit.take_char(), '\n');
  EXPECT_TRUE(unit.input_in_bounds());
  unit.hold_input(2);
  unit.end_record(true);  // output leaves the line open: the next read starts afresh
  RecordingPort port;
  unit.begin_input(port);
  EXPECT_FALSE(unit.has_input());
  EXPECT_FALSE(unit.input_ended());
  unit.mark_input_ended();
  EXPECT_TRUE(unit.input_ended());
}

}  // namespace
}  // namespace duopit::lifecycle
