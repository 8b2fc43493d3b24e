// textio/assign_text.cpp — the run-time copy of a character assignment (the rest is in the
// header, a constant expression).
#include "textio/assign_text.hpp"

#include <cstring>

namespace duopit::textio {

void move_text(char* to, const char* from, std::size_t count) {
  std::memmove(to, from, count);
}

}  // namespace duopit::textio
