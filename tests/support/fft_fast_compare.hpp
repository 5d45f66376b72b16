// The fast product against the reference product, bit for bit: operands
// of every pattern, both digit forms, both radix extremes, on one
// instruction path over a range of lengths. Shared by the test of every
// length up to 2^18 and the slow test of the longest length.
#pragma once

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

inline constexpr double guard = 12345.0;

enum class pattern { random, zeros, high, low, alternating, runs, square };

inline const char* name(pattern p)
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
inline double lowest(double radix, int mode)
{
    return mode < 0 ? -std::floor(radix / 2.0) : 0.0;
}

inline double highest(double radix, int mode)
{
    return mode < 0 ? std::floor(radix / 2.0) : radix - 1.0;
}

inline void fill(pattern p, double* a, int n, double radix, int mode, std::mt19937_64& rng)
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

// Operand and result buffers for every length up to the longest product.
inline std::vector<double> first(fft_fast_max_length()), second(fft_fast_max_length()),
    want(2 * fft_fast_max_length() + 1), got(2 * fft_fast_max_length() + 1);

inline std::uint64_t bits(double v)
{
    return std::bit_cast<std::uint64_t>(v);
}

// Seventeen significant digits: enough to tell any two doubles apart.
inline std::string exact(double v)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// One product both ways; returns an empty string or what differed.
inline std::string compare_once(pattern p, int n, double radix, int mode, std::uint64_t seed)
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

inline void compare_lengths(fft_fast_path path, int shortest, int longest_length)
{
    set_fft_fast_path(path);
    const digit_form forms[] = {{"balanced", -1}, {"standard", 1}};
    const double radices[] = {19683.0, 456976.0};  // base 27, base 26
    const pattern patterns[] = {pattern::random, pattern::zeros, pattern::high, pattern::low,
                                pattern::alternating, pattern::runs, pattern::square};
    int failures = 0;
    for (int n = shortest; n <= longest_length; n *= 2) {
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
