// Unit tests of mul_small and div_small: the worked cases in both digit
// forms, then random long numbers and small or 32-bit factors against exact
// rational arithmetic, div_small in place, and guard entries around every
// buffer.
#include "bignum/long_number.hpp"
#include "bignum/small_integer.hpp"
#include "support/guarded_buffer.hpp"
#include "support/long_number_samples.hpp"

#include <gmp.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using Entries = std::vector<double>;

class SmallInteger : public DigitGlobalsTest {};

const double sample_radices[] = {7, 10, 100000, 177147};
const int sample_counts[] = {1, 2, 3, 4, 5, 8, 13, 32};

Shape pick_shape(std::mt19937_64& rng) { return all_shapes[rng() % std::size(all_shapes)]; }

// Small factors and divisors, the ones next to R, and the 32-bit ends.
int pick_factor(std::mt19937_64& rng, long radix)
{
    const int ks[] = {1,
                      -1,
                      2,
                      -3,
                      7,
                      static_cast<int>(radix) - 1,
                      static_cast<int>(radix),
                      -static_cast<int>(radix) - 1,
                      static_cast<int>(static_cast<long>(rng() % static_cast<unsigned long>(4 * radix)) - 2 * radix),
                      INT_MAX,
                      INT_MIN,
                      static_cast<int>(static_cast<std::uint32_t>(rng()))};
    return ks[rng() % std::size(ks)];
}

struct Case {
    const char* what;
    double radix;
    Entries a;
    int k;
    Entries want_standard;
    Entries want_balanced;
};

// count = the elements of a.
void run_table(const Case* cases, std::size_t n, void (*routine)(const double*, int, double*, int))
{
    for (std::size_t i = 0; i < n; ++i) {
        const Case& c = cases[i];
        for (bool balanced : {false, true}) {
            element_radix = c.radix;
            digit_mode = balanced ? -1 : 1;
            const int count = static_cast<int>(c.a.size()) - 1;
            GuardedBuffer a(c.a);
            GuardedBuffer out(Entries(c.a.size(), 77.0));
            routine(a.data(), c.k, out.data(), count);
            const Entries& want = balanced ? c.want_balanced : c.want_standard;
            EXPECT_EQ(out.values(), want) << c.what << ", " << form_name(balanced) << ": got "
                                          << entries_text(out.values());
            EXPECT_TRUE(out.guards_intact()) << c.what;
            EXPECT_EQ(a.values(), c.a) << c.what;
        }
    }
}

// ---------------------------------------------------------------------------
// mul_small

const Case mul_small_cases[] = {
    {"6.78 * 3, case A: the 4 of 8 * 3 is dropped", 10, {1, 6, 7, 8}, 3, {2, 2, 0, 3}, {2, 2, 0, 3}},
    {"6.78 * -3, case A", 10, {1, 6, 7, 8}, -3, {2, -3, 9, 7}, {2, -2, 0, -3}},
    {"3.35 * 3, case B: element 1 reaches R", 10, {1, 3, 3, 5}, 3, {1, 10, 0, 5}, {1, 10, 0, 5}},
    {"0.33333 50000 * 3 at R = 10^5", 100000, {1, 33333, 50000}, 3, {1, 100000, 50000}, {1, 100000, 50000}},
    {"6.78 * 0", 10, {1, 6, 7, 8}, 0, {-2, 0, 0, 0}, {-2, 0, 0, 0}},
    {"0.7 * 5, count 1, case A", 10, {0, 7}, 5, {1, 3}, {1, 3}},
    {"0.12 * 1", 10, {0, 1, 2}, 1, {0, 1, 2}, {0, 1, 2}},
    {"0.5 * 2: |a[1] * k| = R takes case A", 10, {0, 5, 0}, 2, {1, 1, 0}, {1, 1, 0}},
};

TEST_F(SmallInteger, MulSmallTable)
{
    run_table(mul_small_cases, std::size(mul_small_cases), mul_small);
}

// Case B (|a[1] * k| < R) must be exact; case A gains a leading element and
// loses the remainder of the last element's product, r = a[count] * k - R *
// trunc(a[count] * k / R), that is exactly r * R^(e_a - count).
TEST_F(SmallInteger, MulSmallAgainstExactRationals)
{
    for (double radix : sample_radices) {
        for (bool balanced : {true, false}) {
            use_digits(radix, balanced);
            const long r = static_cast<long>(radix);
            for (int count : sample_counts) {
                for (int trial = 0; trial < 60; ++trial) {
                    const unsigned seed = static_cast<unsigned>(radix) * 7919u + static_cast<unsigned>(count) * 131u +
                                          static_cast<unsigned>(trial) * 2u + (balanced ? 1u : 0u);
                    SCOPED_TRACE(testing::Message() << "R = " << radix << ", " << form_name(balanced) << ", count "
                                                    << count << ", seed " << seed);
                    std::mt19937_64 rng(seed);
                    const double exponent = static_cast<double>(static_cast<int>(rng() % 9) - 4);
                    const Entries a = sample_long_number(count, exponent, pick_shape(rng), rng);
                    const int k = trial == 0 ? 0 : pick_factor(rng, r);
                    SCOPED_TRACE(testing::Message() << "a " << entries_text(a) << ", k " << k);

                    const bool grows = std::fabs(a[1] * k) >= radix;
                    const Rational exact = value_of(a, radix) * Rational(k);
                    Rational want = exact;
                    if (grows) {
                        const long long last = static_cast<long long>(a[static_cast<std::size_t>(count)]) * k;
                        const long long dropped = last % r;  // truncating remainder, the sign of last
                        want = exact - Rational(static_cast<long>(dropped)) *
                                           radix_power(radix, static_cast<long>(exponent) - count);
                    }
                    GuardedBuffer ga(a);
                    GuardedBuffer gc(Entries(a.size(), 77.0));
                    mul_small(ga.data(), k, gc.data(), count);
                    expect_long_result(gc.data(), count, exponent + (grows ? 1 : 0), want, exact);
                    EXPECT_TRUE(gc.guards_intact());
                    EXPECT_TRUE(ga.guards_intact());
                    EXPECT_EQ(ga.values(), a);
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------
// div_small

const Case div_small_cases[] = {
    {"3.14 / 7, case B", 10, {1, 3, 1, 4}, 7, {0, 4, 4, 8}, {0, 4, 5, -2}},
    {"-3.14 / 7, case B", 10, {1, -3, -1, -4}, 7, {0, -5, 5, 2}, {0, -4, -5, 2}},
    {"3.14 / -7, case B", 10, {1, 3, 1, 4}, -7, {0, -5, 5, 2}, {0, -4, -5, 2}},
    {"9.14 / 7, case A: the last remainder is dropped", 10, {1, 9, 1, 4}, 7, {1, 1, 3, 0}, {1, 1, 3, 0}},
    {"1 / 5", 10, {1, 1, 0, 0}, 5, {0, 2, 0, 0}, {0, 2, 0, 0}},
    {"7 / -7", 10, {1, 7, 0, 0}, -7, {1, -1, 0, 0}, {1, -1, 0, 0}},
    {"7 / 7, |k| = |a[1]| takes case A", 10, {1, 7, 0, 0}, 7, {1, 1, 0, 0}, {1, 1, 0, 0}},
    {"0 / 3", 10, {2, 0, 0, 0}, 3, {-2, 0, 0, 0}, {-2, 0, 0, 0}},
    {"0.4 / 3, count 1, case A", 10, {0, 4}, 3, {0, 1}, {0, 1}},
    {"0.2 / 3, count 1, case B", 10, {0, 2}, 3, {-1, 6}, {-1, 6}},
    {"1 / 5 at R = 10^5", 100000, {1, 1, 0}, 5, {0, 20000, 0}, {0, 20000, 0}},
    {"1 / 7 at R = 3^11", 177147, {1, 1, 0, 0}, 7, {0, 25306, 126533, 101226}, {0, 25307, -50613, -75921}},
};

TEST_F(SmallInteger, DivSmallTable)
{
    run_table(div_small_cases, std::size(div_small_cases), div_small);
}

TEST_F(SmallInteger, DivSmallInPlaceTable)
{
    for (const Case& c : div_small_cases) {
        for (bool balanced : {false, true}) {
            use_digits(c.radix, balanced);
            GuardedBuffer a(c.a);
            div_small(a.data(), c.k, a.data(), static_cast<int>(c.a.size()) - 1);
            EXPECT_EQ(a.values(), balanced ? c.want_balanced : c.want_standard)
                << c.what << ", " << form_name(balanced) << ", in place: got " << entries_text(a.values());
            EXPECT_TRUE(a.guards_intact());
        }
    }
}

// The quotient c starts at exponent e_a when |k| <= |a[1]| and one element
// lower otherwise, so with u = R^(top - count) the unit of its last raw
// element: a - k * c must be a whole multiple of u smaller than |k| units
// (c is a / k truncated, off by less than u). In place gives the same.
TEST_F(SmallInteger, DivSmallAgainstExactRationals)
{
    for (double radix : sample_radices) {
        for (bool balanced : {true, false}) {
            use_digits(radix, balanced);
            const long r = static_cast<long>(radix);
            for (int count : sample_counts) {
                for (int trial = 0; trial < 60; ++trial) {
                    const unsigned seed = static_cast<unsigned>(radix) * 104729u +
                                          static_cast<unsigned>(count) * 131u + static_cast<unsigned>(trial) * 2u +
                                          (balanced ? 1u : 0u);
                    SCOPED_TRACE(testing::Message() << "R = " << radix << ", " << form_name(balanced) << ", count "
                                                    << count << ", seed " << seed);
                    std::mt19937_64 rng(seed);
                    const double exponent = static_cast<double>(static_cast<int>(rng() % 9) - 4);
                    const Entries a = sample_long_number(count, exponent, pick_shape(rng), rng);
                    int k = pick_factor(rng, r);
                    if (k == 0) {
                        k = 1;  // outside the contract
                    }
                    if (trial % 4 == 0 && a[1] != 0.0) {
                        k = static_cast<int>(a[1]) * (rng() % 2 == 0 ? 1 : -1);  // |k| = |a[1]|
                    }
                    SCOPED_TRACE(testing::Message() << "a " << entries_text(a) << ", k " << k);

                    const double top = std::fabs(static_cast<double>(k)) <= std::fabs(a[1]) ? exponent : exponent - 1;
                    const Rational unit = radix_power(radix, static_cast<long>(top) - count);
                    const Rational dividend = value_of(a, radix);
                    const Rational kq(k);

                    GuardedBuffer ga(a);
                    GuardedBuffer gc(Entries(a.size(), 77.0));
                    div_small(ga.data(), k, gc.data(), count);
                    const Rational quotient = value_of(gc.data(), count, radix);
                    const Rational left = (dividend - kq * quotient) / unit;
                    EXPECT_TRUE(left.is_integer()) << "a - k c = " << left.text() << " units";
                    EXPECT_TRUE(left.abs() < kq.abs()) << "a - k c = " << left.text() << " units";
                    expect_long_result(gc.data(), count, top, quotient, dividend / kq);
                    EXPECT_TRUE(gc.guards_intact());
                    EXPECT_TRUE(ga.guards_intact());
                    EXPECT_EQ(ga.values(), a);

                    GuardedBuffer in_place(a);
                    div_small(in_place.data(), k, in_place.data(), count);
                    EXPECT_EQ(in_place.values(), gc.values()) << "in place";
                    EXPECT_TRUE(in_place.guards_intact());
                }
            }
        }
    }
}

}  // namespace
