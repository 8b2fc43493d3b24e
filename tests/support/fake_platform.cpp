// tests/support/fake_platform.cpp — the in-memory platform.
#include "support/fake_platform.hpp"

#include <algorithm>
#include <cstring>

namespace duopit::testing {

using platform::Access;
using platform::Disposition;
using platform::HandleKind;
using platform::IoResult;
using platform::OsError;

const Injected* FakePlatform::injected_for(Op op, int stream) {
  call_log.push_back({op, stream});
  const int call = ++calls[op];
  for (const Injected& failure : injected) {
    if (failure.op == op && failure.call == call) {
      return &failure;
    }
  }
  return nullptr;
}

OsError FakePlatform::prepare_process() {
  if (const Injected* failure = injected_for(Op::prepare_process)) {
    return failure->error;
  }
  return prepare_error;
}

HandleKind FakePlatform::std_kind(platform::StdStream stream) {
  return kinds[static_cast<std::size_t>(stream)];
}

IoResult FakePlatform::read_std(platform::StdStream stream, char* buffer, std::size_t max) {
  if (const Injected* failure = injected_for(Op::read_std, static_cast<int>(stream))) {
    return {0, failure->error};
  }
  if (std_kind(stream) == HandleKind::closed) {
    return {0, OsError::access_denied};
  }
  if (!typed_lines.empty()) {
    const std::string line = typed_lines.front();
    typed_lines.erase(typed_lines.begin());
    const std::size_t count = std::min(max, line.size());
    std::memcpy(buffer, line.data(), count);
    return {count, OsError::none};
  }
  const std::size_t count = std::min(max, input.size());
  std::memcpy(buffer, input.data(), count);
  input.erase(0, count);
  return {count, OsError::none};
}

IoResult FakePlatform::write_std(platform::StdStream stream, const char* data, std::size_t size) {
  if (const Injected* failure = injected_for(Op::write_std, static_cast<int>(stream))) {
    return {0, failure->error};
  }
  if (std_kind(stream) == HandleKind::closed) {
    return {0, OsError::access_denied};
  }
  if (stream == platform::StdStream::error) {
    error.append(data, size);
    error_writes.emplace_back(data, size);
  } else {
    output.append(data, size);
  }
  return {size, OsError::none};
}

// A terminal's pending line is the front of typed_lines: it is dropped whole.
void FakePlatform::discard_typed_line() {
  (void)injected_for(Op::discard_typed_line);
  if (std_kind(platform::StdStream::input) == HandleKind::terminal && !typed_lines.empty()) {
    typed_lines.erase(typed_lines.begin());
  }
}

platform::OpenResult FakePlatform::open(const char* name, Disposition disposition, Access access) {
  if (const Injected* failure = injected_for(Op::open)) {
    return {platform::no_file, failure->error};
  }
  const auto found = files.find(name);
  if (disposition == Disposition::create_new) {
    if (found != files.end()) {
      return {platform::no_file, OsError::exists};
    }
    files[name] = FakeFile{};
  } else if (found == files.end()) {
    return {platform::no_file, OsError::not_found};
  } else if (found->second.directory ||
             (found->second.read_only && access != Access::read_only)) {
    return {platform::no_file, OsError::access_denied};
  }
  handles_.push_back(OpenFile{name, access});
  return {static_cast<platform::FileHandle>(handles_.size() + 2), OsError::none};
}

platform::SizeResult FakePlatform::file_size(platform::FileHandle handle) {
  if (const Injected* failure = injected_for(Op::file_size)) {
    return {0, failure->error};
  }
  const OpenFile& file = handles_.at(static_cast<std::size_t>(handle - 3));
  return {files[file.name].content.size(), OsError::none};
}

OsError FakePlatform::hold_for_writing(platform::FileHandle handle) {
  if (const Injected* failure = injected_for(Op::hold_for_writing)) {
    return failure->error;
  }
  const OpenFile& file = handles_.at(static_cast<std::size_t>(handle - 3));
  return files[file.name].held ? OsError::access_denied : OsError::none;
}

OsError FakePlatform::set_file_size(platform::FileHandle handle, std::uint64_t size) {
  if (const Injected* failure = injected_for(Op::set_file_size)) {
    return failure->error;
  }
  const OpenFile& file = handles_.at(static_cast<std::size_t>(handle - 3));
  if (file.access == Access::read_only) {
    return OsError::access_denied;
  }
  files[file.name].content.resize(size, '\0');
  return OsError::none;
}

IoResult FakePlatform::write_file(platform::FileHandle handle, const char* data, std::size_t size) {
  file_write_sizes.push_back(size);
  OpenFile& file = handles_.at(static_cast<std::size_t>(handle - 3));
  const Injected* failure = injected_for(Op::write_file);
  if (failure != nullptr && !failure->short_write) {
    return {0, failure->error};
  }
  if (file.access == Access::read_only) {
    return {0, OsError::access_denied};
  }
  const std::size_t count = failure != nullptr ? std::min(size, failure->short_bytes) : size;
  std::string& content = files[file.name].content;
  if (content.size() < file.position + count) {
    content.resize(file.position + count, '\0');
  }
  content.replace(file.position, count, data, count);
  file.position += count;
  return {count, OsError::none};
}

OsError FakePlatform::close(platform::FileHandle handle) {
  if (const Injected* failure = injected_for(Op::close)) {
    return failure->error;
  }
  handles_.at(static_cast<std::size_t>(handle - 3)).open = false;
  return OsError::none;
}

void FakePlatform::end_process(int status) { throw ProcessEnded{status}; }

}  // namespace duopit::testing
