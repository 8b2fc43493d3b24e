// platform/win32/error_classes.hpp — the desktop platform's error codes sorted into the
// classes the program reports. Plain numbers only, so that the table can be checked on any
// host; the layer itself (win32_platform.cpp) is the only code that sees the platform.
#pragma once

#include <cstdint>

#include "platform/platform.hpp"

namespace duopit::platform {

// The class of a platform error code (as GetLastError gives it). Codes that belong to no
// class of the report file's errors are `io_error`: a write then fails as "write failed" and
// an open as "refused", except a full disk, which is `no_space` everywhere.
[[nodiscard]] OsError classify_error_code(std::uint32_t code);

// The platform's end of a pipe whose writer has gone: the reader sees it as end of input.
constexpr std::uint32_t error_broken_pipe = 109;

}  // namespace duopit::platform
