// lifecycle/file_unit.hpp — units connected to files: the connection (one open, whose answer
// also settles whether the file existed, with its read-only and write-only fallbacks), the
// cut of an existing file at the first write statement, the 1024-byte record buffer written
// only when a byte arrives for a full buffer and at close, and the closing at termination.
// Every failure ends the run through the run-time error path; nothing is returned to the
// caller.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lifecycle/record_room.hpp"
#include "platform/platform.hpp"

namespace duopit::lifecycle {

constexpr std::size_t file_buffer_bytes = 1024;
constexpr std::size_t max_file_name_bytes = 259;
constexpr int max_connected_units = 61;
constexpr std::int32_t lowest_unit_number = -32767;
constexpr std::int32_t highest_unit_number = 32767;

enum class FileStatus { new_file, old_file };
enum class FileAction { read_write, read, write };

class FileUnit {
 public:
  // Before a write statement's records: the first one cuts an existing file at the write
  // position, so no old content survives behind the new records.
  void begin_statement() {
    if (take_limit_ == 0) [[unlikely]] {
      cut_old_file();
    }
  }
  // Where a write statement lays out its records, terminators (CR LF) included: the buffer
  // behind the bytes it holds, up to records_end(), which record_spill_bytes follow.
  [[nodiscard]] char* records_begin() { return buffer_.data() + used_; }
  [[nodiscard]] char* records_end() {
    return buffer_.data() + file_buffer_bytes + statement_room_bytes;
  }
  // The `size` bytes laid out at records_begin() join the buffer. Each full 1024-byte block
  // is written as a byte arrives behind it, so a buffer filled exactly waits for the next.
  void take_records(std::size_t size) {
    used_ += size;
    if (used_ > file_buffer_bytes) [[unlikely]] {
      write_full_blocks();
    }
  }
  // begin_statement() and then take_records(size), for a statement whose layout cannot fail:
  // one test tells when either has work to do.
  void take_statement(std::size_t size) {
    if (used_ + size >= take_limit_) [[unlikely]] {
      begin_and_take(size);
      return;
    }
    used_ += size;
  }
  // Writes what the buffer holds and closes the handle; errors as CLOSE.
  void close();

  [[nodiscard]] std::int32_t number() const { return number_; }
  [[nodiscard]] std::string_view name() const { return {name_.data(), name_length_}; }
  [[nodiscard]] FileStatus status() const { return status_; }
  [[nodiscard]] FileAction action() const { return action_; }
  [[nodiscard]] std::uint64_t position() const { return position_; }

 private:
  friend void connect_unit(std::int32_t, std::string_view);
  void cut_old_file();
  void begin_and_take(std::size_t size);
  // Whether the first write statement has cut the file, or had nothing to cut.
  void set_write_mode(bool on) { take_limit_ = on ? file_buffer_bytes + 1 : 0; }
  void write_full_blocks();
  // Writes the bytes the buffer holds and gives the buffer up, whatever happens; a failed
  // write ends the run through the error path, which does not return.
  void write_buffer(bool at_close);

  std::int32_t number_ = 0;
  std::array<char, max_file_name_bytes + 1> name_{};  // NUL-terminated for the platform
  std::size_t name_length_ = 0;
  // Every member starts at zero, so that the table of units costs no page until it is used.
  platform::FileHandle handle_ = 0;  // meaningful only while the unit is connected
  std::size_t used_ = 0;  // bytes the buffer holds: at most file_buffer_bytes between statements
  // Statements that leave used_ below this take the short way: file_buffer_bytes + 1 once the
  // file is in write mode (cut, or new), 0 before, so that the first statement cuts it.
  std::size_t take_limit_ = 0;
  std::uint64_t position_ = 0;  // file offset of the buffer's first byte
  FileStatus status_ = FileStatus::new_file;
  FileAction action_ = FileAction::read_write;
  // Last, so that the unit's other members and the part of the buffer in use share pages.
  std::array<char, file_buffer_bytes + statement_room_bytes + record_spill_bytes> buffer_{};
};

// The units of a run, in the run's state. Units are connected in the order of the table and
// closed only when the run ends, so a slot is taken once: it is still as the run's state
// began, all zero, when its unit is connected.
struct UnitTable {
  int connected = 0;  // units [0, connected) have been connected
  int closed = 0;     // units [0, closed) have been closed again, at the run's end
  std::array<FileUnit, max_connected_units> units{};
};

// The file name as connected: at most 259 characters, leading and trailing blanks removed.
[[nodiscard]] std::string_view trim_file_name(std::string_view name);

// Connects `number` to the file `name` (status unknown: opened if it exists, else created).
void connect_unit(std::int32_t number, std::string_view name);

// The unit connected under `number`, or nullptr.
[[nodiscard]] FileUnit* find_unit(std::int32_t number);

// Closes every connected unit in the order of the table (termination).
void close_all_units();

}  // namespace duopit::lifecycle
