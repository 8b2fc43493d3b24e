// The desktop platform's error codes, through the report file's open and write, end in the
// numbers the program reports: every code of each class, the codes named in no class, and
// codes named nowhere; and so do the POSIX layer's errno values, on POSIX hosts.
#include "platform/win32/error_classes.hpp"

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lifecycle/file_unit.hpp"
#include "support/run_environment.hpp"

#if !defined(_WIN32)
#include "platform/posix/posix_platform.hpp"
#endif

namespace duopit::platform {
namespace {

using testing::Op;
using testing::RunEnvironment;

struct CodeClass {
  std::vector<std::uint32_t> codes;
  const char* open_number;   // the error of a connection whose three attempts fail so
  const char* write_number;  // the error of a block write that fails so
};

std::vector<std::uint32_t> range(std::uint32_t first, std::uint32_t last) {
  std::vector<std::uint32_t> codes;
  for (std::uint32_t code = first; code <= last; ++code) {
    codes.push_back(code);
  }
  return codes;
}

std::string number_in(const std::string& message) { return message.substr(17, 5); }

// A class reported by the platform ends a connection whose three attempts fail with it in
// `open_number`, and a block write that fails with it in `write_number`.
void expect_numbers(OsError error, const char* open_number, const char* write_number) {
  {
    RunEnvironment env;
    // The cause shown is the last attempt's; a first "exists" would make it an old file.
    env.os.injected = {{Op::open, 1, OsError::invalid}, {Op::open, 2, error},
                       {Op::open, 3, error}};
    EXPECT_EQ(env.run([] { lifecycle::connect_unit(100, "duopit.dat"); }), 1);
    EXPECT_EQ(number_in(env.os.error), open_number) << env.os.error;
  }
  {
    RunEnvironment env;
    env.os.injected = {{Op::write_file, 1, error}};
    EXPECT_EQ(env.run([] {
      lifecycle::connect_unit(100, "duopit.dat");
      lifecycle::FileUnit* unit = lifecycle::find_unit(100);
      unit->begin_statement();
      *unit->records_begin() = 'x';
      unit->take_records(1);
      lifecycle::close_all_units();
    }), 1);
    EXPECT_EQ(number_in(env.os.error), write_number) << env.os.error;
  }
}

TEST(ErrorClasses, EveryCodeEndsInItsNumber) {
  std::vector<std::uint32_t> permission = {5, 16, 65, 82, 83, 108, 132, 158, 167};
  for (const std::uint32_t code : range(19, 36)) {
    permission.push_back(code);
  }
  std::vector<std::uint32_t> unclassified = {6, 7, 8, 9, 10, 11, 17, 89, 109, 114, 128, 129,
                                             130, 145, 164, 215, 1816};
  for (const std::uint32_t code : range(188, 202)) {
    unclassified.push_back(code);
  }
  const CodeClass classes[] = {
      {{2, 3, 15, 18, 53, 67, 161, 206}, "F6416", "F6423"},
      {permission, "F6414", "F6421"},
      {{80, 183}, "F6415", "F6423"},
      {{4}, "F6417", "F6423"},
      {{1, 12, 13, 87, 131, 123, 1000, 50}, "F6412", "F6423"},
      {unclassified, "F6412", "F6423"},
      {{112}, "F6422", "F6422"},
  };
  for (const CodeClass& c : classes) {
    for (const std::uint32_t code : c.codes) {
      SCOPED_TRACE(code);
      expect_numbers(classify_error_code(code), c.open_number, c.write_number);
    }
  }
}

TEST(ErrorClasses, NoErrorIsNone) { EXPECT_EQ(classify_error_code(0), OsError::none); }

#if !defined(_WIN32)
// The POSIX layer's errno values, the same way: quotas count as a full device, a file too
// large for the limit as a failed write.
TEST(ErrorClasses, EveryErrnoEndsInItsNumber) {
  const CodeClass classes[] = {
      {{ENOENT, ENOTDIR, ENAMETOOLONG, ELOOP}, "F6416", "F6423"},
      {{EACCES, EPERM, EROFS, EISDIR, ETXTBSY, EBADF, EBUSY}, "F6414", "F6421"},
      {{EEXIST}, "F6415", "F6423"},
      {{EMFILE, ENFILE}, "F6417", "F6423"},
      {{EINVAL, EFAULT, ENXIO, EIO, EFBIG, EAGAIN}, "F6412", "F6423"},
      {{ENOSPC, EDQUOT}, "F6422", "F6422"},
  };
  for (const CodeClass& c : classes) {
    for (const std::uint32_t code : c.codes) {
      SCOPED_TRACE(code);
      expect_numbers(classify_errno(static_cast<int>(code)), c.open_number, c.write_number);
    }
  }
}
#endif

}  // namespace
}  // namespace duopit::platform
