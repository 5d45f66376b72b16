// arctan(1/x) against MPFR at the long working lengths, up to the largest a
// run accepts, with the driver's step counts, and no window-overflow line.
#include "bignum/long_number.hpp"
#include "support/atan_check.hpp"
#include "support/digit_globals.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct LongCase {
    int base;
    int digits_per_element;
    int n;
    std::vector<int> xs;
};

const std::vector<int> every_x = {5, 239, 18, 57, 10, 515, 682, 12943, 49, 110443};

class AtanLongTest : public BalancedBaseDigitsTest<LongCase> {};

#if HAVE_MPFR

// Within one unit of element n - 1 (R^(1-n)), as in the shorter runs.
TEST_P(AtanLongTest, AgainstMpfr)
{
    const LongCase c = GetParam();
    for (const int x : c.xs) {
        SCOPED_TRACE("R = " + std::to_string(element_radix) + ", n = " + std::to_string(c.n) + ", x = " +
                     std::to_string(x));
        const ArctangentRun run = run_arctangent_against_mpfr(c.base, c.digits_per_element, x, c.n);
        EXPECT_LT(run.error_in_bound_units, 1.0)
            << run.error_in_last_units << " units of element n, " << run.steps << " steps";
        EXPECT_EQ(run.console, "");
        EXPECT_LT(run.rounding_error, 0.5);
    }
}

#else

TEST_P(AtanLongTest, AgainstMpfr)
{
    GTEST_SKIP() << "MPFR not found: arctan(1/x) is not checked against it";
}

#endif

// Every x at 2^15 in four radices; 2^16 in base 62 and 2^17 in base 26 (the
// largest radix); at 2^18 the closest case
// to a window overflow (base 27, x = 110443) and base 10 with x = 239.
INSTANTIATE_TEST_SUITE_P(Lengths, AtanLongTest,
                         ::testing::Values(LongCase{10, 5, 1 << 15, every_x}, LongCase{27, 3, 1 << 15, every_x},
                                           LongCase{26, 4, 1 << 15, every_x}, LongCase{3, 11, 1 << 15, every_x},
                                           LongCase{62, 3, 1 << 16, {5, 110443}}, LongCase{26, 4, 1 << 17, {10, 49}},
                                           LongCase{27, 3, 1 << 18, {110443}}, LongCase{10, 5, 1 << 18, {239}}),
                         [](const ::testing::TestParamInfo<LongCase>& c) {
                             std::string name = "base";
                             name += std::to_string(c.param.base);
                             name += "_n";
                             name += std::to_string(c.param.n);
                             return name;
                         });

}  // namespace
