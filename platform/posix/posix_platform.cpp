// platform/posix/posix_platform.cpp — POSIX system calls behind the platform seam. Bytes pass
// untranslated both ways. Standard descriptors that were not open at start-up are filled
// with /dev/null so that no file opened later takes their numbers, and are remembered as
// closed so that using them fails as a failed read or write would.
#include "platform/posix/posix_platform.hpp"

#include <fcntl.h>
#include <signal.h>
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

HandleKind kind_of(int fd) {
  if (::isatty(fd) == 1) {
    return HandleKind::terminal;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))) {
    return HandleKind::pipe;
  }
  return HandleKind::file;
}

bool writable(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
}

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
  for (int fd = 0; fd < 3; ++fd) {
    if (::fcntl(fd, F_GETFD) < 0) {
      if (!reserve_descriptor(fd)) {
        return OsError::too_many_open;
      }
      kinds_[static_cast<std::size_t>(fd)] = HandleKind::closed;
    } else {
      kinds_[static_cast<std::size_t>(fd)] = kind_of(fd);
    }
  }
  // A write to a pipe whose reader has gone must fail, not end the process and lose the
  // report that is still in its buffer.
  ::signal(SIGPIPE, SIG_IGN);
  return OsError::none;
}

HandleKind PosixPlatform::std_kind(StdStream stream) {
  return kinds_[static_cast<std::size_t>(descriptor(stream))];
}

IoResult PosixPlatform::read_std(StdStream stream, char* buffer, std::size_t max) {
  if (std_kind(stream) == HandleKind::closed) {
    return {0, OsError::access_denied};
  }
  for (;;) {
    const ssize_t count = ::read(descriptor(stream), buffer, max);
    if (count >= 0) {
      return {static_cast<std::size_t>(count), OsError::none};
    }
    if (errno != EINTR) {
      return {0, classify_errno(errno)};
    }
  }
}

IoResult PosixPlatform::write_std(StdStream stream, const char* data, std::size_t size) {
  if (std_kind(stream) == HandleKind::closed) {
    return {0, OsError::access_denied};
  }
  return write_file(descriptor(stream), data, size);
}

bool PosixPlatform::exists(const char* name) {
  struct stat info {};
  return ::lstat(name, &info) == 0;
}

OpenResult PosixPlatform::open(const char* name, Disposition disposition, Access access) {
  int flags = O_CLOEXEC | O_NOCTTY;
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
  // A directory is not a file: refused as access denied, whatever access was asked for.
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return {no_file, OsError::access_denied};
  }
  return {fd, OsError::none};
}

SizeResult PosixPlatform::file_size(FileHandle handle) {
  struct stat info {};
  if (::fstat(handle, &info) != 0) {
    return {0, classify_errno(errno)};
  }
  return {static_cast<std::uint64_t>(info.st_size), OsError::none};
}

OsError PosixPlatform::set_file_size(FileHandle handle, std::uint64_t size) {
  if (!writable(handle)) {
    return OsError::access_denied;
  }
  while (::ftruncate(handle, static_cast<off_t>(size)) != 0) {
    if (errno != EINTR) {
      return classify_errno(errno);
    }
  }
  return OsError::none;
}

IoResult PosixPlatform::write_file(FileHandle handle, const char* data, std::size_t size) {
  for (;;) {
    const ssize_t count = ::write(handle, data, size);
    if (count >= 0) {
      return {static_cast<std::size_t>(count), OsError::none};
    }
    if (errno != EINTR) {
      return {0, classify_errno(errno)};
    }
  }
}

OsError PosixPlatform::close(FileHandle handle) {
  return ::close(handle) == 0 ? OsError::none : classify_errno(errno);
}

void PosixPlatform::end_process(int status) { ::_exit(status); }

}  // namespace duopit::platform
