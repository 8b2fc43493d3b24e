// lifecycle/file_unit.cpp — connection, buffering and closing of file units.
#include "lifecycle/file_unit.hpp"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "lifecycle/run_state.hpp"
#include "lifecycle/run_time_error.hpp"

namespace duopit::lifecycle {
namespace {

RunTimeError open_error(platform::OsError error) {
  using platform::OsError;
  switch (error) {
    case OsError::not_found:
      return RunTimeError::open_not_found;
    case OsError::access_denied:
      return RunTimeError::open_access_denied;
    case OsError::exists:
      return RunTimeError::open_exists;
    case OsError::too_many_open:
      return RunTimeError::open_too_many_files;
    case OsError::no_space:
      return RunTimeError::write_no_space;
    case OsError::none:
    case OsError::invalid:
    case OsError::io_error:
      break;
  }
  return RunTimeError::open_invalid;
}

platform::Disposition disposition_for(FileStatus status) {
  return status == FileStatus::old_file ? platform::Disposition::open_existing
                                        : platform::Disposition::create_new;
}

RunTimeError write_error(platform::OsError error) {
  switch (error) {
    case platform::OsError::access_denied:
      return RunTimeError::write_access_denied;
    case platform::OsError::no_space:
      return RunTimeError::write_no_space;
    default:
      return RunTimeError::write_failed;
  }
}

// Writes all `size` bytes, calling again for the rest after a short write. A call that
// stores nothing and reports no error means the device is full.
platform::OsError write_all(platform::FileHandle handle, const char* data, std::size_t size,
                            std::uint64_t& position) {
  platform::Platform& os = lifecycle::os();
  while (size > 0) {
    const platform::IoResult result = os.write_file(handle, data, size);
    position += result.bytes;
    if (result.error != platform::OsError::none) {
      return result.error;
    }
    if (result.bytes == 0) {
      return platform::OsError::no_space;
    }
    data += result.bytes;
    size -= result.bytes;
  }
  return platform::OsError::none;
}

}  // namespace

std::string_view trim_file_name(std::string_view name) {
  name = {name.data(), std::min(name.size(), max_file_name_bytes)};
  const std::size_t first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  const std::size_t last = name.find_last_not_of(' ');
  return {name.data() + first, last - first + 1};
}

void connect_unit(std::int32_t number, std::string_view given_name) {
  if (number < lowest_unit_number || number > highest_unit_number) {
    return;
  }
  const std::string_view name = trim_file_name(given_name);
  UnitTable& table = run_state().units;
  if (table.connected == max_connected_units) {
    run_time_error(RunTimeError::unit_table_full, Statement::open, name);
  }
  FileUnit& unit = table.units[static_cast<std::size_t>(table.connected)];
  assert(unit.name_length_ == 0 && unit.used_ == 0);  // never taken before in this run
  unit.number_ = number;
  std::memcpy(unit.name_.data(), name.data(), name.size());
  unit.name_[name.size()] = '\0';
  unit.name_length_ = name.size();

  platform::Platform& os = lifecycle::os();
  // No action was asked for: read and write, else read only, else write only.
  constexpr std::array<std::pair<platform::Access, FileAction>, 3> attempts{{
      {platform::Access::read_write, FileAction::read_write},
      {platform::Access::read_only, FileAction::read},
      {platform::Access::write_only, FileAction::write},
  }};
  // The status is settled by the first open itself: creating the file fails with `exists`
  // when anything has the name (a file, a directory, even a dangling link), and the
  // attempts then start over on the file as it is. A separate existence test would cost
  // a call on every run and decide nothing more; a name that appears after the first
  // attempt failed for another reason is the race that ends in "file already exists".
  unit.status_ = FileStatus::new_file;
  platform::OpenResult opened;
  for (std::size_t next = 0; next < attempts.size();) {
    const auto [access, action] = attempts[next];
    opened = os.open(unit.name_.data(), disposition_for(unit.status_), access);
    if (opened.error == platform::OsError::none) {
      unit.action_ = action;
      break;
    }
    if (next == 0 && unit.status_ == FileStatus::new_file &&
        opened.error == platform::OsError::exists) {
      unit.status_ = FileStatus::old_file;
      continue;
    }
    ++next;
  }
  if (opened.error != platform::OsError::none) {
    run_time_error(open_error(opened.error), Statement::open, unit.name());
  }
  // Two runs writing one report would interleave their records: a report that another run
  // holds is refused before anything of it is cut or written.
  const platform::OsError held = os.hold_for_writing(opened.handle);
  if (held != platform::OsError::none) {
    (void)os.close(opened.handle);
    run_time_error(held == platform::OsError::access_denied ? RunTimeError::open_in_use
                                                            : open_error(held),
                   Statement::open, unit.name());
  }
  unit.handle_ = opened.handle;
  unit.set_write_mode(unit.status_ == FileStatus::new_file);  // nothing to cut in a new file
  ++table.connected;
}

FileUnit* find_unit(std::int32_t number) {
  UnitTable& table = run_state().units;
  FileUnit* const end = table.units.data() + table.connected;
  for (FileUnit* unit = table.units.data() + table.closed; unit != end; ++unit) {
    if (unit->number() == number) {
      return unit;
    }
  }
  return nullptr;
}

[[gnu::noinline]] void FileUnit::cut_old_file() {
  platform::Platform& os = lifecycle::os();
  const platform::SizeResult length = os.file_size(handle_);
  platform::OsError error = length.error;
  if (error == platform::OsError::none && length.size != position_) {
    // A file that could be opened only for reading cannot be cut: that is a refusal to
    // write, whichever error a platform gives for trying.
    error = action_ == FileAction::read ? platform::OsError::access_denied
                                        : os.set_file_size(handle_, position_);
  }
  if (error != platform::OsError::none) {
    run_time_error(write_error(error), Statement::write, name());
  }
  set_write_mode(true);
}

[[gnu::noinline]] void FileUnit::begin_and_take(std::size_t size) {
  begin_statement();
  take_records(size);
}

[[gnu::noinline]] void FileUnit::write_full_blocks() {
  while (used_ > file_buffer_bytes) {
    const std::size_t behind = used_ - file_buffer_bytes;
    used_ = file_buffer_bytes;
    write_buffer(false);
    std::memmove(buffer_.data(), buffer_.data() + file_buffer_bytes, behind);
    used_ = behind;
  }
}

void FileUnit::write_buffer(bool at_close) {
  const std::size_t size = used_;
  // The block is given up whatever happens: a failed block is reported once and is not
  // written again when the unit is closed at exit, and nothing laid out behind it follows.
  used_ = 0;
  const platform::OsError error = write_all(handle_, buffer_.data(), size, position_);
  if (error != platform::OsError::none) {
    run_time_error(write_error(error), at_close ? Statement::close : Statement::write, name());
  }
}

void FileUnit::close() {
  if (used_ > 0) {
    write_buffer(true);
  }
  set_write_mode(false);
  const platform::OsError error = os().close(handle_);
  handle_ = platform::no_file;
  // A system may write a file's last data only when it is closed (a network file system, a
  // quota): a close that fails has lost part of the report, as a failed write has.
  if (error != platform::OsError::none) {
    run_time_error(write_error(error), Statement::close, name());
  }
}

void close_all_units() {
  UnitTable& table = run_state().units;
  while (table.closed < table.connected) {
    // Leaves the table before closing, so that an error in the close does not make the
    // unit be closed again.
    table.units[static_cast<std::size_t>(table.closed++)].close();
  }
}

}  // namespace duopit::lifecycle
