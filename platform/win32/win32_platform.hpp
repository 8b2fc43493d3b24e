// platform/win32/win32_platform.hpp — the platform layer on the 32-bit desktop platform.
#pragma once

#include <array>

#include "platform/platform.hpp"

namespace duopit::platform {

class Win32Platform final : public Platform {
 public:
  OsError prepare_process() override;
  HandleKind std_kind(StdStream stream) override;
  IoResult read_std(StdStream stream, char* buffer, std::size_t max) override;
  IoResult write_std(StdStream stream, const char* data, std::size_t size) override;
  void discard_typed_line() override;
  OpenResult open(const char* name, Disposition disposition, Access access) override;
  OsError hold_for_writing(FileHandle handle) override;
  SizeResult file_size(FileHandle handle) override;
  OsError set_file_size(FileHandle handle, std::uint64_t size) override;
  IoResult write_file(FileHandle handle, const char* data, std::size_t size) override;
  OsError close(FileHandle handle) override;
  [[noreturn]] void end_process(int status) override;

 private:
  std::array<FileHandle, 3> handles_{no_file, no_file, no_file};
  std::array<HandleKind, 3> kinds_{HandleKind::closed, HandleKind::closed, HandleKind::closed};
};

}  // namespace duopit::platform
