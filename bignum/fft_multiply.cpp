#include "bignum/fft_multiply.hpp"

#include "bignum/fft_transform.hpp"
#include "bignum/long_number.hpp"

#include <cmath>

namespace {

constexpr int forward_direction = 0;
constexpr int inverse_direction = 1;

}  // namespace

double mul_elements_fft_reference(const double* a, const double* b, double* out, int n,
                                  double* work)
{
    for (int j = 0; j < n; ++j) {
        work[2 * j] = a[j];
        work[2 * j + 1] = 0.0;
        out[2 * j] = b[j];
        out[2 * j + 1] = 0.0;
    }
    double* tables = work + 2 * n;
    weighted_fft(work, n, forward_direction, tables);
    weighted_fft(out, n, forward_direction, tables);

    for (int j = 0; j < n; ++j) {
        const double xr = work[2 * j];
        const double xi = work[2 * j + 1];
        const double yr = out[2 * j];
        const double yi = out[2 * j + 1];
        work[2 * j] = yr * xr - yi * xi;
        work[2 * j + 1] = yr * xi + yi * xr;
    }
    weighted_fft(work, n, inverse_direction, tables);

    // Entry j holds coefficient j - 1 of the product (most significant
    // first) in its imaginary part and coefficient n - 1 + j in its real part.
    double error = 0.0;
    for (int j = 0; j < n; ++j) {
        const double vr = work[2 * j];
        const double vi = work[2 * j + 1];
        const double re = std::floor(vr + 0.5);
        const double im = std::floor(vi + 0.5);
        error = max3(error, std::fabs(re - vr), std::fabs(im - vi));
        out[j] = im;
        out[n + j] = re;
    }
    normalize_elements_reference(out, 2 * n);
    return error;
}

double mul_long(const double* p, const double* q, double* out, int n, double* work)
{
    return mul_long_kept(p, no_kept_transform, q, no_kept_transform, out, n, work);
}

double mul_long_kept(const double* p, int p_slot, const double* q, int q_slot, double* out, int n,
                     double* work)
{
    out[0] = p[0] + q[0];
    const double error = mul_elements_kept(p + 1, p_slot, q + 1, q_slot, out + 1, n, work);
    strip_leading_zeros(out, 2 * n);
    return error;
}
