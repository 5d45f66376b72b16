// The default build's kernels: the fast transform and the fast
// normalization, bit for bit the results of the plain ones.
#include "bignum/fft_fast.hpp"
#include "bignum/fft_fast_normalize.hpp"
#include "bignum/fft_multiply.hpp"
#include "bignum/long_number.hpp"

double mul_elements_fft(const double* a, const double* b, double* out, int n, double* work)
{
    return mul_elements_fft_fast(a, b, out, n, work);
}

void normalize_elements(double* a, int count)
{
    fft_fast_normalize(a, count);
}
