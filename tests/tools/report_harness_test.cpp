// The report harness: its digest of a run is the digest of what the program writes (the
// stored report of the answer 0), and its domain is every typed answer, each once.
#include "tools/report_harness.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace duopit::tools {
namespace {

TEST(ReportHarness, DigestOfTheAnswerZeroIsThatOfTheStoredReport) {
  std::ifstream stored(DUOPIT_TEST_DATA "/report_answer_zero.dat", std::ios::binary);
  Outcome expected{0, true, {std::istreambuf_iterator<char>(stored), {}},
                   "Rumo de saida ficticio (em graus):\r\n", ""};
  ASSERT_EQ(expected.report.size(), 2484u);
  EXPECT_EQ(digest_of(run_answer("0")), digest_of(expected));
  Outcome refused = expected;  // the same bytes with another status are another outcome
  refused.status = 1;
  EXPECT_NE(digest_of(refused), digest_of(expected));
}

// Each answer reads back as its own step (so no two are alike), without trailing zeros.
TEST(ReportHarness, DomainIsEveryAnswerOnceFromEndToEnd) {
  const struct {
    int decimals;
    std::uint64_t size;
    const char *first, *second, *middle, *before_last, *last;
  } cases[] = {
      {2, 72'001, "-360", "-359.99", "0", "359.99", "360"},
      {4, 7'200'001, "-360", "-359.9999", "0", "359.9999", "360"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.decimals);
    const std::uint64_t size = domain_size(c.decimals);
    ASSERT_EQ(size, c.size);
    EXPECT_EQ(domain_answer(c.decimals, 0), c.first);
    EXPECT_EQ(domain_answer(c.decimals, 1), c.second);
    EXPECT_EQ(domain_answer(c.decimals, size / 2), c.middle);
    EXPECT_EQ(domain_answer(c.decimals, size - 2), c.before_last);
    EXPECT_EQ(domain_answer(c.decimals, size - 1), c.last);
    long long scale = 1;
    for (int i = 0; i < c.decimals; ++i) {
      scale *= 10;
    }
    std::uint64_t wrong = 0;
    for (std::uint64_t index = 0; index < size; ++index) {
      const std::string text = domain_answer(c.decimals, index);
      const auto point = text.find('.');
      const std::string digits =
          point == std::string::npos ? text : text.substr(0, point) + text.substr(point + 1);
      const int shown = point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
      long long steps = std::strtoll(digits.c_str(), nullptr, 10);
      for (int i = shown; i < c.decimals; ++i) {
        steps *= 10;
      }
      if (steps + 360 * scale != static_cast<long long>(index) || text.back() == '.' ||
          (shown > 0 && text.back() == '0') || shown != shown_decimals(c.decimals, index) ||
          (steps < 0) != (text[0] == '-')) {
        ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0u);
  }
}

}  // namespace
}  // namespace duopit::tools
