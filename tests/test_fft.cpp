// FFT multiplication: the products of mul_elements_fft and mul_long against
// exact integer arithmetic (GMP), and the literal transform routines
// (weighted_fft, fft_radix2, make_twiddles, fft_pass) against direct sums.
#include "bignum/fft_multiply.hpp"
#include "bignum/fft_transform.hpp"
#include "bignum/long_number.hpp"
#include "support/digit_globals.hpp"
#include "support/elements_mpz.hpp"
#include "support/fft_product_check.hpp"
#include "support/guarded_buffer.hpp"
#include "support/reference.hpp"

#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int forward = 0;
constexpr int inverse = 1;
constexpr long double pi_l = 3.141592653589793238462643383279502884L;
// Fills the part of the transform tables that no routine may touch.
constexpr double gap_value = -7.25e300;

// The smallest and the largest element radix a run can have.
constexpr double radix_base_27 = 19683.0;   // 27^3
constexpr double radix_base_26 = 456976.0;  // 26^4

std::size_t size(int count)
{
    return static_cast<std::size_t>(count);
}

bool same_bits(const double* x, const double* y, int count)
{
    return std::memcmp(x, y, size(count) * sizeof(double)) == 0;
}

// element_radix and digit_mode are globals: each test sets the ones it
// needs, and they are restored afterwards.
class FftTest : public DigitGlobalsTest {};

// ---------------------------------------------------------------------------
// Products of short arrays, value for value.

struct ShortProduct {
    const char* name;
    bool balanced;
    int n;
    std::vector<double> p;  // long number: exponent, then at least n elements
    std::vector<double> q;  // empty: p is passed as both operands
    std::vector<double> want_elements;  // mul_elements_fft, 2n entries
    double want_exponent;               // mul_long
    std::vector<double> want_long;      // mul_long, elements 1..2n
};

const ShortProduct short_products[] = {
    {"n = 2, no carry: the zero top element is shifted out", true, 2,
     {1, 3, 1}, {1, 2, 5}, {0, 6, 17, 5}, 1, {6, 17, 5, 0}},
    {"carry into the top element keeps ep + eq; R/2 stays", true, 2,
     {1, 50000, 50000}, {}, {25000, 50000, 25000, 0}, 2, {25000, 50000, 25000, 0}},
    {"negative product: the top element carries the sign", true, 2,
     {1, -40000, 0}, {1, 2, 5}, {-1, 19998, 0, 0}, 2, {-1, 19998, 0, 0}},
    {"balanced: a negative coefficient stays in range", true, 2,
     {1, 3, 1}, {1, -2, 5}, {0, -6, 13, 5}, 1, {-6, 13, 5, 0}},
    {"standard: a negative coefficient borrows from the top element", false, 2,
     {1, 3, 1}, {1, -2, 5}, {-1, 99994, 13, 5}, 2, {-1, 99994, 13, 5}},
    {"balanced: the top element holds R unreduced", true, 2,
     {1, 99999, 99999}, {}, {100000, -2, 0, 1}, 2, {100000, -2, 0, 1}},
    {"standard: (R^2 - 1)^2", false, 2,
     {1, 99999, 99999}, {}, {99999, 99998, 0, 1}, 2, {99999, 99998, 0, 1}},
    {"zero operand: all zero, exponent ep + eq - 2n", true, 4,
     {3, 0, 0, 0, 0}, {-1, 1, 2, 3, 4}, {0, 0, 0, 0, 0, 0, 0, 0}, -6, {0, 0, 0, 0, 0, 0, 0, 0}},
    {"n shorter than the operands: their first n elements only", true, 2,
     {1, 1, 2, 3, 4}, {0, 5, 6, 7, 8}, {0, 5, 16, 12}, 0, {5, 16, 12, 0}},
    {"balanced: a carry ripples up through entries at R/2", true, 4,
     {0, 0, 25000, 25000, 50001}, {2, 0, 0, 0, 2}, {0, 0, 0, 0, 1, -49999, -49999, 2},
     -2, {1, -49999, -49999, 2, 0, 0, 0, 0}},
};

void PrintTo(const ShortProduct& c, std::ostream* os)
{
    *os << c.name;
}

class ShortProducts : public FftTest, public ::testing::WithParamInterface<ShortProduct> {};

TEST_P(ShortProducts, ElementsAndLongNumber)
{
    const ShortProduct& c = GetParam();
    use_digits(100000.0, c.balanced);
    const int n = c.n;
    const bool squaring = c.q.empty();
    GuardedBuffer p(c.p);
    GuardedBuffer q(squaring ? c.p : c.q);
    const double* q_data = squaring ? p.data() : q.data();
    GuardedBuffer work(std::vector<double>(size(6 * n), 0.0));

    GuardedBuffer out(std::vector<double>(size(2 * n), 0.0));
    const double e1 = mul_elements_fft(p.data() + 1, q_data + 1, out.data(), n, work.data());
    EXPECT_EQ(out.values(), c.want_elements)
        << "got " << entries_text(out.values()) << " want " << entries_text(c.want_elements);
    EXPECT_GE(e1, 0.0);
    EXPECT_LT(e1, 1e-3);

    GuardedBuffer result(std::vector<double>(size(2 * n + 1), 0.0));
    const double e2 = mul_long(p.data(), q_data, result.data(), n, work.data());
    const std::vector<double> got = result.values();
    EXPECT_EQ(got[0], c.want_exponent);
    EXPECT_EQ(std::vector<double>(got.begin() + 1, got.end()), c.want_long)
        << "got " << entries_text(got) << " want exponent " << c.want_exponent << ", "
        << entries_text(c.want_long);
    EXPECT_EQ(e2, e1);

    EXPECT_TRUE(out.guards_intact() && result.guards_intact() && work.guards_intact());
    EXPECT_TRUE(p.guards_intact() && q.guards_intact());
    EXPECT_EQ(p.values(), c.p);
    EXPECT_EQ(q.values(), squaring ? c.p : c.q);
}

INSTANTIATE_TEST_SUITE_P(Fft, ShortProducts, ::testing::ValuesIn(short_products),
                         [](const ::testing::TestParamInfo<ShortProduct>& case_info) {
                             return "case" + std::to_string(case_info.index);
                         });

// ---------------------------------------------------------------------------
// Random and worst-case products against GMP.

struct Sweep {
    double radix;
    bool balanced;
    int max_log2;
};

std::string sweep_name(const Sweep& s)
{
    return std::string(s.balanced ? "balanced" : "standard") + "_R" +
           std::to_string(static_cast<long>(s.radix));
}

void PrintTo(const Sweep& s, std::ostream* os)
{
    *os << sweep_name(s) << " up to 2^" << s.max_log2;
}

class RandomProducts : public FftTest, public ::testing::WithParamInterface<Sweep> {};

// Every power-of-two length from 2 up; the longer ones are in
// test_fft_slow.cpp.
TEST_P(RandomProducts, EqualExactProducts)
{
    check_random_products(GetParam().radix, GetParam().balanced, 1, GetParam().max_log2);
}

// In standard form every coefficient is near n * R^2 / 4, and at R = 456976
// the error of the double-precision transform reaches 0.5 from n = 2^14 on
// (measured): the program multiplies only in balanced form, whose zero-mean
// elements keep the coefficients near sqrt(n) * R^2 / 12.
INSTANTIATE_TEST_SUITE_P(Fft, RandomProducts,
                         ::testing::Values(Sweep{radix_base_27, true, 16},
                                           Sweep{radix_base_27, false, 16},
                                           Sweep{radix_base_26, true, 16},
                                           Sweep{radix_base_26, false, 13}),
                         [](const ::testing::TestParamInfo<Sweep>& sweep_info) {
                             return sweep_name(sweep_info.param);
                         });

// At R = 456976 the worst cases stay exact up to n = 2^13 in balanced form
// and 2^11 in standard form; from 2^14 (2^12) on the error reaches 0.5.
TEST_F(FftTest, WorstCaseOperandsEqualExactProducts)
{
    check_worst_case_products(radix_base_27, {2, 16, 1024, 65536}, {2, 16, 1024, 65536});
    check_worst_case_products(radix_base_26, {2, 16, 1024, 8192}, {2, 16, 256, 2048});
}

TEST_F(FftTest, SameArrayAsBothOperandsEqualsTwoCopies)
{
    use_digits(radix_base_26, true);
    for (const int n : {2, 64, 4096}) {
        SCOPED_TRACE("n = " + std::to_string(n));
        const std::vector<double> a = random_elements(n, radix_base_26, true, 77u + static_cast<unsigned>(n));
        const std::vector<double> copy = a;
        std::vector<double> work(size(6 * n));
        std::vector<double> squared(size(2 * n));
        std::vector<double> product(size(2 * n));
        const double e1 = mul_elements_fft(a.data(), a.data(), squared.data(), n, work.data());
        const double e2 = mul_elements_fft(a.data(), copy.data(), product.data(), n, work.data());
        EXPECT_TRUE(same_bits(squared.data(), product.data(), 2 * n));
        EXPECT_EQ(e1, e2);
        check_fft_product(a, a, true);

        std::vector<double> p(size(n + 1));
        p[0] = 3.0;
        std::copy(a.begin(), a.end(), p.begin() + 1);
        const std::vector<double> p_copy = p;
        std::vector<double> long_squared(size(2 * n + 1));
        std::vector<double> long_product(size(2 * n + 1));
        EXPECT_EQ(mul_long(p.data(), p.data(), long_squared.data(), n, work.data()),
                  mul_long(p.data(), p_copy.data(), long_product.data(), n, work.data()));
        EXPECT_TRUE(same_bits(long_squared.data(), long_product.data(), 2 * n + 1));
    }
}

// mul_long on random long numbers with random exponents: the value of the
// result is exactly the product of the values, and the result is normalized.
TEST_F(FftTest, LongProductsEqualExactRationalProducts)
{
    for (const bool balanced : {true, false}) {
        use_digits(radix_base_26, balanced);
        for (const int n : {2, 8, 512, 4096}) {
            const unsigned seed = 31u * static_cast<unsigned>(n) + (balanced ? 1u : 0u);
            SCOPED_TRACE(std::string(balanced ? "balanced" : "standard") + ", n = " + std::to_string(n) +
                         ", seed = " + std::to_string(seed));
            std::mt19937 pick(seed);
            std::vector<double> p(size(n + 1));
            std::vector<double> q(size(n + 1));
            const std::vector<double> pe = random_elements(n, radix_base_26, balanced, seed);
            const std::vector<double> qe = random_elements(n, radix_base_26, balanced, seed + 1u);
            std::copy(pe.begin(), pe.end(), p.begin() + 1);
            std::copy(qe.begin(), qe.end(), q.begin() + 1);
            p[1] = p[1] == 0.0 ? 7.0 : p[1];
            q[1] = q[1] == 0.0 ? -3.0 : q[1];
            p[0] = static_cast<double>(static_cast<int>(pick() % 11u) - 5);
            q[0] = static_cast<double>(static_cast<int>(pick() % 11u) - 5);

            std::vector<double> work(size(6 * n));
            GuardedBuffer result(std::vector<double>(size(2 * n + 1), 0.0));
            const double error = mul_long(p.data(), q.data(), result.data(), n, work.data());
            EXPECT_LT(error, 0.5);
            EXPECT_TRUE(result.guards_intact());
            const std::vector<double> out = result.values();

            mpq_t x;
            mpq_t y;
            mpq_t got;
            mpq_inits(x, y, got, nullptr);
            long_number_to_mpq(p.data(), n, radix_base_26, x);
            long_number_to_mpq(q.data(), n, radix_base_26, y);
            mpq_mul(x, x, y);
            long_number_to_mpq(out.data(), 2 * n, radix_base_26, got);
            EXPECT_TRUE(mpq_equal(got, x) != 0);
            mpq_clears(x, y, got, nullptr);

            std::string where;
            EXPECT_TRUE(elements_in_range(out.data() + 1, 2 * n, where)) << where;
            EXPECT_NE(out[1], 0.0);
            EXPECT_LE(out[0], p[0] + q[0]);
        }
    }
}

// The product written out step by step with the literal weighted_fft: the
// returned error must be the largest deviation over both parts of every
// output, and the elements those outputs rounded and normalized.
TEST_F(FftTest, ErrorIsTheLargestDeviationOfTheOutputs)
{
    use_digits(radix_base_26, true);
    for (const int n : {2, 256, 8192}) {
        SCOPED_TRACE("n = " + std::to_string(n));
        const std::vector<double> a = random_elements(n, radix_base_26, true, 5u);
        const std::vector<double> b = random_elements(n, radix_base_26, true, 6u);
        std::vector<double> x(size(2 * n), 0.0);
        std::vector<double> y(size(2 * n), 0.0);
        std::vector<double> tables(size(4 * n));
        for (int j = 0; j < n; ++j) {
            x[size(2 * j)] = a[size(j)];
            y[size(2 * j)] = b[size(j)];
        }
        weighted_fft(x.data(), n, forward, tables.data());
        weighted_fft(y.data(), n, forward, tables.data());
        for (int j = 0; j < n; ++j) {
            const double xr = x[size(2 * j)];
            const double xi = x[size(2 * j + 1)];
            const double yr = y[size(2 * j)];
            const double yi = y[size(2 * j + 1)];
            x[size(2 * j)] = yr * xr - yi * xi;
            x[size(2 * j + 1)] = yr * xi + yi * xr;
        }
        weighted_fft(x.data(), n, inverse, tables.data());
        double want_error = 0.0;
        std::vector<double> want(size(2 * n));
        for (int j = 0; j < n; ++j) {
            const double vr = x[size(2 * j)];
            const double vi = x[size(2 * j + 1)];
            want[size(j)] = std::floor(vi + 0.5);
            want[size(n + j)] = std::floor(vr + 0.5);
            want_error = std::max({want_error, std::fabs(want[size(j)] - vi), std::fabs(want[size(n + j)] - vr)});
        }
        normalize_elements(want.data(), 2 * n);

        std::vector<double> work(size(6 * n));
        std::vector<double> out(size(2 * n));
        const double error = mul_elements_fft(a.data(), b.data(), out.data(), n, work.data());
        EXPECT_EQ(error, want_error);
        EXPECT_TRUE(same_bits(out.data(), want.data(), 2 * n));
        EXPECT_GT(error, 0.0);
    }
}

// ---------------------------------------------------------------------------
// The transform routines.

struct Complex {
    long double re;
    long double im;
};

// e^(i * 2 pi * k / n), k reduced modulo n first.
Complex root(long long k, int n, int sign)
{
    const long double angle = sign * 2.0L * pi_l * static_cast<long double>(k % n) / n;
    return {std::cos(angle), std::sin(angle)};
}

// The transform by its definition: X[r] = f * sum over c of x[c] *
// e^(sigma 2 pi i (n-1-r)(n-1-c)/n), sigma = +1, f = 1 forward and
// sigma = -1, f = 1/n inverse.
std::vector<Complex> direct_dft(const std::vector<Complex>& x, int direction)
{
    const int n = static_cast<int>(x.size());
    const int sign = direction == inverse ? -1 : 1;
    std::vector<Complex> out(size(n), Complex{0.0L, 0.0L});
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            const Complex w = root(static_cast<long long>(n - 1 - r) * (n - 1 - c), n, sign);
            out[size(r)].re += x[size(c)].re * w.re - x[size(c)].im * w.im;
            out[size(r)].im += x[size(c)].re * w.im + x[size(c)].im * w.re;
        }
        if (direction == inverse) {
            out[size(r)].re /= n;
            out[size(r)].im /= n;
        }
    }
    return out;
}

// Entry j times e^(sign * i (n-1-j) pi/(2n)).
void apply_weights(std::vector<Complex>& x, int sign)
{
    const int n = static_cast<int>(x.size());
    for (int j = 0; j < n; ++j) {
        const long double angle = sign * pi_l * (n - 1 - j) / (2.0L * n);
        const Complex w{std::cos(angle), std::sin(angle)};
        const Complex v = x[size(j)];
        x[size(j)] = {v.re * w.re - v.im * w.im, v.re * w.im + v.im * w.re};
    }
}

std::vector<double> random_complex(int n, unsigned seed)
{
    std::mt19937_64 generator(seed);
    std::uniform_real_distribution<double> pick(-1.0, 1.0);
    std::vector<double> x(size(2 * n));
    for (double& v : x) {
        v = pick(generator);
    }
    return x;
}

std::vector<Complex> to_complex(const std::vector<double>& x)
{
    std::vector<Complex> out(x.size() / 2);
    for (std::size_t j = 0; j < out.size(); ++j) {
        out[j] = {x[2 * j], x[2 * j + 1]};
    }
    return out;
}

long double largest_difference(const std::vector<double>& got, const std::vector<Complex>& want)
{
    long double worst = 0.0L;
    for (std::size_t j = 0; j < want.size(); ++j) {
        worst = std::max(worst, std::fabs(got[2 * j] - want[j].re));
        worst = std::max(worst, std::fabs(got[2 * j + 1] - want[j].im));
    }
    return worst;
}

// Tables for a transform of length n: twiddles at 0..n-1, untouched
// n..2n-1 (filled with a guard value here), pass scratch at 2n..4n-1.
std::vector<double> transform_tables(int n)
{
    std::vector<double> tables(size(4 * n), 0.0);
    std::fill(tables.begin() + n, tables.begin() + 2 * n, gap_value);
    return tables;
}

bool gap_untouched(const std::vector<double>& tables, int n)
{
    for (int i = n; i < 2 * n; ++i) {
        if (tables[size(i)] != gap_value) {
            return false;
        }
    }
    return true;
}

// Error of a correct transform of unit-size entries: a few units in the
// last place per pass.
double pass_tolerance(int n)
{
    return 4e-16 * (floor_log2(n) + 1);
}

TEST(FftTransform, ImpulseGivesOneRootPerEntry)
{
    for (const int n : {2, 4, 8, 16, 64, 1024, 65536}) {
        std::vector<int> entries;
        for (int c = 0; c < n; c += n <= 64 ? 1 : n / 8 - 1) {
            entries.push_back(c);
        }
        entries.push_back(n - 1);
        for (const int c : entries) {
            SCOPED_TRACE("n = " + std::to_string(n) + ", impulse at " + std::to_string(c));
            std::vector<double> x(size(2 * n), 0.0);
            x[size(2 * c)] = 1.0;
            std::vector<double> tables = transform_tables(n);
            fft_radix2(x.data(), n, forward, tables.data());
            std::vector<Complex> want(size(n));
            for (int r = 0; r < n; ++r) {
                want[size(r)] = root(static_cast<long long>(n - 1 - r) * (n - 1 - c), n, 1);
            }
            EXPECT_LT(largest_difference(x, want), pass_tolerance(n));
            EXPECT_TRUE(gap_untouched(tables, n));
        }
    }
}

TEST(FftTransform, MatchesTheDirectSum)
{
    for (const int n : {2, 4, 8, 16, 32, 256}) {
        for (const int direction : {forward, inverse}) {
            const unsigned seed = static_cast<unsigned>(n * 2 + direction);
            SCOPED_TRACE("n = " + std::to_string(n) + ", direction " + std::to_string(direction) +
                         ", seed = " + std::to_string(seed));
            const std::vector<double> input = random_complex(n, seed);
            // The scale of the outputs: sqrt(n) forward, 1/sqrt(n) inverse.
            const double scale = direction == inverse ? 1.0 / std::sqrt(n) : std::sqrt(n);

            std::vector<double> x = input;
            std::vector<double> tables = transform_tables(n);
            fft_radix2(x.data(), n, direction, tables.data());
            EXPECT_LT(largest_difference(x, direct_dft(to_complex(input), direction)), scale * pass_tolerance(n))
                << "fft_radix2";

            // weighted_fft: weights before the forward transform, conjugate
            // weights after the inverse one.
            std::vector<Complex> want = to_complex(input);
            if (direction == forward) {
                apply_weights(want, 1);
                want = direct_dft(want, forward);
            } else {
                want = direct_dft(want, inverse);
                apply_weights(want, -1);
            }
            x = input;
            weighted_fft(x.data(), n, direction, tables.data());
            EXPECT_LT(largest_difference(x, want), scale * pass_tolerance(n)) << "weighted_fft";
            EXPECT_TRUE(gap_untouched(tables, n));
        }
    }
}

TEST(FftTransform, ForwardThenInverseRestoresTheInput)
{
    for (const int n : {2, 16, 1024, 65536}) {
        const unsigned seed = static_cast<unsigned>(n) + 9u;
        SCOPED_TRACE("n = " + std::to_string(n) + ", seed = " + std::to_string(seed));
        const std::vector<double> input = random_complex(n, seed);
        const std::vector<Complex> want = to_complex(input);
        std::vector<double> tables = transform_tables(n);

        std::vector<double> x = input;
        fft_radix2(x.data(), n, forward, tables.data());
        fft_radix2(x.data(), n, inverse, tables.data());
        EXPECT_LT(largest_difference(x, want), 2.0 * pass_tolerance(n)) << "fft_radix2";

        x = input;
        weighted_fft(x.data(), n, forward, tables.data());
        weighted_fft(x.data(), n, inverse, tables.data());
        EXPECT_LT(largest_difference(x, want), 2.0 * pass_tolerance(n)) << "weighted_fft";
        EXPECT_TRUE(gap_untouched(tables, n));
    }
}

TEST(FftTransform, EveryDirectionButOneIsForward)
{
    const int n = 32;
    const std::vector<double> input = random_complex(n, 3u);
    std::vector<double> tables = transform_tables(n);
    std::vector<double> want = input;
    weighted_fft(want.data(), n, forward, tables.data());
    for (const int direction : {-1, 2, 7}) {
        SCOPED_TRACE("direction " + std::to_string(direction));
        std::vector<double> x = input;
        weighted_fft(x.data(), n, direction, tables.data());
        EXPECT_TRUE(same_bits(x.data(), want.data(), 2 * n));
    }
}

TEST(FftTransform, TwiddleTableHoldsTheAnglesDownToOne)
{
    for (const int h : {1, 2, 4, 64, 4096}) {
        for (const int direction : {forward, inverse}) {
            SCOPED_TRACE("h = " + std::to_string(h) + ", direction " + std::to_string(direction));
            GuardedBuffer buffer(std::vector<double>(size(2 * h), 0.0));
            make_twiddles(h, direction, buffer.data());
            EXPECT_TRUE(buffer.guards_intact());
            const std::vector<double> table = buffer.values();
            EXPECT_EQ(table[size(2 * h - 2)], 1.0);
            EXPECT_EQ(table[size(2 * h - 1)], 0.0);
            const int sign = direction == inverse ? -1 : 1;
            long double worst = 0.0L;
            for (int i = 0; i < h; ++i) {
                const long double angle = sign * pi_l * (h - 1 - i) / h;
                worst = std::max(worst, std::fabs(table[size(2 * i)] - std::cos(angle)));
                worst = std::max(worst, std::fabs(table[size(2 * i + 1)] - std::sin(angle)));
            }
            EXPECT_LT(worst, 1e-15);
        }
    }
}

struct PassCase {
    const char* name;
    int a;
    int b;
    std::vector<double> table;  // complex entries
    std::vector<double> x;      // n = 2ab complex entries
    std::vector<double> want;
};

// Twiddle i and -1 make every product exact, and a table whose entries
// differ shows which entry each group takes: entry a(i+1) - 1 for group i.
const PassCase pass_cases[] = {
    {"n = 2, twiddle 1", 1, 1, {1, 0}, {3, 1, 5, -2}, {2, -3, 8, -1}},
    {"n = 2, twiddle i", 1, 1, {0, 1}, {3, 1, 5, -2}, {6, -5, 4, 1}},
    {"n = 4, a = 2, b = 1: one group, twiddle entry 1", 2, 1,
     {0, 1, -1, 0}, {1, 1, 2, 0, 3, 0, 4, -1}, {4, 1, 6, -1, 2, -1, 2, -1}},
    {"n = 4, a = 1, b = 2: groups take entries 0 and 1", 1, 2,
     {0, 1, -1, 0}, {1, 1, 2, 0, 3, 0, 4, -1}, {3, -1, 7, -1, 1, 1, 1, -1}},
};

TEST(FftTransform, PassPairsEntriesAApartAndPutsTheDifferenceLow)
{
    for (const PassCase& c : pass_cases) {
        SCOPED_TRACE(c.name);
        const int n = 2 * c.a * c.b;
        GuardedBuffer x(c.x);
        GuardedBuffer table(c.table);
        GuardedBuffer scratch(std::vector<double>(size(2 * n), 0.0));
        fft_pass(x.data(), c.a, c.b, table.data(), scratch.data());
        EXPECT_EQ(x.values(), c.want) << "got " << entries_text(x.values()) << " want " << entries_text(c.want);
        EXPECT_TRUE(x.guards_intact() && table.guards_intact() && scratch.guards_intact());
    }
}

}  // namespace
