// Reciprocal by Newton's iteration y <- y + y*(1 - a*y), the working length
// doubling from 2 up to n, and division as a product with the reciprocal.
// n is a power of two, at least 2. scratch (work_u) needs 4n + 2 doubles;
// work is fft_work (the reciprocal keeps a transform in it, see
// keep_transform in fft_multiply.hpp). Both hold garbage afterwards.
#pragma once

// y = 1/a to n elements (n + 1 doubles), |1 - a*y| < R^(1-n). The divisor
// must be nonzero with a nonzero leading element (as every stripped nonzero
// long number has). The leading element of y comes from a double estimate
// and is not reduced: it may reach 2R. y must differ from a; a is not
// modified. Returns the largest rounding error of its products.
double reciprocal_long(const double* a, double* y, int n, double* scratch, double* work);

// out = p/q to n elements: p times 1/q, the product truncated to n
// elements. out must differ from p and q, which are not modified.
// Returns the larger of the reciprocal's and the final product's errors.
double div_long(const double* p, const double* q, double* out, int n, double* scratch, double* work);
