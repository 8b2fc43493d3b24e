// platform/win32/error_classes.cpp — the classes of the platform's error codes.
#include "platform/win32/error_classes.hpp"

namespace duopit::platform {
namespace {

// Codes that name no class of their own: lack of memory, bad handles, a broken pipe, another
// device, the environment, bad formats, child processes, processes and threads, a directory
// not empty. Anything else unlisted is an invalid argument.
bool unclassified(std::uint32_t code) {
  switch (code) {
    case 6: case 7: case 8: case 9: case 10: case 11: case 17:
    case 89: case 109: case 114: case 128: case 129: case 130: case 145: case 164: case 215:
    case 1816:
      return true;
    default:
      return code >= 188 && code <= 202;
  }
}

}  // namespace

OsError classify_error_code(std::uint32_t code) {
  switch (code) {
    case 0:
      return OsError::none;
    case 2: case 3: case 15: case 18: case 53: case 67: case 161: case 206:
      return OsError::not_found;
    case 5: case 16: case 65: case 82: case 83: case 108: case 132: case 158: case 167:
      return OsError::access_denied;
    case 80: case 183:
      return OsError::exists;
    case 4:
      return OsError::too_many_open;
    case 112:
      return OsError::no_space;
    default:
      break;
  }
  if (code >= 19 && code <= 36) {
    return OsError::access_denied;  // write protection, sharing and lock violations among them
  }
  return unclassified(code) ? OsError::io_error : OsError::invalid;
}

}  // namespace duopit::platform
