// platform/win32/error_classes.cpp — the classes of the platform's error codes.
#include "platform/win32/error_classes.hpp"

namespace duopit::platform {
namespace {

// The platform's error codes that the classes name, as GetLastError gives them.
enum Code : std::uint32_t {
  success = 0,
  file_not_found = 2,
  path_not_found = 3,
  too_many_open_files = 4,
  access_denied = 5,
  invalid_handle = 6,
  arena_trashed = 7,
  not_enough_memory = 8,
  invalid_block = 9,
  bad_environment = 10,
  bad_format = 11,
  invalid_drive = 15,
  current_directory = 16,
  not_same_device = 17,
  no_more_files = 18,
  write_protect = 19,            // first of the write-protection, sharing and lock violations
  sharing_buffer_exceeded = 36,  // last of them
  bad_net_path = 53,
  network_access_denied = 65,
  bad_net_name = 67,
  file_exists = 80,
  cannot_make = 82,
  fail_i24 = 83,
  no_process_slots = 89,
  drive_locked = 108,
  broken_pipe = error_broken_pipe,
  disk_full = 112,
  invalid_target_handle = 114,
  wait_no_children = 128,
  child_not_complete = 129,
  direct_access_handle = 130,
  seek_on_device = 132,
  directory_not_empty = 145,
  not_locked = 158,
  bad_path_name = 161,
  max_threads_reached = 164,
  lock_failed = 167,
  already_exists = 183,
  invalid_starting_code_segment = 188,  // first of the bad executable formats
  relocation_chain_loop = 202,          // last of them
  file_name_too_long = 206,
  nesting_not_allowed = 215,
  not_enough_quota = 1816,
};

// Codes that name no class of their own: lack of memory, bad handles, a broken pipe, another
// device, the environment, bad formats, child processes, processes and threads, a directory
// not empty. Anything else unlisted is an invalid argument.
bool unclassified(std::uint32_t code) {
  switch (code) {
    case invalid_handle: case arena_trashed: case not_enough_memory: case invalid_block:
    case bad_environment: case bad_format: case not_same_device: case no_process_slots:
    case broken_pipe: case invalid_target_handle: case wait_no_children:
    case child_not_complete: case direct_access_handle: case directory_not_empty:
    case max_threads_reached: case nesting_not_allowed: case not_enough_quota:
      return true;
    default:
      return code >= invalid_starting_code_segment && code <= relocation_chain_loop;
  }
}

}  // namespace

OsError classify_error_code(std::uint32_t code) {
  switch (code) {
    case success:
      return OsError::none;
    case file_not_found: case path_not_found: case invalid_drive: case no_more_files:
    case bad_net_path: case bad_net_name: case bad_path_name: case file_name_too_long:
      return OsError::not_found;
    case access_denied: case current_directory: case network_access_denied: case cannot_make:
    case fail_i24: case drive_locked: case seek_on_device: case not_locked: case lock_failed:
      return OsError::access_denied;
    case file_exists: case already_exists:
      return OsError::exists;
    case too_many_open_files:
      return OsError::too_many_open;
    case disk_full:
      return OsError::no_space;
    default:
      break;
  }
  if (code >= write_protect && code <= sharing_buffer_exceeded) {
    return OsError::access_denied;  // write protection, sharing and lock violations among them
  }
  return unclassified(code) ? OsError::io_error : OsError::invalid;
}

}  // namespace duopit::platform
