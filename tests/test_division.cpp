// Reciprocal and division of long numbers: the worked values, the fixed
// Newton schedule, and the residual and quotient bounds checked exactly
// with GMP for random divisors.
#include "bignum/addition.hpp"
#include "bignum/division.hpp"
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"
#include "support/digit_globals.hpp"
#include "support/division_reference.hpp"
#include "support/element_arrays.hpp"
#include "support/reference.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <span>
#include <vector>

namespace {

using Elements = std::vector<double>;

// Scratch of exactly the size the routines may use, so that
// AddressSanitizer sees any access past it. The work area is the program's
// own fft_work, which the products may keep a transform in.
struct Buffers {
    explicit Buffers(int n) : scratch(4 * static_cast<std::size_t>(n) + 2) {}
    Elements scratch;
    std::span<double> work{fft_work};
};

Elements reciprocal(const Elements& a, int n, double* error = nullptr)
{
    Elements y(static_cast<std::size_t>(n) + 1, 0.0);
    Buffers buffers(n);
    const double e = reciprocal_long(a.data(), y.data(), n, buffers.scratch.data(), buffers.work.data());
    if (error != nullptr) {
        *error = e;
    }
    return y;
}

// Elements 2..n within the balanced range; element 1 is the unreduced
// leading element, which a reciprocal carries up to about 2R (a few units
// more when the lower elements pull a divisor of 1/2 just below it).
::testing::AssertionResult balanced_below_lead(const Elements& y, double radix)
{
    const double half = std::floor(radix / 2);
    if (std::fabs(y[1]) > 2 * radix + 4) {
        return ::testing::AssertionFailure() << "leading element " << y[1] << " beyond 2R";
    }
    for (std::size_t i = 2; i < y.size(); ++i) {
        if (std::fabs(y[i]) > half || y[i] != std::trunc(y[i])) {
            return ::testing::AssertionFailure() << "element " << i << " = " << y[i] << " outside the balanced range";
        }
    }
    return ::testing::AssertionSuccess();
}

class DivisionTest : public DigitGlobalsTest {
protected:
    void SetUp() override
    {
        DigitGlobalsTest::SetUp();
        use_digits(100000.0, true);
    }
};

struct ReciprocalCase {
    const char* name;
    double radix;
    int n;
    double exponent;
    Elements leading;
    double want_exponent;
    Elements want_leading;
};

TEST_F(DivisionTest, ReciprocalsOfWorkedDivisors)
{
    const double R = 100000.0;
    const ReciprocalCase cases[] = {
        // The estimate of 1/1 is already exact: every residual is zero.
        {"1/1", R, 8, 1, {1}, 0, {R}},
        {"1/1, n = 2", R, 2, 1, {1}, 0, {R}},
        {"1/1, n = 1024", R, 1024, 1, {1}, 0, {R}},
        {"1/1, odd radix", 19683.0, 16, 1, {1}, 0, {19683.0}},
        {"1/2", R, 8, 1, {2}, 0, {50000}},
        {"1/2, n = 256", R, 256, 1, {2}, 0, {50000}},
        {"1/7", R, 8, 1, {7}, 0, {14286, -28571, -42857, -14286, 28571, 42857, 14286, -28571}},
        {"1/-7", R, 8, 1, {-7}, 0, {-14286, 28571, 42857, 14286, -28571, -42857, -14286, 28571}},
        // 1/(1 - 0.4) with its leading element 166667 above R.
        {"small leading element", R, 8, 0, {1, -40000}, 1,
         {166667, -33333, -33333, -33333, -33333, -33333, -33333, -33334}},
    };
    for (const ReciprocalCase& c : cases) {
        SCOPED_TRACE(c.name);
        element_radix = c.radix;
        const Elements a = long_number(c.exponent, c.leading, c.n);
        const Elements want = long_number(c.want_exponent, c.want_leading, c.n);
        double error = -1;
        const Elements y = reciprocal(a, c.n, &error);
        EXPECT_EQ(y, want) << "got  |" << long_text(y) << "|\nwant |" << long_text(want) << "|";
        EXPECT_GE(error, 0.0);
        EXPECT_LT(error, 0.5);
    }
}

TEST_F(DivisionTest, SevenThirds)
{
    const int n = 8;
    const Elements p = long_number(1, {7}, n);
    const Elements q = long_number(1, {3}, n);
    Elements out(n + 1, 0.0);
    Buffers buffers(n);
    div_long(p.data(), q.data(), out.data(), n, buffers.scratch.data(), buffers.work.data());
    const Elements want = long_number(1, {2, 33333, 33333, 33333, 33333, 33333, 33333, 33333}, n);
    EXPECT_EQ(out, want) << "got  |" << long_text(out) << "|\nwant |" << long_text(want) << "|";
    EXPECT_EQ(p, long_number(1, {7}, n));
    EXPECT_EQ(q, long_number(1, {3}, n));
}

// The reciprocal written out from its schedule, the (d, e) of every Newton
// iteration as a table: the double estimate, then for each iteration
// y <- y + y*(1 - a*y) with the products at length d and the sum kept to e
// elements.
Elements reciprocal_by_schedule(const Elements& a, int n, const std::vector<std::pair<int, int>>& schedule,
                                double* error)
{
    const double R = element_radix;
    Elements y(static_cast<std::size_t>(n) + 1, 0.0);
    y[0] = 1.0 - a[0];
    const double t = R / (a[2] / R + a[1]);
    y[1] = std::trunc(t);
    y[2] = std::trunc((t - y[1]) * R);
    Buffers buffers(n);
    double* scratch = buffers.scratch.data();
    double* residual = scratch + 2 * n + 1;
    *error = 0;
    for (const auto& [d, e] : schedule) {
        *error = std::max(*error, mul_long(a.data(), y.data(), scratch, d, buffers.work.data()));
        add_small_integer(1, scratch, residual, 2 * d, -1);
        *error = std::max(*error, mul_long(y.data(), residual, scratch, d, buffers.work.data()));
        add_long(y.data(), scratch, y.data(), e, +1);
    }
    return y;
}

TEST_F(DivisionTest, NewtonScheduleOfFixedLength)
{
    struct Schedule {
        int n;
        std::vector<std::pair<int, int>> steps;
    };
    const Schedule schedules[] = {
        {2, {{2, 2}, {2, 2}}},
        {4, {{2, 4}, {4, 4}, {4, 4}}},
        {16, {{2, 4}, {4, 8}, {8, 16}, {16, 16}, {16, 16}}},
    };
    for (const double radix : {100000.0, 19683.0, 456976.0}) {
        element_radix = radix;
        for (const Schedule& schedule : schedules) {
            for (int lead = 0; lead < divisor_lead_kinds; ++lead) {
                const unsigned seed = 1000u * static_cast<unsigned>(schedule.n) + static_cast<unsigned>(lead);
                SCOPED_TRACE("R = " + std::to_string(radix) + ", n = " + std::to_string(schedule.n) +
                             ", seed " + std::to_string(seed));
                const Elements a = random_divisor(schedule.n, radix, lead, seed);
                double want_error = 0;
                double got_error = 0;
                const Elements want = reciprocal_by_schedule(a, schedule.n, schedule.steps, &want_error);
                const Elements got = reciprocal(a, schedule.n, &got_error);
                EXPECT_EQ(got, want) << "got  |" << long_text(got) << "|\nwant |" << long_text(want) << "|";
                EXPECT_EQ(got_error, want_error);
            }
        }
    }
}

// |1 - a*y| < R^(1-n) at every length, for divisors of every leading kind.
TEST_F(DivisionTest, ResidualBelowOneUnitOfTheLastElementButOne)
{
    for (const double radix : {100000.0, 19683.0, 456976.0, 177147.0}) {
        element_radix = radix;
        for (int n = 2; n <= (1 << 12); n *= 2) {
            for (int lead = 0; lead < divisor_lead_kinds; ++lead) {
                const unsigned seed = static_cast<unsigned>(n * 31 + lead) ^ static_cast<unsigned>(radix);
                SCOPED_TRACE("R = " + std::to_string(radix) + ", n = " + std::to_string(n) + ", seed " +
                             std::to_string(seed) + ", lead kind " + std::to_string(lead));
                const Elements a = random_divisor(n, radix, lead, seed);
                double error = -1;
                const Elements y = reciprocal(a, n, &error);
                const ReciprocalResidual residual = reciprocal_residual(a.data(), y.data(), n, radix);
                EXPECT_TRUE(residual.below_bound) << "|1 - a*y| = " << residual.in_bound_units << " * R^(1-n)";
                EXPECT_TRUE(balanced_below_lead(y, radix));
                EXPECT_GE(error, 0.0);
                EXPECT_LT(error, 0.5);
                EXPECT_EQ(a, random_divisor(n, radix, lead, seed)) << "the divisor was modified";
            }
        }
    }
}

// p/q within |p/q| * R^(1-n) + one unit of the quotient's last element, for
// random dividends and divisors and for the integer fractions of the
// arctangent's steps.
TEST_F(DivisionTest, QuotientWithinBound)
{
    for (const double radix : {100000.0, 19683.0, 456976.0}) {
        element_radix = radix;
        for (int n = 2; n <= (1 << 10); n *= 2) {
            for (int lead = 0; lead < divisor_lead_kinds; ++lead) {
                const unsigned seed = static_cast<unsigned>(n * 7 + lead) ^ 0xd1b54a32u;
                SCOPED_TRACE("R = " + std::to_string(radix) + ", n = " + std::to_string(n) + ", seed " +
                             std::to_string(seed) + ", lead kind " + std::to_string(lead));
                const Elements q = random_divisor(n, radix, lead, seed);
                Elements p = random_divisor(n, radix, 0, seed + 1);
                if (lead % 2 == 1) {
                    // An integer over an integer, as in an arctangent step.
                    p[0] = n / 2;
                }
                const Elements p_copy = p;
                const Elements q_copy = q;
                Elements out(n + 1, 0.0);
                Buffers buffers(n);
                const double error =
                    div_long(p.data(), q.data(), out.data(), n, buffers.scratch.data(), buffers.work.data());
                const QuotientError deviation = quotient_error(p.data(), q.data(), out.data(), n, radix);
                EXPECT_TRUE(deviation.within_bound)
                    << "|out - p/q| = " << deviation.in_last_units << " units of the last element";
                EXPECT_TRUE(balanced_below_lead(out, radix));
                EXPECT_GE(error, 0.0);
                EXPECT_LT(error, 0.5);
                EXPECT_EQ(p, p_copy);
                EXPECT_EQ(q, q_copy);
            }
        }
    }
}

}  // namespace
