// The fast product against the reference product, bit for bit: every
// output element and the rounding error, at every length from 2 to 2^18,
// for random and structured operands, in both digit forms, at the smallest
// and the largest element radix, on each instruction path.
#include "bignum/fft_fast.hpp"
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"

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
constexpr double guard = 12345.0;

enum class pattern { random, zeros, high, low, alternating, runs, square };

const char* name(pattern p)
{
    switch (p) {
    case pattern::random: return "random";
    case pattern::zeros: return "zeros";
    case pattern::high: return "all high";
    case pattern::low: return "all low";
    case pattern::alternating: return "alternating";
    case pattern::runs: return "runs";
    case pattern::square: return "square";
    }
    return "?";
}

struct digit_form {
    const char* label;
    int mode;  // digit_mode
};

// The extreme elements of a form: balanced -R/2 .. R/2 (rounded inward for
// odd R), standard 0 .. R - 1.
double lowest(double radix, int mode)
{
    return mode < 0 ? -std::floor(radix / 2.0) : 0.0;
}

double highest(double radix, int mode)
{
    return mode < 0 ? std::floor(radix / 2.0) : radix - 1.0;
}

void fill(pattern p, double* a, int n, double radix, int mode, std::mt19937_64& rng)
{
    const double lo = lowest(radix, mode);
    const double hi = highest(radix, mode);
    std::uniform_int_distribution<long long> any(static_cast<long long>(lo),
                                                 static_cast<long long>(hi));
    for (int i = 0; i < n; ++i) {
        switch (p) {
        case pattern::random:
        case pattern::square: a[i] = static_cast<double>(any(rng)); break;
        case pattern::zeros: a[i] = 0.0; break;
        case pattern::high: a[i] = hi; break;
        case pattern::low: a[i] = lo; break;
        case pattern::alternating: a[i] = (i % 2 == 0) ? hi : lo; break;
        case pattern::runs: a[i] = ((i / 37) % 3 == 0) ? hi : ((i / 37) % 3 == 1 ? 0.0 : lo); break;
        }
    }
}

std::vector<double> first(longest), second(longest), want(2 * longest + 1), got(2 * longest + 1);

std::uint64_t bits(double v)
{
    return std::bit_cast<std::uint64_t>(v);
}

// Seventeen significant digits: enough to tell any two doubles apart.
std::string exact(double v)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// One product both ways; returns an empty string or what differed.
std::string compare_once(pattern p, int n, double radix, int mode, std::uint64_t seed)
{
    element_radix = radix;
    digit_mode = mode;
    std::mt19937_64 rng(seed);
    fill(p, first.data(), n, radix, mode, rng);
    fill(p, second.data(), n, radix, mode, rng);
    const double* b = p == pattern::square ? first.data() : second.data();
    want[2 * n] = guard;
    got[2 * n] = guard;
    const double want_error = mul_elements_fft_reference(first.data(), b, want.data(), n, fft_work);
    const double got_error = mul_elements_fft_fast(first.data(), b, got.data(), n, fft_work);
    if (got[2 * n] != guard) {
        return "wrote past out[2n - 1]";
    }
    if (bits(got_error) != bits(want_error)) {
        return "rounding error |" + exact(got_error) + "| want |" + exact(want_error) + "|";
    }
    for (int i = 0; i < 2 * n; ++i) {
        if (bits(got[i]) != bits(want[i])) {
            return "out[" + std::to_string(i) + "] = |" + exact(got[i]) + "| want |" +
                   exact(want[i]) + "|";
        }
    }
    return {};
}

void compare_all_lengths(fft_fast_path path)
{
    set_fft_fast_path(path);
    const digit_form forms[] = {{"balanced", -1}, {"standard", 1}};
    const double radices[] = {19683.0, 456976.0};  // base 27, base 26
    const pattern patterns[] = {pattern::random, pattern::zeros, pattern::high, pattern::low,
                                pattern::alternating, pattern::runs, pattern::square};
    int failures = 0;
    for (int n = 2; n <= longest; n *= 2) {
        ASSERT_TRUE(fft_fast_tables_usable(n)) << "n = " << n;
        for (const digit_form& form : forms) {
            for (const double radix : radices) {
                for (const pattern p : patterns) {
                    const std::uint64_t seed = 1000003ULL * static_cast<std::uint64_t>(n) +
                                               static_cast<std::uint64_t>(p);
                    const std::string diff = compare_once(p, n, radix, form.mode, seed);
                    if (!diff.empty() && ++failures <= 10) {
                        ADD_FAILURE() << "n = " << n << ", " << form.label << ", R = " << radix
                                      << ", " << name(p) << ", seed " << seed << ": " << diff;
                    }
                }
            }
        }
    }
    set_fft_fast_path(fft_fast_path::automatic);
    EXPECT_EQ(failures, 0);
}

TEST(FftFast, PortablePathMatchesReferenceBitForBit)
{
    compare_all_lengths(fft_fast_path::portable);
}

TEST(FftFast, Avx2PathMatchesReferenceBitForBit)
{
    if (!fft_fast_avx2_available()) {
        GTEST_SKIP() << "this processor has no AVX2";
    }
    compare_all_lengths(fft_fast_path::avx2);
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

}  // namespace
