#include "bignum/fft_transform.hpp"

#include "bignum/long_number.hpp"

#include <cmath>

namespace {

constexpr int inverse_direction = 1;

// Multiplies entry j of x by e^(i (n - 1 - j) u).
void apply_weights(double* x, int n, double u)
{
    for (int j = 0; j < n; ++j) {
        const double theta = static_cast<double>(n - 1 - j) * u;
        const double c = std::cos(theta);
        const double s = std::sin(theta);
        const double xr = x[2 * j];
        const double xi = x[2 * j + 1];
        x[2 * j] = c * xr - s * xi;
        x[2 * j + 1] = c * xi + s * xr;
    }
}

}  // namespace

void weighted_fft(double* x, int n, int direction, double* tables)
{
    const double u = 2.0 * std::atan(1.0) / n;
    if (direction != inverse_direction) {
        apply_weights(x, n, u);
        fft_radix2(x, n, direction, tables);
    } else {
        fft_radix2(x, n, direction, tables);
        apply_weights(x, n, -u);
    }
}

void fft_radix2(double* x, int n, int direction, double* tables)
{
    const int passes = floor_log2(n);
    make_twiddles(n / 2, direction, tables);
    int a = n / 2;
    int b = 1;
    for (int pass = 0; pass < passes; ++pass) {
        fft_pass(x, a, b, tables, tables + 2 * n);
        b = 2 * b;
        a = a / 2;
    }
    if (direction == inverse_direction) {
        const double length = n;
        for (int i = 0; i < 2 * n; ++i) {
            x[i] = x[i] / length;
        }
    }
}

void make_twiddles(int h, int direction, double* table)
{
    double s = 4.0 * std::atan(1.0) / h;
    if (direction == inverse_direction) {
        s = -s;
    }
    for (int i = 0; i < h; ++i) {
        const double phi = static_cast<double>(h - 1 - i) * s;
        table[2 * i] = std::cos(phi);
        table[2 * i + 1] = std::sin(phi);
    }
}

void fft_pass(double* x, int a, int b, const double* table, double* scratch)
{
    for (int i = 0; i < b; ++i) {
        const int w_index = a * (i + 1) - 1;
        const double wr = table[2 * w_index];
        const double wi = table[2 * w_index + 1];
        for (int j = 0; j < a; ++j) {
            const int lower = 2 * a * i + j;
            const double xr = x[2 * lower];
            const double xi = x[2 * lower + 1];
            const double tr = xr * wr - xi * wi;
            const double ti = xr * wi + xi * wr;
            const double yr = x[2 * (lower + a)];
            const double yi = x[2 * (lower + a) + 1];
            const int low_out = a * i + j;
            const int high_out = low_out + a * b;
            scratch[2 * low_out] = yr - tr;
            scratch[2 * low_out + 1] = yi - ti;
            scratch[2 * high_out] = yr + tr;
            scratch[2 * high_out + 1] = yi + ti;
        }
    }
    copy_elements(scratch, x, 4 * a * b);
}
