// FFT products at the longest lengths a run can have (2^17 and 2^18
// elements) against GMP's exact products.
#include "bignum/long_number.hpp"
#include "support/digit_globals.hpp"
#include "support/fft_product_check.hpp"

#include <gtest/gtest.h>

namespace {

constexpr double radix_base_27 = 19683.0;   // 27^3, the smallest element radix
constexpr double radix_base_26 = 456976.0;  // 26^4, the largest

// element_radix and digit_mode are globals: restored after each test.
class FftLongProducts : public DigitGlobalsTest {};

TEST_F(FftLongProducts, RandomBalancedAtTheSmallestRadix)
{
    check_random_products(radix_base_27, true, 17, 18);
}

TEST_F(FftLongProducts, RandomStandardAtTheSmallestRadix)
{
    check_random_products(radix_base_27, false, 17, 18);
}

TEST_F(FftLongProducts, RandomBalancedAtTheLargestRadix)
{
    check_random_products(radix_base_26, true, 17, 18);
}

// Standard products at R = 456976 stop being exact at 2^14 (see
// test_fft.cpp), and the worst cases there at 2^14 (balanced) and 2^12
// (standard): only the smallest radix is tried here.
TEST_F(FftLongProducts, WorstCaseOperandsAtTheSmallestRadix)
{
    check_worst_case_products(radix_base_27, {131072, 262144}, {131072, 262144});
}

}  // namespace
