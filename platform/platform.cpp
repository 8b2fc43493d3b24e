// platform/platform.cpp — which platform the run uses. Start-up installs the POSIX layer;
// tests install fakes. Nothing here touches the operating system.
#include "platform/platform.hpp"

#include <cassert>
#include <cstdlib>

namespace duopit::platform {
namespace {
// The one platform in use; set before anything else runs.
Platform* installed = nullptr;
}  // namespace

Platform& current() {
  assert(installed != nullptr);
  return *installed;
}

void install(Platform& platform) { installed = &platform; }

void end_process(int status) {
  current().end_process(status);
  std::abort();  // a platform's end_process never returns
}

}  // namespace duopit::platform
