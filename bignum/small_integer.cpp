#include "bignum/small_integer.hpp"

#include "bignum/long_number.hpp"

#include <cmath>

// Quotients are truncated toward zero in double precision; every one of
// them is far inside the 32-bit range, where this equals the conversion to
// a 32-bit integer.

void mul_small(const double* a, int k, double* c, int count)
{
    const double radix = element_radix;
    const double kd = k;
    const double t = std::fabs(a[1] * kd);
    if (t >= radix) {
        // The leading product needs an element of its own: everything moves
        // down one element, and of the last product only its whole multiples
        // of R survive, as units of c[count].
        c[0] = a[0] + 1.0;
        c[1] = 0.0;
        for (int i = 1; i <= count - 1; ++i) {
            c[i + 1] = a[i] * kd;
        }
        c[count] = c[count] + std::trunc(a[count] * kd / radix);
    } else {
        c[0] = a[0];
        for (int i = 1; i <= count; ++i) {
            c[i] = a[i] * kd;
        }
    }
    normalize_elements(c + 1, count);
    strip_leading_zeros(c, count);
}

void div_small(const double* a, int k, double* c, int count)
{
    const double radix = element_radix;
    const double kd = k;
    if (std::fabs(kd) <= std::fabs(a[1])) {
        c[0] = a[0];
        double rem = 0.0;
        for (int i = 1; i <= count; ++i) {
            const double t = rem * radix + a[i];
            c[i] = std::trunc(t / kd);
            rem = t - c[i] * kd;
        }
    } else {
        // The first quotient element would be zero: start one element lower
        // and form one more quotient element from the last remainder.
        c[0] = a[0] - 1.0;
        double rem = a[1];
        for (int i = 1; i <= count - 1; ++i) {
            const double t = rem * radix + a[i + 1];
            c[i] = std::trunc(t / kd);
            rem = t - c[i] * kd;
        }
        c[count] = std::trunc(rem * radix / kd);
    }
    normalize_elements(c + 1, count);
    strip_leading_zeros(c, count);
}
