#include "drm/atan_drm.hpp"

#include "bignum/addition.hpp"
#include "bignum/division.hpp"
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"
#include "bignum/small_integer.hpp"

#include <cstdio>

double atan_inverse_drm(int x, int n, int steps)
{
    fill_elements(0, atan_sum, n + 1);
    set_small_integer(1, x_power, n);
    div_small(x_power, x, x_power, n);
    next_odd = 1.0;
    double error = 0.0;
    for (int s = 0; s < steps; ++s) {
        error = max2(error, drm_step(x, n));
    }
    return error;
}

double drm_step(int x, int n)
{
    // Leaves: term t of the step in the window of elements 4t-3 .. 4t, its
    // numerator +-1 and its odd denominator in the least significant element.
    fill_elements(0, drm_num + 1, n);
    fill_elements(0, drm_den + 1, n);
    double sign = 1.0;
    for (int t = 1; t <= n / 4; ++t) {
        drm_den[4 * t] = next_odd;
        normalize_elements(drm_den + 4 * t - 3, 4);
        drm_num[4 * t] = sign;
        next_odd = next_odd + 2.0;
        sign = -sign;
    }

    // X = x^2 in the four elements of the first level's power.
    fill_elements(0, work_t + 1, 4);
    const double xd = x;
    work_t[4] = xd * xd;
    normalize_elements(work_t + 1, 4);

    int pairs = n / 8;
    const int levels = floor_log2(2 * pairs);
    int m = 4;
    double error = 0.0;
    for (int level = 0; level < levels; ++level) {
        error = max2(error, drm_merge_level(m, pairs));
        m = 2 * m;
        pairs = pairs / 2;
    }

    // The step's block P/Q and X^(n/4) = x^(n/2) as long numbers.
    make_integer(drm_num, n);
    make_integer(drm_den, n);
    make_integer(work_t, n);

    // x_power advances to the power of x of the step's last term; the
    // divisor is Q * x_power, both truncated to n elements.
    const double e1 = mul_long(work_t, x_power, work_u, n, fft_work);
    copy_elements(work_u, x_power, n + 1);
    const double e2 = mul_long(drm_den, x_power, work_u, n, fft_work);
    copy_elements(work_u, work_t, n + 1);
    error = max3(error, e1, e2);

    const double e3 = div_long(drm_num, work_t, drm_den, n, work_u, fft_work);
    add_long(atan_sum, drm_den, work_u, n, +1);
    copy_elements(work_u, atan_sum, n + 1);
    return max2(error, e3);
}

double drm_merge_level(int m, int pairs)
{
    // Window pairs left to right: P = P_L * (X^(m/4) * Q_R) + P_R * Q_L and
    // Q = Q_L * Q_R. Each merged window lies over its two input windows, so
    // P_L, P_R, Q_L and Q_R are all read before either is overwritten.
    //
    // The power of X takes part in the first product of every pair and in
    // the final squaring, Q_R and Q_L in two products each: their transforms
    // are made once and kept while the operands stay unchanged.
    constexpr int power_slot = 0;
    constexpr int right_den_slot = 1;
    constexpr int left_den_slot = 2;
    keep_transform(work_t + 1, m, power_slot, fft_work);
    double error = 0.0;
    int k = 1;
    for (int p = 1; p <= pairs; ++p) {
        const int j = k + m;
        keep_transform(drm_den + j, m, right_den_slot, fft_work);
        double e1 = mul_elements_kept(work_t + 1, power_slot, drm_den + j, right_den_slot,
                                      work_u + 1, m, fft_work);
        if (work_u[m] != 0.0) {
            std::printf(" ** Error Stop \n");
        }
        double e2 = mul_elements_fft(drm_num + k, work_u + m + 1, work_u + 2 * m + 1, m, fft_work);
        error = max3(error, e1, e2);

        keep_transform(drm_den + k, m, left_den_slot, fft_work);
        e1 = mul_elements_kept(drm_num + j, no_kept_transform, drm_den + k, left_den_slot,
                               work_u + 1, m, fft_work);
        add_elements(work_u + 1, work_u + 2 * m + 1, drm_num + k, 2 * m, +1);

        e2 = mul_elements_kept(drm_den + k, left_den_slot, drm_den + j, right_den_slot, work_u + 1,
                               m, fft_work);
        copy_elements(work_u + 1, drm_den + k, 2 * m);
        error = max3(error, e1, e2);
        k = k + 2 * m;
    }

    // Square the power of X through a copy: a product must not write over
    // its own operands. The copy has the kept transform of the original.
    copy_elements(work_t + 1, work_u + 1, m);
    const double e = mul_elements_kept(work_u + 1, power_slot, work_u + 1, power_slot, work_t + 1,
                                       m, fft_work);
    return max2(error, e);
}
