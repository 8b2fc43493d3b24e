// plot/main.cpp — duopit-plot: reads a duopit report and writes its picture. The one file of
// the program that touches files and the console; reading and drawing are pure.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "plot/command_line.hpp"
#include "plot/picture.hpp"
#include "plot/report_reader.hpp"

namespace {

using namespace duopit::plot;

// A report is some 2,500 bytes; a file longer than this is not one, and is not read whole.
constexpr std::size_t longest_read_bytes = 64 * 1024;

constexpr int status_drawn = 0;
constexpr int status_cut_report = 1;
constexpr int status_nothing_written = 2;

void say(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
}

std::string reason_of(int error) { return error != 0 ? std::strerror(error) : "read error"; }

// The file's first bytes, up to one more than a report may hold. False, with errno's reason,
// when it cannot be read.
bool read_file(const std::string& path, std::string& text, std::string& reason) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    reason = reason_of(errno);
    return false;
  }
  text.resize(longest_read_bytes + 1);
  errno = 0;
  text.resize(std::fread(text.data(), 1, text.size(), file));
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  std::fclose(file);
  if (failed) {
    reason = reason_of(error);
  }
  return !failed;
}

bool write_all(std::FILE* file, const std::string& svg) {
  return std::fwrite(svg.data(), 1, svg.size(), file) == svg.size() && std::fflush(file) == 0;
}

// The picture to its file. A file that this run created is removed again if the picture
// could not be written whole; one that was there before is never removed, since -o may name
// a device or a link to one.
bool write_picture(const CommandLine& command, const std::string& svg, std::string& reason) {
  if (command.to_standard_output) {
    errno = 0;
    const bool written = write_all(stdout, svg);
    reason = reason_of(errno);
    return written;
  }
  std::error_code ignored;
  const bool existed =
      std::filesystem::exists(std::filesystem::symlink_status(command.picture, ignored));
  std::FILE* file = std::fopen(command.picture.c_str(), "wb");
  if (file == nullptr) {
    reason = reason_of(errno);
    return false;
  }
  errno = 0;
  bool written = write_all(file, svg);
  const int error = errno;
  written = std::fclose(file) == 0 && written;
  if (!written) {
    reason = reason_of(error != 0 ? error : errno);
    if (!existed) {
      std::remove(command.picture.c_str());
    }
  }
  return written;
}

// Names the sections a cut report lacks, one line each.
void name_missing_sections(const std::string& report_name, const Report& report) {
  say("duopit-plot: " + report_name + " ends after record " + std::to_string(report.records) +
      " of " + std::to_string(report_records) + "; drawn without these sections:");
  for (std::size_t s = 0; s < section_count; ++s) {
    const SectionInfo& info = section_info(static_cast<Section>(s));
    if (report.records >= info.last_record) {
      continue;
    }
    std::string line = "  records " + std::to_string(info.first_record) + "-" +
                       std::to_string(info.last_record);
    if (report.records >= info.first_record) {
      line += " (cut after record " + std::to_string(report.records) + ")";
    }
    say(line + ": " + std::string(info.title));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const CommandLine command = read_command_line(argc, argv);
  switch (command.request) {
    case Request::help:
      std::fwrite(help_text().data(), 1, help_text().size(), stdout);
      return std::fflush(stdout) == 0 ? status_drawn : status_nothing_written;
    case Request::version:
      std::fwrite(version_text().data(), 1, version_text().size(), stdout);
      return std::fflush(stdout) == 0 ? status_drawn : status_nothing_written;
    case Request::usage_error:
      say(command.error);
      return status_nothing_written;
    case Request::draw:
      break;
  }
  const std::string report_name = shown(command.report);
  std::string text, reason;
  if (!read_file(command.report, text, reason)) {
    say("duopit-plot: cannot read " + report_name + ": " + reason);
    return status_nothing_written;
  }
  const ReadOutcome outcome = read_report(text);
  if (outcome.status == ReadStatus::foreign) {
    say("duopit-plot: " + report_name + " is not a duopit report: record " +
        std::to_string(outcome.bad_record) + " is " + std::string(outcome.reason));
    return status_nothing_written;
  }
  const std::string svg = draw_picture(outcome.report);
  if (!write_picture(command, svg, reason)) {
    say("duopit-plot: cannot write " +
        (command.to_standard_output ? std::string("the picture") : shown(command.picture)) +
        ": " + reason);
    return status_nothing_written;
  }
  if (outcome.status == ReadStatus::cut) {
    name_missing_sections(report_name, outcome.report);
    return status_cut_report;
  }
  return status_drawn;
}
