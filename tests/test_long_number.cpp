// Unit tests of the long-number layer: carry normalization in both digit
// forms, leading-zero stripping, the copy and fill helpers and the scalar
// routines.
#include "bignum/long_number.hpp"
#include "support/guarded_buffer.hpp"
#include "support/long_number_samples.hpp"
#include "support/reference.hpp"

#include <gmp.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

using Entries = std::vector<double>;

class LongNumber : public DigitGlobalsTest {};

// ---------------------------------------------------------------------------
// normalize_elements

struct NormalizeCase {
    double radix;
    bool balanced;
    Entries in;
    Entries want;
};

const NormalizeCase normalize_cases[] = {
    // R = 10, standard: a negative entry borrows from the one above.
    {10, false, {0, -13, 27}, {-2, 9, 7}},
    {10, false, {0, -1, -1}, {-1, 8, 9}},
    {10, false, {0, -9, -1}, {-1, 0, 9}},  // the borrow makes a[1] = -R, corrected once
    {10, false, {0, 0, -10}, {-1, 9, 0}},
    {10, false, {5, -7}, {4, 3}},
    {10, false, {0, 10}, {1, 0}},
    {10, false, {0, 0, 99}, {0, 9, 9}},
    {10, false, {9, 9, 19}, {10, 0, 9}},  // the top entry absorbs, unreduced
    {10, false, {-25, 3}, {-25, 3}},
    // R = 10, balanced: both ends -5 and +5 are kept.
    {10, true, {0, -13, 27}, {-1, 0, -3}},
    {10, true, {0, 6, -6}, {0, 5, 4}},
    {10, true, {0, 0, 99}, {1, 0, -1}},
    {10, true, {0, 5}, {0, 5}},
    {10, true, {0, -5}, {0, -5}},
    {10, true, {0, 6}, {1, -4}},
    {10, true, {0, -6}, {-1, 4}},
    {10, true, {0, 4, 6}, {0, 5, -4}},
    {10, true, {0, 5, 6}, {1, -4, -4}},
    {10, true, {0, -5, -6}, {-1, 4, 4}},
    {10, true, {123, 0}, {123, 0}},
    {10, true, {0, 0, 0, 0}, {0, 0, 0, 0}},
    // R = 7, balanced: (R + 1)/2 = 4 becomes -3 with a carry of +1.
    {7, true, {0, 3, -4}, {0, 2, 3}},
    {7, true, {0, 3}, {0, 3}},
    {7, true, {0, -3}, {0, -3}},
    {7, true, {0, 4}, {1, -3}},
    {7, true, {0, -4}, {-1, 3}},
    {7, true, {0, 3, 4}, {1, -3, -3}},
    {7, true, {0, 0, 24}, {0, 3, 3}},
    // R = 7, standard.
    {7, false, {0, -1}, {-1, 6}},
    {7, false, {0, 49}, {7, 0}},
    {7, false, {0, 3, -8}, {0, 1, 6}},
    // Radices of real runs: 10^5 (even) and 3^11 (odd).
    {100000, true, {0, 50000}, {0, 50000}},
    {100000, true, {0, -50000}, {0, -50000}},
    {100000, true, {0, 50001}, {1, -49999}},
    {100000, true, {0, -50001}, {-1, 49999}},
    {100000, true, {0, 0, 9999999999}, {1, 0, -1}},
    {100000, false, {0, -1, -1}, {-1, 99998, 99999}},
    {100000, false, {0, 0, 9999999999}, {0, 99999, 99999}},
    {177147, true, {0, 88573}, {0, 88573}},
    {177147, true, {0, 88574}, {1, -88573}},
    {177147, true, {0, -88574}, {-1, 88573}},
    {177147, false, {0, 177147}, {1, 0}},
    {177147, false, {0, -177148}, {-2, 177146}},
    // A count of 1 changes nothing.
    {10, false, {99}, {99}},
    {10, true, {-123}, {-123}},
    // Entries at and past 2^31 * R: the carry quotient must not overflow.
    {10, false, {0, 30000000000}, {3000000000, 0}},
    {10, true, {0, 0, 21474836487}, {214748365, -1, -3}},
    {10, true, {0, -21474836480, 0}, {-2147483648, 0, 0}},
    {100000, false, {0, 4503599627370495}, {45035996273, 70495}},
    {100000, true, {0, -4503599627370495, 0}, {-45035996274, 29505, 0}},
};

TEST_F(LongNumber, NormalizeTable)
{
    for (const NormalizeCase& c : normalize_cases) {
        use_digits(c.radix, c.balanced);
        GuardedBuffer a(c.in);
        normalize_elements(a.data(), static_cast<int>(c.in.size()));
        SCOPED_TRACE(testing::Message() << "R = " << c.radix << ", " << form_name(c.balanced) << ", in "
                                        << entries_text(c.in));
        EXPECT_EQ(a.values(), c.want) << "got " << entries_text(a.values()) << ", want " << entries_text(c.want);
        EXPECT_TRUE(a.guards_intact());
    }
}

TEST_F(LongNumber, NormalizeWithCountZeroOrLessTouchesNothing)
{
    use_digits(10, true);
    const Entries before = {77, 88};
    for (int count : {0, -1, INT_MIN}) {
        GuardedBuffer a(before);
        normalize_elements(a.data(), count);
        EXPECT_EQ(a.values(), before) << "count " << count;
    }
}

// Random entries, many of them far outside the digit range (up to 2^50, past
// 2^31 * R): the exact value must be preserved and entries 1..count-1 must
// come out in range. Entry 0 is free.
TEST_F(LongNumber, NormalizePreservesTheExactValue)
{
    const double radices[] = {7, 10, 19683, 100000, 177147, 456976};
    mpz_t before;
    mpz_t after;
    mpz_init(before);
    mpz_init(after);
    for (double radix : radices) {
        for (bool balanced : {true, false}) {
            use_digits(radix, balanced);
            for (unsigned trial = 0; trial < 150; ++trial) {
                const unsigned seed = 1000u * static_cast<unsigned>(radix) + 2u * trial + (balanced ? 1u : 0u);
                SCOPED_TRACE(testing::Message() << "R = " << radix << ", " << form_name(balanced) << ", seed "
                                                << seed);
                std::mt19937_64 rng(seed);
                const int count = 1 + static_cast<int>(rng() % 40);
                // Magnitude class of this trial: within a few R, around
                // 2^31 * R, or up to 2^50.
                const double limits[] = {3.0 * radix, 3.0 * 2147483648.0 * radix, 1125899906842624.0};
                const double limit = limits[trial % 3];
                std::uniform_real_distribution<double> pick(-limit, limit);
                Entries in(static_cast<std::size_t>(count));
                for (double& v : in) {
                    v = std::trunc(pick(rng));
                    if (rng() % 5 == 0) {
                        v = rng() % 2 == 0 ? std::floor(radix / 2.0) : -std::floor(radix / 2.0);
                    }
                }
                GuardedBuffer a(in);
                elements_to_mpz(in.data(), count, radix, before);
                normalize_elements(a.data(), count);
                const Entries out = a.values();
                elements_to_mpz(out.data(), count, radix, after);
                EXPECT_EQ(mpz_cmp(before, after), 0) << "in " << entries_text(in) << "\nout " << entries_text(out);
                for (int i = 1; i < count; ++i) {
                    const bool in_range =
                        balanced ? std::fabs(out[i]) <= radix / 2.0 : (out[i] >= 0.0 && out[i] < radix);
                    EXPECT_TRUE(in_range) << "entry " << i << " = " << out[i] << "\nout " << entries_text(out);
                }
                EXPECT_TRUE(a.guards_intact());
            }
        }
    }
    mpz_clear(before);
    mpz_clear(after);
}

// The form is read from digit_mode at the moment of the call.
TEST_F(LongNumber, NormalizeReadsTheFormAtEachCall)
{
    use_digits(10, true);
    Entries a = {0, 0, 7};
    normalize_elements(a.data(), 3);
    EXPECT_EQ(a, (Entries{0, 1, -3}));
    digit_mode = 0;  // zero selects standard form
    normalize_elements(a.data(), 3);
    EXPECT_EQ(a, (Entries{0, 0, 7}));
    digit_mode = INT_MIN;
    normalize_elements(a.data(), 3);
    EXPECT_EQ(a, (Entries{0, 1, -3}));
}

// ---------------------------------------------------------------------------
// strip_leading_zeros and make_integer

struct StripCase {
    Entries in;  // exponent, then count elements
    Entries want;
};

TEST_F(LongNumber, StripLeadingZerosTable)
{
    use_digits(10, true);
    const StripCase cases[] = {
        {{3, 0, 0, 4, 5, 0}, {1, 4, 5, 0, 0, 0}},
        {{3, 0, 0, 0, 0, 0}, {-2, 0, 0, 0, 0, 0}},
        {{3, -0.0, 0, 7}, {1, 7, 0, 0}},  // a negative zero counts as zero
        {{2, 1, 0, 0}, {2, 1, 0, 0}},
        {{2, -1, 0, 3}, {2, -1, 0, 3}},
        {{0, 0, -3}, {-1, -3, 0}},
        {{-4, 0, 0, 0, 0, 1}, {-8, 1, 0, 0, 0, 0}},
        {{5, 0}, {4, 0}},
        {{5, 9}, {5, 9}},
    };
    for (const StripCase& c : cases) {
        GuardedBuffer a(c.in);
        strip_leading_zeros(a.data(), static_cast<int>(c.in.size()) - 1);
        SCOPED_TRACE(entries_text(c.in));
        EXPECT_EQ(a.values(), c.want) << "got " << entries_text(a.values());
        EXPECT_TRUE(a.guards_intact());
    }
    // A count of zero or less changes nothing, not even the exponent.
    for (int count : {0, -3}) {
        GuardedBuffer a({3, 0, 0});
        strip_leading_zeros(a.data(), count);
        EXPECT_EQ(a.values(), (Entries{3, 0, 0})) << "count " << count;
    }
}

// Only a[1..count] is scanned: a nonzero entry past count must not stop the
// scan of an all-zero number nor be moved in.
TEST_F(LongNumber, StripReadsNothingPastCount)
{
    use_digits(10, true);
    Entries a = {3, 0, 0, 0, 6};
    strip_leading_zeros(a.data(), 3);
    EXPECT_EQ(a, (Entries{0, 0, 0, 0, 6}));
}

TEST_F(LongNumber, MakeIntegerTable)
{
    use_digits(10, true);
    const StripCase cases[] = {
        {{99, 0, 0, 4}, {1, 4, 0, 0}},
        {{-7, 5, 0, 0}, {3, 5, 0, 0}},
        {{99, 0, 0, 0}, {0, 0, 0, 0}},
        {{0, -2, 3}, {2, -2, 3}},
        {{4, 0, 8}, {1, 8, 0}},
    };
    for (const StripCase& c : cases) {
        GuardedBuffer a(c.in);
        make_integer(a.data(), static_cast<int>(c.in.size()) - 1);
        EXPECT_EQ(a.values(), c.want) << entries_text(c.in) << " gave " << entries_text(a.values());
        EXPECT_TRUE(a.guards_intact());
    }
    for (int count : {0, -2}) {
        GuardedBuffer a({5, 0});
        make_integer(a.data(), count);
        EXPECT_EQ(a.values(), (Entries{5, 0})) << "count " << count;
    }
}

// ---------------------------------------------------------------------------
// set_small_integer, copy_elements, fill_elements

TEST_F(LongNumber, SetSmallIntegerTable)
{
    use_digits(10, true);
    struct Case {
        int value;
        int count;
        Entries want;
    };
    const Case cases[] = {
        {0, 3, {1, 0, 0, 0}},  // a zero with exponent 1, unstripped
        {12, 3, {1, 12, 0, 0}},  // not normalized
        {-7, 1, {1, -7}},
        {100000, 2, {1, 100000, 0}},
        {INT_MIN, 2, {1, -2147483648.0, 0}},
    };
    for (const Case& c : cases) {
        GuardedBuffer a(Entries(static_cast<std::size_t>(c.count) + 1, 9.0));
        set_small_integer(c.value, a.data(), c.count);
        EXPECT_EQ(a.values(), c.want) << "value " << c.value << ", count " << c.count;
        EXPECT_TRUE(a.guards_intact());
    }
    for (int count : {0, -1}) {
        GuardedBuffer a({9});
        set_small_integer(5, a.data(), count);
        EXPECT_EQ(a.values(), (Entries{9})) << "count " << count;
        EXPECT_TRUE(a.guards_intact()) << "count " << count;
    }
}

TEST_F(LongNumber, CopyElements)
{
    const Entries ramp = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    {
        // Toward lower addresses inside one array, overlapping.
        GuardedBuffer a(ramp);
        copy_elements(a.data() + 3, a.data(), 5);
        EXPECT_EQ(a.values(), (Entries{3, 4, 5, 6, 7, 5, 6, 7, 8, 9}));
        EXPECT_TRUE(a.guards_intact());
    }
    {
        GuardedBuffer a(ramp);
        copy_elements(a.data() + 1, a.data(), 9);
        EXPECT_EQ(a.values(), (Entries{1, 2, 3, 4, 5, 6, 7, 8, 9, 9}));
        EXPECT_TRUE(a.guards_intact());
    }
    {
        // Onto itself: unchanged.
        GuardedBuffer a(ramp);
        copy_elements(a.data(), a.data(), 10);
        EXPECT_EQ(a.values(), ramp);
        EXPECT_TRUE(a.guards_intact());
    }
    {
        GuardedBuffer src(ramp);
        GuardedBuffer dst(Entries(10, -1.0));
        copy_elements(src.data(), dst.data(), 10);
        EXPECT_EQ(dst.values(), ramp);
        copy_elements(src.data(), dst.data(), 0);
        copy_elements(src.data(), dst.data(), -4);
        EXPECT_EQ(dst.values(), ramp);
        EXPECT_TRUE(src.guards_intact());
        EXPECT_TRUE(dst.guards_intact());
    }
}

TEST_F(LongNumber, FillElements)
{
    GuardedBuffer a(Entries(4, 3.0));
    fill_elements(-7, a.data(), 4);
    EXPECT_EQ(a.values(), Entries(4, -7.0));
    fill_elements(INT_MAX, a.data(), 2);
    EXPECT_EQ(a.values(), (Entries{2147483647.0, 2147483647.0, -7, -7}));
    fill_elements(1, a.data(), 0);
    fill_elements(1, a.data(), -5);
    EXPECT_EQ(a.values(), (Entries{2147483647.0, 2147483647.0, -7, -7}));
    EXPECT_TRUE(a.guards_intact());
}

// ---------------------------------------------------------------------------
// Scalar routines

TEST(LongNumberScalars, IntPower)
{
    struct Case {
        int base;
        int e;
        int want;
    };
    const Case cases[] = {
        {7, 0, 1},       {10, 5, 100000},  {3, 11, 177147}, {27, 3, 19683}, {26, 4, 456976},
        {62, 3, 238328}, {2, 18, 262144},  {2, 30, 1 << 30}, {-2, 3, -8},   {0, 0, 1},
        {0, 3, 0},       {10, -1, 1},      {5, INT_MIN, 1},  {1, 1000, 1},  {-1, 7, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(int_power(c.base, c.e), c.want) << c.base << "^" << c.e;
    }
}

TEST(LongNumberScalars, Max2AndMax3TiesAndNaN)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double got;
        double want;  // NaN means NaN
        const char* what;
    };
    const Case cases[] = {
        {max2(1, 2), 2, "max2(1, 2)"},
        {max2(2, 1), 2, "max2(2, 1)"},
        {max2(-3, -4), -3, "max2(-3, -4)"},
        {max2(0.0, -0.0), 0.0, "max2(0, -0) is the first"},
        {max2(-0.0, 0.0), -0.0, "max2(-0, 0) is the first"},
        {max2(1, nan), nan, "max2(x, NaN)"},
        {max2(nan, 1), 1, "max2(NaN, x)"},
        {max2(nan, nan), nan, "max2(NaN, NaN)"},
        {max3(1, 2, 3), 3, "max3(1, 2, 3)"},
        {max3(3, 2, 1), 3, "max3(3, 2, 1)"},
        {max3(1, 3, 2), 3, "max3(1, 3, 2)"},
        {max3(-0.0, 0.0, 0.0), -0.0, "max3 ties: the earliest wins"},
        {max3(0.0, -0.0, -0.0), 0.0, "max3 ties: the earliest wins"},
        {max3(1.0, -0.0, 0.0), 1.0, "max3(1, -0, 0)"},
        {max3(-1.0, -0.0, 0.0), -0.0, "max3(-1, -0, 0): -0 comes first"},
        {max3(nan, 1, 2), 2, "max3(NaN, 1, 2)"},
        {max3(1, nan, 2), 2, "max3(1, NaN, 2)"},
        {max3(2, nan, 1), 1, "max3(2, NaN, 1): the NaN drops the 2"},
        {max3(1, 2, nan), nan, "max3(1, 2, NaN)"},
    };
    for (const Case& c : cases) {
        if (std::isnan(c.want)) {
            EXPECT_TRUE(std::isnan(c.got)) << c.what << " gave " << c.got;
        } else {
            EXPECT_EQ(c.got, c.want) << c.what;
            EXPECT_EQ(std::signbit(c.got), std::signbit(c.want)) << c.what << ": sign of zero";
        }
    }
}

TEST(LongNumberScalars, MinInt)
{
    EXPECT_EQ(min_int(1, 2), 1);
    EXPECT_EQ(min_int(2, 1), 1);
    EXPECT_EQ(min_int(-3, -3), -3);
    EXPECT_EQ(min_int(INT_MIN, INT_MAX), INT_MIN);
    EXPECT_EQ(min_int(INT_MAX, INT_MIN), INT_MIN);
}

TEST(LongNumberScalars, FloorLog2)
{
    EXPECT_EQ(floor_log2(0), -1);
    EXPECT_EQ(floor_log2(1), 0);
    EXPECT_EQ(floor_log2(3), 1);
    EXPECT_EQ(floor_log2(262144), 18);
    EXPECT_EQ(floor_log2(270001), 18);
    EXPECT_EQ(floor_log2(INT_MAX), 30);
    for (int k = 1; k <= 30; ++k) {
        const int p = 1 << k;
        EXPECT_EQ(floor_log2(p), k) << "2^" << k;
        EXPECT_EQ(floor_log2(p - 1), k - 1) << "2^" << k << " - 1";
        EXPECT_EQ(floor_log2(p + 1), k) << "2^" << k << " + 1";
    }
}

}  // namespace
