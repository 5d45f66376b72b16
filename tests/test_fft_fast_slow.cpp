// The fast product against the reference product, bit for bit, at the
// longest length a run can have (2^19 elements, a doubled working length),
// as test_fft_fast.cpp does for every shorter length: every output element
// and the rounding error, random and structured operands, both digit forms,
// the smallest and the largest element radix, each instruction path.
#include "bignum/fft_fast.hpp"
#include "bignum/fft_multiply.hpp"
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

const int longest = fft_fast_max_length();

TEST(FftFastSlow, LongestLengthIsTheLongestWorkingLength)
{
    EXPECT_EQ(fft_fast_max_length(), max_working_length);
}

TEST(FftFastSlow, PortablePathMatchesReferenceAtTheLongestLength)
{
    compare_lengths(fft_fast_path::portable, longest, longest);
}

TEST(FftFastSlow, Avx2PathMatchesReferenceAtTheLongestLength)
{
    if (!fft_fast_avx2_available()) {
        GTEST_SKIP() << "this processor has no AVX2";
    }
    compare_lengths(fft_fast_path::avx2, longest, longest);
}

TEST(FftFastSlow, Avx512PathMatchesReferenceAtTheLongestLength)
{
    if (!fft_fast_avx512_available()) {
        GTEST_SKIP() << "this processor has no AVX-512F and VL";
    }
    compare_lengths(fft_fast_path::avx512, longest, longest);
}

}  // namespace
