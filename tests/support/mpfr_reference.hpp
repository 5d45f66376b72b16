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

// (value(a) - ref) / R^(e - n), e = a[0]: how far the long number a of n
// elements lies from ref, in units of its last element.
double units_of_last_element(const double* a, int n, double radix, const mpfr_t ref);

#endif
