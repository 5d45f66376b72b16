// Exact checks of reciprocals and quotients of long numbers, in GMP, shared
// by the division tests of every size.
#pragma once

#include <gmp.h>

#include <vector>

// |1 - a*y| for long numbers a and y of n elements, measured against the
// bound R^(1-n) that a reciprocal must meet.
struct ReciprocalResidual {
    bool below_bound = false;  // |1 - a*y| < R^(1-n), decided exactly
    double in_bound_units = 0; // |1 - a*y| / R^(1-n), for messages
};
ReciprocalResidual reciprocal_residual(const double* a, const double* y, int n, double radix);

// How far a quotient out of n elements lies from p/q: the exact |out - p/q|
// against the bound |p/q| * R^(1-n) + R^(e_out - n), the residual allowed
// to the reciprocal plus the truncation of the product to n elements.
struct QuotientError {
    bool within_bound = false;   // decided exactly
    double in_last_units = 0;    // |out - p/q| / R^(e_out - n), for messages
};
QuotientError quotient_error(const double* p, const double* q, const double* out, int n, double radix);

// A random long number of n elements for a divisor: balanced elements, the
// exponent in -2..2 and the leading element chosen by `lead`:
//     0 random nonzero, 1 one, 2 minus one, 3 the largest balanced element,
//     4 the smallest, 5 one followed by the smallest (a[1] + a[2]/R is 1/2
//     for even R, just above it for odd R: the estimate's leading element
//     comes out at or next to 2R).
inline constexpr int divisor_lead_kinds = 6;
std::vector<double> random_divisor(int n, double radix, int lead, unsigned seed);
