// Exact values of long numbers and element arrays for the tests, in GMP.
#pragma once

#include <gmp.h>

#include <vector>

// out = sum over i = 0..count-1 of a[i] * R^(count-1-i): an element array
// read as an integer, entry 0 the most significant.
void elements_to_mpz(const double* a, int count, double radix, mpz_t out);

// out = sum over i = 1..n of a[i] * R^(e-i), e = a[0]: a long number's
// exact value.
void long_number_to_mpq(const double* a, int n, double radix, mpq_t out);

// Random whole-valued elements in the balanced range [-R/2, R/2] (even R
// includes both ends) or the standard range [0, R-1].
std::vector<double> random_elements(int count, double radix, bool balanced, unsigned seed);
