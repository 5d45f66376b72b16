// Products of long numbers and element arrays by the right-angle weighted
// FFT: complex transforms of length n over two real n-element arrays give
// all 2n - 1 convolution coefficients, the lower half in the real parts and
// the upper half in the imaginary parts. Every output is rounded with
// floor(v + 0.5); each product returns its rounding error, the largest
// |floor(v + 0.5) - v| over its outputs, a double in [0, 0.5].
//
// Why the products stay exact: an output is a sum of at most n products of
// two elements, each at most (R/2)^2 in magnitude in balanced form; with
// R < 10^5.7 and n <= 2^18 that is below 2^52.5, and the floating-point error
// of the transforms stays far below 0.5 (the returned error shows how far).
// Should it ever reach 0.5, the rounding picks a wrong integer unnoticed.
#pragma once

// fft_work must hold 6n doubles: the first operand's complex array
// (0..2n-1), the twiddle table (2n..3n-1) and the pass scratch (4n..6n-1).

// out[0..2n-1] = the product of the element arrays a and b (n elements
// each), carry-normalized with out[0] absorbing the final carry. a and b
// may be the same array; out must overlap neither operand nor work.
// Returns the rounding error.
//
// The program's products call this one. It is defined twice, and the
// executable links one of the two: fft_select_fast.cpp (pi_drm and the
// tests) passes it on to mul_elements_fft_fast (fft_fast.hpp),
// fft_select_reference.cpp (pi_drm_reference) to mul_elements_fft_reference.
// Both give the same result bit for bit.
double mul_elements_fft(const double* a, const double* b, double* out, int n, double* work);

// The same product by the plain transform of fft_transform.hpp, which
// rebuilds its tables for every transform: the reference the fast product
// is checked against.
double mul_elements_fft_reference(const double* a, const double* b, double* out, int n,
                                  double* work);

// out = p * q as a long number of 2n elements (2n + 1 doubles): exponent
// e_p + e_q, leading zero elements stripped. Reads only the exponent and
// elements 1..n of each operand (a shorter n truncates them). p and q may be
// the same array; out must overlap neither operand nor work.
// Returns the rounding error.
double mul_long(const double* p, const double* q, double* out, int n, double* work);
