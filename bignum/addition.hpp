// Sums and differences of element arrays and long numbers, and a small
// integer combined with a long number. Every result is carry-normalized in
// the current digit form; long-number results are also stripped of leading
// zero elements. Results are truncated to the destination's count, never
// rounded, and no entry of the destination beyond count is written.
#pragma once

// c = a + b (sign >= 0) or a - b (sign < 0) entry by entry over
// count entries, then normalized with c[0] absorbing the final carry.
// c may be a or b itself, but not a shifted overlap of either.
void add_elements(const double* a, const double* b, double* c, int count, int sign);

// c = a + b (sign >= 0) or a - b (sign < 0), aligned by exponents and kept
// to count elements; what falls below element count of c is dropped. Only
// the first count elements of each operand are read. c may coincide with
// the operand whose exponent is the larger (a when e_a >= e_b, b when
// e_b >= e_a); any other overlap is forbidden.
void add_long(const double* a, const double* b, double* c, int count, int sign);

// c = k + a (sign >= 0) or k - a (sign < 0), count elements; the elements
// of a that fall below element count of c are dropped, and k is dropped when
// the units position lies beyond element count. c must not overlap a.
void add_small_integer(int k, const double* a, double* c, int count, int sign);
