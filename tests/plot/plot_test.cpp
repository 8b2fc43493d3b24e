// duopit-plot run as a process on reports of the real program: the picture's points against
// the report's coordinates, the statuses and messages of cut and foreign files, and the
// picture rendered by rsvg-convert.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/process_runner.hpp"

namespace duopit::e2e {
namespace {

std::string plot_path() {
  const char* chosen = std::getenv("DUOPIT_E2E_PLOT");
  return chosen != nullptr && *chosen != '\0' ? chosen : DUOPIT_PLOT_BINARY;
}

struct Plotted {
  RunResult result;
  bool written = false;
  std::string svg;
};

// duopit-plot in a fresh directory holding `report` as duopit.dat.
Plotted plot(const std::string& report, std::vector<std::string> arguments = {}) {
  TempDir dir;
  write_file(dir.file("duopit.dat"), report);
  RunOptions options;
  options.program = plot_path();
  options.arguments = std::move(arguments);
  if (!launcher().empty()) {
    options.wrapper = {launcher()};
  }
  Plotted p{run_program(dir.path(), options), false, {}};
  p.written = std::filesystem::exists(dir.file("duopit.svg"));
  p.svg = p.written ? read_file(dir.file("duopit.svg")) : "";
  return p;
}

struct Pt {
  double x = 0, y = 0;
};

// The element that carries `id`, from its '<' to its '>' (and a text's content after it).
std::string element(const std::string& svg, const std::string& id) {
  const std::size_t at = svg.find("id=\"" + id + "\"");
  if (at == std::string::npos) {
    return {};
  }
  const std::size_t start = svg.rfind('<', at);
  return svg.substr(start, svg.find("</", at) - start);
}

// The numbers in a text, as "-12.5" or "7": every run of digits, with its sign and fraction.
std::vector<double> numbers(const std::string& text) {
  std::vector<double> found;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(text[i])) != 0) {
      const std::size_t start = i > 0 && text[i - 1] == '-' ? i - 1 : i;
      i = std::min(text.find_first_not_of("0123456789.", i), text.size());
      found.push_back(std::stod(text.substr(start, i - start)));
    }
  }
  return found;
}

// The text of attribute `name` in the element that carries `id`.
std::string attribute_text(const std::string& svg, const std::string& id,
                           const std::string& name) {
  const std::string e = element(svg, id);
  const std::size_t at = e.find(" " + name + "=\"");
  EXPECT_NE(at, std::string::npos) << id << " " << name;
  if (at == std::string::npos) {
    return {};
  }
  const std::size_t start = at + name.size() + 3;
  return e.substr(start, e.find('"', start) - start);
}

double attribute(const std::string& svg, const std::string& id, const std::string& name) {
  const std::vector<double> n = numbers(attribute_text(svg, id, name));
  return n.size() == 1 ? n[0] : NAN;
}

std::vector<Pt> polyline(const std::string& svg, const std::string& id) {
  std::vector<Pt> points;
  if (element(svg, id).empty()) {
    return points;
  }
  const std::vector<double> n = numbers(attribute_text(svg, id, "points"));
  for (std::size_t i = 0; i + 1 < n.size(); i += 2) {
    points.push_back({n[i], n[i + 1]});
  }
  return points;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The report's values: records counted from 1, as the report's section table counts them.
struct Values {
  std::vector<std::string> records;
  Pt at(std::size_t x_record) const {
    return {value_of(records[x_record - 1]), value_of(records[x_record])};
  }
};

// The page transform, found from the two wires: equal scales, north up, no turn.
struct Transform {
  Pt p1_survey, p1_page;
  double scale = 0;
  Pt page(Pt s) const {
    return {p1_page.x + scale * (s.x - p1_survey.x), p1_page.y - scale * (s.y - p1_survey.y)};
  }
  Pt survey(Pt p) const {
    return {p1_survey.x + (p.x - p1_page.x) / scale, p1_survey.y - (p.y - p1_page.y) / scale};
  }
};

Transform transform_of(const std::string& svg, const Values& v) {
  const Pt w1{attribute(svg, "wire-P1", "cx"), attribute(svg, "wire-P1", "cy")};
  const Pt w2{attribute(svg, "wire-P2", "cx"), attribute(svg, "wire-P2", "cy")};
  const Pt s1 = v.at(3), s2 = v.at(6);
  const Transform t{s1, w1, (w2.x - w1.x) / (s2.x - s1.x)};
  EXPECT_NEAR((w1.y - w2.y) / (s2.y - s1.y), t.scale, 1e-5 * t.scale) << "scales differ";
  EXPECT_GT(t.scale, 0);
  return t;
}

// Points printed to a thousandth of a pixel, mapped by a scale found from them.
constexpr double page_tolerance = 0.005;

void expect_at(Pt page, Pt expected, const char* what) {
  EXPECT_NEAR(page.x, expected.x, page_tolerance) << what;
  EXPECT_NEAR(page.y, expected.y, page_tolerance) << what;
}

// Every point of the picture where the report's coordinates put it under one transform, and
// the misclosure arrow as the report's difx2, dify2 times the stated magnification.
void expect_picture_of_report(const std::string& svg, const Values& v) {
  const Transform t = transform_of(svg, v);
  const std::vector<Pt> corrected = polyline(svg, "corrected-traverse");
  const std::vector<Pt> fictitious = polyline(svg, "fictitious-traverse");
  ASSERT_EQ(corrected.size(), 5u);
  ASSERT_EQ(fictitious.size(), 5u);
  const std::size_t corrected_records[] = {3, 51, 54, 57, 60};
  const std::size_t fictitious_records[] = {3, 19, 24, 29, 34};
  for (std::size_t i = 0; i < 5; ++i) {
    expect_at(corrected[i], t.page(v.at(corrected_records[i])), "corrected");
    expect_at(fictitious[i], t.page(v.at(fictitious_records[i])), "fictitious");
  }
  const std::string label = element(svg, "misclosure-label");
  const std::size_t times = label.find("×");
  ASSERT_NE(times, std::string::npos) << label;
  const double factor = std::stod(replaced(label.substr(times + 2), " ", ""));
  const Pt dif = v.at(63);
  const Pt tail{attribute(svg, "misclosure-arrow", "x1"), attribute(svg, "misclosure-arrow", "y1")};
  const Pt head{attribute(svg, "misclosure-arrow", "x2"), attribute(svg, "misclosure-arrow", "y2")};
  expect_at(head, t.page(v.at(6)), "arrow ends at the wire P2");
  expect_at({head.x - tail.x, head.y - tail.y},
            {factor * t.scale * dif.x, -factor * t.scale * dif.y}, "arrow is the misclosure");
  char millimetres[32];
  std::snprintf(millimetres, sizeof millimetres, ": %.3f mm", std::hypot(dif.x, dif.y) * 1000);
  EXPECT_NE(label.find(millimetres), std::string::npos) << label;
}

const std::string answer_zero = expected_report();

std::string with_lf_ends(const std::string& report) {
  return replaced(report, "\r\n", "\n");
}

// The values of the complete records of a report, whatever its line ends.
Values values_in(const std::string& report) {
  const std::string whole_records = report.substr(0, report.rfind('\n') + 1);
  return {records_of(replaced(with_lf_ends(whole_records), "\n", "\r\n"))};
}

struct Case {
  const char* name;
  std::string report;
  int status;
  bool written;
  std::vector<std::string> in_error;  // each must appear in standard error
};

TEST(Plot, ReportsTable) {
  const std::string answer_100 = run_with_answer("100\n").report;
  const std::string mistyped = run_with_answer("abc\n").report;
  ASSERT_EQ(mistyped.size(), report_bytes_before_prompt);
  std::string relabelled = answer_zero;
  relabelled.replace(relabelled.find("  xa="), 5, "  xq=");
  const Case cases[] = {
      {"answer 0", answer_zero, 0, true, {}},
      {"answer 100", answer_100, 0, true, {}},
      {"answer 0, LF line ends", with_lf_ends(answer_zero), 0, true, {}},
      {"mistyped answer", mistyped, 1, true,
       {"after record 12 of 65", "records 13-16: Rumo ficticio para a frente",
        "records 17-36: Coordenadas ficticias", "records 37-40: Rumo ficticio R12",
        "records 41-44: Rotacao", "records 45-48: Rumo para a frente",
        "records 49-65: Coordenadas dos restantes"}},
      {"cut in record 20", answer_zero.substr(0, 1000), 1, true,
       {"records 17-36 (cut after record 19)", "records 49-65"}},
      {"foreign text", "hello\n", 2, false, {"not a duopit report: record 1 "}},
      {"foreign label", relabelled, 2, false, {"not a duopit report: record 19 "}},
      {"record past the end", answer_zero + " \r\n", 2, false, {"record 66 "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Plotted p = plot(c.report);
    EXPECT_EQ(p.result.status, c.status);
    EXPECT_EQ(p.written, c.written);
    EXPECT_EQ(p.result.out, "");
    for (const std::string& text : c.in_error) {
      EXPECT_NE(p.result.err.find(text), std::string::npos) << p.result.err;
    }
    if (c.status == 0) {
      EXPECT_EQ(p.result.err, "");
      expect_picture_of_report(p.svg, values_in(c.report));
    } else if (c.status == 2) {
      EXPECT_EQ(p.result.err.find('\n'), p.result.err.size() - 1) << "one line";
    } else {
      // What a cut report holds is drawn where it belongs; what it lacks is not drawn.
      const Values v = values_in(c.report);
      const Transform t = transform_of(p.svg, v);
      expect_at({attribute(p.svg, "true-direction", "x2"), attribute(p.svg, "true-direction", "y2")},
                t.page(v.at(6)), "true direction to P2");
      EXPECT_EQ(element(p.svg, "corrected-traverse"), "");
      EXPECT_EQ(element(p.svg, "misclosure-arrow"), "");
    }
  }
}

// The bearing shown by the rotation's label, in degrees.
double rotation_of(const std::string& svg) {
  const std::vector<double> n = numbers(element(svg, "rotation-label"));
  return n.empty() ? NAN : n.back();
}

// `p` turned about `centre` clockwise by `degrees`, as a bearing turns.
Pt turned(Pt p, Pt centre, double degrees) {
  const double a = degrees * std::acos(-1.0) / 180, dx = p.x - centre.x, dy = p.y - centre.y;
  return {centre.x + dx * std::cos(a) + dy * std::sin(a),
          centre.y - dx * std::sin(a) + dy * std::cos(a)};
}

TEST(Plot, AnswersZeroAndHundredDifferOnlyByTheRotation) {
  const std::string reports[] = {answer_zero, run_with_answer("100\n").report};
  std::vector<Pt> corrected[2], fictitious[2];
  double rot[2];
  Pt p1;
  for (int i = 0; i < 2; ++i) {
    const Plotted p = plot(reports[i]);
    ASSERT_EQ(p.result.status, 0);
    const Values v{records_of(reports[i])};
    const Transform t = transform_of(p.svg, v);
    p1 = v.at(3);
    for (const Pt q : polyline(p.svg, "corrected-traverse")) {
      corrected[i].push_back(t.survey(q));
    }
    for (const Pt q : polyline(p.svg, "fictitious-traverse")) {
      fictitious[i].push_back(t.survey(q));
    }
    rot[i] = rotation_of(p.svg);
    ASSERT_EQ(corrected[i].size(), 5u);
    ASSERT_EQ(fictitious[i].size(), 5u);
  }
  // A thousandth of a pixel is some 2 mm on the ground here.
  const double metres = 0.01;
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_NEAR(corrected[0][k].x, corrected[1][k].x, metres);
    EXPECT_NEAR(corrected[0][k].y, corrected[1][k].y, metres);
    const Pt swung = turned(fictitious[0][k], p1, rot[1] - rot[0]);
    EXPECT_NEAR(swung.x, fictitious[1][k].x, metres);
    EXPECT_NEAR(swung.y, fictitious[1][k].y, metres);
    // Each picture's label is the turn that takes its fictitious traverse to the corrected.
    for (int i = 0; i < 2; ++i) {
      const Pt back = turned(fictitious[i][k], p1, -rot[i]);
      EXPECT_NEAR(back.x, corrected[i][k].x, metres);
      EXPECT_NEAR(back.y, corrected[i][k].y, metres);
    }
  }
}

// The whole path a user takes: duopit's report, its picture, the picture as a PNG.
TEST(Plot, EndToEndFromAnswerToRenderedPicture) {
  TempDir dir;
  std::string launch = launcher().empty() ? "" : "'" + launcher() + "' ";
  RunOptions options;
  options.program = "/bin/sh";
  options.arguments = {"-c", "echo 0 | " + launch + "'" + program_path() + "' >/dev/null && " +
                                 launch + "'" + plot_path() + "' && " +
                                 "rsvg-convert duopit.svg -o duopit.png"};
  const RunResult run = run_program(dir.path(), options);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(read_file(dir.file("duopit.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
  const Plotted to_output = plot(answer_zero, {"-o", "-"});
  // Standard output is a text stream: the desktop platform ends its lines in CR LF.
  EXPECT_EQ(with_lf_ends(to_output.result.out), read_file(dir.file("duopit.svg")));
  EXPECT_FALSE(to_output.written);
  // A picture that cannot be written whole: status 2, and a file that was there stays.
  if (launcher().empty()) {
    std::filesystem::create_symlink("/dev/full", dir.file("full.svg"));
    const Plotted full = plot(answer_zero, {"-o", dir.file("full.svg")});
    EXPECT_EQ(full.result.status, 2);
    EXPECT_NE(full.result.err.find("cannot write"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("full.svg")));
  }
}

}  // namespace
}  // namespace duopit::e2e
