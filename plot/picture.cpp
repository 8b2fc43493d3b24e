// plot/picture.cpp — lays the report's points out on the page and writes the SVG text.
// One transform takes the survey frame (x east, y north, metres) to the page (u right,
// v down, pixels): equal scales, north up. Numbers are written by std::to_chars, which gives
// the same digits on every host. Pure: no I/O, no globals.
#include "plot/picture.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

namespace duopit::plot {
namespace {

struct Point {
  double x = 0, y = 0;
};
Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
Point operator*(double k, Point a) { return {k * a.x, k * a.y}; }
double length(Point a) { return std::sqrt(a.x * a.x + a.y * a.y); }
// The direction of `a`, or no direction at all for a zero (or overflowing) vector.
Point unit(Point a) {
  const double l = length(a);
  return l > 0 && std::isfinite(l) ? (1 / l) * a : Point{};
}
// A quarter turn counter-clockwise in the survey frame (from east towards north).
Point left_of(Point a) { return {-a.y, a.x}; }

// The page: 1000 x 780 pixels, a header band, the drawing area, and a footer band for the
// scale bar and the legend.
constexpr double page_width = 1000;
constexpr double page_height = 780;
constexpr double area_left = 40, area_right = 960, area_top = 100, area_bottom = 650;
constexpr std::string_view fictitious_direction_style =
    "stroke=\"#999999\" stroke-width=\"1\" stroke-dasharray=\"2,3\"";
// The width of a character of 13-pixel text, at most (digits are narrower).
constexpr double label_char_width = 7.5;
// A picture of a single point still gets a scale.
constexpr double least_extent_m = 100;

// The page's one transform of the survey frame.
struct Frame {
  double scale = 1;  // pixels per metre, on both axes
  Point origin;      // the survey point at the page's (0, 0)
  [[nodiscard]] Point page(Point p) const {
    return {scale * (p.x - origin.x), scale * (origin.y - p.y)};
  }
};

// The largest of 1, 2, 5 times a power of ten that is at most `limit` (1 below that), up to
// 5 times 10^15: larger limits come only from files no survey made.
double nice_at_most(double limit) {
  double power = 1;
  while (power * 10 <= limit && power < 1e15) {
    power *= 10;
  }
  for (const double step : {5.0, 2.0, 1.0}) {
    if (step * power <= limit) {
      return step * power;
    }
  }
  return 1;
}

// What the report holds, as points of the survey frame.
struct Figure {
  bool has_p1 = false, has_p2 = false;
  Point p1, p2;
  std::vector<Point> fictitious;  // P1 and the stations read, up to P2'
  std::vector<Point> corrected;   // P1 and the stations read, up to the computed P2
  bool has_misclosure = false;
  Point difference;               // known minus computed, metres
  double magnification = 1;
  double arc_radius_m = 0;
};

// The stations of one pass, in order, as far as the report holds them.
std::vector<Point> traverse(const Report& r, const Figure& f, const std::array<Value, 8>& xy) {
  std::vector<Point> line;
  if (!f.has_p1) {
    return line;
  }
  line.push_back(f.p1);
  for (std::size_t i = 0; i < xy.size(); i += 2) {
    if (!r.has(xy[i]) || !r.has(xy[i + 1])) {
      break;
    }
    line.push_back({r.at(xy[i]), r.at(xy[i + 1])});
  }
  return line;
}

Figure read_figure(const Report& r) {
  Figure f;
  f.has_p1 = r.has(Value::x1) && r.has(Value::y1);
  f.has_p2 = r.has(Value::x2) && r.has(Value::y2);
  f.p1 = {r.at(Value::x1), r.at(Value::y1)};
  f.p2 = {r.at(Value::x2), r.at(Value::y2)};
  f.fictitious = traverse(r, f, {Value::xa_f, Value::ya_f, Value::xb_f, Value::yb_f,
                                 Value::xc_f, Value::yc_f, Value::x2a, Value::y2a});
  f.corrected = traverse(r, f, {Value::xa, Value::ya, Value::xb, Value::yb, Value::xc,
                                Value::yc, Value::x2c, Value::y2c});
  f.has_misclosure = f.has_p2 && r.has(Value::difx2) && r.has(Value::dify2);
  f.difference = {r.at(Value::difx2), r.at(Value::dify2)};
  return f;
}

std::vector<Point> all_points(const Figure& f) {
  std::vector<Point> points = f.fictitious;
  points.insert(points.end(), f.corrected.begin(), f.corrected.end());
  if (f.has_p1) {
    points.push_back(f.p1);
  }
  if (f.has_p2) {
    points.push_back(f.p2);
  }
  return points;
}

// The smallest rectangle, sides north-south and east-west, that holds the points (not empty).
struct Bounds {
  Point low, high;
};
Bounds bounds_of(const std::vector<Point>& points) {
  Bounds box{points.front(), points.front()};
  for (const Point p : points) {
    box.low = {std::min(box.low.x, p.x), std::min(box.low.y, p.y)};
    box.high = {std::max(box.high.x, p.x), std::max(box.high.y, p.y)};
  }
  return box;
}

// From the extent of the points: the radius of the rotation's arc, and the magnification that
// makes the misclosure at most a fifth of the extent: a plain factor (1, 2 or 5 times a power
// of ten), never below 1, at most 10^12.
void size_figure(Figure& f) {
  const std::vector<Point> points = all_points(f);
  const Bounds box = bounds_of(points);
  const double extent = std::max({box.high.x - box.low.x, box.high.y - box.low.y, least_extent_m});
  f.arc_radius_m = extent / 10;
  const double misclosure = length(f.difference);
  if (f.has_misclosure && misclosure > 0) {
    f.magnification = std::min(nice_at_most(extent / 5 / misclosure), 1e12);
  }
}

// The frame that fits the figure, the rotation's arc and the magnified misclosure into the
// drawing area, centred.
Frame fit_frame(const Figure& f) {
  std::vector<Point> points = all_points(f);
  if (f.has_p1) {
    const double r = f.arc_radius_m * 1.5;
    points.push_back(f.p1 + Point{r, r});
    points.push_back(f.p1 - Point{r, r});
  }
  if (f.has_misclosure) {
    points.push_back(f.p2 - f.magnification * f.difference);
  }
  const Bounds box = bounds_of(points);
  const double width_m = std::max(box.high.x - box.low.x, least_extent_m);
  const double height_m = std::max(box.high.y - box.low.y, least_extent_m);
  Frame frame;
  frame.scale = std::min((area_right - area_left) / width_m, (area_bottom - area_top) / height_m);
  const double centre_u = (area_left + area_right) / 2, centre_v = (area_top + area_bottom) / 2;
  const Point centre = 0.5 * (box.low + box.high);
  frame.origin = {centre.x - centre_u / frame.scale, centre.y + centre_v / frame.scale};
  return frame;
}

// A real with `decimals` digits after the point (at most 3): room for every double's digits.
std::string fixed(double value, int decimals) {
  std::array<char, 320> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                    std::chars_format::fixed, decimals);
  return {digits.data(), result.ptr};
}

// The SVG text, appended piece by piece.
class Svg {
 public:
  Svg& operator<<(std::string_view text) {
    out_ += text;
    return *this;
  }
  // A page coordinate or length, to a thousandth of a pixel.
  Svg& operator<<(double value) {
    out_ += fixed(value, 3);
    return *this;
  }
  Svg& point(Point p) { return *this << p.x << "," << p.y; }
  [[nodiscard]] std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

// A whole number with its thousands set apart by blanks: "100 000".
std::string grouped(double whole) {
  const std::string digits = fixed(whole, 0);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) {
      text += ' ';
    }
    text += digits[i];
  }
  return text;
}

void text(Svg& svg, Point at, std::string_view content, std::string_view attributes = {}) {
  svg << "<text x=\"" << at.x << "\" y=\"" << at.y << "\"" << attributes << ">" << content
      << "</text>\n";
}

// An arrowhead with its tip at `tip`, pointing along `direction` (page frame).
void arrowhead(Svg& svg, Point tip, Point direction, std::string_view colour) {
  const Point back = 10.0 * unit(direction);
  const Point side = 4.0 * Point{-unit(direction).y, unit(direction).x};
  svg << "<polygon points=\"";
  svg.point(tip) << " ";
  svg.point(tip - back + side) << " ";
  svg.point(tip - back - side) << "\" fill=\"" << colour << "\"/>\n";
}

void draw_traverse(Svg& svg, const Frame& frame, const std::vector<Point>& line,
                   std::string_view id, std::string_view style) {
  if (line.size() < 2) {
    return;
  }
  svg << "<polyline id=\"" << id << "\" fill=\"none\" " << style << " points=\"";
  for (std::size_t i = 0; i < line.size(); ++i) {
    svg << (i > 0 ? " " : "");
    svg.point(frame.page(line[i]));
  }
  svg << "\"/>\n";
}

// Station names beside the stations after P1: a, b, c and the computed P2 (which lies on the
// wire P2, named there), or a', b', c', P2' on the fictitious pass.
void name_stations(Svg& svg, const Frame& frame, const std::vector<Point>& line, bool fictitious) {
  static constexpr std::array<std::string_view, 4> names{"a", "b", "c", "P2"};
  for (std::size_t i = 1; i < line.size(); ++i) {
    const Point at = frame.page(line[i]);
    const bool end = i == names.size();
    svg << "<circle cx=\"" << at.x << "\" cy=\"" << at.y << "\" r=\"3\" fill=\""
        << (fictitious ? "white\" stroke=\"#777777" : "#1f3b73") << "\"/>\n";
    if (fictitious || !end) {
      std::string name(names[i - 1]);
      if (fictitious) {
        name += "'";
      }
      text(svg, at + Point{6, -6}, name,
           fictitious ? " fill=\"#777777\"" : " fill=\"#1f3b73\" font-weight=\"bold\"");
    }
  }
}

void draw_wire(Svg& svg, const Frame& frame, Point wire, std::string_view name) {
  const Point at = frame.page(wire);
  svg << "<circle id=\"wire-" << name << "\" cx=\"" << at.x << "\" cy=\"" << at.y
      << "\" r=\"7\" fill=\"none\" stroke=\"black\" stroke-width=\"1.5\"/>\n";
  svg << "<circle cx=\"" << at.x << "\" cy=\"" << at.y << "\" r=\"2\" fill=\"black\"/>\n";
  text(svg, at + Point{-12, 20}, name, " font-weight=\"bold\" font-size=\"15\"");
}

// The rotation's arc at P1, from the fictitious direction P1 -> P2' to the true one P1 -> P2,
// turning counter-clockwise by rot as the report gives it (the corrected bearings are the
// fictitious ones less rot). The ends come from the coordinates; rot decides only which way
// round the arc goes the long way.
void draw_rotation(Svg& svg, const Frame& frame, const Figure& f, const Report& r) {
  if (!r.has(Value::rot) || !f.has_p2 || f.fictitious.size() < 5) {
    return;
  }
  double turned = std::fmod(r.at(Value::rot), 360.0);
  if (turned < 0) {
    turned += 360;
  }
  const Point from = unit(f.fictitious.back() - f.p1);
  const Point to = unit(f.p2 - f.p1);
  const double radius = f.arc_radius_m;
  const Point start = frame.page(f.p1 + radius * from);
  const Point end = frame.page(f.p1 + radius * to);
  const bool long_way = turned > 180;
  if (turned > 0) {
    // SVG's sweep flag 0 turns counter-clockwise on the page, as north-up keeps it.
    svg << "<path id=\"rotation-arc\" fill=\"none\" stroke=\"#d35400\" stroke-width=\"1.5\" d=\"M";
    svg.point(start) << " A" << radius * frame.scale << "," << radius * frame.scale << " 0 "
                     << (long_way ? "1" : "0") << ",0 ";
    svg.point(end) << "\"/>\n";
    const Point tangent = left_of(to);
    arrowhead(svg, end, {tangent.x, -tangent.y}, "#d35400");
  }
  // The label goes under the arc's circle, kept inside the drawing area, on a white ground
  // so that lines passing under it do not hide it.
  const std::string label = "rot = " + r[Value::rot].text + "°";
  const double half_width = label_char_width * static_cast<double>(label.size()) / 2;
  const Point at{std::clamp(frame.page(f.p1).x, area_left + half_width, area_right - half_width),
                 frame.page(f.p1).y + radius * frame.scale + 20};
  svg << "<rect x=\"" << at.x - half_width - 3 << "\" y=\"" << at.y - 13 << "\" width=\""
      << 2 * half_width + 6 << "\" height=\"18\" fill=\"white\" fill-opacity=\"0.85\"/>\n";
  text(svg, at, label, " id=\"rotation-label\" fill=\"#d35400\" text-anchor=\"middle\"");
}

// The misclosure, magnified, as an arrow from where the computed P2 would lie at that
// magnification to the wire P2: the arrow is known minus computed, as difx2 and dify2 are.
void draw_misclosure(Svg& svg, const Frame& frame, const Figure& f) {
  if (!f.has_misclosure || length(f.difference) == 0) {
    return;
  }
  const Point head = frame.page(f.p2);
  const Point tail = frame.page(f.p2 - f.magnification * f.difference);
  svg << "<line id=\"misclosure-arrow\" x1=\"" << tail.x << "\" y1=\"" << tail.y << "\" x2=\""
      << head.x << "\" y2=\"" << head.y << "\" stroke=\"#c0392b\" stroke-width=\"2.5\"/>\n";
  // The head stops at the wire's circle, which would hide it.
  arrowhead(svg, head - 8.0 * unit(head - tail), head - tail, "#c0392b");
}

// The misclosure's legend: its magnification and its length.
std::string misclosure_meaning(const Figure& f) {
  if (!f.has_misclosure) {
    return "misclosure at P2: not in the report";
  }
  return "misclosure at P2, known − computed, drawn ×" + grouped(f.magnification) + ": " +
         fixed(length(f.difference) * 1000, 3) + " mm";
}

// A bar of a plain length (1, 2 or 5 times a power of ten metres) of at most 200 pixels.
void draw_scale_bar(Svg& svg, const Frame& frame) {
  const double metres = nice_at_most(200 / frame.scale);
  const double pixels = metres * frame.scale;
  const Point at{40, 715};
  svg << "<rect x=\"" << at.x << "\" y=\"" << at.y << "\" width=\"" << pixels / 2
      << "\" height=\"6\" fill=\"black\"/>\n";
  svg << "<rect x=\"" << at.x + pixels / 2 << "\" y=\"" << at.y << "\" width=\"" << pixels / 2
      << "\" height=\"6\" fill=\"white\" stroke=\"black\"/>\n";
  svg << "<rect x=\"" << at.x << "\" y=\"" << at.y << "\" width=\"" << pixels
      << "\" height=\"6\" fill=\"none\" stroke=\"black\"/>\n";
  text(svg, at + Point{0, -6}, "0", " text-anchor=\"middle\"");
  text(svg, at + Point{pixels, -6}, grouped(metres) + " m", " text-anchor=\"middle\"");
  text(svg, at + Point{0, 26}, "scale bar in metres");
}

void draw_north_arrow(Svg& svg) {
  const Point base{930, 160}, tip{930, 110};
  svg << "<line x1=\"" << base.x << "\" y1=\"" << base.y << "\" x2=\"" << tip.x << "\" y2=\""
      << tip.y << "\" stroke=\"black\" stroke-width=\"2\"/>\n";
  arrowhead(svg, tip, tip - base, "black");
  text(svg, tip + Point{0, -8}, "N", " text-anchor=\"middle\" font-weight=\"bold\"");
}

// A short line of the legend's style and what it stands for.
void legend_entry(Svg& svg, Point at, std::string_view style, std::string_view meaning,
                  std::string_view text_attributes = {}) {
  svg << "<line x1=\"" << at.x << "\" y1=\"" << at.y - 4 << "\" x2=\"" << at.x + 30
      << "\" y2=\"" << at.y - 4 << "\" " << style << "/>\n";
  text(svg, at + Point{38, 0}, meaning, text_attributes);
}

void draw_legend(Svg& svg, const Report& r, const Figure& f) {
  const auto with_value = [&r](std::string meaning, Value v) {
    return r.has(v) ? meaning + " = " + r[v].text + "°" : meaning;
  };
  legend_entry(svg, {330, 676}, "stroke=\"#1f3b73\" stroke-width=\"2\"",
               "corrected traverse P1 → a → b → c → P2");
  legend_entry(svg, {330, 696}, "stroke=\"#777777\" stroke-width=\"1.5\" stroke-dasharray=\"6,4\"",
               "fictitious traverse P1 → a' → b' → c' → P2'");
  legend_entry(svg, {330, 716}, "stroke=\"#2e8b57\" stroke-width=\"1.5\"",
               with_value("true direction P1 → P2, R12", Value::R12));
  legend_entry(svg, {330, 736}, fictitious_direction_style,
               with_value("fictitious direction P1 → P2', R12 ficticio", Value::R12_fict));
  legend_entry(svg, {330, 756}, "stroke=\"#c0392b\" stroke-width=\"2.5\"",
               misclosure_meaning(f), " id=\"misclosure-label\"");
}

void draw_header(Svg& svg, const Report& r) {
  text(svg, {40, 32}, "duopit: two-shaft orientation of the traverse P1 → a → b → c → P2",
       " font-size=\"18\" font-weight=\"bold\"");
  const std::string answer =
      r.has(Value::R_1a)
          ? "answer (fictitious starting bearing R_1a): " + r[Value::R_1a].text + "°"
          : "answer: not in the report";
  text(svg, {40, 56}, answer);
  if (r.records < report_records) {
    text(svg, {40, 78},
         "report cut short after record " + std::to_string(r.records) + " of " +
             std::to_string(report_records) + ": only what it holds is drawn",
         " fill=\"#c0392b\" font-weight=\"bold\"");
  }
}

// Everything drawn in the survey frame, in the order it is painted; false, with nothing
// drawn, when no scale fits the points into the drawing area.
bool draw_figure(Svg& svg, Figure& figure, const Report& report) {
  size_figure(figure);
  const Frame frame = fit_frame(figure);
  if (!(frame.scale > 0) || !std::isfinite(frame.origin.x) || !std::isfinite(frame.origin.y)) {
    return false;
  }
  if (figure.has_p2) {
    const Point from = frame.page(figure.p1), to = frame.page(figure.p2);
    svg << "<line id=\"true-direction\" x1=\"" << from.x << "\" y1=\"" << from.y << "\" x2=\""
        << to.x << "\" y2=\"" << to.y << "\" stroke=\"#2e8b57\" stroke-width=\"1.5\"/>\n";
  }
  if (figure.fictitious.size() == 5) {
    const Point from = frame.page(figure.p1), to = frame.page(figure.fictitious.back());
    svg << "<line id=\"fictitious-direction\" x1=\"" << from.x << "\" y1=\"" << from.y
        << "\" x2=\"" << to.x << "\" y2=\"" << to.y << "\" " << fictitious_direction_style
        << "/>\n";
  }
  draw_traverse(svg, frame, figure.fictitious, "fictitious-traverse",
                "stroke=\"#777777\" stroke-width=\"1.5\" stroke-dasharray=\"6,4\"");
  draw_traverse(svg, frame, figure.corrected, "corrected-traverse",
                "stroke=\"#1f3b73\" stroke-width=\"2\"");
  name_stations(svg, frame, figure.fictitious, true);
  name_stations(svg, frame, figure.corrected, false);
  draw_rotation(svg, frame, figure, report);
  draw_misclosure(svg, frame, figure);
  draw_wire(svg, frame, figure.p1, "P1");
  if (figure.has_p2) {
    draw_wire(svg, frame, figure.p2, "P2");
  }
  draw_scale_bar(svg, frame);
  return true;
}

}  // namespace

std::string draw_picture(const Report& report) {
  Svg svg;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" << page_width
      << "\" height=\"" << page_height << "\" viewBox=\"0 0 " << page_width << " "
      << page_height << "\">\n"
      << "<title>duopit traverse</title>\n"
      << "<rect width=\"" << page_width << "\" height=\"" << page_height
      << "\" fill=\"white\"/>\n"
      << "<g font-family=\"DejaVu Sans, Liberation Sans, Arial, sans-serif\" font-size=\"13\">\n";
  draw_header(svg, report);
  Figure figure = read_figure(report);
  if (!figure.has_p1) {
    text(svg, {40, 380}, "the report holds no coordinates to draw", " font-size=\"16\"");
  } else if (!draw_figure(svg, figure, report)) {
    text(svg, {40, 380}, "the report's coordinates are too far apart to draw at one scale",
         " font-size=\"16\"");
  }
  draw_north_arrow(svg);
  draw_legend(svg, report, figure);
  svg << "</g>\n</svg>\n";
  return svg.take();
}

}  // namespace duopit::plot
