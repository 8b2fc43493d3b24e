// orientation/report.hpp — the run: the orientation computed step by step, with the report's
// 65 records and the console dialogue in their places between the steps.
#pragma once

namespace duopit::orientation {

// The computation entered once by start-up; it returns after the last record.
void run_orientation();

}  // namespace duopit::orientation
