// Products of long numbers and element arrays by the right-angle weighted
// FFT: complex transforms of length n over two real n-element arrays give
// all 2n - 1 convolution coefficients, the lower half in the real parts and
// the upper half in the imaginary parts. Every output is rounded with
// floor(v + 0.5); each product returns its rounding error, the largest
// |floor(v + 0.5) - v| over its outputs: at most 0.5 while every output
// stays below 2^52 in magnitude (past that, where the product is wrong in
// any case, it can reach 1).
//
// Why the products stay exact: an output is a sum of at most n products of
// two elements. The balanced elements of a run behave like zero-mean random
// values, so a coefficient is near sqrt(n) * R^2 / 12, and the measured
// error at n = 2^18 is about 0.05 at the largest radix (R = 456976) and
// 0.0001 at the smallest (R = 19683). Nothing guarantees this: the worst
// case, every element R/2, gives coefficients up to n * (R/2)^2, past 2^53
// at R = 456976 and n = 2^18, and its error already reaches 0.5 at n = 2^14.
// Standard-form products (coefficients near n * R^2 / 4) reach 0.5 at that
// radix from n = 2^14 as well; the program multiplies in balanced form only.
// Should the error reach 0.5, the rounding picks a wrong integer unnoticed;
// the driver therefore lists no digits from a run whose largest error
// reaches 0.25.
#pragma once

// fft_work must hold 6n doubles: the first operand's complex array
// (0..2n-1), the twiddle table (2n..3n-1) and the pass scratch (4n..6n-1).

// out[0..2n-1] = the product of the element arrays a and b (n elements
// each), carry-normalized with out[0] absorbing the final carry. a and b
// may be the same array; out must overlap neither operand nor work.
// Returns the rounding error.
//
// The program's products call this one. It is defined twice, and the
// executable links one of the two: select_fast.cpp (pi_drm and the tests)
// passes it on to mul_elements_fft_fast (fft_fast.hpp), select_reference.cpp
// (pi_drm_reference) to mul_elements_fft_reference.
// Both give the same result bit for bit.
double mul_elements_fft(const double* a, const double* b, double* out, int n, double* work);

// The same product by the plain transform of fft_transform.hpp, which
// rebuilds its tables for every transform, normalized by
// normalize_elements_reference: the reference the fast product is checked
// against.
double mul_elements_fft_reference(const double* a, const double* b, double* out, int n,
                                  double* work);

// out = p * q as a long number of 2n elements (2n + 1 doubles): exponent
// e_p + e_q, leading zero elements stripped. Reads only the exponent and
// elements 1..n of each operand (a shorter n truncates them). p and q may be
// the same array; out must overlap neither operand nor work.
// Returns the rounding error.
double mul_long(const double* p, const double* q, double* out, int n, double* work);

// Products that share an operand. Where one array takes part in several
// products of the same length (the power of X in every merge of a tree
// level, a denominator in two merges, the reciprocal's estimate in both
// products of a Newton step), its forward transform can be made once:
// keep_transform(a, n, slot, work) makes it and keeps it in a slot of the
// work area, and mul_elements_kept / mul_long_kept take an operand's
// transform from its slot (no_kept_transform: made afresh, as in
// mul_elements_fft). The result is mul_elements_fft's bit for bit: the same
// numbers go through the same operations, only fewer times.
//
// Contract: work is fft_work. A kept transform stays good while its array
// is unchanged and nothing but products and keeps of the same length n use
// work; a product of another length, or any other use of fft_work, may
// overwrite it. Slots 0 to 2 exist at every length up to half the longest
// working length (max_working_length / 2), slot 0 at the longest. The
// reference build keeps nothing and multiplies afresh every time.
inline constexpr int no_kept_transform = -1;
void keep_transform(const double* a, int n, int slot, double* work);
double mul_elements_kept(const double* a, int a_slot, const double* b, int b_slot, double* out,
                         int n, double* work);

// mul_long with kept transforms: p_slot and q_slot hold the transforms of
// elements 1..n of p and q (or no_kept_transform).
double mul_long_kept(const double* p, int p_slot, const double* q, int q_slot, double* out, int n,
                     double* work);
