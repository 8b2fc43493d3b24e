// tests/support/fake_platform.hpp — an in-memory platform for in-process tests: standard
// streams as strings, files in a map, every call counted, and chosen calls made to fail.
// end_process throws ProcessEnded so that a test can look at everything afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace duopit::testing {

struct ProcessEnded {
  int status;
};

enum class Op {
  open,
  hold_for_writing,
  file_size,
  set_file_size,
  write_file,
  close,
  read_std,
  write_std,
  discard_typed_line,
  prepare_process,
};

// One call as the platform received it: the operation, and for read_std and write_std the
// standard stream (0, 1, 2; -1 for the other operations).
struct Call {
  Op op;
  int stream = -1;
};

// Makes the `call`-th call (1-based) of `op` fail with `error`; with `short_bytes` set, the
// call instead stores that many bytes and reports success.
struct Injected {
  Op op;
  int call;
  platform::OsError error = platform::OsError::io_error;
  bool short_write = false;
  std::size_t short_bytes = 0;
};

struct FakeFile {
  std::string content;
  bool directory = false;
  bool read_only = false;  // opening it for writing is refused
  bool held = false;       // another process holds it for writing
};

class FakePlatform final : public platform::Platform {
 public:
  std::array<platform::HandleKind, 3> kinds{platform::HandleKind::pipe, platform::HandleKind::pipe,
                                            platform::HandleKind::pipe};
  std::string input;                   // standard input, served in reads of at most `max`
  std::vector<std::string> typed_lines;  // when not empty: one line per read, as a terminal
  std::string output;
  std::string error;
  std::vector<std::string> error_writes;  // each write call to standard error
  std::map<std::string, FakeFile> files;
  std::vector<std::size_t> file_write_sizes;  // the size asked for by each write_file call
  std::vector<Injected> injected;
  platform::OsError prepare_error = platform::OsError::none;
  std::map<Op, int> calls;
  std::vector<Call> call_log;  // every call but std_kind, in the order made

  platform::OsError prepare_process() override;
  platform::HandleKind std_kind(platform::StdStream stream) override;
  platform::IoResult read_std(platform::StdStream stream, char* buffer, std::size_t max) override;
  platform::IoResult write_std(platform::StdStream stream, const char* data,
                               std::size_t size) override;
  void discard_typed_line() override;
  platform::OpenResult open(const char* name, platform::Disposition disposition,
                            platform::Access access) override;
  platform::OsError hold_for_writing(platform::FileHandle handle) override;
  platform::SizeResult file_size(platform::FileHandle handle) override;
  platform::OsError set_file_size(platform::FileHandle handle, std::uint64_t size) override;
  platform::IoResult write_file(platform::FileHandle handle, const char* data,
                                std::size_t size) override;
  platform::OsError close(platform::FileHandle handle) override;
  [[noreturn]] void end_process(int status) override;

 private:
  struct OpenFile {
    std::string name;
    platform::Access access;
    std::size_t position = 0;
    bool open = true;
  };
  const Injected* injected_for(Op op, int stream = -1);
  std::vector<OpenFile> handles_;
};

}  // namespace duopit::testing
