// The driver's proof of the printed digits: the working length, the error
// bound of the sum against the true error, and the guard test.
#include "bignum/long_number.hpp"
#include "run/driver.hpp"
#include "support/long_number_samples.hpp"
#include "support/mpfr_reference.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct WorkingLengthCase {
    int fmt_size;
    int element_count;
    int want;
};

TEST(Driver, WorkingLengthDoublesWhenFewerThanTwoGuardElementsRemain)
{
    const WorkingLengthCase cases[] = {
        {8, 1, 8},           {8, 5, 8},           {8, 6, 16},          {8, 7, 16},
        {16, 8, 16},         {16, 13, 16},        {16, 14, 32},        {32, 26, 32},
        {256, 200, 256},     {262144, 262141, 262144},                 {262144, 262142, 524288},
        {262144, 262143, 524288},
    };
    for (const WorkingLengthCase& c : cases) {
        EXPECT_EQ(working_length(c.fmt_size, c.element_count), c.want) << c.fmt_size << ", L = " << c.element_count;
    }
    EXPECT_LE(working_length(262144, 262143), max_working_length);
    EXPECT_LE(max_working_length + 3, array_elements);
}

struct GuardCase {
    double guard1;  // fractional element L + 1
    double guard2;  // fractional element L + 2
    double bound;
    bool certain;
};

TEST_F(DigitGlobalsTest, ListingIsCertainOnlyWithTheGuardAwayFromBothEnds)
{
    use_digits(10.0, false);
    // L = 2: sum = exponent, 3, two printed elements, the guard, one more.
    // The guard G = 10 * g1 + g2 must leave bound + 1 below it and above it
    // up to R^2 (one unit for the elements below G).
    const GuardCase cases[] = {
        {5, 0, 3, true},   {0, 3, 3, false},  {0, 4, 3, true},   {9, 5, 3, true},
        {9, 6, 3, false},  {0, 0, 0, false},  {0, 1, 0, true},   {9, 8, 0, true},
        {9, 9, 0, false},  {5, 0, 47, true},  {5, 0, 48, true},  {5, 0, 49, false},
    };
    for (const GuardCase& c : cases) {
        const std::vector<double> sum = {1, 3, 1, 4, c.guard1, c.guard2, 7};
        EXPECT_EQ(listing_is_certain(sum.data(), 2, c.bound), c.certain)
            << "guard " << c.guard1 << c.guard2 << ", bound " << c.bound;
    }
}

// The bound must hold the true error of real sums: pi from every formula at
// a length that leaves exactly the two guard elements, at the smallest and
// the largest radix, at base 3 and at base 10, measured against MPFR; with
// the series summed through the guard (as a doubled run sums it) the bound
// must also be tight enough to let a guard pass.
TEST_F(DigitGlobalsTest, ErrorBoundHoldsTheTrueErrorOfTheSum)
{
#if HAVE_MPFR
    struct Radix {
        int base;
        int digits_per_element;
    };
    const Radix radices[] = {{10, 5}, {27, 3}, {26, 4}, {3, 11}};
    for (const Radix& radix : radices) {
        use_digits(std::pow(radix.base, radix.digits_per_element), true);
        for (const int n : {64, 512}) {
            const int element_count = n - 1 - guard_elements;
            for (int f = 0; f < formula_count; ++f) {
                SCOPED_TRACE(testing::Message() << "base " << radix.base << ", n " << n << ", formula " << f + 1);
                int steps[formula_slots] = {};
                testing::internal::CaptureStdout();
                const int series_count = element_count + guard_elements;
                const double rounding = sum_formula(f, radix.base, radix.digits_per_element, series_count, n, steps);
                testing::internal::GetCapturedStdout();
                EXPECT_LT(rounding, trusted_rounding_error);

                mpfr_t pi;
                mpfr_init2(pi, precision_for_elements(n, element_radix));
                mpfr_const_pi(pi, MPFR_RNDN);
                // In units of pi's last element, then of the last guard element.
                const double error = units_of_last_element(pi_sum, n, element_radix, pi);
                mpfr_clear(pi);
                const double bound = pi_error_bound(f, n, element_count, steps);
                EXPECT_LT(std::fabs(error), bound) << "error " << error << " units, bound " << bound;
                EXPECT_LT(bound, element_radix) << "a bound this loose would leave most guards uncertain";
            }
        }
    }
#else
    GTEST_SKIP() << "MPFR is missing";
#endif
}

}  // namespace
