// The DRM arctangent: the worked example of x = 5, n = 8 value for value,
// the blocks of the product tree checked exactly against the series at
// every level, each step's numerator, power, divisor and quotient against
// exact rationals, the window-overflow line, and arctan(1/x) for every x of
// the formulas against MPFR.
#include "bignum/long_number.hpp"
#include "drm/atan_drm.hpp"
#include "support/atan_check.hpp"
#include "support/digit_globals.hpp"
#include "support/division_reference.hpp"
#include "support/element_arrays.hpp"
#include "support/reference.hpp"

#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Elements = std::vector<double>;

Elements snapshot(const double* a, int count)
{
    return Elements(a, a + count);
}

// m elements: zeros, then the given trailing ones.
Elements window(const Elements& trailing, int m)
{
    Elements w(static_cast<std::size_t>(m), 0.0);
    for (std::size_t i = 0; i < trailing.size(); ++i) {
        w[m - trailing.size() + i] = trailing[i];
    }
    return w;
}

#define EXPECT_ENTRIES(got, want) \
    EXPECT_EQ(got, want) << "got  |" << whole_entries_text(got) << "|\nwant |" << whole_entries_text(want) << "|"

struct Integer {
    Integer() { mpz_init(v); }
    ~Integer() { mpz_clear(v); }
    Integer(const Integer&) = delete;
    Integer& operator=(const Integer&) = delete;
    mpz_t v;
};

struct Rational {
    Rational() { mpq_init(v); }
    ~Rational() { mpq_clear(v); }
    Rational(const Rational&) = delete;
    Rational& operator=(const Rational&) = delete;
    mpq_t v;
};

// The block of the series terms c .. c + b - 1 of arctan(1/x), written out
// from the block invariant: Q = q(c) ... q(c+b-1) with q(k) = 2k + 1, and
// P = sum over i of (-1)^(c+i) X^(b-1-i) Q / q(c+i), X = x^2.
void exact_block(long x, long c, long b, mpz_t p, mpz_t q)
{
    mpz_set_ui(q, 1);
    for (long i = 0; i < b; ++i) {
        mpz_mul_ui(q, q, static_cast<unsigned long>(2 * (c + i) + 1));
    }
    Integer term;
    mpz_set_ui(p, 0);
    for (long i = 0; i < b; ++i) {
        mpz_ui_pow_ui(term.v, static_cast<unsigned long>(x), static_cast<unsigned long>(2 * (b - 1 - i)));
        mpz_mul(term.v, term.v, q);
        mpz_divexact_ui(term.v, term.v, static_cast<unsigned long>(2 * (c + i) + 1));
        if ((c + i) % 2 == 0) {
            mpz_add(p, p, term.v);
        } else {
            mpz_sub(p, p, term.v);
        }
    }
}

::testing::AssertionResult within_unit(const double* a, int n, const mpq_t exact, double exponent)
{
    Rational value;
    Rational unit;
    long_number_to_mpq(a, n, element_radix, value.v);
    mpq_sub(value.v, value.v, exact);
    mpq_abs(value.v, value.v);
    const long e = static_cast<long>(exponent) - n;
    mpq_set_ui(unit.v, 1, 1);
    mpz_ui_pow_ui(e >= 0 ? mpq_numref(unit.v) : mpq_denref(unit.v), static_cast<unsigned long>(element_radix),
                  static_cast<unsigned long>(std::labs(e)));
    if (mpq_cmp(value.v, unit.v) < 0) {
        return ::testing::AssertionSuccess();
    }
    mpq_div(value.v, value.v, unit.v);
    return ::testing::AssertionFailure() << "off by " << mpq_get_d(value.v) << " units of R^(" << e << ")";
}

// |value(a) - exact| < R^(e - n): within one unit of element n at exponent
// e, a's own exponent unless given.
::testing::AssertionResult within_last_unit(const double* a, int n, const mpq_t exact)
{
    return within_unit(a, n, exact, a[0]);
}


// Lays out the leaves of the terms c .. c + n/4 - 1 the way a step lays them
// out: term t (from 1) in the window of elements 4t-3 .. 4t of drm_num and
// drm_den, its sign and its odd denominator in the window's last element,
// the denominator's window normalized; X = x^2 in work_t[1..4].
void lay_out_leaves(long x, int n, long c)
{
    fill_elements(0, drm_num + 1, n);
    fill_elements(0, drm_den + 1, n);
    for (int t = 1; t <= n / 4; ++t) {
        const long k = c + t - 1;
        drm_num[4 * t] = k % 2 == 0 ? 1.0 : -1.0;
        drm_den[4 * t] = static_cast<double>(2 * k + 1);
        normalize_elements(drm_den + 4 * t - 3, 4);
    }
    fill_elements(0, work_t + 1, 4);
    work_t[4] = static_cast<double>(x * x);
    normalize_elements(work_t + 1, 4);
}

// Runs one merge level and returns what it printed.
std::string merge_level(int m, int pairs)
{
    std::fflush(stdout);
    ::testing::internal::CaptureStdout();
    drm_merge_level(m, pairs);
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

double drm_step_quietly(int x, int n, std::string& console)
{
    std::fflush(stdout);
    ::testing::internal::CaptureStdout();
    const double error = drm_step(x, n);
    std::fflush(stdout);
    console = ::testing::internal::GetCapturedStdout();
    return error;
}

// next_odd is a global too, saved and restored with the digit globals.
class AtanDrmTest : public DigitGlobalsTest {
protected:
    void SetUp() override
    {
        DigitGlobalsTest::SetUp();
        saved_next_odd_ = next_odd;
        use_digits(100000.0, true);
    }
    void TearDown() override
    {
        next_odd = saved_next_odd_;
        DigitGlobalsTest::TearDown();
    }

private:
    double saved_next_odd_ = 0;
};

TEST_F(AtanDrmTest, WorkedExampleLeavesAndMerge)
{
    const int n = 8;
    lay_out_leaves(5, n, 0);
    EXPECT_ENTRIES(snapshot(drm_num + 1, n), Elements({0, 0, 0, 1, 0, 0, 0, -1}));
    EXPECT_ENTRIES(snapshot(drm_den + 1, n), Elements({0, 0, 0, 1, 0, 0, 0, 3}));
    EXPECT_ENTRIES(snapshot(work_t + 1, 4), Elements({0, 0, 0, 25}));

    EXPECT_EQ(merge_level(4, 1), "");
    // P_L * (X * Q_R) = 1 * 75 stays behind in work_u[9..16].
    EXPECT_ENTRIES(snapshot(work_u + 9, 8), window({75}, 8));
    EXPECT_ENTRIES(snapshot(drm_num + 1, n), window({74}, 8));
    EXPECT_ENTRIES(snapshot(drm_den + 1, n), window({3}, 8));
    EXPECT_ENTRIES(snapshot(work_t + 1, n), window({625}, 8));
}

// Steps 1 to 3 of arctan(1/5) with n = 8: after each step drm_num holds P,
// x_power the power of x of the step's last term, work_t the divisor
// Q * x_power and drm_den the quotient P / (Q * x_power).
TEST_F(AtanDrmTest, WorkedExampleStepByStep)
{
    const int n = 8;
    atan_inverse_drm(5, n, 0);
    EXPECT_ENTRIES(snapshot(x_power, n + 1), long_number(0, {20000}, n));
    EXPECT_ENTRIES(snapshot(atan_sum, n + 1), long_number(0, {}, n));
    EXPECT_EQ(next_odd, 1.0);

    struct Step {
        double first_odd;
        Elements p;
        Elements power;
        Elements divisor;
    };
    const Step steps[] = {
        {1, long_number(1, {74}, n), long_number(1, {125}, n), long_number(1, {375}, n)},
        {5, long_number(1, {170}, n), long_number(2, {1, -21875}, n), long_number(2, {27, 34375}, n)},
        {9, long_number(1, {266}, n), long_number(2, {488, 28125}, n), long_number(2, {48340, -15625}, n)},
    };
    Rational sum;
    Rational quotient;
    for (const Step& step : steps) {
        SCOPED_TRACE("step from denominator " + std::to_string(static_cast<int>(step.first_odd)));
        EXPECT_EQ(next_odd, step.first_odd);
        Rational before;
        long_number_to_mpq(atan_sum, n, element_radix, before.v);
        const double sum_exponent = atan_sum[0];
        std::string console;
        drm_step_quietly(5, n, console);
        EXPECT_EQ(console, "");
        EXPECT_ENTRIES(snapshot(drm_num, n + 1), step.p);
        EXPECT_ENTRIES(snapshot(x_power, n + 1), step.power);
        EXPECT_ENTRIES(snapshot(work_t, n + 1), step.divisor);
        const QuotientError deviation = quotient_error(drm_num, work_t, drm_den, n, element_radix);
        EXPECT_TRUE(deviation.within_bound) << deviation.in_last_units << " units";
        long_number_to_mpq(drm_den, n, element_radix, quotient.v);
        mpq_add(sum.v, before.v, quotient.v);
        EXPECT_TRUE(within_unit(atan_sum, n, sum.v, std::max(sum_exponent, drm_den[0])));
        if (step.first_odd == 1) {
            // 74/375 = 0.19733 33333 ... The last element is 33358, not
            // 33333: 1/375 comes out as (267, -33333, ..., -33333), the
            // exact reciprocal's tail of -1/3 unit dropped, so 74 * (1/375)
            // exceeds 74/375 by 74/3 units of element 8, and the product
            // is truncated.
            EXPECT_ENTRIES(snapshot(drm_den, n + 1),
                           long_number(0, {19733, 33333, 33333, 33333, 33333, 33333, 33333, 33358}, n));
            EXPECT_ENTRIES(snapshot(atan_sum, n + 1), snapshot(drm_den, n + 1));
        }
    }
    EXPECT_EQ(next_odd, 13.0);
}

TEST_F(AtanDrmTest, NextOddRunsOnAcrossSteps)
{
    struct Case {
        int n;
        std::vector<double> first_odds;
    };
    const Case cases[] = {{8, {1, 5, 9}}, {16, {1, 9, 17}}};
    for (const Case& c : cases) {
        SCOPED_TRACE("n = " + std::to_string(c.n));
        atan_inverse_drm(5, c.n, 0);
        std::vector<double> got;
        for (std::size_t s = 0; s < c.first_odds.size(); ++s) {
            got.push_back(next_odd);
            std::string console;
            drm_step_quietly(5, c.n, console);
        }
        EXPECT_ENTRIES(got, c.first_odds);
    }
    // One step of n = 16 sums four terms and leaves x_power = 5^7.
    atan_inverse_drm(5, 16, 1);
    EXPECT_ENTRIES(snapshot(x_power, 17), long_number(2, {1, -21875}, 16));
    EXPECT_EQ(next_odd, 9.0);
}

// Every window after every level holds the block of its terms exactly, and
// work_t the next power of X, for trees of one to eight levels and for
// denominators on both sides of R/2.
TEST_F(AtanDrmTest, BlockInvariantAtEveryLevel)
{
    struct Case {
        double radix;
        long x;
        int n;
        long c;  // the global index of the step's first term
    };
    const Case cases[] = {
        {100000.0, 239, 16, 4},      // the second step: Q = 9 * 11 * 13 * 15 at the top
        {100000.0, 5, 64, 0},
        {100000.0, 5, 32, 24992},    // denominators 49985 .. 50047 around R/2
        {19683.0, 110443, 256, 131072},  // near the largest X * q of any run
        {456976.0, 57, 1024, 0},
        {177147.0, 12943, 128, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("R = " + std::to_string(c.radix) + ", x = " + std::to_string(c.x) + ", n = " +
                     std::to_string(c.n) + ", first term " + std::to_string(c.c));
        element_radix = c.radix;
        lay_out_leaves(c.x, c.n, c.c);
        Integer p;
        Integer q;
        Integer got;
        Integer power;
        int levels = 0;
        for (int m = 4, pairs = c.n / 8; pairs >= 1; m *= 2, pairs /= 2) {
            EXPECT_EQ(merge_level(m, pairs), "") << "width " << m;
            ++levels;
            const int width = 2 * m;
            const long b = width / 4;
            for (int w = 0; w < c.n / width; ++w) {
                SCOPED_TRACE("width " + std::to_string(width) + ", window " + std::to_string(w));
                exact_block(c.x, c.c + w * b, b, p.v, q.v);
                elements_to_mpz(drm_num + 1 + w * width, width, c.radix, got.v);
                EXPECT_EQ(mpz_cmp(got.v, p.v), 0) << "numerator";
                elements_to_mpz(drm_den + 1 + w * width, width, c.radix, got.v);
                EXPECT_EQ(mpz_cmp(got.v, q.v), 0) << "denominator";
            }
            mpz_ui_pow_ui(power.v, static_cast<unsigned long>(c.x), static_cast<unsigned long>(2 * b));
            elements_to_mpz(work_t + 1, width, c.radix, got.v);
            EXPECT_EQ(mpz_cmp(got.v, power.v), 0) << "X^" << b;
        }
        EXPECT_EQ(1 << (levels + 2), c.n);
        if (c.n == 16) {
            elements_to_mpz(drm_den + 1, 16, c.radix, got.v);
            EXPECT_EQ(mpz_get_si(got.v), 9 * 11 * 13 * 15);
        }
    }
}

// After each step: P exact, x_power = X^(n/4) times the power before it,
// the divisor Q * x_power, the quotient and the sum each within what their
// truncation to n elements allows.
void check_step(int x, int n, long c)
{
    const double radix = element_radix;
    EXPECT_EQ(next_odd, static_cast<double>(2 * c + 1));
    Rational power_before;
    Rational sum_before;
    long_number_to_mpq(x_power, n, radix, power_before.v);
    long_number_to_mpq(atan_sum, n, radix, sum_before.v);
    const double sum_exponent = atan_sum[0];

    std::string console;
    const double error = drm_step_quietly(x, n, console);
    EXPECT_EQ(console, "");
    EXPECT_GE(error, 0.0);
    EXPECT_LT(error, 0.5);
    EXPECT_EQ(next_odd, static_cast<double>(2 * c + 1 + n / 2));

    Integer p;
    Integer q;
    exact_block(x, c, n / 4, p.v, q.v);
    Rational want;
    Rational got;
    mpq_set_z(want.v, p.v);
    long_number_to_mpq(drm_num, n, radix, got.v);
    EXPECT_TRUE(mpq_equal(got.v, want.v)) << "P";

    Integer factor;
    mpz_ui_pow_ui(factor.v, static_cast<unsigned long>(x), static_cast<unsigned long>(n / 2));
    mpq_set_z(want.v, factor.v);
    mpq_mul(want.v, want.v, power_before.v);
    EXPECT_TRUE(within_last_unit(x_power, n, want.v)) << "x_power";

    long_number_to_mpq(x_power, n, radix, got.v);
    mpq_set_z(want.v, q.v);
    mpq_mul(want.v, want.v, got.v);
    EXPECT_TRUE(within_last_unit(work_t, n, want.v)) << "divisor";

    const QuotientError deviation = quotient_error(drm_num, work_t, drm_den, n, radix);
    EXPECT_TRUE(deviation.within_bound) << "quotient off by " << deviation.in_last_units << " units";

    // The sum is aligned to the larger exponent of its operands: what falls
    // below element n there is dropped (the first step adds its quotient to
    // a zero of exponent 0).
    long_number_to_mpq(drm_den, n, radix, got.v);
    mpq_add(want.v, sum_before.v, got.v);
    EXPECT_TRUE(within_unit(atan_sum, n, want.v, std::max(sum_exponent, drm_den[0]))) << "sum";
}

TEST_F(AtanDrmTest, StepsAgainstTheExactSeries)
{
    struct Case {
        double radix;
        int x;
        int n;
        int steps;
    };
    const Case cases[] = {
        {100000.0, 5, 8, 4},      {100000.0, 239, 16, 3}, {19683.0, 110443, 64, 2},
        {456976.0, 57, 32, 4},    {177147.0, 12943, 128, 2}, {100000.0, 18, 256, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("R = " + std::to_string(c.radix) + ", x = " + std::to_string(c.x) + ", n = " +
                     std::to_string(c.n));
        element_radix = c.radix;
        atan_inverse_drm(c.x, c.n, 0);
        // x_power starts as 1/x, off by less than one unit of R^(-n).
        Rational inverse;
        Rational start;
        mpq_set_ui(inverse.v, 1, static_cast<unsigned long>(c.x));
        long_number_to_mpq(x_power, c.n, c.radix, start.v);
        mpq_sub(start.v, start.v, inverse.v);
        Integer scale;
        mpz_ui_pow_ui(scale.v, static_cast<unsigned long>(c.radix), static_cast<unsigned long>(c.n));
        mpz_mul(mpq_numref(start.v), mpq_numref(start.v), scale.v);
        mpq_canonicalize(start.v);
        EXPECT_LT(std::fabs(mpq_get_d(start.v)), 1.0) << "x_power = 1/x";

        for (int s = 0; s < c.steps; ++s) {
            SCOPED_TRACE("step " + std::to_string(s + 1));
            check_step(c.x, c.n, static_cast<long>(s) * (c.n / 4));
        }
    }
    // A step whose denominators run from 49985 to 50047, across R/2: the
    // leaf window of 50001 is (0, 0, 1, -49999).
    element_radix = 100000.0;
    Elements leaf = {0, 0, 0, 50001};
    normalize_elements(leaf.data(), 4);
    EXPECT_ENTRIES(leaf, Elements({0, 0, 1, -49999}));
    atan_inverse_drm(5, 32, 0);
    next_odd = 49985;
    check_step(5, 32, 24992);
}

// X * Q_R too wide for its window: the line is printed once per merge and
// the merge goes on, Q = Q_L * Q_R still right.
TEST_F(AtanDrmTest, WindowOverflowLineAndTheMergeGoesOn)
{
    lay_out_leaves(5, 8, 0);
    work_t[1] = 50000;  // X = R^3 / 2, so X * Q_R = 1.5 R^4
    work_t[4] = 0;
    EXPECT_EQ(merge_level(4, 1), " ** Error Stop \n");
    EXPECT_ENTRIES(snapshot(drm_den + 1, 8), window({3}, 8));
}

#if HAVE_MPFR

struct RadixCase {
    int base;
    int digits_per_element;
};

class AtanAgainstMpfrTest : public BalancedBaseDigitsTest<RadixCase> {};

// |atan_sum - arctan(1/x)| < R^(1-n), one unit of element n - 1: the last
// element a run prints when n is its working length (L = n - 1). That
// covers the series left out after the driver's steps (below R^(1-n) / x)
// and the truncations of x_power, the divisor, the reciprocal (|1 - a*y| <
// R^(1-n)) and the quotient. One unit of element n is not a bound the
// scheme keeps: a reciprocal with a small leading element is correct to
// about n - 1 elements only, so errors of thousands of units of element n
// occur.
TEST_P(AtanAgainstMpfrTest, EveryFormulaArgument)
{
    const RadixCase radix = GetParam();
    for (const int n : {8, 32, 256, 1024}) {
        for (const int x : {5, 239, 18, 57, 10, 515, 682, 12943, 49, 110443}) {
            SCOPED_TRACE("R = " + std::to_string(element_radix) + ", n = " + std::to_string(n) + ", x = " +
                         std::to_string(x));
            const ArctangentRun run = run_arctangent_against_mpfr(radix.base, radix.digits_per_element, x, n);
            EXPECT_LT(run.error_in_bound_units, 1.0)
                << run.error_in_last_units << " units of element n, " << run.steps << " steps";
            EXPECT_EQ(run.console, "");
            EXPECT_LT(run.rounding_error, 0.5);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Radices, AtanAgainstMpfrTest,
                         ::testing::Values(RadixCase{10, 5}, RadixCase{27, 3}, RadixCase{26, 4}, RadixCase{3, 11},
                                           RadixCase{62, 3}),
                         [](const ::testing::TestParamInfo<RadixCase>& radix) {
                             std::string name = "base";
                             name += std::to_string(radix.param.base);
                             return name;
                         });

#else

TEST(AtanAgainstMpfrTest, EveryFormulaArgument)
{
    GTEST_SKIP() << "MPFR not found: arctan(1/x) is not checked against it";
}

#endif

}  // namespace
