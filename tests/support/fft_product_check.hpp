// The checks shared by the product tests of every length: mul_elements_fft
// against GMP's exact integer product.
#pragma once

#include <string>
#include <vector>

// Multiplies a and b (n elements each, n = a.size() = b.size()) with
// mul_elements_fft under the current element_radix and digit_mode, every
// buffer (operands, the 6n-double work area, the 2n-double output) fenced
// by guard entries, and checks with gtest assertions: the rounding error
// lies in [0, 0.5); the output read as an integer equals a * b exactly;
// out[1..2n-1] lie in the digit range; the guards and both operands are
// untouched. `same_array` passes a as both operands (b is ignored).
// Returns the rounding error.
double check_fft_product(const std::vector<double>& a, const std::vector<double>& b,
                         bool same_array = false);

// Whether out[1..count-1] are whole numbers in the digit range digit_mode
// selects now. On failure `where` names the first element out of range.
bool elements_in_range(const double* out, int count, std::string& where);

// Random operands at every length 2^k, k = min_log2..max_log2, through
// check_fft_product under the given radix and form (which stay set
// afterwards). Each rounding error is printed and recorded as a test
// property; the largest one must be positive, since a product that
// reported no error at all would pass every other check.
void check_random_products(double radix, bool balanced, int min_log2, int max_log2);

// The operands with the largest coefficients, n * (R/2)^2 in balanced
// and n * (R - 1)^2 in standard form (all elements at the top of the range,
// against themselves, against the bottom, alternating): the worst cases
// for the rounding error. Balanced products at `balanced_lengths`, standard
// ones at `standard_lengths`; each error is printed.
void check_worst_case_products(double radix, const std::vector<int>& balanced_lengths,
                               const std::vector<int>& standard_lengths);
