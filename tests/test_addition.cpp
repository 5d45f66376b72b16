// Unit tests of add_elements, add_long and add_small_integer: the worked
// cases in both digit forms, then random operands against exact rational
// arithmetic, every in-place use the routines allow, and guard entries
// around every buffer.
#include "bignum/addition.hpp"
#include "bignum/long_number.hpp"
#include "support/guarded_buffer.hpp"
#include "support/long_number_samples.hpp"
#include "support/reference.hpp"

#include <gmp.h>
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

namespace {

using Entries = std::vector<double>;

class Addition : public DigitGlobalsTest {};

const double sample_radices[] = {7, 10, 100000, 177147};
const int sample_counts[] = {1, 2, 3, 4, 5, 8, 13, 32};
const int sample_signs[] = {1, -1, 0, -9};

Shape pick_shape(std::mt19937_64& rng) { return all_shapes[rng() % std::size(all_shapes)]; }

// ---------------------------------------------------------------------------
// add_elements

struct ElementsCase {
    Entries a;
    Entries b;
    int sign;
    Entries want_standard;
    Entries want_balanced;
};

TEST_F(Addition, AddElementsTable)
{
    const ElementsCase cases[] = {
        {{1, 2, 3}, {4, 5, 6}, 1, {5, 7, 9}, {6, -2, -1}},
        {{1, 2, 3}, {4, 5, 6}, -1, {-4, 6, 7}, {-3, -3, -3}},
        {{1, 2, 3}, {4, 5, 6}, 0, {5, 7, 9}, {6, -2, -1}},  // zero adds
        {{1, 2, 3}, {4, 5, 6}, INT_MIN, {-4, 6, 7}, {-3, -3, -3}},
        {{9, 9, 9}, {0, 0, 1}, 1, {10, 0, 0}, {10, 0, 0}},  // entry 0 absorbs
        {{9}, {9}, 1, {18}, {18}},  // a count of 1 is not normalized
        {{0, 5, 5}, {0, 0, 0}, 1, {0, 5, 5}, {0, 5, 5}},
    };
    for (const ElementsCase& c : cases) {
        for (bool balanced : {false, true}) {
            use_digits(10, balanced);
            const int count = static_cast<int>(c.a.size());
            GuardedBuffer a(c.a);
            GuardedBuffer b(c.b);
            GuardedBuffer out(Entries(c.a.size(), 77.0));
            add_elements(a.data(), b.data(), out.data(), count, c.sign);
            const Entries& want = balanced ? c.want_balanced : c.want_standard;
            EXPECT_EQ(out.values(), want) << form_name(balanced) << ": " << entries_text(c.a) << " sign " << c.sign
                                          << " " << entries_text(c.b) << " gave " << entries_text(out.values());
            EXPECT_TRUE(out.guards_intact());
        }
    }
}

// Random element arrays: the exact integer sum or difference, entries
// 1..count-1 in range, and the same result with c = a and with c = b.
TEST_F(Addition, AddElementsExactAndInPlace)
{
    mpz_t x;
    mpz_t y;
    mpz_t got;
    mpz_init(x);
    mpz_init(y);
    mpz_init(got);
    for (double radix : sample_radices) {
        for (bool balanced : {true, false}) {
            use_digits(radix, balanced);
            for (int count : sample_counts) {
                for (unsigned trial = 0; trial < 12; ++trial) {
                    const unsigned seed = static_cast<unsigned>(radix) * 7919u + static_cast<unsigned>(count) * 131u +
                                          trial * 2u + (balanced ? 1u : 0u);
                    SCOPED_TRACE(testing::Message() << "R = " << radix << ", " << form_name(balanced)
                                                    << ", count " << count << ", seed " << seed);
                    std::mt19937_64 rng(seed);
                    // The elements of two sample long numbers, without
                    // their exponents.
                    const Entries long_a = sample_long_number(count, 0, pick_shape(rng), rng);
                    const Entries long_b = sample_long_number(count, 0, pick_shape(rng), rng);
                    const Entries a(long_a.begin() + 1, long_a.end());
                    const Entries b(long_b.begin() + 1, long_b.end());
                    const int sign = sample_signs[trial % std::size(sample_signs)];

                    GuardedBuffer ga(a);
                    GuardedBuffer gb(b);
                    GuardedBuffer gc(Entries(a.size(), 77.0));
                    add_elements(ga.data(), gb.data(), gc.data(), count, sign);
                    const Entries c = gc.values();
                    elements_to_mpz(a.data(), count, radix, x);
                    elements_to_mpz(b.data(), count, radix, y);
                    if (sign >= 0) {
                        mpz_add(x, x, y);
                    } else {
                        mpz_sub(x, x, y);
                    }
                    elements_to_mpz(c.data(), count, radix, got);
                    EXPECT_EQ(mpz_cmp(x, got), 0) << entries_text(a) << " sign " << sign << " " << entries_text(b)
                                                  << " gave " << entries_text(c);
                    for (int i = 1; i < count; ++i) {
                        const bool in_range =
                            balanced ? std::fabs(c[i]) <= radix / 2.0 : (c[i] >= 0.0 && c[i] < radix);
                        EXPECT_TRUE(in_range) << "entry " << i << " of " << entries_text(c);
                    }
                    EXPECT_TRUE(gc.guards_intact());
                    EXPECT_EQ(ga.values(), a);
                    EXPECT_EQ(gb.values(), b);

                    GuardedBuffer into_a(a);
                    add_elements(into_a.data(), gb.data(), into_a.data(), count, sign);
                    EXPECT_EQ(into_a.values(), c) << "c = a";
                    GuardedBuffer into_b(b);
                    add_elements(ga.data(), into_b.data(), into_b.data(), count, sign);
                    EXPECT_EQ(into_b.values(), c) << "c = b";
                    EXPECT_TRUE(into_a.guards_intact());
                    EXPECT_TRUE(into_b.guards_intact());
                }
            }
        }
    }
    mpz_clear(x);
    mpz_clear(y);
    mpz_clear(got);
}

// ---------------------------------------------------------------------------
// add_long

struct LongCase {
    const char* what;
    Entries a;
    Entries b;
    int sign;
    Entries want_standard;
    Entries want_balanced;
};

// R = 10, count 3.
const LongCase add_long_cases[] = {
    {"3.14 - 0.5, case A", {1, 3, 1, 4}, {0, 5, 0, 0}, -1, {1, 2, 6, 4}, {1, 3, -4, 4}},
    {"0.5 - 3.14, case B, a the minuend", {0, 5, 0, 0}, {1, 3, 1, 4}, -1, {1, -3, 3, 6}, {1, -3, 4, -4}},
    {"3.14 - 3.14 cancels", {1, 3, 1, 4}, {1, 3, 1, 4}, -1, {-2, 0, 0, 0}, {-2, 0, 0, 0}},
    {"3.14 + 0.00555, d = count", {1, 3, 1, 4}, {-2, 5, 5, 5}, 1, {1, 3, 1, 4}, {1, 3, 1, 4}},
    {"3.14 + 0.0000555, d > count", {1, 3, 1, 4}, {-4, 5, 5, 5}, 1, {1, 3, 1, 4}, {1, 3, 1, 4}},
    {"7.14 + 5.00, top overflow", {1, 7, 1, 4}, {1, 5, 0, 0}, 1, {1, 12, 1, 4}, {1, 12, 1, 4}},
    {"0.00123 - 3.14, case B, d = count", {-2, 1, 2, 3}, {1, 3, 1, 4}, -1, {1, -4, 8, 6}, {1, -3, -1, -4}},
    {"3.14 - 3.1, the strip follows the cancellation", {1, 3, 1, 4}, {1, 3, 1, 0}, -1, {-1, 4, 0, 0},
     {-1, 4, 0, 0}},
    {"0.999 + 0.001, a carry into element 1", {0, 9, 9, 9}, {-2, 1, 0, 0}, 1, {0, 10, 0, 0}, {0, 10, 0, 0}},
};

TEST_F(Addition, AddLongTable)
{
    for (const LongCase& c : add_long_cases) {
        for (bool balanced : {false, true}) {
            use_digits(10, balanced);
            SCOPED_TRACE(testing::Message() << c.what << ", " << form_name(balanced));
            const Entries& want = balanced ? c.want_balanced : c.want_standard;
            GuardedBuffer a(c.a);
            GuardedBuffer b(c.b);
            GuardedBuffer out(Entries(c.a.size(), 77.0));
            add_long(a.data(), b.data(), out.data(), 3, c.sign);
            EXPECT_EQ(out.values(), want) << "got " << entries_text(out.values());
            EXPECT_TRUE(out.guards_intact());
            EXPECT_TRUE(a.guards_intact() && b.guards_intact());
            // In place into the operand with the larger exponent.
            if (c.a[0] >= c.b[0]) {
                GuardedBuffer into_a(c.a);
                add_long(into_a.data(), b.data(), into_a.data(), 3, c.sign);
                EXPECT_EQ(into_a.values(), want) << "c = a gave " << entries_text(into_a.values());
            }
            if (c.b[0] >= c.a[0]) {
                GuardedBuffer into_b(c.b);
                add_long(a.data(), into_b.data(), into_b.data(), 3, c.sign);
                EXPECT_EQ(into_b.values(), want) << "c = b gave " << entries_text(into_b.values());
            }
        }
    }
}

TEST_F(Addition, AddLongWithCountZeroWritesNothing)
{
    use_digits(10, true);
    GuardedBuffer a({1, 3});
    GuardedBuffer b({1, 4});
    GuardedBuffer c({55});
    add_long(a.data(), b.data(), c.data(), 0, 1);
    EXPECT_EQ(c.values(), (Entries{55}));
    EXPECT_TRUE(c.guards_intact());
}

// Random normalized operands at exponent gaps from 0 to past the count, both
// directions, both signs, both forms. The result must be the exact sum of the
// operand with the larger exponent and the other operand cut to the result's
// last element, within one unit of that element of the untruncated sum, and
// in place into the larger-exponent operand the same.
TEST_F(Addition, AddLongAgainstExactRationals)
{
    for (double radix : sample_radices) {
        for (bool balanced : {true, false}) {
            use_digits(radix, balanced);
            for (int count : sample_counts) {
                for (int gap = 0; gap <= count + 2; ++gap) {
                    for (int trial = 0; trial < 8; ++trial) {
                        const unsigned seed = static_cast<unsigned>(radix) * 104729u +
                                              static_cast<unsigned>(count) * 7919u + static_cast<unsigned>(gap) * 97u +
                                              static_cast<unsigned>(trial) * 2u + (balanced ? 1u : 0u);
                        SCOPED_TRACE(testing::Message() << "R = " << radix << ", " << form_name(balanced)
                                                        << ", count " << count << ", gap " << gap << ", seed "
                                                        << seed);
                        std::mt19937_64 rng(seed);
                        const bool a_higher = trial % 2 == 0;
                        const int sign = sample_signs[(trial / 2) % std::size(sample_signs)];
                        const double high = static_cast<double>(static_cast<int>(rng() % 7) - 3);
                        const double low = high - gap;
                        Entries a = sample_long_number(count, a_higher ? high : low, pick_shape(rng), rng);
                        Entries b = sample_long_number(count, a_higher ? low : high, pick_shape(rng), rng);
                        if (gap == 0 && rng() % 3 == 0) {
                            // A near copy: long cancellations and strips.
                            b = a;
                            for (int i = count; i > 0 && rng() % 3 != 0; --i) {
                                b[i] = sample_long_number(1, 0, Shape::random, rng)[1];
                            }
                        }
                        SCOPED_TRACE(testing::Message() << "a " << entries_text(a) << ", b " << entries_text(b)
                                                        << ", sign " << sign);

                        const double s = sign >= 0 ? 1.0 : -1.0;
                        // The operand with the smaller exponent keeps only
                        // the elements above the result's last one.
                        Entries a_cut = a;
                        Entries b_cut = b;
                        Entries& lower = a_higher ? b_cut : a_cut;
                        for (int j = count - gap + 1; j <= count; ++j) {
                            if (j >= 1) {
                                lower[j] = 0.0;
                            }
                        }
                        const Rational sign_value(static_cast<long>(s));
                        const Rational want = value_of(a_cut, radix) + sign_value * value_of(b_cut, radix);
                        const Rational exact = value_of(a, radix) + sign_value * value_of(b, radix);

                        GuardedBuffer ga(a);
                        GuardedBuffer gb(b);
                        GuardedBuffer gc(Entries(a.size(), 77.0));
                        add_long(ga.data(), gb.data(), gc.data(), count, sign);
                        expect_long_result(gc.data(), count, high, want, exact);
                        EXPECT_TRUE(gc.guards_intact());
                        EXPECT_TRUE(ga.guards_intact() && gb.guards_intact());
                        EXPECT_EQ(ga.values(), a);
                        EXPECT_EQ(gb.values(), b);

                        const Entries c = gc.values();
                        if (a[0] >= b[0]) {
                            GuardedBuffer into_a(a);
                            add_long(into_a.data(), gb.data(), into_a.data(), count, sign);
                            EXPECT_EQ(into_a.values(), c) << "c = a";
                            EXPECT_TRUE(into_a.guards_intact());
                        }
                        if (b[0] >= a[0]) {
                            GuardedBuffer into_b(b);
                            add_long(ga.data(), into_b.data(), into_b.data(), count, sign);
                            EXPECT_EQ(into_b.values(), c) << "c = b";
                            EXPECT_TRUE(into_b.guards_intact());
                        }
                    }
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------
// add_small_integer

struct SmallCase {
    const char* what;
    int k;
    Entries a;
    int sign;
    Entries want_standard;
    Entries want_balanced;
};

// R = 10, count 3.
const SmallCase add_small_cases[] = {
    {"1 - 0.999: the last 9 is shifted out", 1, {0, 9, 9, 9}, -1, {-1, 1, 0, 0}, {-1, 1, 0, 0}},
    {"1 - 9.99", 1, {1, 9, 9, 9}, -1, {1, -9, 0, 1}, {1, -9, 0, 1}},
    {"5 + 12.3", 5, {2, 1, 2, 3}, 1, {2, 1, 7, 3}, {2, 2, -3, 3}},
    {"5 + 1230: units beyond the last element, k dropped", 5, {4, 1, 2, 3}, 1, {4, 1, 2, 3}, {4, 1, 2, 3}},
    {"7 + 0.000123: nothing of a remains", 7, {-3, 1, 2, 3}, 1, {1, 7, 0, 0}, {1, 7, 0, 0}},
    {"7 - 0.00123: d = count", 7, {-2, 1, 2, 3}, -1, {1, 7, 0, 0}, {1, 7, 0, 0}},
    {"0 + 0", 0, {0, 0, 0, 0}, 1, {-2, 0, 0, 0}, {-2, 0, 0, 0}},
    {"3 - 3", 3, {1, 3, 0, 0}, -1, {-2, 0, 0, 0}, {-2, 0, 0, 0}},
    {"1 + 0.25, sign 0 adds", 1, {0, 2, 5, 0}, 0, {1, 1, 2, 5}, {1, 1, 2, 5}},
    {"-1 + 0.25", -1, {0, 2, 5, 0}, 1, {1, -1, 2, 5}, {1, -1, 2, 5}},
    {"12 + 0.5: k passes R in element 1", 12, {0, 5, 0, 0}, 1, {1, 12, 5, 0}, {1, 12, 5, 0}},
};

TEST_F(Addition, AddSmallIntegerTable)
{
    for (const SmallCase& c : add_small_cases) {
        for (bool balanced : {false, true}) {
            use_digits(10, balanced);
            GuardedBuffer a(c.a);
            GuardedBuffer out(Entries(c.a.size(), 77.0));
            add_small_integer(c.k, a.data(), out.data(), 3, c.sign);
            const Entries& want = balanced ? c.want_balanced : c.want_standard;
            EXPECT_EQ(out.values(), want) << c.what << ", " << form_name(balanced) << ": got "
                                          << entries_text(out.values());
            EXPECT_TRUE(out.guards_intact());
            EXPECT_EQ(a.values(), c.a);
        }
    }
}

TEST_F(Addition, AddSmallIntegerWithCountZeroWritesNothing)
{
    use_digits(10, true);
    GuardedBuffer a({1, 3});
    GuardedBuffer c({55});
    add_small_integer(4, a.data(), c.data(), 0, 1);
    EXPECT_EQ(c.values(), (Entries{55}));
    EXPECT_TRUE(c.guards_intact());
}

// Random long numbers whose exponent runs from well below the units position
// to beyond the last element, small and 32-bit k, both signs, both forms.
TEST_F(Addition, AddSmallIntegerAgainstExactRationals)
{
    for (double radix : sample_radices) {
        for (bool balanced : {true, false}) {
            use_digits(radix, balanced);
            const long r = static_cast<long>(radix);
            for (int count : sample_counts) {
                for (int exponent = -count - 2; exponent <= count + 2; ++exponent) {
                    for (int trial = 0; trial < 6; ++trial) {
                        const unsigned seed = static_cast<unsigned>(radix) * 15485863u +
                                              static_cast<unsigned>(count) * 7919u +
                                              static_cast<unsigned>(exponent + 64) * 97u +
                                              static_cast<unsigned>(trial) * 2u + (balanced ? 1u : 0u);
                        SCOPED_TRACE(testing::Message() << "R = " << radix << ", " << form_name(balanced)
                                                        << ", count " << count << ", exponent " << exponent
                                                        << ", seed " << seed);
                        std::mt19937_64 rng(seed);
                        const int ks[] = {0,
                                          1,
                                          -1,
                                          static_cast<int>(static_cast<long>(rng() % (2 * r - 1)) - (r - 1)),
                                          static_cast<int>(r),
                                          INT_MAX,
                                          INT_MIN,
                                          static_cast<int>(static_cast<std::uint32_t>(rng()))};
                        const int k = ks[rng() % std::size(ks)];
                        const int sign = sample_signs[trial % std::size(sample_signs)];
                        const Entries a = sample_long_number(count, exponent, pick_shape(rng), rng);
                        SCOPED_TRACE(testing::Message() << "k " << k << ", a " << entries_text(a) << ", sign "
                                                        << sign);

                        // The raw result starts at the units position or at
                        // element 1 of a, whichever is higher; a loses the
                        // elements below the last one, and k is lost when the
                        // units position lies beyond the last element.
                        const int top = exponent >= 1 ? exponent : 1;
                        const int shift = top - exponent;
                        Entries a_cut = a;
                        for (int j = count - shift + 1; j <= count; ++j) {
                            if (j >= 1) {
                                a_cut[j] = 0.0;
                            }
                        }
                        const bool k_kept = exponent <= count;
                        const Rational s(sign >= 0 ? 1 : -1);
                        const Rational want = Rational(k_kept ? k : 0) + s * value_of(a_cut, radix);
                        const Rational exact = Rational(k) + s * value_of(a, radix);

                        GuardedBuffer ga(a);
                        GuardedBuffer gc(Entries(a.size(), 77.0));
                        add_small_integer(k, ga.data(), gc.data(), count, sign);
                        expect_long_result(gc.data(), count, top, want, k_kept ? exact : want);
                        EXPECT_TRUE(gc.guards_intact());
                        EXPECT_TRUE(ga.guards_intact());
                        EXPECT_EQ(ga.values(), a);
                    }
                }
            }
        }
    }
}

}  // namespace
