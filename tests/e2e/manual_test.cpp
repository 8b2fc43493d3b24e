// The README and the manual page against the real program. Every session they show is typed
// into a shell on a pseudo-terminal and the screen compared with the text; the tables of
// answers, survey data, precision and misclosure figures are recomputed from real runs and
// compared cell by cell. The expected texts are the manual's own: nothing here restates them.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/process_runner.hpp"

namespace duopit::e2e {
namespace {

using namespace std::chrono_literals;

const std::string prompt = "Rumo de saida ficticio (em graus):";

std::string source_file(const std::string& name) {
  return read_file(std::string(DUOPIT_SOURCE_DIR) + "/" + name);
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) {
    lines.push_back(text.substr(start));
  }
  return lines;
}

// Runs of blanks and line ends as one blank, so that a phrase is found across the wrapping.
std::string flowed(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n';
    if (!blank) {
      out += c;
    } else if (!out.empty() && out.back() != ' ') {
      out += ' ';
    }
  }
  return out;
}

// The manual page's escapes, as man shows them.
struct Escape {
  const char* roff;
  const char* text;
};
constexpr Escape escapes[] = {
    {"\\-", "-"},     {"\\e", "\\"},    {"\\(aq", "'"},  {"\\(ha", "^"},  {"\\&", ""},
    {"\\~", " "},     {"\\(->", "→"},   {"\\(lq", "“"},  {"\\(rq", "”"},  {"\\(mu", "×"},
    {"\\(sr", "√"},   {"\\(+-", "±"},
};

std::string unescape_roff(const std::string& line) {
  std::string out;
  for (std::size_t i = 0; i < line.size();) {
    if (line[i] != '\\') {
      out += line[i++];
      continue;
    }
    bool known = false;
    for (const Escape& e : escapes) {
      if (line.compare(i, std::strlen(e.roff), e.roff) == 0) {
        out += e.text;
        i += std::strlen(e.roff);
        known = true;
        break;
      }
    }
    if (!known) {
      ADD_FAILURE() << "an escape this test does not know: " << line.substr(i);
      out += line[i++];
    }
  }
  return out;
}

// The manual page as text: escapes resolved, request lines left out.
std::string manual_page_text() {
  std::string text;
  for (const std::string& line : lines_of(source_file("docs/duopit.1"))) {
    if (!line.starts_with(".")) {
      text += unescape_roff(line) + "\n";
    }
  }
  return text;
}

// The blocks between an `open` line and a `close` line, each as its lines, passed through
// `unescape`, joined with LF.
std::vector<std::string> fenced_blocks(const std::string& text, std::string_view open,
                                       std::string_view close,
                                       std::string (*unescape)(const std::string&)) {
  std::vector<std::string> blocks;
  std::string* block = nullptr;
  for (const std::string& line : lines_of(text)) {
    if (block == nullptr && line == open) {
      block = &blocks.emplace_back();
    } else if (block != nullptr && line == close) {
      block = nullptr;
    } else if (block != nullptr) {
      *block += unescape(line) + "\n";
    }
  }
  return blocks;
}

std::string as_written(const std::string& line) { return line; }

// The ```console blocks of a Markdown text.
std::vector<std::string> markdown_sessions(const std::string& text) {
  return fenced_blocks(text, "```console", "```", as_written);
}

// The .EX ... .EE blocks of the manual page, unescaped.
std::vector<std::string> manual_page_sessions(const std::string& roff) {
  return fenced_blocks(roff, ".EX", ".EE", unescape_roff);
}

// Reads the screen until it ends with `tail` after more than `past` bytes.
void read_until_end(PtySession& session, const std::string& tail, std::size_t past) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!(session.screen().size() > past && session.screen().ends_with(tail)) &&
         std::chrono::steady_clock::now() < deadline) {
    (void)session.read_for(20ms);
  }
}

// Types the session's commands into `sh -i` on a pseudo-terminal, in a fresh directory where
// both build/default/duopit and duopit on the PATH are the built program. A command that
// reads the terminal (no pipe, no redirected input) and whose first line of output is the
// prompt followed by text gets that text typed as its answer. The screen, without its CRs and
// without the closing `exit`, is returned.
std::string run_session(const std::string& block) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("build/default"));
  std::filesystem::create_directories(dir.file("bin"));
  place_program(dir.file("build/default/duopit"));
  place_program(dir.file("bin/duopit"));
  PtyOptions shell;
  shell.command = {"/bin/sh", "-i"};
  shell.error_on_terminal = true;
  shell.environment = {"PS1=$ ", "ENV=/dev/null", "LC_ALL=C", "TERM=dumb",
                       "PATH=" + dir.file("bin") + ":/usr/bin:/bin"};
  PtySession session(dir.path(), shell);
  read_until_end(session, "$ ", 0);
  const std::vector<std::string> lines = lines_of(block);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].starts_with("$ ")) {
      continue;
    }
    const std::string command = lines[i].substr(2);
    const std::size_t before = session.screen().size();
    session.type(command + "\n");
    const bool reads_terminal = command.find_first_of("|<") == std::string::npos;
    if (reads_terminal && i + 1 < lines.size() && lines[i + 1].starts_with(prompt) &&
        lines[i + 1].size() > prompt.size()) {
      read_until_end(session, prompt, before);
      session.type(lines[i + 1].substr(prompt.size()) + "\n");
    }
    read_until_end(session, "\n$ ", before);
  }
  session.type("exit\n");
  const RunResult result = session.wait();
  std::string screen;
  for (const char c : result.out) {
    if (c != '\r') {
      screen += c;
    }
  }
  if (screen.ends_with("$ exit\n")) {
    screen.erase(screen.size() - 7);
  }
  return screen;
}

TEST(Manual, SessionsAreWhatTheProgramShows) {
  struct Source {
    const char* name;
    std::vector<std::string> sessions;
  };
  const Source sources[] = {
      {"README.md", markdown_sessions(source_file("README.md"))},
      {"docs/duopit.1", manual_page_sessions(source_file("docs/duopit.1"))},
  };
  for (const Source& source : sources) {
    EXPECT_FALSE(source.sessions.empty()) << source.name;
    for (const std::string& session : source.sessions) {
      SCOPED_TRACE(std::string(source.name) + ":\n" + session);
      EXPECT_EQ(run_session(session), session);
    }
  }
}

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  const std::size_t last = text.find_last_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The body rows of the Markdown table whose header row starts with `header`, cell by cell.
std::vector<std::vector<std::string>> table_rows(const std::string& text,
                                                const std::string& header) {
  std::vector<std::vector<std::string>> rows;
  const std::vector<std::string> lines = lines_of(text);
  std::size_t i = 0;
  while (i < lines.size() && !lines[i].starts_with("| " + header + " |")) {
    ++i;
  }
  EXPECT_LT(i, lines.size()) << "no table headed " << header;
  for (i += 2; i < lines.size() && lines[i].starts_with("|"); ++i) {
    std::vector<std::string> cells;
    std::size_t start = 1;
    for (std::size_t bar; (bar = lines[i].find('|', start)) != std::string::npos; start = bar + 1) {
      cells.push_back(trimmed(lines[i].substr(start, bar - start)));
    }
    rows.push_back(cells);
  }
  return rows;
}

// The texts between backquotes.
std::vector<std::string> quoted(const std::string& cell) {
  std::vector<std::string> texts;
  for (std::size_t open = cell.find('`'); open != std::string::npos;) {
    const std::size_t close = cell.find('`', open + 1);
    texts.push_back(cell.substr(open + 1, close - open - 1));
    open = cell.find('`', close + 1);
  }
  return texts;
}

// 1407.514 with 3 decimals: "1,407.514".
std::string grouped(double value, int decimals) {
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.*f", decimals, std::abs(value));
  const std::string plain = digits;
  const std::size_t point = std::min(plain.find('.'), plain.size());
  std::string text = value < 0 ? "-" : "";
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (i > 0 && i < point && (point - i) % 3 == 0) {
      text += ',';
    }
    text += plain[i];
  }
  return text;
}

// Below a millimetre "1.2 × 10^-9 m"; below a metre in millimetres to the micrometre
// ("1.255 mm"); from a metre in metres to the millimetre ("2,426.551 m").
std::string length_text(double metres) {
  if (metres < 1e-3) {
    char mantissa[32];
    std::snprintf(mantissa, sizeof mantissa, "%.1e", metres);
    const std::string text = mantissa;
    const std::size_t e = text.find('e');
    return text.substr(0, e) + " × 10^" + std::to_string(std::atoi(text.c_str() + e + 1)) + " m";
  }
  if (metres < 1) {
    return grouped(metres * 1000, 3) + " mm";
  }
  return grouped(metres, 3) + " m";
}

// "less than 1 × 10^-10 m": the bound in metres.
double bound_of(const std::string& cell) {
  const std::size_t power = cell.find("10^");
  return std::strtod(cell.c_str() + cell.find_first_of("0123456789"), nullptr) *
         std::pow(10.0, std::strtod(cell.c_str() + power + 3, nullptr));
}

// 1 : N, N to three significant digits.
std::string ratio_text(double n) {
  const double unit = std::pow(10.0, std::floor(std::log10(n)) - 2);
  return "1 : " + grouped(std::round(n / unit) * unit, 0);
}

struct Point {
  double x;
  double y;
};

double distance(Point from, Point to) { return std::hypot(to.x - from.x, to.y - from.y); }

// Degrees clockwise from north, from 0 to 360.
double bearing(Point from, Point to) {
  const double degrees = std::atan2(to.x - from.x, to.y - from.y) * 180 / std::numbers::pi;
  return degrees < 0 ? degrees + 360 : degrees;
}

double within_turn(double degrees) { return std::fmod(std::fmod(degrees, 360) + 360, 360); }

// The angle at a station from the bearings in and out: out = in - 180 + angle.
double angle_between(double bearing_in, double bearing_out) {
  return within_turn(bearing_out - bearing_in + 180);
}

// A report's records: [n] is the value of record n (from 1), point(n) the point that records
// n and n + 1 give.
struct Report {
  std::vector<std::string> records;
  [[nodiscard]] double operator[](int number) const { return value_of(records.at(number - 1)); }
  [[nodiscard]] Point point(int number) const { return {(*this)[number], (*this)[number + 1]}; }
};

Report report_for(const std::string& answer) {
  const AnsweredRun run = run_with_answer(answer + "\n");
  EXPECT_EQ(run.result.status, 0) << answer << ": " << run.result.err;
  Report report{records_of(run.report)};
  EXPECT_EQ(report.records.size(), 65u) << answer;
  return report;
}

constexpr int corrected_values[] = {51, 52, 54, 55, 57, 58, 60, 61, 63, 64};

double largest_change(const Report& report, const Report& zero) {
  double largest = 0;
  for (const int number : corrected_values) {
    largest = std::max(largest, std::abs(report[number] - zero[number]));
  }
  return largest;
}

double linear_misclosure(const Report& report) { return std::hypot(report[63], report[64]); }

TEST(Manual, AnswerFormsReadAsTheTableSays) {
  const auto rows = table_rows(source_file("README.md"), "You type");
  ASSERT_FALSE(rows.empty());
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 2u);
    const std::string bearing = row[1].substr(0, row[1].find(':'));
    const AnsweredRun reference = run_with_answer(bearing + "\n");
    ASSERT_EQ(reference.result.status, 0) << bearing;
    for (const std::string& form : quoted(row[0])) {
      SCOPED_TRACE(form);
      const AnsweredRun run = run_with_answer(form + "\n");
      EXPECT_EQ(run.result.status, 0);
      EXPECT_EQ(run.report, reference.report) << "not read as " << bearing;
    }
  }
}

TEST(Manual, PrecisionTableAgainstRuns) {
  const std::string readme = source_file("README.md");
  const Report zero = report_for("0");
  const auto rows = table_rows(readme, "Answer");
  ASSERT_GE(rows.size(), 2u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 3u);
    const std::vector<std::string> answers = quoted(row[0]);
    SCOPED_TRACE(row[0]);
    if (answers.size() == 1) {
      const Report report = report_for(answers[0]);
      EXPECT_EQ(length_text(largest_change(report, zero)), row[1]);
      EXPECT_EQ(length_text(linear_misclosure(report)), row[2]);
      continue;
    }
    // A range: answers spread over it, ends included, none of them round.
    ASSERT_EQ(answers.size(), 2u);
    const double low = std::strtod(answers[0].c_str(), nullptr);
    const double high = std::strtod(answers[1].c_str(), nullptr);
    const double bound = bound_of(row[1]);
    EXPECT_TRUE(row[1].starts_with("less than ")) << row[1];
    constexpr int steps = 97;
    for (int k = 0; k <= steps; ++k) {
      char answer[32];
      std::snprintf(answer, sizeof answer, "%.17g", low + (high - low) * k / steps);
      SCOPED_TRACE(answer);
      const Report report = report_for(answer);
      EXPECT_LT(largest_change(report, zero), bound);
      EXPECT_EQ(length_text(linear_misclosure(report)), row[2]);
    }
    // The range is not stated far too small: ten times its ends, the bound no longer holds.
    for (const double beyond : {10 * low, 10 * high}) {
      char answer[32];
      std::snprintf(answer, sizeof answer, "%.17g", beyond);
      EXPECT_GT(largest_change(report_for(answer), zero), bound) << answer;
    }
    const std::string range = "±" + grouped(high, 0) + " degrees";
    EXPECT_NE(flowed(readme).find(range), std::string::npos);
    EXPECT_NE(flowed(manual_page_text()).find(range), std::string::npos) << "manual page";
  }
}

// The README's survey data, by the first cell of their rows.
std::map<std::string, double> survey_data(const std::string& readme) {
  std::map<std::string, double> data;
  for (const auto& row : table_rows(readme, "Survey data")) {
    data[row.at(0)] = std::strtod(row.at(1).c_str(), nullptr);
  }
  return data;
}

TEST(Manual, SurveyDataAreTheProgramsData) {
  const std::string readme = source_file("README.md");
  std::map<std::string, double> data = survey_data(readme);
  ASSERT_EQ(data.size(), 13u);
  const Report run = report_for("0");
  // The coordinates are printed.
  EXPECT_NEAR(run[3], data["P1, easting x1"], 1e-9);
  EXPECT_NEAR(run[4], data["P1, northing y1"], 1e-9);
  EXPECT_NEAR(run[6], data["P2, easting x2"], 1e-9);
  EXPECT_NEAR(run[7], data["P2, northing y2"], 1e-9);
  // The legs of the corrected traverse have the reduced lengths dr = (h × d) / R + d.
  const double h = data["level height"];
  const double R = data["Earth radius"];
  const Point P1 = run.point(3), a = run.point(51), b = run.point(54), c = run.point(57),
              P2 = run.point(60);
  struct Leg {
    const char* name;
    Point from, to;
  };
  const Leg legs[] = {{"distance P1 → a", P1, a},
                      {"distance a → b", a, b},
                      {"distance b → c", b, c},
                      {"distance c → P2", c, P2}};
  for (const Leg& leg : legs) {
    const double d = data[leg.name];
    EXPECT_NEAR(distance(leg.from, leg.to), (h * d) / R + d, 1e-10) << leg.name;
  }
  // The fictitious pass from 0: R_ab = R_1a - 180 + angle at a, R_bc = R_ab - 180 + angle at b,
  // R_c2 = R_bc - 180 - angle at c.
  EXPECT_NEAR(angle_between(run[15], run[22]), data["angle at a"], 1e-9);
  EXPECT_NEAR(angle_between(run[22], run[27]), data["angle at b"], 1e-9);
  EXPECT_NEAR(angle_between(run[32], run[27]), data["angle at c"], 1e-9);
  // The manual page gives the same values.
  const std::string page = flowed(manual_page_text());
  for (const auto& [name, value] : data) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    EXPECT_NE(page.find(text), std::string::npos) << name << " " << text;
  }
}

TEST(Manual, ConventionsHoldInTheReport) {
  const std::string readme = flowed(source_file("README.md"));
  std::map<std::string, double> data = survey_data(source_file("README.md"));
  const Report run = report_for("0");
  const Point P1 = run.point(3), P2 = run.point(6);
  // Bearings clockwise from north, x east and y north.
  EXPECT_NEAR(run[11], bearing(P1, P2), 1e-9);
  char R12[16];
  std::snprintf(R12, sizeof R12, "%.3f", std::trunc(run[11] * 1000) / 1000);
  EXPECT_NE(readme.find(std::string("`R12`, ") + R12 + "… degrees"), std::string::npos);
  EXPECT_NE(readme.find(grouped(P2.x - P1.x, 3) + " m east"), std::string::npos);
  EXPECT_NE(readme.find(grouped(P2.y - P1.y, 3) + " m north"), std::string::npos);
  // Decimal degrees: the angle at a in degrees, minutes and seconds.
  const double angle = data["angle at a"];
  const double minutes = (angle - std::floor(angle)) * 60;
  char dms[64];
  std::snprintf(dms, sizeof dms, "%.0f° %.0f′ %.2f″", std::floor(angle), std::floor(minutes),
                (minutes - std::floor(minutes)) * 60);
  EXPECT_NE(readme.find(dms), std::string::npos) << dms;
}

TEST(Manual, CorrectedTraverseIsRotatedNotAdjusted) {
  const std::string readme = flowed(source_file("README.md"));
  std::map<std::string, double> data = survey_data(source_file("README.md"));
  const Report run = report_for("0");
  const Point P1 = run.point(3), P2 = run.point(6);
  const Point a = run.point(51), b = run.point(54), c = run.point(57), end = run.point(60);
  // The measured angles, unchanged.
  EXPECT_NEAR(angle_between(bearing(P1, a), bearing(a, b)), data["angle at a"], 1e-8);
  EXPECT_NEAR(angle_between(bearing(a, b), bearing(b, c)), data["angle at b"], 1e-8);
  EXPECT_NEAR(angle_between(bearing(c, end), bearing(b, c)), data["angle at c"], 1e-8);
  // The whole misclosure at P2, along the line P1-P2, beyond P2.
  EXPECT_NEAR(P2.x - end.x, run[63], 1e-10);
  EXPECT_NEAR(P2.y - end.y, run[64], 1e-10);
  const double misclosure = linear_misclosure(run);
  EXPECT_NEAR(distance(P1, end) - distance(P1, P2), misclosure, 1e-10);
  EXPECT_NE(readme.find(length_text(misclosure) + " beyond P2"), std::string::npos);
}

TEST(Manual, MisclosureFiguresOfTheAnswerZero) {
  const std::string readme_source = source_file("README.md");
  std::map<std::string, double> data = survey_data(readme_source);
  const Report run = report_for("0");
  const Point stations[] = {run.point(3), run.point(51), run.point(54), run.point(57),
                            run.point(60)};
  double reduced = 0;
  for (int i = 0; i < 4; ++i) {
    reduced += distance(stations[i], stations[i + 1]);
  }
  const double measured = data["distance P1 → a"] + data["distance a → b"] +
                          data["distance b → c"] + data["distance c → P2"];
  const double misclosure = linear_misclosure(run);
  struct Figure {
    const char* row;
    std::string text;
  };
  const Figure figures[] = {
      {"linear misclosure", length_text(misclosure)},
      {"traverse length, the four measured", grouped(measured, 3) + " m"},
      {"traverse length, reduced", grouped(reduced, 3) + " m"},
      {"relative precision", ratio_text(reduced / misclosure)},
  };
  const auto rows = table_rows(readme_source, "Figure");
  ASSERT_EQ(rows.size(), std::size(figures));
  const std::string page = flowed(manual_page_text());
  for (const Figure& figure : figures) {
    SCOPED_TRACE(figure.row);
    bool found = false;
    for (const auto& row : rows) {
      if (row.at(0).starts_with(figure.row)) {
        found = true;
        EXPECT_EQ(row.at(1), figure.text);
      }
    }
    EXPECT_TRUE(found);
    EXPECT_NE(page.find(figure.text), std::string::npos) << "not in the manual page";
  }
}

}  // namespace
}  // namespace duopit::e2e
