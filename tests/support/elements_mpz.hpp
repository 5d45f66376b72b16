// Element arrays of any length as GMP integers, in subquadratic time, for
// the tests of long products (elements_to_mpz in reference.hpp is a plain
// Horner loop, quadratic in the length).
#pragma once

#include <gmp.h>

// out = sum over i = 0..count-1 of a[i] * R^(count-1-i), the same value as
// elements_to_mpz, split in halves recursively so that a few hundred
// thousand elements take milliseconds. Elements may be negative.
void elements_to_mpz_split(const double* a, int count, double radix, mpz_t out);
