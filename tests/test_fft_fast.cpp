// The fast product against the reference product, bit for bit: every
// output element and the rounding error, at every length from 2 to 2^18
// (2^19 in test_fft_fast_slow.cpp), for random and structured operands, in
// both digit forms, at the smallest and the largest element radix, on each
// instruction path. And the fast product's shared tables against the
// reference's own expressions for every weight and twiddle of every length.
#include "bignum/fft_fast.hpp"
#include "bignum/fft_fast_normalize.hpp"
#include "bignum/fft_multiply.hpp"
#include "bignum/fft_transform.hpp"
#include "bignum/long_number.hpp"
#include "support/fft_fast_compare.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int longest = 1 << 18;

TEST(FftFast, PortablePathMatchesReferenceBitForBit)
{
    compare_lengths(fft_fast_path::portable, 2, longest);
}

TEST(FftFast, Avx2PathMatchesReferenceBitForBit)
{
    if (!fft_fast_avx2_available()) {
        GTEST_SKIP() << "this processor has no AVX2";
    }
    compare_lengths(fft_fast_path::avx2, 2, longest);
}

TEST(FftFast, Avx512PathMatchesReferenceBitForBit)
{
    if (!fft_fast_avx512_available()) {
        GTEST_SKIP() << "this processor has no AVX-512F and VL";
    }
    compare_lengths(fft_fast_path::avx512, 2, longest);
}

// The operands are read, never written, and a product that follows another
// of a different length still matches (the tables hold every length).
TEST(FftFast, OperandsUntouchedAndLengthsInterleaved)
{
    element_radix = 100000.0;
    digit_mode = -1;
    std::mt19937_64 rng(77);
    const int lengths[] = {1 << 12, 8, 1 << 16, 2, 64, 1 << 12};
    for (const int n : lengths) {
        fill(pattern::random, first.data(), n, element_radix, digit_mode, rng);
        fill(pattern::random, second.data(), n, element_radix, digit_mode, rng);
        const std::vector<double> a_copy(first.begin(), first.begin() + n);
        const std::vector<double> b_copy(second.begin(), second.begin() + n);
        const double want_error = mul_elements_fft_reference(first.data(), second.data(),
                                                             want.data(), n, fft_work);
        const double got_error = mul_elements_fft_fast(first.data(), second.data(), got.data(), n,
                                                       fft_work);
        EXPECT_EQ(bits(got_error), bits(want_error)) << "n = " << n;
        EXPECT_EQ(std::memcmp(got.data(), want.data(), sizeof(double) * 2 * n), 0) << "n = " << n;
        EXPECT_EQ(std::memcmp(first.data(), a_copy.data(), sizeof(double) * n), 0) << "n = " << n;
        EXPECT_EQ(std::memcmp(second.data(), b_copy.data(), sizeof(double) * n), 0) << "n = " << n;
    }
}

// Every weight of every length, as the fast product reads it from its
// shared tables, is the double pair the reference's weighting loop forms:
// (cos, sin) of (n - 1 - j) * (2 atan(1)/n), and for the inverse (cos, -sin)
// of the same entry is what the reference gets from the negated step. The
// step goes through a volatile so that the compiler cannot fold cos(-x).
TEST(FftFast, WeightsOfEveryLengthEqualTheReferenceExpressions)
{
    int failures = 0;
    for (int n = 2; n <= fft_fast_max_length(); n *= 2) {
        volatile double step = 2.0 * std::atan(1.0) / n;
        const double u = step;
        step = -u;
        const double minus_u = step;
        for (int j = 0; j < n; ++j) {
            double c = 0.0;
            double s = 0.0;
            fft_fast_weight(n, j, &c, &s);
            const double theta = static_cast<double>(n - 1 - j) * u;
            const double inverse_theta = static_cast<double>(n - 1 - j) * minus_u;
            const bool forward_ok = bits(c) == bits(std::cos(theta)) && bits(s) == bits(std::sin(theta));
            const bool inverse_ok = bits(c) == bits(std::cos(inverse_theta)) &&
                                    bits(-s) == bits(std::sin(inverse_theta));
            if ((!forward_ok || !inverse_ok) && ++failures <= 10) {
                ADD_FAILURE() << "weight " << j << " of length " << n << ": table (" << exact(c)
                              << ", " << exact(s) << ")";
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

// Every twiddle of every pass of every length: pass (a, b) of a length-n
// transform reads entry a*(i + 1) - 1 of the reference's table (built by the
// reference's own make_twiddles), which must equal the fast product's entry
// i of its table of b groups, forward and (with the sine negated) inverse.
TEST(FftFast, TwiddlesOfEveryPassEqualTheReferenceTables)
{
    std::vector<double> forward(fft_fast_max_length());
    std::vector<double> inverse(fft_fast_max_length());
    int failures = 0;
    for (int n = 2; n <= fft_fast_max_length(); n *= 2) {
        const int h = n / 2;
        make_twiddles(h, 0, forward.data());
        make_twiddles(h, 1, inverse.data());
        for (int b = 1, a = h; b <= h; b *= 2, a /= 2) {
            for (int i = 0; i < b; ++i) {
                double c = 0.0;
                double s = 0.0;
                fft_fast_twiddle(b, i, &c, &s);
                const int k = a * (i + 1) - 1;
                const bool ok = bits(c) == bits(forward[2 * k]) && bits(s) == bits(forward[2 * k + 1]) &&
                                bits(c) == bits(inverse[2 * k]) && bits(-s) == bits(inverse[2 * k + 1]);
                if (!ok && ++failures <= 10) {
                    ADD_FAILURE() << "length " << n << ", pass of " << b << " groups, group " << i
                                  << ": table (" << exact(c) << ", " << exact(s) << ")";
                }
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

// The work area may start anywhere: the long transforms move their buffers
// to its first cache-line boundary and stay within its 6n doubles.
TEST(FftFast, AnyAlignmentOfTheWorkArea)
{
    element_radix = 100000.0;
    digit_mode = -1;
    std::mt19937_64 rng(5);
    const int n = 1 << 13;
    fill(pattern::random, first.data(), n, element_radix, digit_mode, rng);
    fill(pattern::random, second.data(), n, element_radix, digit_mode, rng);
    const double want_error = mul_elements_fft_reference(first.data(), second.data(), want.data(),
                                                         n, fft_work);
    for (int offset = 0; offset < 8; ++offset) {
        double* work = fft_work + 1 + offset;
        work[-1] = guard;
        work[6 * n] = guard;
        const double got_error = mul_elements_fft_fast(first.data(), second.data(), got.data(), n,
                                                       work);
        EXPECT_EQ(bits(got_error), bits(want_error)) << "offset " << offset;
        EXPECT_EQ(std::memcmp(got.data(), want.data(), sizeof(double) * 2 * n), 0)
            << "offset " << offset;
        EXPECT_EQ(work[-1], guard) << "offset " << offset;
        EXPECT_EQ(work[6 * n], guard) << "offset " << offset;
    }
}

}  // namespace

namespace {

// The fast product's normalization against normalize_elements_reference on values
// chosen to be hard: exact multiples of R and their neighbours (where a
// quotient taken by multiplication would be off by one), values near
// 2^52, elements of R/2 and -R/2 and R/2 +- 1 (where the balanced form has
// two choices), long runs that pass a carry all the way, zero and signs,
// in both forms, at radices of each parity, a power of two and the ends of
// the range the integer path takes (and outside it, the double path).
TEST(FftFast, NormalizationMatchesNormalizeElementsOnHardValues)
{
    const double radices[] = {513.0, 1000.0, 19683.0, 65536.0, 100000.0, 456976.0, 524287.0,
                              10.0, 1.0e6};
    const int modes[] = {-1, 1};
    std::mt19937_64 rng(2024);
    int failures = 0;
    for (const double radix : radices) {
        for (const int mode : modes) {
            element_radix = radix;
            digit_mode = mode;
            const auto r = static_cast<long long>(radix);
            const long long largest_k = (1LL << 50) / r;
            std::uniform_int_distribution<long long> any_k(-largest_k, largest_k);
            std::uniform_int_distribution<int> kind(0, 9);
            std::uniform_int_distribution<long long> any_small(-r, r);
            for (int trial = 0; trial < 200; ++trial) {
                const int count = 2 + trial * 7;
                std::vector<double> a(static_cast<std::size_t>(count));
                for (double& v : a) {
                    long long x = 0;
                    switch (kind(rng)) {
                    case 0: x = any_k(rng) * r; break;
                    case 1: x = any_k(rng) * r + 1; break;
                    case 2: x = any_k(rng) * r - 1; break;
                    case 3: x = r / 2 + any_small(rng) % 2; break;
                    case 4: x = -(r / 2) - any_small(rng) % 2; break;
                    case 5: x = (any_k(rng) % 2 == 0 ? 1 : -1) * ((1LL << 52) - any_small(rng) % 4); break;
                    case 6: x = r - 1; break;
                    case 7: x = 0; break;
                    case 8: x = -(r - 1); break;
                    default: x = any_k(rng) * r + any_small(rng); break;
                    }
                    v = static_cast<double>(x);
                }
                // Now and then one value past 2^52, where the integer path must
                // give way to the double one.
                if (trial % 50 == 49) {
                    a[static_cast<std::size_t>(count / 2)] = 4503599627370497.0 * (trial % 100 == 49 ? 1 : -1) + 7.0;
                }
                std::vector<double> want_a = a;
                std::vector<double> got_a = a;
                normalize_elements_reference(want_a.data(), count);
                fft_fast_normalize(got_a.data(), count);
                for (int i = 0; i < count; ++i) {
                    if (bits(got_a[i]) != bits(want_a[i])) {
                        if (++failures <= 10) {
                            ADD_FAILURE() << "R = " << radix << ", mode " << mode << ", count "
                                          << count << ", element " << i << ": " << exact(got_a[i])
                                          << " want " << exact(want_a[i]);
                        }
                        break;
                    }
                }
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
