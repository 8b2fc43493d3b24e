// platform/posix/native_platform.hpp — the platform layer of a program built for a POSIX host.
#pragma once

#include "platform/posix/posix_platform.hpp"

namespace duopit::platform {
using NativePlatform = PosixPlatform;
}  // namespace duopit::platform
