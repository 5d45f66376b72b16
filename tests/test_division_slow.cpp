// The reciprocal's residual bound |1 - a*y| < R^(1-n) at the long lengths,
// up to the largest working length of a run, checked exactly with GMP.
#include "bignum/division.hpp"
#include "bignum/long_number.hpp"
#include "support/digit_globals.hpp"
#include "support/division_reference.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ReciprocalLongTest : public DigitGlobalsTest, public ::testing::WithParamInterface<double> {
protected:
    void SetUp() override
    {
        DigitGlobalsTest::SetUp();
        use_digits(GetParam(), true);
    }
};

TEST_P(ReciprocalLongTest, ResidualBelowOneUnitOfTheLastElementButOne)
{
    const double radix = GetParam();
    for (int n = 1 << 13; n <= (1 << 18); n *= 2) {
        std::vector<double> y(static_cast<std::size_t>(n) + 1);
        std::vector<double> scratch(4 * static_cast<std::size_t>(n) + 2);
        for (int lead = 0; lead < divisor_lead_kinds; ++lead) {
            const unsigned seed = static_cast<unsigned>(n * 31 + lead) ^ static_cast<unsigned>(radix);
            SCOPED_TRACE("R = " + std::to_string(radix) + ", n = " + std::to_string(n) + ", seed " +
                         std::to_string(seed) + ", lead kind " + std::to_string(lead));
            const std::vector<double> a = random_divisor(n, radix, lead, seed);
            const double error = reciprocal_long(a.data(), y.data(), n, scratch.data(), fft_work);
            const ReciprocalResidual residual = reciprocal_residual(a.data(), y.data(), n, radix);
            EXPECT_TRUE(residual.below_bound) << "|1 - a*y| = " << residual.in_bound_units << " * R^(1-n)";
            EXPECT_GE(error, 0.0);
            EXPECT_LT(error, 0.5);
            EXPECT_EQ(a, random_divisor(n, radix, lead, seed)) << "the divisor was modified";
        }
    }
}

// The smallest and largest element radix of a run, and that of base 10.
INSTANTIATE_TEST_SUITE_P(Radices, ReciprocalLongTest, ::testing::Values(19683.0, 100000.0, 456976.0),
                         [](const ::testing::TestParamInfo<double>& radix) {
                             std::string name = "R";
                             name += std::to_string(static_cast<long>(radix.param));
                             return name;
                         });

}  // namespace
