// The pi driver: pi = sum over the chosen formula's terms of c * arctan(1/x),
// with every printed digit checked against a bound on the error of the sum.
#pragma once

inline constexpr int formula_count = 5;
inline constexpr int formula_slots = 4;

// formula_table[f][i] = {c, x}: slot i of formula f (0-based formula_index);
// slots past formula_term_count[f] hold {0, 0} and are never read.
inline constexpr int formula_table[formula_count][formula_slots][2] = {
    {{16, 5}, {-4, 239}, {0, 0}, {0, 0}},                // Machin
    {{48, 18}, {32, 57}, {-20, 239}, {0, 0}},            // Gauss
    {{32, 10}, {-4, 239}, {-16, 515}, {0, 0}},           // Klingen.
    {{176, 57}, {28, 239}, {-48, 682}, {96, 12943}},     // Stoemer
    {{48, 49}, {128, 57}, {-20, 239}, {48, 110443}},     // Takano
};
inline constexpr int formula_term_count[formula_count] = {2, 3, 3, 4, 4};

// Elements that the sum must hold past the last printed one: the last
// element computed carries the truncation errors of the arithmetic, and the
// one before it must show that they cannot reach the printed digits.
inline constexpr int guard_elements = 2;

// The largest FFT rounding error under which the products are trusted: a
// deviation that reached 0.5 would round to a wrong integer unseen, and
// errors spread continuously, so a run whose largest one stays below a
// quarter has none near that edge.
inline constexpr double trusted_rounding_error = 0.25;

// DRM steps for arctan(1/x) so that the first term left out of the series
// weighs less than R^(-L): trunc(((r * 2.0 * L) * (ln B / ln x)) / n + 1.0).
int drm_step_count(int base, int x, int digits_per_element, int element_count, int fmt_size);

// The working length of a run: fmt_size while it leaves guard_elements past
// the L printed fractional elements of pi (whose element 1 is the integer
// 3), twice fmt_size otherwise.
int working_length(int fmt_size, int element_count);

// A bound on |pi_sum - pi| after summing formula formula_index at working
// length n with the given step counts, in units of fractional element
// L + guard_elements (R^(-L-2)): the truncations of every long operation
// and the terms of each series left out. Needs n >= L + 1 + guard_elements.
double pi_error_bound(int formula_index, int n, int element_count, const int* steps);

// Whether the listing of fractional elements 1..L of `sum` (pi normalized
// in standard form over n elements, n >= L + 1 + guard_elements) is
// certainly the truncation of pi: the guard elements past it, read as one
// integer, keep a distance above error_bound (in units of their last) from
// both ends of their range, so no error within the bound can carry into or
// borrow from the printed elements.
bool listing_is_certain(const double* sum, int element_count, double error_bound);

// Sums formula formula_index into pi_sum at working length n (digit_mode
// balanced), each series long enough for series_count elements, with one
// progress line per term on the console. Leaves each term's step count in
// steps and returns the largest rounding error of the products.
double sum_formula(int formula_index, int base, int digits_per_element, int series_count, int n, int* steps);

// The whole run: dialogue, the formula's arctangents with a progress line
// each, the check of the digits, the report. Returns the exit status, 0.
int run_pi_drm();
