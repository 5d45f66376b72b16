// A long number multiplied or divided by a small integer, count elements,
// truncated (never rounded), normalized in the current digit form and
// stripped of leading zero elements. Both read a[1] and need count >= 1.
#pragma once

// c = a * k. When |a[1] * k| >= R the product gains a leading element and
// the remainder of the last element's product is dropped; otherwise it is
// exact. c must not overlap a. Every a[i] * k must stay below 2^53.
void mul_small(const double* a, int k, double* c, int count);

// c = a / k, truncated: off by less than one unit of element count of c.
// k must be nonzero. c may be a itself (in place).
void div_small(const double* a, int k, double* c, int count);
