// tools/elementary_observer.cpp — the diagnostic build of the report harness, on the x87 unit:
// each sine, cosine and arctangent the run computes is recomputed by the unit's software
// model, and the calls where the two disagree are listed under the answer, with both results.
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "numerics/elementary.hpp"
#include "numerics/software/elementary_model.hpp"
#include "tools/report_harness.hpp"

namespace {

struct Disagreement {
  const char* function;
  double argument;
  duopit::numerics::software::ExtendedReal unit, model;
};

// Filled inside the elementary function's own environment, so only integer work is done here;
// the text is made afterwards.
std::vector<Disagreement> disagreements;

std::string text_of(const duopit::numerics::software::ExtendedReal& value) {
  char text[64];
  std::snprintf(text, sizeof text, "%s%04" PRIx32 ":%016" PRIx64, value.negative ? "-" : "+",
                static_cast<std::uint32_t>(value.exponent), value.significand);
  return text;
}

}  // namespace

namespace duopit::numerics {

void observe_elementary(const char* function, double argument, const Extended& result) {
  namespace model = software;
  const char name = function[0];
  const software::ExtendedReal modelled = name == 's'   ? model::sine(argument)
                                          : name == 'c' ? model::cosine(argument)
                                                        : model::arctangent_of_magnitude(argument);
  if (!(modelled == layout_of(result))) {
    disagreements.push_back({function, argument, layout_of(result), modelled});
  }
}

}  // namespace duopit::numerics

namespace duopit::tools {

std::string take_elementary_notes() {
  std::string notes;
  for (const Disagreement& call : disagreements) {
    char line[200];
    std::snprintf(line, sizeof line, "  %s(%.17g = 0x%016" PRIx64 "): unit %s, model %s\n",
                  call.function, call.argument, std::bit_cast<std::uint64_t>(call.argument),
                  text_of(call.unit).c_str(), text_of(call.model).c_str());
    notes += line;
  }
  disagreements.clear();
  return notes;
}

}  // namespace duopit::tools
