// Long numbers: layout, the run-wide radix and digit form, the static arrays
// that hold every number of a run, and the small routines all other
// arithmetic is built on.
//
// Long number: an array of doubles. Entry 0 is the exponent e (a whole
// number, possibly zero or negative, counted in elements); entries 1..n are
// whole-number elements, most significant first, possibly negative, and
//     value = sum over i = 1..n of a[i] * R^(e - i),   R = element_radix.
// The length n is never stored; every routine takes it as a count. Zero is a
// long number whose elements are all zero; its exponent means nothing.
//
// Element array: a run of elements without the exponent entry (the elements
// of a long number, or a block of the arctangent's product tree); entry 0 is
// the most significant.
//
// Digit form, read from digit_mode whenever a normalization runs:
//     balanced (digit_mode < 0):  -R/2 <= x <= R/2, both ends kept
//     standard (digit_mode >= 0):  0 <= x < R
//
// Normalized: elements 2..n lie in the digit range; element 1 holds the
// final carry unreduced (it may reach or pass R in magnitude, and in
// standard form it is the only element that can be negative) and is nonzero
// unless the number is zero. No routine raises the exponent after a carry.
//
// Exactness: every element, carry and intermediate sum is a whole number
// held in a double and stays exact while its magnitude is below 2^53.
#pragma once

#include <cstdio>

// The largest request in elements: a run whose fmt_size (the smallest power
// of two above its element count) exceeds it is refused before any
// arithmetic.
inline constexpr int ND = 270001;

// Capacity of the static arrays in elements. A run computes with fmt_size
// elements, or with twice as many when fmt_size leaves too few elements
// past the printed ones to prove the last printed digits right; the
// arrays hold the doubled length of the largest request.
inline constexpr int max_working_length = 2 * 262144;
inline constexpr int array_elements = max_working_length + 8;

// R, the radix of the elements: base^digits_per_element, set by the setup
// dialogue before any arithmetic.
extern double element_radix;
// Negative: balanced elements (-1 during the computation); zero or positive:
// standard elements (+1 for the digit listing).
extern int digit_mode;

// The static arrays; all start zeroed.
extern double pi_sum[array_elements];        // running sum of the formula's terms, at the end pi
extern double atan_sum[array_elements + 3];  // arctangent being summed; driver's sum destination
extern double x_power[array_elements];       // running power of x, starting at 1/x
extern double work_t[array_elements + 3];    // powers of x^2, then a step's divisor; driver scratch
extern double drm_num[array_elements + 3];   // numerator blocks of the product tree
extern double drm_den[array_elements];       // denominator blocks, then a step's quotient
extern double work_u[4 * array_elements];    // double-length products, reciprocal scratch
extern double fft_work[6 * array_elements];  // FFT operand, twiddle table and pass scratch
extern double next_odd;          // next odd denominator of the arctangent series
extern std::FILE* report_file;   // the report text file

// Carry-normalizes the element array a[0..count-1] into the form digit_mode
// selects now. Carries run from a[count-1] upward; a[0] absorbs the final
// carry and is never reduced. The value sum a[i]*R^(count-1-i) is unchanged.
// Nothing happens for count <= 1. Every entry must stay below 2^53.
// The default build runs a faster routine with bit for bit the results of
// normalize_elements_reference; the reference build runs that one.
void normalize_elements(double* a, int count);

// The plain two-pass normalization that defines normalize_elements: a carry
// pass of truncated quotients, then a range pass, both from a[count-1] up.
void normalize_elements_reference(double* a, int count);

// Shifts the s leading zero elements among a[1..count] out (a negative zero
// counts as zero), fills the freed tail with zeros and lowers the exponent
// a[0] by s. An all-zero number keeps zero elements and its exponent drops
// by count. Nothing happens for count <= 0.
void strip_leading_zeros(double* a, int count);

// Reads a[1..count] as an integer whose units element is a[count]: sets the
// exponent to count, then strips leading zero elements. Nothing happens for
// count <= 0.
void make_integer(double* a, int count);

// dst[i] = src[i] for i = 0..count-1, ascending: a copy toward lower
// addresses inside one array is safe, and src == dst leaves it unchanged.
void copy_elements(const double* src, double* dst, int count);

// dst[i] = value for i = 0..count-1; nothing for count <= 0.
void fill_elements(int value, double* dst, int count);

// a = value with exponent 1: a[1] = value, a[2..count] = 0; unnormalized.
// Nothing happens for count <= 0.
void set_small_integer(int value, double* a, int count);

// base^e in 32-bit arithmetic; e <= 0 gives 1.
int int_power(int base, int e);

// a if a >= b, else b: a tie returns a, and a NaN in either argument
// returns b. Inline: the products fold their errors with it.
inline double max2(double a, double b)
{
    return a >= b ? a : b;
}

// max2(max2(a, b), c).
inline double max3(double a, double b, double c)
{
    return max2(max2(a, b), c);
}

// a if a <= b, else b.
int min_int(int a, int b);

// trunc(ln(a + 0.5) / ln 2): for a >= 1 the exponent of the largest power of
// two not above a; floor_log2(0) = -1.
int floor_log2(int a);
