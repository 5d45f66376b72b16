// arctan(1/x) from MPFR, and the distance of a long number from an MPFR
// value in units of the long number's last element: the oracle of the DRM
// arctangent. Only with HAVE_MPFR; the tests that need it skip without.
#pragma once

#if HAVE_MPFR

#include <mpfr.h>

// Bits that hold n elements of radix R with 64 guard bits to spare.
mpfr_prec_t precision_for_elements(int n, double radix);

// out = arctan(1/x), rounded to the precision of out.
void mpfr_atan_inverse(long x, mpfr_t out);

// out = the partial sum of the first `terms` terms of the arctangent series,
//     sum over k < terms of (-1)^k / ((2k + 1) x^(2k+1)),
// formed as arctan(1/x) minus the tail, whose terms are summed until they
// fall below 2^-prec times arctan(1/x) (prec the precision of out).
// `first_left_out` receives the magnitude 1/((2K + 1) x^(2K+1)), K = terms,
// of the first term left out.
void mpfr_atan_partial_sum(long x, long terms, mpfr_t out, mpfr_t first_left_out);

// (value(a) - ref) / R^(e - n), e = a[0]: how far the long number a of n
// elements lies from ref, in units of its last element.
double units_of_last_element(const double* a, int n, double radix, const mpfr_t ref);

// v / R^(e - n) for the exponent e of a long number of n elements: a
// magnitude in units of that number's last element.
double in_last_units(const mpfr_t v, double exponent, int n, double radix);

#endif
