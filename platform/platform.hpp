// platform/platform.hpp — every operating-system service the program uses, and nothing else.
// The layers above call these operations through the platform that start-up installs in the
// run's state (lifecycle/run_state.hpp); the layer of the host the program is built for is
// the real one (posix/, or win32/ for the 32-bit desktop platform), and tests install a fake
// to inject failures. No layer above this one includes an OS header. This layer keeps no
// state of its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace duopit::platform {

enum class StdStream { input = 0, output = 1, error = 2 };

// What a standard handle is connected to, as far as the program cares. Whether a handle is
// a terminal matters for standard input (a typed line is read and refused differently), and
// for standard output only when standard input is a terminal (then both on terminals share
// one console unit); for standard error it never does. A platform need not ask where it
// does not matter, and may report such a handle as a file.
enum class HandleKind {
  terminal,  // a character device that is an interactive terminal
  pipe,      // a pipe or socket
  file,      // a disk file, or a character device that is not a terminal (or not asked)
  closed,    // the descriptor was not open when the process started
};

// The platform's error causes, sorted into the classes the program reports.
enum class OsError {
  none,
  not_found,      // no such file or directory, or a name that cannot name one
  access_denied,  // permission, sharing, read-only file, directory, write to a read-only handle
  exists,         // the name was created meanwhile
  too_many_open,  // no descriptor left
  invalid,        // an argument the platform refuses
  no_space,       // device or quota full
  io_error,       // any other failure
};

struct IoResult {
  std::size_t bytes = 0;         // bytes transferred by this one call
  OsError error = OsError::none;
};

// A file handle as the platform gives it: a descriptor number or a pointer-sized handle.
using FileHandle = std::intptr_t;
constexpr FileHandle no_file = -1;

enum class Disposition { open_existing, create_new };
enum class Access { read_write, read_only, write_only };

struct OpenResult {
  FileHandle handle = no_file;
  OsError error = OsError::none;
};

struct SizeResult {
  std::uint64_t size = 0;
  OsError error = OsError::none;
};

class Platform {
 public:
  // Process start-up: notes what each standard handle is (all three, before anything can
  // fail), keeps the number of a standard descriptor that was not open from being given to
  // a file later, and makes a write to a pipe whose reader has gone, or past the file-size
  // limit, fail with an error instead of ending the process.
  [[nodiscard]] virtual OsError prepare_process() = 0;

  // Standard handles; the kinds are those found when the process started.
  [[nodiscard]] virtual HandleKind std_kind(StdStream stream) = 0;
  // One untranslated read of at most `max` bytes; 0 bytes without error is end of input.
  [[nodiscard]] virtual IoResult read_std(StdStream stream, char* buffer, std::size_t max) = 0;
  // One untranslated write call; it may store fewer bytes than asked.
  [[nodiscard]] virtual IoResult write_std(StdStream stream, const char* data, std::size_t size) = 0;
  // Drops what is left of the line being typed at the terminal on standard input, up to and
  // including its line end, without waiting: a line the program refused must not reach
  // whoever reads the terminal next. Lines typed after it are kept.
  virtual void discard_typed_line() = 0;

  // Opens or creates a file, untranslated. create_new fails with `exists` when anything
  // (a file, a directory, a link, even a dangling one) has the name. open_existing refuses a
  // directory, and refuses write access to a file with no write permission at all, with
  // access_denied, whoever the user is.
  [[nodiscard]] virtual OpenResult open(const char* name, Disposition disposition, Access access) = 0;
  // Marks the open file as written by this process until the handle is closed; fails with
  // access_denied while another process holds the mark. Only processes that ask are kept
  // out: readers and other writers are not hindered.
  [[nodiscard]] virtual OsError hold_for_writing(FileHandle handle) = 0;
  [[nodiscard]] virtual SizeResult file_size(FileHandle handle) = 0;
  // Cuts or extends (with zero bytes) the file to `size`.
  [[nodiscard]] virtual OsError set_file_size(FileHandle handle, std::uint64_t size) = 0;
  // One write call at the handle's current position; it may store fewer bytes than asked.
  [[nodiscard]] virtual IoResult write_file(FileHandle handle, const char* data, std::size_t size) = 0;
  [[nodiscard]] virtual OsError close(FileHandle handle) = 0;

  // Ends the process at once with `status`; runs nothing of the program's own.
  [[noreturn]] virtual void end_process(int status) = 0;

 protected:
  // Never destroyed through this interface: the run's instance lives until the process ends,
  // and a trivial destructor keeps it out of the exit-time destructor list.
  ~Platform() = default;
};

}  // namespace duopit::platform
