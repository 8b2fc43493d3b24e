// platform/posix/posix_platform.cpp — POSIX system calls behind the platform seam. Bytes pass
// untranslated both ways. Standard descriptors that were not open at start-up are filled
// with /dev/null so that no file opened later takes their numbers, and are remembered as
// closed so that using them fails as a failed read or write would. Each call the run makes
// is one the outcome needs: a run is short, and system calls are most of its cost.
#include "platform/posix/posix_platform.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace duopit::platform {
namespace {

int descriptor(StdStream stream) { return static_cast<int>(stream); }

// Reserves descriptor `fd`, which is not open, with a /dev/null placeholder.
bool reserve_descriptor(int fd) {
  const int placeholder = ::open("/dev/null", O_RDWR);
  if (placeholder < 0) {
    return false;
  }
  if (placeholder == fd) {
    return true;
  }
  const bool moved = ::dup2(placeholder, fd) == fd;
  ::close(placeholder);
  return moved;
}

// One fstat answers both "is it open" and "what is it"; only a character device can be a
// terminal, so only it is asked, and only when `ask_terminal`.
HandleKind kind_of(int fd, bool ask_terminal) {
  struct stat info;  // filled by fstat; read only when it succeeded
  if (::fstat(fd, &info) != 0) {
    return HandleKind::closed;
  }
  if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) {
    return HandleKind::pipe;
  }
  if (ask_terminal && S_ISCHR(info.st_mode) && ::isatty(fd) == 1) {
    return HandleKind::terminal;
  }
  return HandleKind::file;
}

// Is the error of a read or write made while a signal interrupted it?
bool interrupted(ssize_t count) { return count < 0 && errno == EINTR; }

}  // namespace

OsError classify_errno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return OsError::not_found;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case EBADF:
    case EBUSY:
      return OsError::access_denied;
    case EEXIST:
      return OsError::exists;
    case EMFILE:
    case ENFILE:
      return OsError::too_many_open;
    case ENOSPC:
    case EDQUOT:
      return OsError::no_space;
    case EINVAL:
    case EFAULT:
      return OsError::invalid;
    default:
      return OsError::io_error;
  }
}

OsError PosixPlatform::prepare_process() {
  // Every descriptor is classified before any is reserved: a failure must still find
  // standard error as it is, to report itself there. Only the terminals that matter are
  // asked for (see platform.hpp): standard output when standard input is one.
  kinds_[0] = kind_of(0, true);
  kinds_[1] = kind_of(1, kinds_[0] == HandleKind::terminal);
  kinds_[2] = kind_of(2, false);
  OsError outcome = OsError::none;
  for (int fd = 0; fd < 3; ++fd) {
    if (kinds_[static_cast<std::size_t>(fd)] == HandleKind::closed && !reserve_descriptor(fd)) {
      outcome = OsError::too_many_open;
    }
  }
  // A write to a pipe whose reader has gone, or past the file-size limit, must fail with its
  // error, not end the process and lose the report that is still in its buffer. Blocking the
  // two signals does that in one call; nothing in the run waits for either.
  sigset_t signals;
  ::sigemptyset(&signals);
  ::sigaddset(&signals, SIGPIPE);
  ::sigaddset(&signals, SIGXFSZ);
  ::sigprocmask(SIG_BLOCK, &signals, nullptr);
  return outcome;
}

HandleKind PosixPlatform::std_kind(StdStream stream) {
  return kinds_[static_cast<std::size_t>(descriptor(stream))];
}

IoResult PosixPlatform::read_std(StdStream stream, char* buffer, std::size_t max) {
  if (std_kind(stream) == HandleKind::closed) {
    return {0, OsError::access_denied};
  }
  ssize_t count = 0;
  do {
    count = ::read(descriptor(stream), buffer, max);
  } while (interrupted(count));
  if (count < 0) {
    return {0, classify_errno(errno)};
  }
  return {static_cast<std::size_t>(count), OsError::none};
}

IoResult PosixPlatform::write_std(StdStream stream, const char* data, std::size_t size) {
  if (std_kind(stream) == HandleKind::closed) {
    return {0, OsError::access_denied};
  }
  return write_file(descriptor(stream), data, size);
}

// A terminal in canonical mode hands out a line only once it is complete, and one read
// never goes past a line end; so what is ready now, read up to the first line end, is
// exactly the rest of the line. The zero-timeout poll keeps a line ended by Ctrl-D, which
// has no line end, from making the read wait.
void PosixPlatform::discard_typed_line() {
  constexpr int fd = 0;
  if (std_kind(StdStream::input) != HandleKind::terminal) {
    return;
  }
  char buffer[256];
  for (;;) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 0) != 1 || (ready.revents & POLLIN) == 0) {
      return;
    }
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (interrupted(count)) {
      continue;
    }
    if (count <= 0 || buffer[count - 1] == '\n') {
      return;
    }
  }
}

OpenResult PosixPlatform::open(const char* name, Disposition disposition, Access access) {
  // Without waiting: a FIFO opened for reading or writing alone would wait for its other
  // end. The descriptor is looked at before anything is written, and only a character
  // device, where waiting could matter to its writes, is given back its blocking mode.
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  switch (access) {
    case Access::read_write:
      flags |= O_RDWR;
      break;
    case Access::read_only:
      flags |= O_RDONLY;
      break;
    case Access::write_only:
      flags |= O_WRONLY;
      break;
  }
  if (disposition == Disposition::create_new) {
    flags |= O_CREAT | O_EXCL;
  }
  const int fd = ::open(name, flags, 0666);
  if (fd < 0) {
    return {no_file, classify_errno(errno)};
  }
  if (disposition == Disposition::create_new) {
    return {fd, OsError::none};  // a file this call created: nothing to check
  }
  // A directory is not a file, whatever access was asked for; and a file without any write
  // permission is read-only for every user, the superuser included, as it is on platforms
  // where read-only is an attribute of the file. A FIFO or a socket would take the report
  // and keep none of it: it is refused as a kind of file the open cannot use.
  struct stat info;  // filled by fstat; read only when it succeeded
  OsError refusal = OsError::none;
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) ||
      (access != Access::read_only && S_ISREG(info.st_mode) &&
       (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)) {
    refusal = OsError::access_denied;
  } else if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) {
    refusal = OsError::invalid;
  } else if (S_ISCHR(info.st_mode)) {
    const int status_flags = ::fcntl(fd, F_GETFL);
    if (status_flags < 0 || ::fcntl(fd, F_SETFL, status_flags & ~O_NONBLOCK) != 0) {
      refusal = classify_errno(errno);
    }
  }
  if (refusal != OsError::none) {
    ::close(fd);
    return {no_file, refusal};
  }
  return {fd, OsError::none};
}

OsError PosixPlatform::hold_for_writing(FileHandle handle) {
  int result = 0;
  do {
    result = ::flock(handle, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result == 0) {
    return OsError::none;
  }
  return errno == EWOULDBLOCK ? OsError::access_denied : classify_errno(errno);
}

SizeResult PosixPlatform::file_size(FileHandle handle) {
  struct stat info;  // filled by fstat; read only when it succeeded
  if (::fstat(handle, &info) != 0) {
    return {0, classify_errno(errno)};
  }
  return {static_cast<std::uint64_t>(info.st_size), OsError::none};
}

OsError PosixPlatform::set_file_size(FileHandle handle, std::uint64_t size) {
  while (::ftruncate(handle, static_cast<off_t>(size)) != 0) {
    if (errno != EINTR) {
      return classify_errno(errno);
    }
  }
  return OsError::none;
}

IoResult PosixPlatform::write_file(FileHandle handle, const char* data, std::size_t size) {
  ssize_t count = 0;
  do {
    count = ::write(handle, data, size);
  } while (interrupted(count));
  if (count < 0) {
    return {0, classify_errno(errno)};
  }
  return {static_cast<std::size_t>(count), OsError::none};
}

OsError PosixPlatform::close(FileHandle handle) {
  return ::close(handle) == 0 ? OsError::none : classify_errno(errno);
}

void PosixPlatform::end_process(int status) { ::_exit(status); }

}  // namespace duopit::platform
