// numerics/arithmetic.hpp — the run's arithmetic, one interface with two implementations:
// the x87 unit itself where the processor has one, and an exact software model of that unit
// elsewhere (the build's DUOPIT_NUMERICS chooses). Both give the same bits for every
// operation the program makes, so the report does not depend on the host.
//
// Each implementation provides, in duopit::numerics:
//   Extended                   an 80-bit extended real as the unit holds it;
//   add, sub, mul, div (a, b)  of 64-bit reals (or small integers) and extended reals, rounded
//                              once to a 53-bit significand, to nearest even, in the extended
//                              exponent range; an invalid operation, a division by zero or an
//                              overflow ends the run there through the arithmetic trap handler;
//   to_real (x)                the store to a 64-bit real: rounded again to the real's range,
//                              subnormal results with their own rounding, overflow trapping;
//   widen (x), layout_of (x)   a real widened exactly; an extended value's sign, exponent and
//                              significand, for comparing results bit for bit;
//   set_run_precision, enable_run_traps   the two steps of start-up's arithmetic set-up;
//   unit::FunctionEnvironment, unit::sine_or_cosine, unit::arctangent_of_magnitude,
//   unit::half_pi, unit::negated          what the elementary functions' frame asks for.
#pragma once

#if defined(DUOPIT_NUMERICS_SOFTWARE)
#include "numerics/software/arithmetic_unit.hpp"
#else
#include "numerics/x87/arithmetic_unit.hpp"
#endif
