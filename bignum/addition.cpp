#include "bignum/addition.hpp"

#include "bignum/long_number.hpp"

#include <algorithm>

namespace {

// Exponent distance between two long numbers, clamped to count: any
// distance of count or more means that no element of the smaller operand
// overlaps the result.
int exponent_gap(double high, double low, int count)
{
    return static_cast<int>(std::min(high - low, static_cast<double>(count)));
}

}  // namespace

void add_elements(const double* a, const double* b, double* c, int count, int sign)
{
    if (sign >= 0) {
        for (int i = 0; i < count; ++i) {
            c[i] = a[i] + b[i];
        }
    } else {
        for (int i = 0; i < count; ++i) {
            c[i] = a[i] - b[i];
        }
    }
    normalize_elements(c, count);
}

void add_long(const double* a, const double* b, double* c, int count, int sign)
{
    if (count <= 0) {
        return;
    }
    if (b[0] <= a[0]) {
        // The d leading elements of a have no partner in b; the last d
        // elements of b fall below the result and are dropped.
        const int d = exponent_gap(a[0], b[0], count);
        copy_elements(a, c, d + 1);
        if (d < count) {
            add_elements(a + d + 1, b + 1, c + d + 1, count - d, sign);
        }
    } else {
        const int d = exponent_gap(b[0], a[0], count);
        c[0] = b[0];
        if (sign >= 0) {
            for (int i = 1; i <= d; ++i) {
                c[i] = b[i];
            }
        } else {
            for (int i = 1; i <= d; ++i) {
                c[i] = -b[i];
            }
        }
        if (d < count) {
            add_elements(a + 1, b + d + 1, c + d + 1, count - d, sign);
        }
    }
    normalize_elements(c + 1, count);
    strip_leading_zeros(c, count);
}

void add_small_integer(int k, const double* a, double* c, int count, int sign)
{
    if (count <= 0) {
        return;
    }
    const double s = sign >= 0 ? 1.0 : -1.0;
    const double ea = a[0];
    if (ea >= 1.0) {
        // The units element of a lies among its elements, or beyond the
        // last one, in which case k falls below the result and is dropped.
        c[0] = ea;
        for (int i = 1; i <= count; ++i) {
            c[i] = s * a[i];
        }
        if (ea <= count) {
            const int units = static_cast<int>(ea);
            c[units] = c[units] + k;
        }
    } else {
        // a lies wholly below the units position: shift it down by d >= 1
        // elements behind k and drop its last d elements.
        const int d = static_cast<int>(std::min(1.0 - ea, static_cast<double>(count)));
        c[0] = 1.0;
        c[1] = k;
        fill_elements(0, c + 2, d - 1);
        for (int i = d + 1; i <= count; ++i) {
            c[i] = s * a[i - d];
        }
    }
    normalize_elements(c + 1, count);
    strip_leading_zeros(c, count);
}
