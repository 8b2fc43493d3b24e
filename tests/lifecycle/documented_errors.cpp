// The error tables of the README and of both manuals against the program: every number they
// show must be one the program has, with its text where they quote it, and every cause they
// name must sit in the row of the number the program gives for it.
#include <algorithm>
#include <cerrno>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lifecycle/file_unit.hpp"
#include "lifecycle/run_time_error.hpp"
#include "platform/posix/posix_platform.hpp"
#include "platform/win32/error_classes.hpp"
#include "support/run_environment.hpp"

namespace duopit::lifecycle {
namespace {

using platform::OsError;
using testing::FakePlatform;
using testing::Op;
using testing::RunEnvironment;

struct Row {
  std::string heading;  // numbers, statement and (in the manuals) the message's text
  std::string cause;    // lower case, blanks collapsed, markup removed
};

struct Document {
  std::string name;
  bool posix;  // a POSIX host's document, or the desktop platform's manual
  std::vector<Row> rows;
};

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

// Roff's escapes and Markdown's backquotes out, blanks collapsed.
std::string plain(std::string text) {
  text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
  text = std::regex_replace(text, std::regex(R"(\\\(lq|\\\(rq)"), "\"");
  text = std::regex_replace(text, std::regex(R"(\\~|`)"), " ");
  text = std::regex_replace(text, std::regex(R"(^\.[A-Z]+ )"), "");
  text = std::regex_replace(text, std::regex(R"(\s+)"), " ");
  return std::regex_replace(text, std::regex(R"(^ | $)"), "");
}

std::string lower(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

// The Markdown table headed "| Error | Cause |": the first cell, and the cause.
std::vector<Row> markdown_rows(const std::string& text) {
  std::vector<Row> rows;
  bool inside = false;
  for (const std::string& line : lines_of(text)) {
    if (line.starts_with("| Error | Cause |")) {
      inside = true;
    } else if (inside && line.starts_with("|---")) {
    } else if (inside && line.starts_with("|")) {
      const std::size_t second = line.find(" | ", 2);
      const std::size_t third = line.find(" | ", second + 3);
      rows.push_back({plain(line.substr(2, second - 2)),
                      lower(plain(line.substr(second + 3, third - second - 3)))});
    } else if (inside) {
      break;
    }
  }
  return rows;
}

// The entries of a manual's DIAGNOSTICS: ".TP", the heading in bold, the cause up to the next
// paragraph.
std::vector<Row> manual_rows(const std::string& text) {
  std::vector<Row> rows;
  bool inside = false;
  Row* row = nullptr;
  const std::vector<std::string> lines = lines_of(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.starts_with(".SH")) {
      inside = line == ".SH DIAGNOSTICS";
      row = nullptr;
    } else if (inside && line == ".TP" && i + 1 < lines.size()) {
      rows.push_back({plain(lines[++i]), ""});
      row = &rows.back();
    } else if (inside && (line.starts_with(".PP") || line.starts_with(".RS"))) {
      row = nullptr;
    } else if (row != nullptr) {
      row->cause = lower(plain(row->cause + " " + line));
    }
  }
  return rows;
}

std::vector<Document> documents() {
  return {
      {"README.md", true, markdown_rows(file_text(DUOPIT_SOURCE_DIR "/README.md"))},
      {"the manual page", true, manual_rows(file_text(DUOPIT_MANUAL_PAGE))},
      {"the desktop manual", false, manual_rows(file_text(DUOPIT_DESKTOP_MANUAL))},
  };
}

std::string code_text(ErrorCode code) {
  return code.letter + std::to_string(code.number);
}

std::vector<RunTimeError> every_error() {
  std::vector<RunTimeError> errors;
  for (int i = 0; i <= static_cast<int>(RunTimeError::startup_no_resources); ++i) {
    errors.push_back(static_cast<RunTimeError>(i));
  }
  return errors;
}

std::vector<std::string> codes_in(const std::string& heading) {
  std::vector<std::string> codes;
  const std::regex code(R"(\b[FMR]6\d{3}\b)");
  for (auto it = std::sregex_iterator(heading.begin(), heading.end(), code);
       it != std::sregex_iterator(); ++it) {
    codes.push_back(it->str());
  }
  return codes;
}

TEST(DocumentedErrors, NumbersAndTextsAreThePrograms) {
  std::set<std::string> numbers;
  std::set<std::string> numbered_texts;
  for (RunTimeError error : every_error()) {
    numbers.insert(code_text(error_code(error)));
    numbered_texts.insert(code_text(error_code(error)) + " " + std::string(error_text(error)));
  }
  for (const Document& document : documents()) {
    EXPECT_GE(document.rows.size(), 10u) << document.name << ": no error table found";
    for (const Row& row : document.rows) {
      SCOPED_TRACE(document.name + ": " + row.heading);
      const std::vector<std::string> codes = codes_in(row.heading);
      EXPECT_FALSE(codes.empty());
      for (const std::string& code : codes) {
        EXPECT_TRUE(numbers.contains(code)) << code << " is no number of the program";
      }
      // A quoted message text: after " - " in the manuals, in backquotes in the README.
      std::smatch quoted;
      if (codes.size() == 1 &&
          std::regex_search(row.heading, quoted, std::regex(R"((?: - |, )([a-z][^,]*[a-z])$)"))) {
        EXPECT_TRUE(numbered_texts.contains(codes[0] + " " + quoted[1].str()))
            << codes[0] << " does not say \"" << quoted[1] << "\"";
      }
    }
  }
}

// A condition of the report file, as the documents name it, and how to meet it.
struct Condition {
  const char* phrase;  // a regular expression, on the lower-case cause
  bool posix_only;
  std::function<void(FakePlatform&)> set_up;
};

// The number the program reports when it writes a report under `set_up`.
std::string number_given(const std::function<void(FakePlatform&)>& set_up) {
  RunEnvironment env;
  env.os.files["duopit.dat"].content = "an old report";
  set_up(env.os);
  env.run_to_exit([] {
    connect_unit(10, "duopit.dat");
    FileUnit* unit = find_unit(10);
    unit->begin_statement();
    std::copy_n("x\r\n", 3, unit->records_begin());
    unit->take_records(3);
  });
  std::smatch number;
  EXPECT_TRUE(std::regex_search(env.os.error, number, std::regex(R"(error ([FMR]\d{4}))")))
      << env.os.error;
  return number[1].str();
}

std::function<void(FakePlatform&)> failing_write(OsError error) {
  return [error](FakePlatform& os) { os.injected = {{Op::write_file, 1, error}}; };
}

TEST(DocumentedErrors, CausesAreInTheRowsOfTheNumbersTheProgramGives) {
  const auto read_only = [](FakePlatform& os) { os.files["duopit.dat"].read_only = true; };
  const Condition conditions[] = {
      {"file-size limit", true, failing_write(platform::classify_errno(EFBIG))},
      {"device is full", true, failing_write(platform::classify_errno(ENOSPC))},
      {"device is full", false, failing_write(platform::classify_error_code(112))},
      {"another user", true, read_only},
      {"write permission|read-only", false, read_only},
      {"(directory|folder) has that name", false,
       [](FakePlatform& os) { os.files["duopit.dat"].directory = true; }},
      {"another run", false, [](FakePlatform& os) { os.files["duopit.dat"].held = true; }},
      {"too many open files", false, [](FakePlatform& os) {
         os.injected = {{Op::open, 1, platform::classify_errno(EMFILE)}};
       }},
  };
  for (const Condition& condition : conditions) {
    const std::string given = number_given(condition.set_up);
    for (const Document& document : documents()) {
      if (condition.posix_only && !document.posix) {
        continue;
      }
      SCOPED_TRACE(document.name + ": " + condition.phrase);
      int rows_naming_it = 0;
      for (const Row& row : document.rows) {
        if (std::regex_search(row.cause, std::regex(condition.phrase))) {
          ++rows_naming_it;
          const std::vector<std::string> codes = codes_in(row.heading);
          EXPECT_TRUE(std::find(codes.begin(), codes.end(), given) != codes.end())
              << "the row " << row.heading << " names it; the program gives " << given;
        }
      }
      EXPECT_GT(rows_naming_it, 0) << "no row names it (the program gives " << given << ")";
    }
  }
}

}  // namespace
}  // namespace duopit::lifecycle
