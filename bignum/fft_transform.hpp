// The complex transform behind every product: an iterative radix-2 FFT with
// no bit-reversal step, and its right-angle weighting. This is the plain
// reference form: every transform rebuilds its twiddle table and weights,
// and every pass writes out of place and copies back.
//
// Complex array of n entries: 2n doubles, entry j at doubles 2j (real part)
// and 2j + 1 (imaginary part). n is a power of two, at least 2.
// direction: 1 is the inverse transform, any other value the forward one.
//
// With r' = n - 1 - r and c' = n - 1 - c (entries counted from the end),
// the forward transform is X[r] = sum over c of x[c] * e^(+2 pi i r'c'/n)
// and the inverse is its exact inverse, including the factor 1/n.
#pragma once

// Multiplies entry j by e^(+i theta_j), theta_j = (n - 1 - j) * pi/(2n), and
// transforms forward; or transforms inverse and then multiplies entry j by
// e^(-i theta_j). tables: 4n doubles of scratch (twiddles, then the pass
// scratch at tables + 2n).
void weighted_fft(double* x, int n, int direction, double* tables);

// The transform in place: log2 n passes, then the division by n for the
// inverse. tables: the twiddle table (n doubles) and at tables + 2n the pass
// scratch (2n doubles).
void fft_radix2(double* x, int n, int direction, double* tables);

// table entry i = (cos phi, sin phi), phi = (h - 1 - i) * s, s = pi/h
// (negated for the inverse): h complex entries, entry h - 1 is exactly 1.
void make_twiddles(int h, int direction, double* table);

// One pass over x of n = 2ab entries: b groups of a butterflies whose two
// members lie a entries apart. The lower member of a pair is multiplied by
// the twiddle; the difference goes to the lower output position. The result
// is built in scratch (n entries) and copied back to x.
void fft_pass(double* x, int a, int b, const double* table, double* scratch);
