// The report-file unit: connection, the cut of an old file, block-wise writes, closing, and
// every failure through the platform seam.
#include "lifecycle/file_unit.hpp"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/run_environment.hpp"

namespace duopit::lifecycle {
namespace {

using platform::OsError;
using testing::Injected;
using testing::Op;
using testing::RunEnvironment;

// How a statement hands its records over: begin_statement and take_records, as a statement
// whose layout may still fail in between, or take_statement, the two in one.
enum class HandOver { in_two_steps, in_one_step };
constexpr HandOver both_hand_overs[] = {HandOver::in_two_steps, HandOver::in_one_step};

// The bytes `record`, through a write statement.
void write_bytes(const std::string& record, HandOver way) {
  FileUnit* unit = find_unit(100);
  ASSERT_NE(unit, nullptr);
  if (way == HandOver::in_two_steps) {
    unit->begin_statement();
  }
  ASSERT_LE(record.size(), static_cast<std::size_t>(unit->records_end() - unit->records_begin()));
  std::memcpy(unit->records_begin(), record.data(), record.size());
  if (way == HandOver::in_two_steps) {
    unit->take_records(record.size());
  } else {
    unit->take_statement(record.size());
  }
}

// One record of `length` characters 'x' followed by CR LF, through a write statement.
void write_record(std::size_t length, HandOver way = HandOver::in_two_steps) {
  write_bytes(std::string(length, 'x') + "\r\n", way);
}

TEST(FileName, TrimmedAndCutAt259Characters) {
  EXPECT_EQ(trim_file_name("  duopit.dat  "), "duopit.dat");
  EXPECT_EQ(trim_file_name("   "), "");
  EXPECT_EQ(trim_file_name(std::string(300, 'a')), std::string(259, 'a'));
  EXPECT_EQ(trim_file_name(std::string(258, ' ') + "ab"), "a");
}

// Each unit keeps its own file and buffer; at the end each is written and closed once.
TEST(UnitTable, UnitsAreFoundByNumberAndClosedOnce) {
  RunEnvironment env;
  const int status = env.run_to_exit([] {
    connect_unit(100, "first.dat");
    connect_unit(-7, "second.dat");
    connect_unit(32767, "third.dat");
    EXPECT_EQ(find_unit(8), nullptr);
    for (const std::int32_t number : {32767, 100, -7, 100}) {
      FileUnit* unit = find_unit(number);
      ASSERT_NE(unit, nullptr);
      EXPECT_EQ(unit->number(), number);
      unit->begin_statement();
      const std::string record = std::string(unit->name()) + "\r\n";
      std::memcpy(unit->records_begin(), record.data(), record.size());
      unit->take_records(record.size());
    }
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(env.os.files["first.dat"].content, "first.dat\r\nfirst.dat\r\n");
  EXPECT_EQ(env.os.files["second.dat"].content, "second.dat\r\n");
  EXPECT_EQ(env.os.files["third.dat"].content, "third.dat\r\n");
  EXPECT_EQ(env.os.calls[Op::close], 3);
  EXPECT_EQ(env.os.calls[Op::write_file], 3);
}

// A unit number out of range connects nothing; the 62nd unit finds the table full, and the
// 61 connected before are still closed at the end.
TEST(UnitTable, SixtyOneUnitsAtMost) {
  RunEnvironment env;
  const int status = env.run_to_exit([] {
    connect_unit(32768, "out_of_range.dat");
    EXPECT_EQ(find_unit(32768), nullptr);
    for (int i = 0; i < max_connected_units; ++i) {
      connect_unit(i, "unit" + std::to_string(i) + ".dat");
    }
    EXPECT_NE(find_unit(max_connected_units - 1), nullptr);
    connect_unit(max_connected_units, "one_too_many.dat");
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(env.os.error, "\r\nrun-time error F6418: OPEN(one_too_many.dat)\r\n"
                          "- too many units connected\r\n");
  EXPECT_EQ(env.os.files.count("out_of_range.dat"), 0u);
  EXPECT_EQ(env.os.files.count("one_too_many.dat"), 0u);
  EXPECT_EQ(env.os.calls[Op::close], max_connected_units);
}

TEST(FileUnit, NewFileIsCreatedEmptyAndFilledInBlocksOf1024) {
  for (const HandOver way : both_hand_overs) {
    SCOPED_TRACE(static_cast<int>(way));
    RunEnvironment env;
    const int status = env.run_to_exit([way] {
      connect_unit(100, "duopit.dat");
      for (int i = 0; i < 20; ++i) {
        write_record(100, way);  // 102 bytes each: 2040 in all
      }
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(env.os.file_write_sizes, (std::vector<std::size_t>{1024, 1016}));
    EXPECT_EQ(env.os.files["duopit.dat"].content.size(), 2040u);
  }
}

TEST(FileUnit, FullBufferIsWrittenOnlyWhenTheNextByteArrives) {
  for (const HandOver way : both_hand_overs) {
    SCOPED_TRACE(static_cast<int>(way));
    RunEnvironment env;
    (void)env.run([&] {
      connect_unit(100, "duopit.dat");
      write_record(1022, way);  // exactly 1024 bytes
      write_bytes("", way);
      EXPECT_TRUE(env.os.file_write_sizes.empty());
      write_record(0, way);
      EXPECT_EQ(env.os.file_write_sizes, std::vector<std::size_t>{1024});
    });
  }
}

// A statement that hands over no bytes (its record left open) still cuts the file.
TEST(FileUnit, OldContentIsKeptUntilTheFirstWriteStatementThenCut) {
  struct Case {
    const char* record;
    HandOver way;
  };
  constexpr Case cases[] = {
      {"xxx\r\n", HandOver::in_two_steps},
      {"xxx\r\n", HandOver::in_one_step},
      {"", HandOver::in_two_steps},
      {"", HandOver::in_one_step},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.record << "\" " << static_cast<int>(c.way));
    RunEnvironment env;
    env.os.files["duopit.dat"].content = std::string(5000, 'o');
    (void)env.run([&] {
      connect_unit(100, "duopit.dat");
      EXPECT_EQ(find_unit(100)->status(), FileStatus::old_file);
      EXPECT_EQ(env.os.files["duopit.dat"].content.size(), 5000u);
      write_bytes(c.record, c.way);
      EXPECT_EQ(env.os.files["duopit.dat"].content, "");
    });
    (void)env.run([] { exit_process(0); });
    EXPECT_EQ(env.os.files["duopit.dat"].content, c.record);
  }
}

struct OpenFailureCase {
  OsError cause;
  const char* message;
};

TEST(FileUnit, OpenFailuresAreClassifiedByTheLastAttempt) {
  const OpenFailureCase cases[] = {
      {OsError::not_found, "\r\nrun-time error F6416: OPEN(duopit.dat)\r\n- file not found\r\n"},
      {OsError::access_denied, "\r\nrun-time error F6414: OPEN(duopit.dat)\r\n- access denied\r\n"},
      {OsError::exists,
       "\r\nrun-time error F6415: OPEN(duopit.dat)\r\n- file already exists\r\n"},
      {OsError::too_many_open,
       "\r\nrun-time error F6417: OPEN(duopit.dat)\r\n- too many open files\r\n"},
      {OsError::invalid,
       "\r\nrun-time error F6412: OPEN(duopit.dat)\r\n- file name or open request refused\r\n"},
      {OsError::io_error,
       "\r\nrun-time error F6412: OPEN(duopit.dat)\r\n- file name or open request refused\r\n"},
  };
  for (const OpenFailureCase& c : cases) {
    RunEnvironment env;
    // The first two attempts fail otherwise; the cause shown is the third's.
    env.os.injected = {{Op::open, 1, OsError::invalid},
                       {Op::open, 2, OsError::not_found},
                       {Op::open, 3, c.cause}};
    const auto status = env.run([] { connect_unit(100, " duopit.dat "); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(env.os.error, c.message);
    EXPECT_EQ(env.os.calls[Op::open], 3);
  }
}

// The status comes from the first open: a create that finds the name taken turns the
// connection into one of the existing file. Only a create's first "exists" does that; one
// after another failure is the name appearing meanwhile.
TEST(FileUnit, StatusIsSettledByTheFirstOpen) {
  struct Case {
    const char* name;
    bool file_exists;
    std::vector<Injected> injected;
    int status;  // exit status; 0: connected
    FileStatus file_status;
    int opens;
    const char* error;
  };
  const Case cases[] = {
      {"absent", false, {}, 0, FileStatus::new_file, 1, ""},
      {"present", true, {}, 0, FileStatus::old_file, 2, ""},
      {"appears after a refused create", false,
       {{Op::open, 1, OsError::access_denied}, {Op::open, 2, OsError::exists},
        {Op::open, 3, OsError::exists}},
       1, FileStatus::new_file, 3,
       "\r\nrun-time error F6415: OPEN(duopit.dat)\r\n- file already exists\r\n"},
      {"held by another run", true, {{Op::hold_for_writing, 1, OsError::access_denied}}, 1,
       FileStatus::old_file, 2,
       "\r\nrun-time error F6414: OPEN(duopit.dat)\r\n- access denied: another run is writing "
       "the file\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunEnvironment env;
    if (c.file_exists) {
      env.os.files["duopit.dat"].content = "old";
    }
    env.os.injected = c.injected;
    const auto status = env.run([] { connect_unit(100, "duopit.dat"); });
    EXPECT_EQ(status.value_or(0), c.status);
    EXPECT_EQ(env.os.calls[Op::open], c.opens);
    EXPECT_EQ(env.os.error, c.error);
    if (c.status == 0) {
      EXPECT_EQ(find_unit(100)->status(), c.file_status);
    } else if (c.file_exists) {
      EXPECT_EQ(env.os.files["duopit.dat"].content, "old");  // nothing cut
    }
  }
}

TEST(FileUnit, OpenFallsBackToReadOnlyThenTheCutIsRefused) {
  for (const HandOver way : both_hand_overs) {
    SCOPED_TRACE(static_cast<int>(way));
    RunEnvironment env;
    env.os.files["duopit.dat"] = {"old report", false, true};
    const auto status = env.run([way] {
      connect_unit(100, "duopit.dat");
      EXPECT_EQ(find_unit(100)->action(), FileAction::read);
      write_record(3, way);
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(env.os.error,
              "\r\nrun-time error F6421: WRITE(duopit.dat)\r\n- write access denied\r\n");
    EXPECT_EQ(env.os.files["duopit.dat"].content, "old report");
  }
}

TEST(FileUnit, EmptyReadOnlyFileFailsAtTheFirstBlock) {
  RunEnvironment env;
  env.os.files["duopit.dat"] = {"", false, true};
  const auto status = env.run([] {
    connect_unit(100, "duopit.dat");
    write_record(1022);
    write_record(1);
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(env.os.error,
            "\r\nrun-time error F6421: WRITE(duopit.dat)\r\n- write access denied\r\n");
}

TEST(FileUnit, DirectoryIsRefusedForEveryAttempt) {
  RunEnvironment env;
  env.os.files["duopit.dat"] = {"", true, false};
  EXPECT_EQ(env.run([] { connect_unit(100, "duopit.dat"); }), 1);
  EXPECT_EQ(env.os.error, "\r\nrun-time error F6414: OPEN(duopit.dat)\r\n- access denied\r\n");
}

struct WriteFailureCase {
  const char* name;
  Injected failure;
  int records;  // 102-byte records written before the exit
  const char* message;
  std::size_t bytes_in_file;
};

TEST(FileUnit, WriteFailuresAreReportedOnceWithTheRecordsBeforeThem) {
  const WriteFailureCase cases[] = {
      {"block write, disk full", {Op::write_file, 2, OsError::no_space}, 25,
       "\r\nrun-time error F6422: WRITE(duopit.dat)\r\n- no space left on device\r\n", 1024},
      {"block write, other error", {Op::write_file, 1, OsError::io_error}, 25,
       "\r\nrun-time error F6423: WRITE(duopit.dat)\r\n- write failed\r\n", 0},
      {"final write at close", {Op::write_file, 3, OsError::access_denied}, 25,
       "\r\nrun-time error F6421: CLOSE(duopit.dat)\r\n- write access denied\r\n", 2048},
      {"cut", {Op::set_file_size, 1, OsError::access_denied}, 1,
       "\r\nrun-time error F6421: WRITE(duopit.dat)\r\n- write access denied\r\n", 7},
  };
  for (const WriteFailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    RunEnvironment env;
    env.os.files["duopit.dat"].content = "old one";
    env.os.injected = {c.failure};
    const int status = env.run_to_exit([&] {
      connect_unit(100, "duopit.dat");
      for (int i = 0; i < c.records; ++i) {
        write_record(100);
      }
    });
    // A report cut short at close is a failed run too.
    EXPECT_EQ(status, 1);
    EXPECT_EQ(env.os.error, c.message);
    EXPECT_EQ(env.os.files["duopit.dat"].content.size(), c.bytes_in_file);
  }
}

TEST(FileUnit, ShortWriteIsCompletedByAnotherCall) {
  RunEnvironment env;
  Injected short_write{Op::write_file, 1};
  short_write.short_write = true;
  short_write.short_bytes = 100;
  env.os.injected = {short_write};
  EXPECT_EQ(env.run_to_exit([] {
              connect_unit(100, "duopit.dat");
              for (int i = 0; i < 11; ++i) {
                write_record(100);
              }
            }),
            0);
  EXPECT_EQ(env.os.file_write_sizes, (std::vector<std::size_t>{1024, 924, 98}));
  EXPECT_EQ(env.os.files["duopit.dat"].content, [] {
    std::string expected;
    for (int i = 0; i < 11; ++i) {
      expected += std::string(100, 'x') + "\r\n";
    }
    return expected;
  }());
}

TEST(FileUnit, WriteThatStoresNothingIsDiskFull) {
  RunEnvironment env;
  Injected stores_nothing{Op::write_file, 2};
  stores_nothing.short_write = true;
  stores_nothing.short_bytes = 0;
  Injected first_short{Op::write_file, 1};
  first_short.short_write = true;
  first_short.short_bytes = 24;
  env.os.injected = {first_short, stores_nothing};
  const int status = env.run_to_exit([] {
    connect_unit(100, "duopit.dat");
    for (int i = 0; i < 11; ++i) {
      write_record(100);
    }
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(env.os.error,
            "\r\nrun-time error F6422: WRITE(duopit.dat)\r\n- no space left on device\r\n");
  // Only the 24 bytes really stored are in the file; the failed block is not retried at close.
  EXPECT_EQ(env.os.files["duopit.dat"].content.size(), 24u);
  EXPECT_EQ(env.os.file_write_sizes, (std::vector<std::size_t>{1024, 1000}));
}

}  // namespace
}  // namespace duopit::lifecycle
