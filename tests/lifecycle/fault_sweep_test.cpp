// Every failure of every platform call, on the whole run: for each scenario the program is run
// once cleanly to list its calls, then once for each call and each error class the platform
// can give, with that one call failing. Each faulted run must end with the status, the one
// message and the report that the failure calls for, and nothing may run after its error path
// but the termination's closing of the report and of the console line.
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lifecycle/run_time_error.hpp"
#include "support/whole_run.hpp"

namespace duopit::testing {
namespace {

using lifecycle::RunTimeError;
using platform::OsError;

struct Scenario {
  const char* name;
  const char* input;
  const char* old_report;  // nullptr: no duopit.dat before the run
  std::size_t report_bytes;  // of the clean run: 65 records, or the 12 before the prompt
};

const std::string old_bytes(3000, '#');  // longer than any report, so a mix would show

const Scenario scenarios[] = {
    {"answer 0", "0\n", nullptr, 2484},
    {"input error", "12x\n", nullptr, 536},
    {"old report", "0\n", old_bytes.c_str(), 2484},
};

// What the program reports for each class of failure: of the report's connection (OPEN), and
// of a write, cut or close of the report (WRITE, CLOSE).
struct ClassOutcome {
  OsError error;
  RunTimeError open;
  RunTimeError write;
};
const ClassOutcome classes[] = {
    {OsError::not_found, RunTimeError::open_not_found, RunTimeError::write_failed},
    {OsError::access_denied, RunTimeError::open_access_denied, RunTimeError::write_access_denied},
    {OsError::exists, RunTimeError::open_exists, RunTimeError::write_failed},
    {OsError::too_many_open, RunTimeError::open_too_many_files, RunTimeError::write_failed},
    {OsError::invalid, RunTimeError::open_invalid, RunTimeError::write_failed},
    {OsError::no_space, RunTimeError::write_no_space, RunTimeError::write_no_space},
    {OsError::io_error, RunTimeError::open_invalid, RunTimeError::write_failed},
};

// By the order of Op.
const char* const op_names[] = {"open",     "hold_for_writing", "file_size",
                                "set_file_size", "write_file", "close",
                                "read_std", "write_std", "discard_typed_line",
                                "prepare_process"};

struct RunOutcome {
  int status = 0;
  bool has_report = false;
  std::string report, output, error;
  std::vector<Call> log;
};

RunOutcome run(const Scenario& scenario, const std::vector<Injected>& injected) {
  FakePlatform os;
  os.input = scenario.input;
  if (scenario.old_report != nullptr) {
    os.files["duopit.dat"].content = scenario.old_report;
  }
  os.injected = injected;
  RunOutcome result;
  result.status = run_whole_program(os);
  const auto report = os.files.find("duopit.dat");
  result.has_report = report != os.files.end();
  result.report = result.has_report ? report->second.content : "";
  result.output = os.output;
  result.error = os.error;
  result.log = os.call_log;
  return result;
}

std::string message(RunTimeError error, const char* statement) {
  const lifecycle::ErrorEntry& entry = lifecycle::error_entry(error);
  char number[8];
  std::snprintf(number, sizeof number, "%c%04d", entry.code.letter, entry.code.number);
  return "\r\nrun-time error " + std::string(number) + ": " + statement +
         "(duopit.dat)\r\n- " + std::string(entry.text) + "\r\n";
}

// What one failure must end in. `harmless`: the run goes on as the clean run, but for the
// lost console piece. `block_report`: the report may stop only at a 1024-byte block (its own
// writes failed); otherwise at a record's end, the records completed before the failure.
struct Expected {
  bool harmless = false;
  int status = 1;
  std::string message;
  bool block_report = false;
};

// Calls of `op` among the first `k` of the log.
int count_before(const std::vector<Call>& log, std::size_t k, Op op) {
  int n = 0;
  for (std::size_t i = 0; i < k; ++i) {
    n += log[i].op == op ? 1 : 0;
  }
  return n;
}

Expected expected_for(const Scenario& scenario, const RunOutcome& clean, std::size_t k,
                      const ClassOutcome& c) {
  const Call call = clean.log[k];
  const int nth = count_before(clean.log, k + 1, call.op);
  const int file_writes = count_before(clean.log, clean.log.size(), Op::write_file);
  // The clean run's first write of the report is its close when it is also its last.
  const char* first_write_kind = file_writes == 1 ? "CLOSE" : "WRITE";
  const bool old = scenario.old_report != nullptr;
  Expected e;
  switch (call.op) {
    case Op::prepare_process:
      e.status = 255;
      e.message = "\r\nruntime error R6008\r\n- not enough resources to start the program\r\n";
      break;
    case Op::write_std:
    case Op::discard_typed_line:
      e.harmless = true;
      e.status = clean.status;
      break;
    case Op::read_std:
      e.message = "\r\nrun-time error F6500: READ(CON)\r\n- cannot read standard input\r\n";
      break;
    case Op::open:
      // The connection's fallbacks: a refused read-write attempt is followed by a read-only
      // one, which the fake grants, so the refusal comes at the first write or at the cut;
      // "exists" for the creation means an old file, which is then opened.
      if (nth == 2 || (!old && c.error != OsError::exists)) {
        e.message = message(RunTimeError::write_access_denied, old ? "WRITE" : first_write_kind);
        e.block_report = true;
      } else if (old && c.error == OsError::exists) {
        e.harmless = true;  // the answer the creation gets anyway
        e.status = clean.status;
      } else {
        e.message =
            message(old ? RunTimeError::open_exists : RunTimeError::open_not_found, "OPEN");
      }
      break;
    case Op::hold_for_writing:
      e.message = message(
          c.error == OsError::access_denied ? RunTimeError::open_in_use : c.open, "OPEN");
      break;
    case Op::file_size:
    case Op::set_file_size:
      e.message = message(c.write, "WRITE");
      e.block_report = true;
      break;
    case Op::write_file:
      e.message = message(c.write, nth == file_writes ? "CLOSE" : "WRITE");
      e.block_report = true;
      break;
    case Op::close:
      e.message = message(c.write, "CLOSE");
      e.block_report = true;
      break;
  }
  return e;
}

// Is `shorter` `longer` with one contiguous piece taken out?
bool one_piece_less(const std::string& longer, const std::string& shorter) {
  if (shorter.size() >= longer.size()) {
    return shorter == longer;
  }
  std::size_t head = 0;
  while (head < shorter.size() && shorter[head] == longer[head]) {
    ++head;
  }
  return longer.compare(head + longer.size() - shorter.size(), std::string::npos, shorter,
                        head) == 0;
}

void check(const Scenario& scenario, const RunOutcome& clean, const RunOutcome& got,
           std::size_t k, const Expected& e) {
  EXPECT_EQ(got.status, e.status);
  if (e.harmless) {
    EXPECT_EQ(got.report, clean.report);
    EXPECT_TRUE(one_piece_less(clean.error, got.error)) << got.error;
    EXPECT_TRUE(one_piece_less(clean.output, got.output)) << got.output;
    return;
  }
  // One message for the failure, after the scenario's own message if the run got that far.
  if (got.error != e.message) {
    EXPECT_EQ(got.error, clean.error + e.message);
  }
  EXPECT_EQ(clean.output.compare(0, got.output.size(), got.output), 0) << got.output;
  // The report: as it was (no file, or the old one), or the clean run's report cut short.
  const bool untouched = scenario.old_report != nullptr ? got.report == scenario.old_report
                                                        : !got.has_report || got.report.empty();
  if (!untouched) {
    EXPECT_EQ(clean.report.compare(0, got.report.size(), got.report), 0) << "not a prefix";
    const bool full = got.report == clean.report;
    if (e.block_report) {
      EXPECT_TRUE(full || got.report.size() % 1024 == 0) << got.report.size() << " bytes";
    } else {
      EXPECT_EQ(got.report.substr(got.report.size() - 2), "\r\n") << "not at a record's end";
    }
  }
  // After the last piece of the last message only the termination's calls may come: the
  // report's last bytes, its close, the console line's end; after a CLOSE message, nothing.
  std::size_t last_message = got.log.size();
  for (std::size_t i = got.log.size(); i-- > k;) {
    if (got.log[i].op == Op::write_std && got.log[i].stream == 2) {
      last_message = i;
      break;
    }
  }
  ASSERT_LT(last_message, got.log.size()) << "no message after the failure";
  const Op after[] = {Op::write_file, Op::close, Op::write_std};
  std::size_t next = 0;
  for (std::size_t i = last_message + 1; i < got.log.size(); ++i) {
    while (next < std::size(after) && after[next] != got.log[i].op) {
      ++next;
    }
    ASSERT_LT(next, std::size(after)) << "call " << i + 1 << " after the error path";
    EXPECT_TRUE(got.log[i].op != Op::write_std || got.log[i].stream == 1);
    ++next;
  }
  if (got.error.find(": CLOSE(") != std::string::npos) {
    EXPECT_EQ(last_message + 1, got.log.size()) << "calls after a CLOSE error";
  }
}

TEST(FaultSweep, EveryFailureOfEveryCallOnTheWholeRun) {
  int runs = 0;
  std::string sizes;
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    const RunOutcome clean = run(scenario, {});
    ASSERT_EQ(clean.status, scenario.input[0] == '0' ? 0 : 1) << clean.error;
    ASSERT_EQ(clean.report.size(), scenario.report_bytes);
    int scenario_runs = 0;
    for (std::size_t k = 0; k < clean.log.size(); ++k) {
      const Call call = clean.log[k];
      if (call.op == Op::discard_typed_line) {
        continue;  // it returns nothing: there is no error to give
      }
      const int nth = count_before(clean.log, k + 1, call.op);
      for (const ClassOutcome& c : classes) {
        SCOPED_TRACE(::testing::Message()
                     << "call " << k + 1 << " (" << op_names[static_cast<int>(call.op)]
                     << ", stream " << call.stream << "), class " << static_cast<int>(c.error));
        const RunOutcome got = run(scenario, {{call.op, nth, c.error}});
        check(scenario, clean, got, k, expected_for(scenario, clean, k, c));
        ++scenario_runs;
      }
      if (call.op == Op::write_file) {
        // A short write is no failure: the rest is written by the next call.
        SCOPED_TRACE(::testing::Message() << "call " << k + 1 << ", short write");
        const RunOutcome got = run(scenario, {{call.op, nth, OsError::none, true, 100}});
        EXPECT_EQ(got.status, clean.status);
        EXPECT_EQ(got.report, clean.report);
        EXPECT_EQ(got.error, clean.error);
        ++scenario_runs;
      }
    }
    sizes += std::string(sizes.empty() ? "" : " + ") + std::to_string(clean.log.size()) +
             " calls (" + scenario.name + ")";
    runs += scenario_runs;
  }
  std::printf("fault sweep: %s, %zu error classes, %zu scenarios: %d faulted runs\n",
              sizes.c_str(), std::size(classes), std::size(scenarios), runs);
}

}  // namespace
}  // namespace duopit::testing
