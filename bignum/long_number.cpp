#include "bignum/long_number.hpp"

#include <cmath>

double element_radix = 100000.0;
int digit_mode = -1;

double pi_sum[array_elements];
double atan_sum[array_elements + 3];
double x_power[array_elements];
double work_t[array_elements + 3];
double drm_num[array_elements + 3];
double drm_den[array_elements];
double work_u[4 * array_elements];
double fft_work[6 * array_elements];
double next_odd;
std::FILE* report_file;

void normalize_elements_reference(double* a, int count)
{
    if (count <= 1) {
        return;  // also keeps count - 1 from overflowing
    }
    const double radix = element_radix;

    // Carry pass. The quotient is truncated in double precision: it equals
    // the 32-bit truncation wherever that fits, and cannot overflow for the
    // convolution outputs of long products, which may pass 2^31 * R.
    // Afterwards -R < a[i] < R for i >= 1, with the sign of the carried value.
    for (int i = count - 1; i >= 1; --i) {
        const double q = std::trunc(a[i] / radix);
        a[i] = a[i] - q * radix;
        a[i - 1] = a[i - 1] + q;
    }

    // Range pass: one correction per entry suffices, since a[i - 1] leaves
    // the carry pass strictly inside (-R, R) and the +-1 keeps it in [-R, R].
    if (digit_mode >= 0) {
        for (int i = count - 1; i >= 1; --i) {
            if (a[i] < 0.0) {
                a[i - 1] = a[i - 1] - 1.0;
                a[i] = a[i] + radix;
            }
        }
    } else {
        const double half = radix / 2.0;  // a half-integer when R is odd
        for (int i = count - 1; i >= 1; --i) {
            if (a[i] > half) {
                a[i - 1] = a[i - 1] + 1.0;
                a[i] = a[i] - radix;
            } else if (a[i] < -half) {
                a[i - 1] = a[i - 1] - 1.0;
                a[i] = a[i] + radix;
            }
        }
    }
}

void strip_leading_zeros(double* a, int count)
{
    if (count <= 0) {
        return;
    }
    const double exponent = a[0];
    int s = 0;
    while (s < count && a[s + 1] == 0.0) {
        ++s;
    }
    for (int j = 1; j <= count - s; ++j) {
        a[j] = a[j + s];
    }
    for (int j = count - s + 1; j <= count; ++j) {
        a[j] = 0.0;
    }
    a[0] = exponent - s;
}

void make_integer(double* a, int count)
{
    if (count <= 0) {
        return;
    }
    a[0] = count;
    strip_leading_zeros(a, count);
}

void copy_elements(const double* src, double* dst, int count)
{
    for (int i = 0; i < count; ++i) {
        dst[i] = src[i];
    }
}

void fill_elements(int value, double* dst, int count)
{
    const double v = value;
    for (int i = 0; i < count; ++i) {
        dst[i] = v;
    }
}

void set_small_integer(int value, double* a, int count)
{
    if (count <= 0) {
        return;
    }
    a[0] = 1.0;
    a[1] = value;
    fill_elements(0, a + 2, count - 1);
}

int int_power(int base, int e)
{
    int result = 1;
    for (int i = 0; i < e; ++i) {
        result *= base;
    }
    return result;
}

int min_int(int a, int b)
{
    return a <= b ? a : b;
}

int floor_log2(int a)
{
    return static_cast<int>(std::log(a + 0.5) / std::log(2.0));
}
