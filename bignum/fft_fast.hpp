// The fast product: mul_elements_fft_reference (fft_multiply.hpp) with the
// same roundings, bit for bit, in less time.
//
// Every output is made by the same sequence of IEEE operations as in the
// reference transform of fft_transform.cpp: the same weights, the same
// radix-2 butterflies on the same pairs with the same twiddles, the same
// pointwise product, the same scaling by 1/n (exact for a power of two) and
// the same rounding. What differs is only the bookkeeping around them:
//  - cosines and sines come from tables built once per length, with the
//    very expressions of the reference (angle = integer multiplier * step);
//  - the inverse direction reads the forward table with the sine negated,
//    which is used only after a check, at table build, that the platform's
//    cos(-x) and sin(-x) equal cos(x) and -sin(x) bit for bit at every
//    angle of that length (otherwise every product falls back to the
//    reference);
//  - complex arrays are held as separate real and imaginary halves, two
//    passes are done at a time while their data sits in registers, and the
//    passes write into alternating buffers instead of copying back;
//  - the weights, the pointwise product and the final rounding are done in
//    the first and last sweeps over the data;
//  - a squaring transforms its operand once;
//  - with AVX2 (checked at run time, never FMA) four butterflies run at a
//    time, with AVX-512 the same code has twice the registers; the
//    portable path does the same operations two at a time.
//
//  - long transforms (from 2^12 on) are cut into tiles of up to 2^6 x 32
//    entries (32 KB) that stay in cache while up to six passes run on
//    them, so that a transform of 2^19 sweeps over its data four times
//    instead of ten;
//  - the inverse transform's last sweep scales, weights and rounds as it
//    writes.
//
// Tables: 2^20 complex entries, 16 MB of static memory (twiddles of every
// group count up to 2^18, which hold the weights of every length up to
// 2^17 too, and the weights of 2^18 and 2^19), filled for a length when a
// product of that length first runs.
#pragma once

// Same contract and same result as mul_elements_fft_reference: out[0..2n-1]
// = a * b, normalized, out overlapping neither operand nor work; a and b
// may be the same array. Returns the rounding error. work: 6n doubles.
// n: a power of two, at least 2, at most fft_fast_max_length, the longest
// working length a run can have (a longer one would be handed to the
// reference).
double mul_elements_fft_fast(const double* a, const double* b, double* out, int n, double* work);

// Kept transforms (mul_elements_kept in fft_multiply.hpp): the forward
// transform of the n-element array a, kept in slot `slot` of work, and a
// product that reads either operand's transform from its slot (slot
// fft_fast_no_slot: made afresh), with the result of
// mul_elements_fft_reference bit for bit. work is fft_work itself: the slots
// lie past the part of it a product of length n uses, and
// fft_fast_kept_slots(n) of them fit. Where the fast path does not run at
// length n, keeping does nothing and the product is the reference's.
inline constexpr int fft_fast_no_slot = -1;
int fft_fast_kept_slots(int n);
void fft_fast_keep_transform(const double* a, int n, int slot, double* work);
double mul_elements_fft_fast_kept(const double* a, int a_slot, const double* b, int b_slot,
                                  double* out, int n, double* work);

// The longest transform the tables hold: max_working_length (long_number.hpp).
int fft_fast_max_length();

// Which instruction path the fast product takes. automatic picks the
// AVX-512 one (four-lane vectors, 32 registers) when the processor has
// AVX-512F and VL, else AVX2 when it has that; the others force a path (for
// tests: forcing one the processor lacks falls back to the best it has
// below it, down to portable).
enum class fft_fast_path { automatic, portable, avx2, avx512 };
void set_fft_fast_path(fft_fast_path path);
bool fft_fast_avx2_available();
bool fft_fast_avx512_available();

// Whether the fast path is in use at length n (builds the tables for n):
// false if n is past fft_fast_max_length, or if the platform's cos/sin
// failed the symmetry check, in which case products of every length run
// the reference.
bool fft_fast_tables_usable(int n);

// For tests: the forward weight (cos, sin) of entry j at length n, and the
// forward twiddle of group i in a pass of b groups, as the fast product
// reads them (builds the tables they need). The inverse direction uses
// (cos, -sin) of the same entries.
void fft_fast_weight(int n, int j, double* c, double* s);
void fft_fast_twiddle(int b, int i, double* c, double* s);
