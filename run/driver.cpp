#include "run/driver.hpp"

#include "bignum/addition.hpp"
#include "bignum/long_number.hpp"
#include "bignum/small_integer.hpp"
#include "drm/atan_drm.hpp"
#include "run/clock.hpp"
#include "run/report.hpp"
#include "run/setup.hpp"

#include <cmath>
#include <cstdio>

namespace {

constexpr int drm_with_atan = 2;

}  // namespace

int drm_step_count(int base, int x, int digits_per_element, int element_count, int fmt_size)
{
    const double lambda = std::log(static_cast<double>(base)) / std::log(static_cast<double>(x));
    return static_cast<int>((((digits_per_element * 2.0) * element_count) * lambda) / fmt_size + 1.0);
}

int run_pi_drm()
{
    int n = 0;
    int element_count = 0;
    int digit_count = 0;
    int digits_per_element = 0;
    int base = 0;
    int digit_offset = 0;
    const int formula_index = setup_run(drm_with_atan, ND, &n, &element_count, &digit_count,
                                        &digits_per_element, &base, &digit_offset);

    const int t0 = clock_ms();
    double rounding_error = 0.0;
    fill_elements(0, pi_sum, n + 1);

    for (int i = 0; i < formula_term_count[formula_index]; ++i) {
        const int c = formula_table[formula_index][i][0];
        const int x = formula_table[formula_index][i][1];
        const int t1 = clock_ms();
        const int steps = drm_step_count(base, x, digits_per_element, element_count, n);
        rounding_error = max2(rounding_error, atan_inverse_drm(x, n, steps));
        mul_small(atan_sum, c, work_t, n);
        add_long(pi_sum, work_t, atan_sum, n, +1);
        copy_elements(atan_sum, pi_sum, n + 1);
        std::printf("  ATAN(1/%6d),  DRM Step=%3d,  Time=%8.2f (s)\n", x, steps, (clock_ms() - t1) / 1000.0);
    }

    write_report(pi_sum, element_count, digits_per_element, base, digit_offset, t0, rounding_error);
    close_report();
    return 0;
}
