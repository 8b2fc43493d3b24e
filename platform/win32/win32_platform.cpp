// platform/win32/win32_platform.cpp — the desktop platform's services behind the platform
// seam: the standard handles and their file types, untranslated ReadFile and WriteFile, the
// report file opened by CreateFileA with read and write sharing, cut with SetFilePointer and
// SetEndOfFile, held against a second run by a lock on one byte far beyond any content, and
// ExitProcess. No console control handler is installed: an interrupt ends the process by the
// platform's default action.
#include "platform/win32/win32_platform.hpp"

#include <windows.h>

#include "platform/win32/error_classes.hpp"

namespace duopit::platform {
namespace {

HANDLE to_handle(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }
FileHandle from_handle(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

OsError last_error() { return classify_error_code(GetLastError()); }

// The byte locked to mark a report as being written: far beyond any real content, so that
// the lock never stands in the way of a reader or of another writer's bytes.
constexpr DWORD held_byte_low = 0xFFFFFFFE;
constexpr DWORD held_byte_high = 0x7FFFFFFF;

// The file pointer's position after moving it by `distance` from `method`; false on failure.
bool move_pointer(HANDLE file, std::int64_t distance, DWORD method, std::uint64_t& position) {
  LONG high = static_cast<LONG>(distance >> 32);
  const DWORD low = SetFilePointer(file, static_cast<LONG>(distance & 0xFFFFFFFF), &high, method);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
    return false;
  }
  position = (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
  return true;
}

}  // namespace

OsError Win32Platform::prepare_process() {
  constexpr DWORD ids[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  for (std::size_t i = 0; i < 3; ++i) {
    const HANDLE handle = GetStdHandle(ids[i]);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
      kinds_[i] = HandleKind::closed;  // no such handle: using it fails as a failed transfer
      continue;
    }
    handles_[i] = from_handle(handle);
    switch (GetFileType(handle)) {
      case FILE_TYPE_CHAR:
        kinds_[i] = HandleKind::terminal;
        break;
      case FILE_TYPE_PIPE:
        kinds_[i] = HandleKind::pipe;
        break;
      default:
        kinds_[i] = HandleKind::file;
        break;
    }
  }
  return OsError::none;
}

HandleKind Win32Platform::std_kind(StdStream stream) {
  return kinds_[static_cast<std::size_t>(stream)];
}

IoResult Win32Platform::read_std(StdStream stream, char* buffer, std::size_t max) {
  if (std_kind(stream) == HandleKind::closed) {
    return {0, OsError::access_denied};
  }
  DWORD count = 0;
  if (!ReadFile(to_handle(handles_[static_cast<std::size_t>(stream)]), buffer,
                static_cast<DWORD>(max), &count, nullptr)) {
    // A pipe whose writer has gone is the end of the input, not a failure.
    return GetLastError() == error_broken_pipe ? IoResult{0, OsError::none}
                                               : IoResult{0, last_error()};
  }
  return {count, OsError::none};
}

IoResult Win32Platform::write_std(StdStream stream, const char* data, std::size_t size) {
  if (std_kind(stream) == HandleKind::closed) {
    return {0, OsError::access_denied};
  }
  return write_file(handles_[static_cast<std::size_t>(stream)], data, size);
}

// A console read in line mode hands out at most what was asked and keeps the rest of the
// line, its CR LF included, for the next read, which then returns at once. Reading up to the
// line end drops exactly that rest.
void Win32Platform::discard_typed_line() {
  if (std_kind(StdStream::input) != HandleKind::terminal) {
    return;
  }
  char buffer[256];
  for (;;) {
    DWORD count = 0;
    if (!ReadFile(to_handle(handles_[0]), buffer, sizeof buffer, &count, nullptr) ||
        count == 0 || buffer[count - 1] == '\n') {
      return;
    }
  }
}

OpenResult Win32Platform::open(const char* name, Disposition disposition, Access access) {
  DWORD desired = 0;
  switch (access) {
    case Access::read_write:
      desired = GENERIC_READ | GENERIC_WRITE;
      break;
    case Access::read_only:
      desired = GENERIC_READ;
      break;
    case Access::write_only:
      desired = GENERIC_WRITE;
      break;
  }
  // A read-only file is refused for writing by the open itself; asking for its attributes
  // first keeps that so where the platform is emulated for a user who may write anything.
  if (disposition == Disposition::open_existing && access != Access::read_only) {
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return {no_file, OsError::access_denied};
    }
  }
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE file =
      CreateFileA(name, desired, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                  disposition == Disposition::create_new ? CREATE_NEW : OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return {no_file, last_error()};
  }
  if (GetFileType(file) == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR) {
    const OsError error = last_error();
    CloseHandle(file);
    return {no_file, error};
  }
  return {from_handle(file), OsError::none};
}

OsError Win32Platform::hold_for_writing(FileHandle handle) {
  OVERLAPPED where{};
  where.Offset = held_byte_low;
  where.OffsetHigh = held_byte_high;
  if (!LockFileEx(to_handle(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                  0, &where)) {
    return last_error();  // a lock violation: permission denied
  }
  return OsError::none;
}

// The length is learnt by moving the file pointer to the end, which is put back after.
SizeResult Win32Platform::file_size(FileHandle handle) {
  const HANDLE file = to_handle(handle);
  std::uint64_t here = 0;
  std::uint64_t end = 0;
  if (!move_pointer(file, 0, FILE_CURRENT, here) || !move_pointer(file, 0, FILE_END, end) ||
      !move_pointer(file, static_cast<std::int64_t>(here), FILE_BEGIN, here)) {
    return {0, last_error()};
  }
  return {end, OsError::none};
}

// The file is cut (or extended) at `size` by moving there and setting the end; the pointer
// is put back where it was.
OsError Win32Platform::set_file_size(FileHandle handle, std::uint64_t size) {
  const HANDLE file = to_handle(handle);
  std::uint64_t here = 0;
  std::uint64_t moved = 0;
  if (!move_pointer(file, 0, FILE_CURRENT, here) ||
      !move_pointer(file, static_cast<std::int64_t>(size), FILE_BEGIN, moved)) {
    return last_error();
  }
  const bool cut = SetEndOfFile(file) != 0;
  const OsError error = cut ? OsError::none : last_error();
  (void)move_pointer(file, static_cast<std::int64_t>(here), FILE_BEGIN, moved);
  return error;
}

IoResult Win32Platform::write_file(FileHandle handle, const char* data, std::size_t size) {
  DWORD count = 0;
  if (!WriteFile(to_handle(handle), data, static_cast<DWORD>(size), &count, nullptr)) {
    return {count, last_error()};
  }
  return {count, OsError::none};
}

OsError Win32Platform::close(FileHandle handle) {
  return CloseHandle(to_handle(handle)) ? OsError::none : last_error();
}

void Win32Platform::end_process(int status) { ExitProcess(static_cast<UINT>(status)); }

}  // namespace duopit::platform
