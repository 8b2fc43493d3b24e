// platform/win32/native_platform.hpp — the platform layer of a program built for the 32-bit
// desktop platform.
#pragma once

#include "platform/win32/win32_platform.hpp"

namespace duopit::platform {
using NativePlatform = Win32Platform;
}  // namespace duopit::platform
