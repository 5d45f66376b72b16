#include "run/driver.hpp"

#include "bignum/addition.hpp"
#include "bignum/long_number.hpp"
#include "bignum/small_integer.hpp"
#include "drm/atan_drm.hpp"
#include "run/clock.hpp"
#include "run/error_stop.hpp"
#include "run/report.hpp"
#include "run/setup.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int drm_with_atan = 2;

}  // namespace

double sum_formula(int formula_index, int base, int digits_per_element, int series_count, int n, int* steps)
{
    double rounding_error = 0.0;
    fill_elements(0, pi_sum, n + 1);
    for (int i = 0; i < formula_term_count[formula_index]; ++i) {
        const int c = formula_table[formula_index][i][0];
        const int x = formula_table[formula_index][i][1];
        const int t1 = clock_ms();
        steps[i] = drm_step_count(base, x, digits_per_element, series_count, n);
        rounding_error = max2(rounding_error, atan_inverse_drm(x, n, steps[i]));
        mul_small(atan_sum, c, work_t, n);
        add_long(pi_sum, work_t, atan_sum, n, +1);
        copy_elements(atan_sum, pi_sum, n + 1);
        std::printf("  ATAN(1/%6d),  DRM Step=%3d,  Time=%8.2f (s)\n", x, steps[i], (clock_ms() - t1) / 1000.0);
    }
    return rounding_error;
}

int drm_step_count(int base, int x, int digits_per_element, int element_count, int fmt_size)
{
    const double lambda = std::log(static_cast<double>(base)) / std::log(static_cast<double>(x));
    return static_cast<int>((((digits_per_element * 2.0) * element_count) * lambda) / fmt_size + 1.0);
}

int working_length(int fmt_size, int element_count)
{
    return fmt_size >= element_count + 1 + guard_elements ? fmt_size : 2 * fmt_size;
}

double pi_error_bound(int formula_index, int n, int element_count, const int* steps)
{
    // Per term c * arctan(1/x), first in units u = R^(1-n) of pi's last
    // element:
    //  - the arctangent (exponent 0) is a sum of step quotients q_s, each
    //    off by a relative (4 + 2s) u at most: the divisor and the running
    //    power of x are truncated to n elements (relative 2u each, the power
    //    once per step), and the reciprocal is good to R^(1-n); the q_s add
    //    up to at most about 1/x. Each step also truncates its quotient and
    //    its addition below the arctangent's last element, u/R each;
    //  - the product by c and the addition into pi_sum drop at most one
    //    unit each.
    // Then the series left out, which weighs less than its first term,
    // 1/((2K+1) x^(2K+1)) for K = steps * n/4 terms summed. Twice the sum
    // leaves room for what the estimate rounds away.
    const double radix = element_radix;
    const double guard_unit_in_u = std::pow(radix, n - 1 - element_count - guard_elements);
    const double guard_exponent = element_count + guard_elements;
    double bound = 0.0;
    for (int i = 0; i < formula_term_count[formula_index]; ++i) {
        const double c = std::fabs(static_cast<double>(formula_table[formula_index][i][0]));
        const double x = formula_table[formula_index][i][1];
        const double s = steps[i];
        const double arithmetic = c * (1.1 / x) * (4.0 + 2.0 * s) + c * 2.0 * s / radix + 2.0;
        const double k = s * (n / 4);
        const double log_series = std::log(c) - std::log(2.0 * k + 1.0) - (2.0 * k + 1.0) * std::log(x)
                                  + guard_exponent * std::log(radix);
        const double series = log_series > 700.0 ? HUGE_VAL : std::exp(log_series);
        bound += 2.0 * (arithmetic / guard_unit_in_u + series);
    }
    return bound + 1.0;
}

bool listing_is_certain(const double* sum, int element_count, double error_bound)
{
    // Fractional elements L+1 and L+2 are elements L+2 and L+3 of sum; the
    // elements below them add less than one unit of the second.
    const double radix = element_radix;
    const double g = sum[element_count + 2] * radix + sum[element_count + 3];
    const double e = error_bound + 1.0;
    return g >= e && g <= radix * radix - 1.0 - e;
}

int run_pi_drm()
{
    int fmt_size = 0;
    int element_count = 0;
    int digit_count = 0;
    int digits_per_element = 0;
    int base = 0;
    int digit_offset = 0;
    const int formula_index = setup_run(drm_with_atan, ND, &fmt_size, &element_count, &digit_count,
                                        &digits_per_element, &base, &digit_offset);

    const int t0 = clock_ms();

    // The first attempt sums the series as far as the printed elements ask;
    // a longer working length also carries the series through the guard.
    int n = working_length(fmt_size, element_count);
    int series_count = n == fmt_size ? element_count : element_count + guard_elements;
    int steps[formula_slots] = {};
    double rounding_error = 0.0;
    for (;;) {
        digit_mode = -1;
        rounding_error = sum_formula(formula_index, base, digits_per_element, series_count, n, steps);
        digit_mode = 1;
        normalize_elements(pi_sum + 1, n);
        if (rounding_error >= trusted_rounding_error) {
            char message[96];
            char error_text[32];
            format_scientific(rounding_error, error_text, sizeof error_text);
            std::snprintf(message, sizeof message, "rounding error %s too large to trust the digits", error_text);
            error_stop(message);
        }
        if (listing_is_certain(pi_sum, element_count, pi_error_bound(formula_index, n, element_count, steps))) {
            break;
        }
        // The guard elements lie too close to a carry: sum again with twice
        // the working length, which settles it but for a vanishing chance.
        if (2 * n > max_working_length) {
            error_stop("the last digits could not be verified");
        }
        n = 2 * n;
        series_count = element_count + guard_elements;
    }

    write_report(pi_sum, element_count, digits_per_element, base, digit_offset, t0, rounding_error);
    close_report();
    return 0;
}
