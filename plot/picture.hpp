// plot/picture.hpp — the picture of a report as SVG 1.1 text: the wires, the true direction,
// the fictitious and the corrected traverse, the rotation between them, the magnified
// misclosure, a scale bar and a north arrow. Draws whatever the report holds, so a report cut
// short gives the part of the picture its records allow. Pure: no I/O, no globals, and no
// library mathematics beyond the square root, so that every host writes the same bytes.
#pragma once

#include <string>

#include "plot/report_reader.hpp"

namespace duopit::plot {

// Element ids that name the picture's parts, for whoever reads the picture back.
//   wire-P1, wire-P2            circles at the wires (cx, cy)
//   true-direction              the line P1 -> P2
//   fictitious-traverse         polyline P1 a' b' c' P2', dashed
//   corrected-traverse          polyline P1 a b c P2, solid
//   rotation-label              text "rot = <as printed>°"
//   misclosure-arrow            line from the magnified computed P2 to the wire P2
//   misclosure-label            text "misclosure ×<factor>: <length> mm"
[[nodiscard]] std::string draw_picture(const Report& report);

}  // namespace duopit::plot
