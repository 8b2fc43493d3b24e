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

struct Row {
  std::string heading;  // numbers, statement and (where quoted) the message's text
  std::string cause;    // lower case, markup removed
};

struct Document {
  std::string name;
  bool posix;  // a POSIX host's document, not the desktop platform's manual
  std::vector<Row> rows;
};

// Roff's escapes, Markdown's backquotes and a request's name out, blanks collapsed.
std::string plain(std::string text) {
  for (const auto& [from, to] : {std::pair{R"(\\-)", "-"}, {R"(\\\(lq|\\\(rq)", "\""},
                                 {R"(\\~|`|^\.[A-Z]+ )", " "}, {R"(\s+)", " "}, {"^ | $", ""}}) {
    text = std::regex_replace(text, std::regex(from), to);
  }
  return text;
}

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
    return static_cast<char>(std::tolower(c));
  });
  return text;
}

// The README's table headed "| Error | Cause |", or the entries of a manual's DIAGNOSTICS
// (".TP", the heading, the cause up to the next paragraph).
std::vector<Row> rows_of(const std::string& path, bool markdown) {
  std::ifstream in(path);
  EXPECT_TRUE(in) << path;
  std::vector<Row> rows;
  bool inside = false;
  bool in_row = false;
  for (std::string line; std::getline(in, line);) {
    if (markdown ? line.starts_with("| Error | Cause |") : line.starts_with(".SH")) {
      inside = markdown || line == ".SH DIAGNOSTICS";
      in_row = false;
    } else if (markdown && inside && line.starts_with("| ") && !line.starts_with("|--")) {
      const std::size_t second = line.find(" | ", 2);
      const std::size_t third = line.find(" | ", second + 3);
      rows.push_back({plain(line.substr(2, second - 2)),
                      lower(plain(line.substr(second + 3, third - second - 3)))});
    } else if (markdown) {
      inside = inside && line.starts_with("|");
    } else if (inside && line == ".TP" && std::getline(in, line)) {
      rows.push_back({plain(line), ""});
      in_row = true;
    } else if (line.starts_with(".PP") || line.starts_with(".RS")) {
      in_row = false;
    } else if (in_row) {
      rows.back().cause = lower(plain(rows.back().cause + " " + line));
    }
  }
  return rows;
}

std::vector<Document> documents() {
  return {{"README.md", true, rows_of(DUOPIT_SOURCE_DIR "/README.md", true)},
          {"the manual page", true, rows_of(DUOPIT_MANUAL_PAGE, false)},
          {"the desktop manual", false, rows_of(DUOPIT_DESKTOP_MANUAL, false)}};
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
  for (int i = 0; i < static_cast<int>(RunTimeError::count); ++i) {
    const ErrorEntry& entry = error_entry(static_cast<RunTimeError>(i));
    const std::string number = entry.code.letter + std::to_string(entry.code.number);
    numbers.insert(number);
    numbered_texts.insert(number + " " + std::string(entry.text));
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
      // A quoted message text: after " - " in the manuals, after ", " in the README.
      std::smatch quoted;
      if (codes.size() == 1 &&
          std::regex_search(row.heading, quoted, std::regex(R"((?: - |, )([a-z][^,]*[a-z])$)"))) {
        EXPECT_TRUE(numbered_texts.contains(codes[0] + " " + quoted[1].str()))
            << codes[0] << " does not say \"" << quoted[1] << "\"";
      }
    }
  }
}

// The number the program reports when it writes a report under `set_up`.
std::string number_given(const std::function<void(FakePlatform&)>& set_up) {
  testing::RunEnvironment env;
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
  EXPECT_TRUE(std::regex_search(env.os.error, number, std::regex(R"(error ([FMR]\d{4}))")));
  return number[1].str();
}

std::function<void(FakePlatform&)> failing(testing::Op op, OsError error) {
  return [op, error](FakePlatform& os) { os.injected = {{op, 1, error}}; };
}

// Each condition, as the documents name it (a regular expression on the lower-case cause),
// must be named in some row of each document it applies to, and only in rows that show the
// number the program gives for it.
TEST(DocumentedErrors, CausesAreInTheRowsOfTheNumbersTheProgramGives) {
  using testing::Op;
  const auto read_only = [](FakePlatform& os) { os.files["duopit.dat"].read_only = true; };
  const struct {
    const char* phrase;
    bool posix_only;
    std::function<void(FakePlatform&)> set_up;
  } conditions[] = {
      {"file-size limit", true, failing(Op::write_file, platform::classify_errno(EFBIG))},
      {"device is full", true, failing(Op::write_file, platform::classify_errno(ENOSPC))},
      {"device is full", false, failing(Op::write_file, platform::classify_error_code(112))},
      {"another user", true, read_only},
      {"write permission|read-only", false, read_only},
      {"(directory|folder) has that name", false,
       [](FakePlatform& os) { os.files["duopit.dat"].directory = true; }},
      {"another run", false, [](FakePlatform& os) { os.files["duopit.dat"].held = true; }},
      {"too many open files", false, failing(Op::open, platform::classify_errno(EMFILE))},
  };
  for (const auto& condition : conditions) {
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
