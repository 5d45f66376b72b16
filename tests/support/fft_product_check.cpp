#include "support/fft_product_check.hpp"

#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"
#include "support/elements_mpz.hpp"
#include "support/guarded_buffer.hpp"
#include "support/reference.hpp"

#include <gmp.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

enum class Pattern {
    all_high,     // every element the top of the range: floor(R/2) or R - 1
    all_low,      // every element the bottom: -floor(R/2) or 0
    alternating,  // top, bottom, top, ...
};

std::vector<double> pattern_elements(Pattern pattern, int count, double radix, bool balanced)
{
    const double high = balanced ? std::floor(radix / 2.0) : radix - 1.0;
    const double low = balanced ? -high : 0.0;
    std::vector<double> out(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const bool top = pattern == Pattern::all_high || (pattern == Pattern::alternating && i % 2 == 0);
        out[static_cast<std::size_t>(i)] = top ? high : low;
    }
    return out;
}

struct WorstCase {
    const char* name;
    Pattern a;
    Pattern b;  // same as a: a is passed as both operands
    bool balanced;
};

const WorstCase worst_cases[] = {
    {"all R/2 squared", Pattern::all_high, Pattern::all_high, true},
    {"all R/2 times all -R/2", Pattern::all_high, Pattern::all_low, true},
    {"alternating times all R/2", Pattern::alternating, Pattern::all_high, true},
    {"all R - 1 squared", Pattern::all_high, Pattern::all_high, false},
    {"alternating R - 1 and 0 squared", Pattern::alternating, Pattern::alternating, false},
};

}  // namespace

bool elements_in_range(const double* out, int count, std::string& where)
{
    const double radix = element_radix;
    const double half = radix / 2.0;
    for (int i = 1; i < count; ++i) {
        const double x = out[i];
        const bool ok = digit_mode < 0 ? (x >= -half && x <= half) : (x >= 0.0 && x < radix);
        if (!ok || x != std::floor(x)) {
            where = "element " + std::to_string(i) + " = " + std::to_string(x);
            return false;
        }
    }
    return true;
}

double check_fft_product(const std::vector<double>& a, const std::vector<double>& b, bool same_array)
{
    const int n = static_cast<int>(a.size());
    const std::vector<double>& second = same_array ? a : b;
    GuardedBuffer x(a);
    GuardedBuffer y(second);
    GuardedBuffer work(std::vector<double>(static_cast<std::size_t>(6 * n), 0.0));
    GuardedBuffer out(std::vector<double>(static_cast<std::size_t>(2 * n), 0.0));

    const double error = mul_elements_fft(x.data(), same_array ? x.data() : y.data(), out.data(), n, work.data());

    EXPECT_GE(error, 0.0);
    EXPECT_LT(error, 0.5);
    EXPECT_TRUE(out.guards_intact()) << "written outside the 2n output doubles";
    EXPECT_TRUE(work.guards_intact()) << "written outside the 6n work doubles";
    EXPECT_TRUE(x.guards_intact() && y.guards_intact());
    EXPECT_TRUE(x.values() == a) << "first operand modified";
    EXPECT_TRUE(y.values() == second) << "second operand modified";

    mpz_t p;
    mpz_t q;
    mpz_t want;
    mpz_t got;
    mpz_inits(p, q, want, got, nullptr);
    elements_to_mpz_split(a.data(), n, element_radix, p);
    elements_to_mpz_split(second.data(), n, element_radix, q);
    mpz_mul(want, p, q);
    elements_to_mpz_split(out.data(), 2 * n, element_radix, got);
    EXPECT_EQ(mpz_cmp(got, want), 0) << "the product differs from the exact one";
    mpz_clears(p, q, want, got, nullptr);

    std::string where;
    EXPECT_TRUE(elements_in_range(out.data(), 2 * n, where)) << "not normalized: " << where;
    return error;
}

void check_random_products(double radix, bool balanced, int min_log2, int max_log2)
{
    element_radix = radix;
    digit_mode = balanced ? -1 : 1;
    const std::string form = balanced ? "balanced" : "standard";
    double largest = 0.0;
    for (int k = min_log2; k <= max_log2; ++k) {
        const int n = 1 << k;
        const unsigned seed = 1000u * static_cast<unsigned>(k) + (balanced ? 1u : 2u);
        SCOPED_TRACE(form + ", R = " + std::to_string(static_cast<long>(radix)) + ", n = " + std::to_string(n) +
                     ", seeds " + std::to_string(seed) + " and " + std::to_string(seed + 500u));
        const std::vector<double> a = random_elements(n, radix, balanced, seed);
        const std::vector<double> b = random_elements(n, radix, balanced, seed + 500u);
        const double error = check_fft_product(a, b);
        std::printf("    %s R = %6.0f n = %6d  rounding error = %.6e\n", form.c_str(), radix, n, error);
        ::testing::Test::RecordProperty("rounding_error_n" + std::to_string(n), std::to_string(error));
        largest = max2(largest, error);
    }
    EXPECT_GT(largest, 0.0);
}

void check_worst_case_products(double radix, const std::vector<int>& balanced_lengths,
                               const std::vector<int>& standard_lengths)
{
    element_radix = radix;
    for (const WorstCase& c : worst_cases) {
        digit_mode = c.balanced ? -1 : 1;
        for (const int n : c.balanced ? balanced_lengths : standard_lengths) {
            SCOPED_TRACE(std::string(c.name) + ", R = " + std::to_string(static_cast<long>(radix)) +
                         ", n = " + std::to_string(n));
            const std::vector<double> a = pattern_elements(c.a, n, radix, c.balanced);
            const std::vector<double> b = pattern_elements(c.b, n, radix, c.balanced);
            const double error = check_fft_product(a, b, c.a == c.b);
            std::printf("    %-32s R = %6.0f n = %6d  rounding error = %.6e\n", c.name, radix, n, error);
        }
    }
}
