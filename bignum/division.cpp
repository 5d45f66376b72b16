#include "bignum/division.hpp"

#include "bignum/addition.hpp"
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"

#include <cmath>

namespace {

constexpr int estimate_slot = 0;

// The two-element estimate t * R^(-e_a) of 1/a in double precision, t =
// R / (a[2]/R + a[1]); good to about one element.
void estimate_reciprocal(const double* a, double* y, int n)
{
    const double radix = element_radix;
    y[0] = 1.0 - a[0];
    const double t = radix / (a[2] / radix + a[1]);
    y[1] = std::trunc(t);
    y[2] = std::trunc((t - y[1]) * radix);
    fill_elements(0, y + 3, n - 2);
}

}  // namespace

double reciprocal_long(const double* a, double* y, int n, double* scratch, double* work)
{
    estimate_reciprocal(a, y, n);

    // A fixed schedule of k + 1 iterations for n = 2^k: the length d runs
    // 2, 4, ..., n, n; an iteration at length d leaves y correct to a little
    // under d elements, so the second one at full length completes it.
    double* residual = scratch + 2 * n + 1;
    const int iterations = floor_log2(n) + 1;
    int d = 2;
    double error = 0.0;
    for (int i = 0; i < iterations; ++i) {
        const int e = min_int(n, 2 * d);
        // y takes part in both products: its transform is made once.
        keep_transform(y + 1, d, estimate_slot, work);
        const double err1 = mul_long_kept(a, no_kept_transform, y, estimate_slot, scratch, d, work);
        add_small_integer(1, scratch, residual, 2 * d, -1);
        const double err2 = mul_long_kept(y, estimate_slot, residual, no_kept_transform, scratch, d,
                                          work);
        error = max3(error, err1, err2);
        add_long(y, scratch, y, e, +1);
        if (d < n) {
            d = 2 * d;
        }
    }
    return error;
}

double div_long(const double* p, const double* q, double* out, int n, double* scratch, double* work)
{
    const double err1 = reciprocal_long(q, out, n, scratch, work);
    const double err2 = mul_long(p, out, scratch, n, work);
    copy_elements(scratch, out, n + 1);
    return max2(err1, err2);
}
